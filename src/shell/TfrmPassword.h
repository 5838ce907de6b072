// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QWidget>

class QLabel;
class QLineEdit;
class QPushButton;
class Screens;

// The first window and the main window of the program: asks for the access password.
class TfrmPassword : public QWidget
{
    Q_OBJECT
public:
    static constexpr int MaxPasswordLength = 230;

    explicit TfrmPassword(Screens& screens);

    // Back from the change-password screen: empty input, shown, focused.
    void Reopen();

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void checkPassword();

    Screens& m_screens;
    QLineEdit* m_password;
    QPushButton* m_ok;
    bool m_centred = false;
};

// A masked password input of the program: at most 230 characters shown as large filled circles.
QLineEdit* MakePasswordInput(const QString& objectName, QWidget* parent);
// Centres a window on the desktop it is on.
void CentreOnDesktop(QWidget* window);
