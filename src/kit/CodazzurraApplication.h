// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QApplication>

// The application object: the program's title and style, Qt's own texts in Italian, Enter pressing a
// focused button on every screen, and a last-resort handler that shows a failure escaping an event in the
// default error box instead of ending the program (screens catch their own failures first).
class CodazzurraApplication : public QApplication
{
    Q_OBJECT
public:
    CodazzurraApplication(int& argc, char** argv);
    bool notify(QObject* receiver, QEvent* event) override;

    // Whether Qt's own texts (Yes/No, the file dialogs) were found in Italian.
    bool HasItalianQtTexts() const noexcept { return m_italianQtTexts; }
    // How many failures reached the last-resort handler: each one is a screen that failed to catch its own.
    int LastResortFailures() const noexcept { return m_lastResortFailures; }

private:
    bool m_italianQtTexts = false;
    int m_lastResortFailures = 0;
};
