// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QDialog>

class LinkLabel;
class ScreenHost;

// The information screen: who makes the program, with an e-mail and a web link.
class TfrmInfo : public QDialog
{
    Q_OBJECT
public:
    explicit TfrmInfo(ScreenHost& host);

    // The address handed to the desktop to compose an e-mail to the maker.
    static QString MailAddress();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void sendEmail();

    ScreenHost& m_host;
    LinkLabel* m_email;
    LinkLabel* m_web;
};
