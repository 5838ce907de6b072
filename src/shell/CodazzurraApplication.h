// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QApplication>

// The application object: every event passes through one handler, so a failure that a screen lets
// through is shown in the default error box instead of ending the program.
class CodazzurraApplication : public QApplication
{
    Q_OBJECT
public:
    CodazzurraApplication(int& argc, char** argv);
    bool notify(QObject* receiver, QEvent* event) override;
};
