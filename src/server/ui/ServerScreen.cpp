// SPDX-License-Identifier: GPL-3.0-or-later
#include "ServerScreen.h"

#include "kit/Colours.h"
#include "kit/Controls.h"
#include "kit/Desktop.h"
#include "kit/Guard.h"
#include "kit/ScreenHost.h"
#include "kit/WindowPlacement.h"
#include "program/Settings.h"
#include "server/ServerSetting.h"

#include <QCoreApplication>
#include <QDir>
#include <QLabel>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>

using namespace Qt::Literals::StringLiterals;

namespace {

const QString Title = u"Archivi sul server"_s;

} // namespace

ServerScreen::ServerScreen(ScreenHost& host, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::WindowCloseButtonHint | Qt::WindowTitleHint)
    , m_host(host)
{
    Kit::SetUpWindow(this, u"TfrmServer"_s, Title, Kit::Silver);
    setFixedSize(620, 430);
    const QFont font = Kit::Verdana(12);
    Kit::Label(u"lblTitolo"_s, Title, this, QRect(12, 8, 500, 24), Kit::Verdana(15, true), Kit::Navy);
    m_where = Kit::Label(u"lblDove"_s, QString(), this, QRect(12, 38, 596, 52), font);
    m_where->setWordWrap(true);
    m_where->setAlignment(Qt::AlignLeft | Qt::AlignTop);

    m_toServer = Kit::Button(u"cmdCopiaSulServer"_s, u"Copia sul server"_s, this, QRect(12, 96, 190, 30));
    m_toServer->setToolTip(u"Copia gli archivi di questa cartella sul server degli archivi"_s);
    m_fromServer = Kit::Button(u"cmdCopiaDalServer"_s, u"Copia dal server in una cartella"_s, this,
                               QRect(212, 96, 260, 30));
    m_fromServer->setToolTip(u"Scrive gli archivi del server come file in una cartella vuota o nuova"_s);

    m_results = new QListWidget(this);
    m_results->setObjectName(u"lstRisultati"_s);
    m_results->setGeometry(12, 136, 596, 200);
    m_results->setAccessibleName(u"Risultato per archivio"_s);
    m_status = Kit::Label(u"lblStato"_s, QString(), this, QRect(12, 342, 596, 36), font);
    m_status->setWordWrap(true);

    m_progress = new QProgressBar(this);
    m_progress->setObjectName(u"prgAvanzamento"_s);
    m_progress->setGeometry(12, 388, 420, 24);
    m_progress->setRange(0, 100);
    m_progress->setValue(0);
    m_progress->setAccessibleName(u"Avanzamento"_s);
    m_cancel = Kit::Button(u"cmdAnnulla"_s, u"Annulla"_s, this, QRect(440, 384, 80, 30));
    m_cancel->setToolTip(u"Ferma la copia: l'archivio in corso di copia resta com'era"_s);
    m_close = Kit::Button(u"cmdChiudi"_s, u"Chiudi"_s, this, QRect(528, 384, 80, 30));

    connect(m_toServer, &QPushButton::clicked, this, Kit::GuardedSlot(this, [this] { CopyToServer(); }));
    connect(m_fromServer, &QPushButton::clicked, this, Kit::GuardedSlot(this, [this] { CopyFromServer(); }));
    connect(m_cancel, &QPushButton::clicked, this, [this] { Cancel(); });
    connect(m_close, &QPushButton::clicked, this, &ServerScreen::reject);
    connect(&m_worker, &BackupWorker::Progress, this, [this](qint64 done, qint64 total) {
        m_progress->setValue(total > 0 ? int(done * 100 / total) : 0);
    });
    connect(&m_worker, &BackupWorker::Finished, this, [this] {
        setBusy(false);
        m_progress->setValue(m_outcome.status == ArchiveMove::Status::Copied ? 100 : 0);
        m_results->clear();
        m_results->addItems(m_outcome.lines);
        if (auto done = std::exchange(m_done, {}))
            done(m_outcome);
    });
    setBusy(false);
    showWhere();
    Kit::CentreOnDesktop(this);
}

QString ServerScreen::server() const
{
    return ServerSetting::Of(m_host.ProgramFolder());
}

void ServerScreen::showWhere()
{
    const QString ini = QDir::toNativeSeparators(
        QDir(m_host.ProgramFolder()).filePath(QString::fromLatin1(Settings::FileName)));
    m_where->setText(
        server().isEmpty()
            ? u"Gli archivi sono i file della cartella del programma. Nessun server degli archivi "
              u"\u00e8 configurato (%1, sezione [Archivi], voce Server)."_s.arg(ini)
            : u"Il server degli archivi \u00e8 configurato in %1: ogni postazione con la stessa "
              u"impostazione lavora sugli stessi archivi."_s.arg(ini));
}

void ServerScreen::setBusy(bool busy)
{
    m_toServer->setEnabled(!busy);
    m_fromServer->setEnabled(!busy);
    m_close->setEnabled(!busy);
    m_cancel->setEnabled(busy);
}

void ServerScreen::run(const std::function<ArchiveMove::Outcome(const ArchiveMove::Progress&)>& move,
                       std::function<void(const ArchiveMove::Outcome&)> done)
{
    if (m_worker.IsRunning())
        return;
    m_done = std::move(done);
    m_outcome = {};
    m_results->clear();
    m_status->setText(u"Copia in corso\u2026"_s);
    setBusy(true);
    m_worker.Start([this, move](const Generation::Progress& progress) {
        try {
            m_outcome = move(progress);
        } catch (const std::exception& e) {
            m_outcome.status = ArchiveMove::Status::Failed;
            m_outcome.reason = QString::fromUtf8(e.what());
        }
    });
}

void ServerScreen::CopyToServer()
{
    if (server().isEmpty()) {
        desktop().Warning(
            this, Title,
            u"Nessun server degli archivi \u00e8 configurato: indicarlo in Codazzurra.ini, sezione "
            u"[Archivi], voce Server, poi riprovare."_s);
        return;
    }
    const QString folder = m_host.ProgramFolder();
    auto finish = [this](const ArchiveMove::Outcome& outcome) {
        switch (outcome.status) {
        case ArchiveMove::Status::Copied:
            m_status->setText(u"Archivi copiati sul server e verificati."_s);
            desktop().Information(this, Title, u"Gli archivi sono stati copiati sul server e verificati."_s);
            break;
        case ArchiveMove::Status::Cancelled:
            m_status->setText(u"Copia annullata: gli archivi gi\u00e0 copiati restano sul server, gli altri "
                              u"sul server sono invariati."_s);
            break;
        default:
            m_status->setText(outcome.reason);
            desktop().Warning(this, Title,
                              u"La copia sul server non \u00e8 riuscita.\n\n%1"_s.arg(
                                  outcome.reason.isEmpty() ? outcome.lines.join(u'\n') : outcome.reason));
        }
    };
    run([folder](
            const ArchiveMove::Progress& progress) { return ArchiveMove::ToServer(folder, false, progress); },
        [this, folder, finish](const ArchiveMove::Outcome& outcome) {
            if (!outcome.serverHasCards) {
                finish(outcome);
                return;
            }
            m_status->setText(u"Il server contiene gi\u00e0 delle schede: nulla \u00e8 stato copiato."_s);
            if (!desktop().Ask(
                    this, Desktop::Icon::Warning, Title,
                    u"Il server contiene gi\u00e0 delle schede:\n\n%1\n\nSostituirle con quelle dei "
                    u"file di questa cartella? Le schede ora sul server andranno perse."_s.arg(
                        outcome.lines.join(u'\n'))))
                return;
            run(
                [folder](const ArchiveMove::Progress& progress) {
                    return ArchiveMove::ToServer(folder, true, progress);
                },
                finish);
        });
}

void ServerScreen::CopyFromServer()
{
    if (server().isEmpty()) {
        desktop().Warning(
            this, Title,
            u"Nessun server degli archivi \u00e8 configurato: indicarlo in Codazzurra.ini, sezione "
            u"[Archivi], voce Server, poi riprovare."_s);
        return;
    }
    const QString target =
        desktop().ChooseFolder(this, u"Cartella in cui scrivere gli archivi del server (vuota o nuova)"_s);
    if (target.isEmpty())
        return;
    const QString folder = m_host.ProgramFolder();
    run(
        [folder, target](const ArchiveMove::Progress& progress) {
            return ArchiveMove::FromServer(folder, target, progress);
        },
        [this, target](const ArchiveMove::Outcome& outcome) {
            switch (outcome.status) {
            case ArchiveMove::Status::Copied:
                m_status->setText(
                    u"Archivi scritti e verificati in %1."_s.arg(QDir::toNativeSeparators(target)));
                desktop().Information(this, Title,
                                      u"Gli archivi del server sono stati scritti e verificati in %1."_s.arg(
                                          QDir::toNativeSeparators(target)));
                break;
            case ArchiveMove::Status::Cancelled:
                m_status->setText(u"Copia annullata: la cartella %1 non \u00e8 completa."_s.arg(
                    QDir::toNativeSeparators(target)));
                break;
            default:
                m_status->setText(outcome.reason);
                desktop().Warning(this, Title,
                                  u"La copia dal server non \u00e8 riuscita.\n\n%1"_s.arg(
                                      outcome.reason.isEmpty() ? outcome.lines.join(u'\n') : outcome.reason));
            }
        });
}

void ServerScreen::Cancel()
{
    m_worker.Cancel();
}

void ServerScreen::Wait()
{
    m_worker.Wait();
    // The worker's end, queued to this thread, is shown now.
    QCoreApplication::sendPostedEvents(&m_worker, QEvent::MetaCall);
}

QStringList ServerScreen::ResultLines() const
{
    QStringList lines;
    for (int i = 0; i < m_results->count(); ++i)
        lines << m_results->item(i)->text();
    return lines;
}

void ServerScreen::reject()
{
    // A move under way is stopped with "Annulla" first: the screen shows how it ended.
    if (m_worker.IsRunning())
        return;
    QDialog::reject();
}
