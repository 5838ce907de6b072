// SPDX-License-Identifier: GPL-3.0-or-later
#include "TfrmInfo.h"

#include "kit/Artwork.h"
#include "kit/BusyCursor.h"
#include "kit/Colours.h"
#include "kit/CommandPicture.h"
#include "kit/Controls.h"
#include "kit/Desktop.h"
#include "kit/ScreenHost.h"
#include "kit/WindowPlacement.h"
#include "program/MakerInfo.h"

#include <QDir>
#include <QEvent>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>

using namespace Qt::Literals::StringLiterals;

TfrmInfo::TfrmInfo(ScreenHost& host)
    : QDialog(nullptr, Qt::Dialog | Qt::WindowCloseButtonHint | Qt::WindowTitleHint)
    , m_host(host)
{
    Kit::SetUpWindow(this, u"TfrmInfo"_s, u" "_s, Kit::Silver);
    setFixedSize(472, 511);

    auto* group = new QGroupBox(this);
    group->setObjectName(u"grpInfo"_s);
    group->setGeometry(12, 8, 448, 398);
    Kit::PictureLabel(u"imgLogo"_s, Kit::Picture(u"logo"_s).scaledToWidth(400, Qt::SmoothTransformation),
                      group, QRect(24, 10, 400, 86));
    QLabel* panel =
        Kit::PictureLabel(u"imgPannello"_s, Kit::Picture(u"info_panel"_s), group, QRect(14, 100, 420, 286));
    auto* maker =
        new QLabel(u"\u00a9 %1\n%2\n%3"_s.arg(MakerInfo::Name(), QUrl(MakerInfo::WebAddress()).host(),
                                              MakerInfo::SupportEmail()),
                   panel);
    maker->setObjectName(u"lblAutore"_s);
    maker->setAlignment(Qt::AlignCenter);
    maker->setGeometry(0, 206, 420, 70);
    Kit::SetColour(maker, QPalette::WindowText, QColor(60, 80, 110));
    // Where the files are, without a line of its own on the written layout.
    const QString folders = u"Cartella dei dati: %1\nArchivi: %2\nEsportazioni: %3"_s.arg(
        QDir::toNativeSeparators(m_host.ProgramFolder()), m_host.ArchivesLocation(),
        QDir::toNativeSeparators(m_host.ExportsFolder()));
    group->setToolTip(folders);

    const QFont linkFont = Kit::Verdana(13, true);
    auto* emailIcon = new CommandPicture(u"imgEmail"_s, Kit::Picture(u"icon_email"_s), this);
    emailIcon->setGeometry(24, 418, 32, 32);
    emailIcon->setAccessibleName(u"Invia e-mail"_s);
    m_email = new LinkLabel(u"lblEmail"_s, u"Invia e-mail"_s, Kit::Navy, QColor(), this);
    m_email->setFont(linkFont);
    m_email->setGeometry(62, 424, 150, 20);
    auto* webIcon = new CommandPicture(u"imgWeb"_s, Kit::Picture(u"icon_web"_s), this);
    webIcon->setGeometry(24, 460, 32, 32);
    webIcon->setAccessibleName(u"Visita sito Internet"_s);
    m_web = new LinkLabel(u"lblWeb"_s, u"Visita sito Internet"_s, Kit::Navy, QColor(), this);
    m_web->setFont(linkFont);
    m_web->setGeometry(62, 466, 180, 20);

    QPushButton* ok = Kit::Button(u"cmdOK"_s, u"OK"_s, this, QRect(362, 462, 90, 30));
    ok->setDefault(true);

    // One link is red while the pointer is on it or its icon; both are navy over the rest.
    auto highlight = [this](LinkLabel* link) {
        m_email->SetColour(link == m_email ? QColor(Qt::red) : Kit::Navy);
        m_web->SetColour(link == m_web ? QColor(Qt::red) : Kit::Navy);
    };
    const std::pair<PointerButton*, LinkLabel*> pointers[] = {
        {emailIcon, m_email}, {m_email, m_email}, {webIcon, m_web}, {m_web, m_web}};
    for (auto [button, link] : pointers) {
        connect(button, &PointerButton::hovered, this, [highlight, link] { highlight(link); });
        connect(button, &PointerButton::left, this, [highlight] { highlight(nullptr); });
    }
    installEventFilter(this);
    group->installEventFilter(this);

    connect(emailIcon, &CommandPicture::clicked, this, &TfrmInfo::sendEmail);
    connect(m_email, &LinkLabel::clicked, this, &TfrmInfo::sendEmail);
    connect(webIcon, &CommandPicture::clicked, this, [this] { m_host.OpenMakerWebSite(); });
    connect(m_web, &LinkLabel::clicked, this, [this] { m_host.OpenMakerWebSite(); });
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
}

bool TfrmInfo::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::Enter || event->type() == QEvent::MouseMove) {
        m_email->SetColour(Kit::Navy);
        m_web->SetColour(Kit::Navy);
    }
    return QDialog::eventFilter(watched, event);
}

QString TfrmInfo::MailAddress()
{
    return u"mailto:"_s + MakerInfo::SupportEmail() + u"?subject="_s + u"Software Codazzurra"_s +
           u"&body="_s + u"Salve, desidererei avere le seguenti informazioni sul software in oggetto:"_s;
}

void TfrmInfo::sendEmail()
{
    bool opened;
    {
        BusyCursor busy;
        opened = desktop().Open(QUrl(MailAddress()));
    }
    if (!opened)
        desktop().Plain(this, u"Invio e-mail non riuscito."_s);
}
