// SPDX-License-Identifier: GPL-3.0-or-later
#include "TfrmAvvio.h"

#include "kit/Artwork.h"
#include "kit/CommandPicture.h"
#include "kit/Controls.h"
#include "kit/Desktop.h"
#include "kit/ScreenHost.h"
#include "program/MakerInfo.h"
#include "shell/GuideTexts.h"
#include "storage/CategoryDescriptor.h"

#include <QCloseEvent>
#include <QLabel>
#include <QMovie>

using namespace Qt::Literals::StringLiterals;

TfrmAvvio::TfrmAvvio(ScreenHost& host)
    : WorkingWindow(u"TfrmAvvio"_s, u"Codazzurra - Archivio fotografico degli animali domestici"_s, 4)
    , m_host(host)
{
    QWidget* container = Container();

    Kit::PictureLabel(u"imgLogo"_s, Kit::Picture(u"logo"_s), container,
                      QRect((ContainerSize.width() - 420) / 2, 6, 420, 90));

    auto* slogan = Kit::Label(u"lblSlogan"_s,
                              u"Archivio fotografico per registrare tutte le informazioni riguardanti gli "
                              "animali con cui si convive."_s,
                              container, QRect(17, 104, 961, 30), Kit::Verdana(14, true), Qt::white);
    slogan->setAlignment(Qt::AlignCenter);
    Kit::FillBackground(slogan, QColor(58, 142, 86));

    static constexpr int Columns[5] = {17, 211, 405, 599, 793};
    for (int i = 0; i < int(Categories::All.size()); ++i) {
        const CategoryDescriptor& c = Categories::All[std::size_t(i)];
        const int x = Columns[i % 5];
        const int y = i < 5 ? 150 : 380;
        const QString key = QString(c.key);
        auto* tile = new CommandPicture(u"img"_s + key, Kit::Picture(u"tile_"_s + c.tableName), container);
        tile->setGeometry(x, y, 185, 157);
        tile->setAccessibleName(QString(c.title));
        auto* caption =
            new CommandPicture(u"btn"_s + key, Kit::Picture(u"caption_"_s + c.tableName), container);
        caption->setGeometry(x + (185 - 180) / 2, y + 162, 180, 36);
        caption->setAccessibleName(QString(c.title));
        connect(tile, &CommandPicture::clicked, this, [this, i] { OpenCategory(i); });
        connect(caption, &CommandPicture::clicked, this, [this, i] { OpenCategory(i); });
    }

    // The start menu has no status bar: its hints are tool tips.
    auto corner = [container](const QString& name, const QString& picture, const QString& hint, QPoint at) {
        auto* cmd = new CommandPicture(name, Kit::Picture(picture), container);
        cmd->setGeometry(QRect(at, QSize(48, 48)));
        cmd->SetHint(hint, nullptr);
        cmd->setToolTip(hint.trimmed());
        cmd->setAccessibleName(hint.trimmed());
        return cmd;
    };
    const int right = ContainerSize.width() - 60, bottom = ContainerSize.height() - 60;
    auto* info = corner(u"imgInfo"_s, u"icon_info"_s, u" Informazioni su... "_s, {12, 12});
    auto* guide = corner(u"imgGuida"_s, u"icon_guide"_s, u" Guida "_s, {right, 12});
    auto* credits = corner(u"imgCrediti"_s, u"icon_credits"_s, u" Riconoscimenti "_s, {12, bottom});
    auto* quit = corner(u"imgEsci"_s, u"icon_exit"_s, u" Esci "_s, {right, bottom});
    auto* backup = corner(u"imgCopiaSicurezza"_s, u"icon_backup"_s, u" Copia di sicurezza "_s, BandSlot(1));
    // Above the band, right of the strip: shown while a backup runs.
    m_backupRunning =
        Kit::Label(u"lblCopiaInCorso"_s, u"Copia di sicurezza in corso\u2026"_s, container,
                   QRect(730, 606, right + 48 - 730, 18), Kit::Verdana(11), QColor(27, 95, 168));
    m_backupRunning->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    m_backupRunning->hide();
    auto* schedule = corner(u"imgScadenze"_s, u"icon_scadenze"_s, u" Scadenze "_s, BandSlot(2));
    auto* importCards = corner(u"imgImporta"_s, u"icon_import"_s, u" Importa schede "_s, BandSlot(3));
    connect(importCards, &CommandPicture::clicked, this, [this] { m_host.Show(ScreenHost::Screen::Import); });
    auto* server = corner(u"imgServer"_s, u"icon_server"_s, u" Archivi sul server "_s, BandSlot(4));
    connect(server, &CommandPicture::clicked, this, [this] { m_host.Show(ScreenHost::Screen::Server); });

    m_strip = new QLabel(container);
    m_strip->setObjectName(u"imgAnimata"_s);
    m_strip->setGeometry((ContainerSize.width() - 451) / 2, 604, 451, 10);

    auto* web = new LinkLabel(u"lblWeb"_s, MakerInfo::CreditLine(), QColor(20, 60, 120), QColor(200, 0, 0),
                              container);
    web->setFont(Kit::Verdana(12));
    const QSize ws = web->sizeHint();
    web->setGeometry((ContainerSize.width() - ws.width()) / 2, 628, ws.width(), ws.height());
    web->setToolTip(u"Visita il sito Internet dell'autore"_s);

    connect(info, &CommandPicture::clicked, this, [this] { m_host.Show(ScreenHost::Screen::Info); });
    connect(guide, &CommandPicture::clicked, this,
            [this] { m_host.ShowGuideTopic(GuideTexts::StartMenu()); });
    connect(credits, &CommandPicture::clicked, this, [this] { m_host.Show(ScreenHost::Screen::Splash); });
    connect(quit, &CommandPicture::clicked, this, [] { desktop().Quit(); });
    connect(backup, &CommandPicture::clicked, this, [this] { m_host.Show(ScreenHost::Screen::Backups); });
    connect(schedule, &CommandPicture::clicked, this, [this] { m_host.Show(ScreenHost::Screen::Schedule); });
    connect(web, &LinkLabel::clicked, this, [this] { m_host.OpenMakerWebSite(); });
}

QPoint TfrmAvvio::BandSlot(int slot)
{
    return {ContainerSize.width() - 60 - 56 * slot, ContainerSize.height() - 60};
}

QPoint TfrmAvvio::ContainerPosition(QSize outerSize)
{
    return WorkingWindow::ContainerPosition(outerSize, 4);
}

void TfrmAvvio::OpenCategory(int index)
{
    m_host.ShowArchiveScreen(Categories::All.at(std::size_t(index)), ScreenHost::ArchiveScreen::RecordCard);
    hide();
}

void TfrmAvvio::SetBackupRunning(bool running)
{
    m_backupRunning->setVisible(running);
}

void TfrmAvvio::showEvent(QShowEvent* event)
{
    WorkingWindow::showEvent(event);
    m_backupRunning->setVisible(m_host.BackupRunning());
    // The strip animation is loaded afresh each time and plays while the menu is shown.
    delete m_movie;
    m_movie = new QMovie(u":/art/RESNAME.gif"_s, QByteArray(), this);
    m_strip->setMovie(m_movie);
    m_movie->start();
}

void TfrmAvvio::hideEvent(QHideEvent* event)
{
    if (m_movie)
        m_movie->stop();
    QWidget::hideEvent(event);
}

void TfrmAvvio::closeEvent(QCloseEvent* event)
{
    event->accept();
    desktop().Quit();
}
