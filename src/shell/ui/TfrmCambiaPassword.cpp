// SPDX-License-Identifier: GPL-3.0-or-later
#include "TfrmCambiaPassword.h"

#include "PasswordInput.h"
#include "kit/Artwork.h"
#include "kit/Colours.h"
#include "kit/Controls.h"
#include "kit/Desktop.h"
#include "kit/FieldConventions.h"
#include "kit/ScreenHost.h"
#include "kit/WindowPlacement.h"
#include "shell/Crypt.h"
#include "shell/PasswordFile.h"
#include "storage/Win1252.h"

#include <QCloseEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

using namespace Qt::Literals::StringLiterals;

TfrmCambiaPassword::TfrmCambiaPassword(ScreenHost& host)
    : QWidget(nullptr, Qt::Dialog | Qt::WindowCloseButtonHint | Qt::WindowTitleHint)
    , m_host(host)
{
    Kit::SetUpWindow(this, u"TfrmCambiaPassword"_s, u" Cambia password"_s, Kit::Silver);
    setFixedSize(430, 230);

    Kit::PictureLabel(QString(), Kit::Picture(u"password"_s), this, QRect(20, 24, 72, 72));

    auto addField = [this](const QString& name, const QString& caption, int y) {
        auto* label = new QLabel(caption, this);
        label->setGeometry(108, y + 4, 130, 22);
        QLineEdit* edit = MakePasswordInput(name, this);
        edit->setGeometry(236, y, 172, 30);
        label->setBuddy(edit);
        edit->setAccessibleName(QString(caption).remove(u':'));
        connect(edit, &QLineEdit::textChanged, this, &TfrmCambiaPassword::updateOk);
        return edit;
    };
    m_old = addField(u"txtPasswordOld"_s, u"Vecchia password:"_s, 20);
    m_new = addField(u"txtPasswordNew"_s, u"Nuova password:"_s, 62);
    m_confirm = addField(u"txtConferma"_s, u"Conferma nuova pw:"_s, 104);

    m_ok = Kit::Button(u"cmdOK"_s, u"OK"_s, this, QRect(236, 170, 80, 30));
    m_ok->setEnabled(false);
    QPushButton* quit = Kit::Button(u"cmdEsci"_s, u"Esci"_s, this, QRect(328, 170, 80, 30));

    Kit::OnEnter(m_old, [this] { m_new->setFocus(); });
    Kit::OnEnter(m_new, [this] { m_confirm->setFocus(); });
    Kit::OnEnter(m_confirm, [this] {
        if (m_ok->isEnabled())
            m_ok->setFocus();
        else
            m_old->setFocus();
    });
    connect(m_ok, &QPushButton::clicked, this, &TfrmCambiaPassword::changePassword);
    connect(quit, &QPushButton::clicked, this, &QWidget::close);
}

void TfrmCambiaPassword::updateOk()
{
    m_ok->setEnabled(!Win1252::Trimmed(m_old->text()).isEmpty() &&
                     !Win1252::Trimmed(m_new->text()).isEmpty() &&
                     !Win1252::Trimmed(m_confirm->text()).isEmpty());
}

void TfrmCambiaPassword::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    if (event->spontaneous())
        return;
    if (!m_centred) {
        Kit::CentreOnDesktop(this);
        m_centred = true;
    }
    m_old->clear();
    m_new->clear();
    m_confirm->clear();
    m_old->setFocus();
}

void TfrmCambiaPassword::closeEvent(QCloseEvent* event)
{
    event->accept();
    m_host.Show(ScreenHost::Screen::Password);
}

void TfrmCambiaPassword::changePassword()
{
    const PasswordFile file(m_host.PasswordFilePath());
    // Both new entries are typed again after a refusal.
    auto refuseNew = [this](const QString& message) {
        desktop().Plain(this, message);
        m_new->clear();
        m_confirm->clear();
        m_new->setFocus();
    };
    try {
        if (!file.Matches(m_old->text())) {
            desktop().Plain(this, u"Attenzione: vecchia password errata."_s);
            m_old->clear();
            m_old->setFocus();
            return;
        }
        if (Win1252::Trimmed(m_new->text()) != Win1252::Trimmed(m_confirm->text())) {
            refuseNew(u"Attenzione: la nuova password non \u00e8 stata confermata correttamente. "
                      "E' necessario reinserire entrambi i valori."_s);
            return;
        }
        const auto stored = PasswordFile::Normalise(m_new->text());
        if (!stored) {
            refuseNew(u"Attenzione: la nuova password contiene caratteri non ammessi. "
                      "E' necessario reinserire entrambi i valori."_s);
            return;
        }
        file.WriteValue(Crypt::Scramble(*stored));
    } catch (const std::exception&) {
        desktop().Plain(this,
                        u"Attenzione: si \u00e8 verificato un errore durante la procedura di modifica della "
                        "password. Si consiglia di reinstallare il software."_s);
        return;
    }
    desktop().Plain(this, u"Modifica della password avvenuta con successo."_s);
    close();
}
