// SPDX-License-Identifier: GPL-3.0-or-later
#include "TfrmPassword.h"

#include "PasswordInput.h"
#include "kit/Artwork.h"
#include "kit/Colours.h"
#include "kit/Controls.h"
#include "kit/Desktop.h"
#include "kit/FieldConventions.h"
#include "kit/ScreenHost.h"
#include "kit/WindowPlacement.h"
#include "shell/PasswordFile.h"
#include "storage/Win1252.h"

#include <QCloseEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

using namespace Qt::Literals::StringLiterals;

TfrmPassword::TfrmPassword(ScreenHost& host)
    : QWidget(nullptr, Qt::Dialog | Qt::WindowCloseButtonHint | Qt::WindowTitleHint)
    , m_host(host)
{
    Kit::SetUpWindow(this, u"TfrmPassword"_s, u"Codazzurra - Accesso al programma"_s, Kit::Silver);
    setFixedSize(430, 190);

    Kit::PictureLabel(u"imgChiave"_s, Kit::Picture(u"password"_s), this, QRect(20, 24, 72, 72));

    auto* info = new QLabel(u"Immettere la password e premere OK."_s, this);
    info->setObjectName(u"lblInfo"_s);
    info->setGeometry(112, 26, 300, 22);

    m_password = MakePasswordInput(u"txtPassword"_s, this);
    m_password->setGeometry(112, 56, 296, 30);
    info->setBuddy(m_password);
    m_password->setAccessibleName(u"Password"_s);

    m_ok = Kit::Button(u"cmdOK"_s, u"OK"_s, this, QRect(112, 130, 80, 30));
    m_ok->setEnabled(false);
    QPushButton* change =
        Kit::Button(u"btnCambiaPassword"_s, u"Cambia password"_s, this, QRect(200, 130, 128, 30));
    QPushButton* quit = Kit::Button(u"cmdEsci"_s, u"Esci"_s, this, QRect(336, 130, 72, 30));

    connect(m_password, &QLineEdit::textChanged, this,
            [this](const QString& text) { m_ok->setEnabled(!Win1252::Trimmed(text).isEmpty()); });
    Kit::OnEnter(m_password, [this] {
        if (m_ok->isEnabled())
            m_ok->click();
    });
    connect(m_ok, &QPushButton::clicked, this, &TfrmPassword::checkPassword);
    connect(change, &QPushButton::clicked, this, [this] {
        m_host.Show(ScreenHost::Screen::ChangePassword);
        hide();
    });
    connect(quit, &QPushButton::clicked, this, &QWidget::close);
}

void TfrmPassword::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    if (!m_centred) {
        Kit::CentreOnDesktop(this);
        m_centred = true;
    }
    m_password->setFocus();
}

void TfrmPassword::closeEvent(QCloseEvent* event)
{
    event->accept();
    desktop().Quit();
}

void TfrmPassword::Reopen()
{
    m_password->clear();
    show();
    raise();
    activateWindow();
    m_password->setFocus();
}

void TfrmPassword::checkPassword()
{
    bool matches = false;
    try {
        matches = PasswordFile(m_host.PasswordFilePath()).Matches(m_password->text());
    } catch (const std::exception&) {
        desktop().Plain(this,
                        u"Attenzione: si \u00e8 verificato un errore durante la procedura di lettura della "
                        "password. Si consiglia di reinstallare il software."_s);
        return;
    }
    if (!matches) {
        desktop().Plain(this, u"Attenzione: password errata."_s);
        m_password->clear();
        m_password->setFocus();
        return;
    }
    m_password->clear();
    m_host.Unlocked();
    hide();
}
