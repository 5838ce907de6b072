// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QWidget>

class QLabel;
class QLineEdit;
class QPushButton;
class ScreenHost;

// The first window and the main window of the program: asks for the access password.
class TfrmPassword : public QWidget
{
    Q_OBJECT
public:
    explicit TfrmPassword(ScreenHost& host);

    // Back from the change-password screen: empty input, shown, focused.
    void Reopen();

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void checkPassword();

    ScreenHost& m_host;
    QLineEdit* m_password;
    QPushButton* m_ok;
    bool m_centred = false;
};
