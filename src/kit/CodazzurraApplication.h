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

private:
    bool m_italianQtTexts = false;
};
