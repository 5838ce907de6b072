// SPDX-License-Identifier: GPL-3.0-or-later
#include "Screens.h"

#include "automation/ExportFolder.h"
#include "backup/Backup.h"
#include "backup/BackupWorker.h"
#include "backup/Restore.h"
#include "backup/ui/TfrmBackup.h"
#include "card/WordExport.h"
#include "card/ui/AttachmentDialog.h"
#include "card/ui/RecordCard.h"
#include "export/ui/ExportScreen.h"
#include "import/ui/ImportScreen.h"
#include "kit/BusyCursor.h"
#include "kit/Desktop.h"
#include "kit/Guard.h"
#include "kit/TfrmZoom.h"
#include "kit/WindowPlacement.h"
#include "program/MakerInfo.h"
#include "program/Settings.h"
#include "schedule/CalendarExport.h"
#include "schedule/ui/ReminderWindow.h"
#include "schedule/ui/ScheduleScreen.h"
#include "search/ui/AdvancedSearch.h"
#include "search/ui/FindDialog.h"
#include "server/ServerScheduleSql.h"
#include "server/ServerSetting.h"
#include "server/ui/ServerScreen.h"
#include "shell/GuideTexts.h"
#include "shell/PasswordFile.h"
#include "shell/ui/TfrmAvvio.h"
#include "shell/ui/TfrmCambiaPassword.h"
#include "shell/ui/TfrmHelpForm.h"
#include "shell/ui/TfrmInfo.h"
#include "shell/ui/TfrmPassword.h"
#include "shell/ui/TfrmSplash.h"
#include "storage/AtomicFile.h"
#include "storage/FileScheduleSql.h"
#include "viewer/ui/PhotoViewer.h"
#include "viewer/ui/Slideshow.h"

#include <QDir>
#include <QFileInfo>
#include <array>

using namespace Qt::Literals::StringLiterals;

namespace {

// Where the schedules are: the archives' server when the settings name one, the archive files otherwise;
// asked at each use, on the thread that uses it.
ScheduleSource scheduleSource(const QString& folder)
{
    return [folder] {
        const QString server = ServerSetting::Of(folder);
        return (server.isEmpty() ? FileScheduleSql::Source(folder) : ServerScheduleSql::Source(server))();
    };
}

// What writes killed midway left in the program folder: temporary copies of the password file and of the
// card's picture, and unfinished documents and workbooks in the export folder. An hour after their last
// change no write of any copy of the program is still making them.
void removeLeftovers(const ProgramFolder& folders, const QDateTime& now)
{
    const QDateTime before = now.addSecs(-3600);
    for (const QString& name : {QString::fromLatin1(PasswordFile::FileName), QString(WordPictureFileName)})
        AtomicFile::RemoveLeftovers(folders.Data(), AtomicFile::TemporaryNames(name), before);
    AtomicFile::RemoveLeftovers(folders.Exports(), ExportFolder::TemporaryNames(), before);
    AtomicFile::RemoveLeftovers(folders.Exports(),
                                AtomicFile::TemporaryNames(QString(CalendarExport::FileName)), before);
}

} // namespace

template <typename T, typename... Args> T* Screens::create(Args&&... args)
{
    auto screen = std::make_unique<T>(std::forward<Args>(args)...);
    T* raw = screen.get();
    m_screens.push_back(std::move(screen));
    return raw;
}

Screens::Screens(const QString& programFolder)
    : Screens(::ProgramFolder(programFolder))
{}

Screens::Screens(const ::ProgramFolder& folders)
    : m_folders(folders)
    , m_stores(folders.Data())
    , m_office(folders.Exports())
    , m_backupWorker(std::make_unique<BackupWorker>())
{
    removeLeftovers(m_folders, desktop().Now());
    Kit::SetDamageHost(this);
    m_password = create<TfrmPassword>(*this);
    m_startMenu = create<TfrmAvvio>(*this);
    m_changePassword = create<TfrmCambiaPassword>(*this);
    m_helpForm = create<TfrmHelpForm>(*this);
    m_info = create<TfrmInfo>(*this);
    m_splash = create<TfrmSplash>(*this);
    m_zoom = create<TfrmZoom>(nullptr);
    // Archive by archive, the record card first. The first archive's card is followed by the two
    // attachment dialogs (they exist from the start; the card makes a fresh one for each use), and its other
    // screens come in an order of their own.
    using S = ArchiveScreen;
    const std::vector<S> firstOrder = {S::Find, S::Export, S::AdvancedSearch, S::PhotoViewer, S::Slideshow};
    const std::vector<S> otherOrder = {S::PhotoViewer, S::Export, S::AdvancedSearch, S::Slideshow, S::Find};
    m_archives.resize(Categories::All.size());
    for (std::size_t i = 0; i < Categories::All.size(); ++i) {
        const CategoryDescriptor& category = Categories::All[i];
        Archive& archive = m_archives[i];
        createArchiveScreen(archive, S::RecordCard, category);
        if (i == 0) {
            create<TfrmAllegaCartella>(*this, nullptr);
            create<TfrmAllegaFile>(*this, nullptr);
        }
        for (S screen : i == 0 ? firstOrder : otherOrder)
            createArchiveScreen(archive, screen, category);
    }
    // The reminder window, after the screens of the archives.
    m_reminders = create<ReminderWindow>(*this, scheduleSource(m_folders.Data()));
    QObject::connect(m_reminders, &ReminderWindow::CardOpened, m_startMenu, &QWidget::hide);
    m_backups = create<TfrmBackup>(*this, *m_backupWorker);
}

void Screens::createArchiveScreen(Archive& archive, ArchiveScreen screen, const CategoryDescriptor& category)
{
    switch (screen) {
    case ArchiveScreen::RecordCard:
        archive.card = create<RecordCard>(*this, category);
        break;
    case ArchiveScreen::Find:
        archive.find = create<FindDialog>(*this, category);
        break;
    case ArchiveScreen::AdvancedSearch:
        archive.search = create<AdvancedSearch>(*this, category);
        break;
    case ArchiveScreen::PhotoViewer:
        archive.viewer = create<PhotoViewer>(*this, category);
        break;
    case ArchiveScreen::Slideshow:
        archive.slideshow = create<Slideshow>(*this, category);
        break;
    case ArchiveScreen::Export:
        archive.exportScreen = create<ExportScreen>(*this, category);
        break;
    case ArchiveScreen::Schedule:
        break; // made afresh for each card
    }
}

Screens::~Screens()
{
    Kit::SetDamageHost(nullptr);
    // A backup still running is cancelled: its temporary files go, no generation is half made.
    m_backupWorker->Cancel();
    m_backupWorker->Wait();
    while (!m_screens.empty())
        m_screens.pop_back();
}

QString Screens::ProgramFile(const QString& fileName) const
{
    return m_folders.DataFile(fileName);
}

QString Screens::PasswordFilePath() const
{
    return ProgramFile(QString::fromLatin1(PasswordFile::FileName));
}

std::unique_ptr<ArchiveStore> Screens::OpenStore(const CategoryDescriptor& category)
{
    return m_stores.Open(category);
}

std::unique_ptr<ArchiveStore> Screens::OpenDetachedStore(const CategoryDescriptor& category)
{
    return m_stores.OpenDetached(category);
}

QString Screens::ArchivesLocation() const
{
    if (m_stores.OnServer())
        return u"sul server "_s + m_stores.Server();
    return ScreenHost::ArchivesLocation();
}

bool Screens::ReachArchives()
{
    for (;;) {
        try {
            BusyCursor busy;
            m_stores.Reach();
            return true;
        } catch (const ESQLiteException& e) {
            const QString text =
                u"Gli archivi sono sul server %1 (Codazzurra.ini, sezione [Archivi]), che non \u00e8 "
                u"raggiungibile.\n\n%2\n\nControllare che il server sia acceso e raggiungibile dalla rete, "
                u"poi scegliere \u00abRiprova\u00bb."_s.arg(m_stores.Server(), e.message());
            if (desktop().Choose(nullptr, Desktop::Icon::Stop, MakerInfo::ApplicationTitle(), text,
                                 {u"Riprova"_s, u"Esci"_s}) != 0)
                return false;
        }
    }
}

const Screens::Archive* Screens::archive(const CategoryDescriptor& category) const
{
    for (std::size_t i = 0; i < Categories::All.size(); ++i) {
        if (&Categories::All[i] == &category && i < m_archives.size())
            return &m_archives[i];
    }
    return nullptr;
}

RecordCard* Screens::Card(const CategoryDescriptor& category) const
{
    const Archive* a = archive(category);
    return a ? a->card : nullptr;
}

CardTarget* Screens::CardByToken(const QString& tableName)
{
    const CategoryDescriptor* category = Categories::ByTableName(tableName);
    return category ? Card(*category) : nullptr;
}

std::vector<QWidget*> Screens::All() const
{
    std::vector<QWidget*> all;
    for (const auto& s : m_screens)
        all.push_back(s.get());
    return all;
}

void Screens::ShowGuideTopic(const GuideTopic& topic)
{
    m_helpForm->SetTopic(topic);
    m_helpForm->exec();
}

void Screens::OpenMakerWebSite()
{
    BusyCursor busy;
    desktop().Open(QUrl(MakerInfo::WebAddress()));
}

void Screens::Show(Screen screen)
{
    switch (screen) {
    case Screen::Password:
        m_password->Reopen();
        break;
    case Screen::StartMenu:
        Kit::ShowMaximised(m_startMenu);
        break;
    case Screen::ChangePassword:
        m_changePassword->show();
        break;
    case Screen::Info:
        m_info->exec();
        break;
    case Screen::Splash:
        m_splash->exec();
        break;
    case Screen::Import: {
        // Made afresh for each use: it holds nothing between imports.
        ImportScreen importScreen(*this);
        importScreen.exec();
        break;
    }
    case Screen::Backups:
        m_backups->exec();
        break;
    case Screen::Schedule:
        m_reminders->Refresh();
        m_reminders->show();
        m_reminders->raise();
        break;
    case Screen::Server: {
        // Made afresh for each use, as the import.
        ServerScreen serverScreen(*this);
        serverScreen.exec();
        break;
    }
    }
}

void Screens::Unlocked()
{
    Show(Screen::StartMenu);
    // What runs after each unlock, once the start menu is on screen.
    startAutomaticBackup();
    m_reminders->CheckAfterUnlock();
}

bool Screens::BackupRunning() const
{
    return m_backupWorker->IsRunning();
}

void Screens::startAutomaticBackup()
{
    // After the start menu's first paint: posted to the event loop, and the work on the backup worker.
    QMetaObject::invokeMethod(
        m_startMenu,
        [this] {
            if (const auto since = Backup::SecondSkippedSince(m_folders.Data())) {
                desktop().Warning(
                    m_startMenu, u"Copia di sicurezza"_s,
                    u"La seconda destinazione delle copie di sicurezza (%1) non \u00e8 disponibile: "
                    u"dal %2 le copie vanno soltanto nella cartella Backup."_s.arg(
                        QDir::toNativeSeparators(Backup::SecondDestination(m_folders.Data())),
                        since->toString(u"dd/MM/yyyy HH:mm"_s)));
            }
            if (m_backupWorker->IsRunning())
                return;
            auto outcome = std::make_shared<Backup::Outcome>();
            auto connections = std::make_shared<std::array<QMetaObject::Connection, 2>>();
            // The indicator shows once a backup is really being made (the first progress report).
            (*connections)[0] = QObject::connect(m_backupWorker.get(), &BackupWorker::Progress, m_startMenu,
                                                 [this] { m_startMenu->SetBackupRunning(true); });
            (*connections)[1] = QObject::connect(
                m_backupWorker.get(), &BackupWorker::Finished, m_startMenu, [this, outcome, connections] {
                    for (auto& c : *connections)
                        QObject::disconnect(c);
                    m_startMenu->SetBackupRunning(false);
                    // Damage is never silent, but told once: an archive the user was just offered to
                    // restore is not named again. An ordinary failure is tried again at the next unlock.
                    QStringList untold;
                    for (const QString& line : outcome->damaged) {
                        if (!m_damageTold.contains(line.section(u':', 0, 0)))
                            untold << line;
                    }
                    if (!untold.isEmpty())
                        desktop().Warning(
                            m_startMenu, u"Copia di sicurezza"_s,
                            u"La copia di sicurezza automatica non comprende questi archivi, che "
                            u"sono danneggiati:\n%1"_s.arg(untold.join(u'\n')));
                });
            const QString folder = m_folders.Data();
            const QDateTime now = desktop().Now();
            m_backupWorker->Start([folder, now, outcome](const Generation::Progress& progress) {
                Backup::Options options;
                options.reason = Manifest::Reason::Automatic;
                options.now = now;
                options.progress = progress;
                *outcome = Backup::MakeAutomatic(folder, options);
            });
        },
        Qt::QueuedConnection);
}

void Screens::ArchiveDamaged(QWidget* parent, const QString& archiveFile, const QString& detail)
{
    const QString name = QFileInfo(archiveFile).fileName();
    m_damageTold.insert(name);
    const QString title = u"Archivio danneggiato"_s;
    bool isArchive = false;
    for (const CategoryDescriptor& c : Categories::All)
        isArchive = isArchive || name == c.databaseFileName;
    std::optional<Generation::Listed> offer;
    if (isArchive) {
        BusyCursor busy;
        offer = Restore::NewestVerifying(m_folders.Data(), name);
    }
    if (!offer) {
        // The default error box, naming the archive, with SQLite's own report.
        desktop().Error(parent, u"L'archivio \u00ab%1\u00bb \u00e8 danneggiato e non c'\u00e8 una copia di "
                                u"sicurezza verificata che lo contenga.\n\n%2"_s.arg(name, detail));
        return;
    }
    const QString damaged =
        u"L'archivio \u00ab%1\u00bb \u00e8 danneggiato e non pu\u00f2 essere letto.\n\n%2"_s.arg(name,
                                                                                                 detail);
    const QDateTime now = desktop().Now();
    const QString question =
        damaged +
        u"\n\nLa copia di sicurezza pi\u00f9 recente che lo contiene integro \u00e8 del %1. "
        u"Ripristinarlo da quella copia? Le schede inserite o modificate dopo quella data andranno "
        u"perse; l'archivio danneggiato sar\u00e0 conservato con il nome \u00ab%2\u00bb."_s.arg(
            offer->manifest.date.toString(u"dd/MM/yyyy HH:mm:ss"_s), Restore::DamagedName(name, now));
    if (!desktop().Ask(parent, Desktop::Icon::Warning, title, question))
        return;
    Restore::Outcome outcome;
    {
        BusyCursor busy;
        outcome = Restore::ReplaceDamaged(m_folders.Data(), offer->path, name, now);
    }
    if (outcome.status == Restore::Status::Restored)
        desktop().Information(
            parent, title,
            u"L'archivio \u00ab%1\u00bb \u00e8 stato ripristinato dalla copia del %2."_s.arg(
                name, offer->manifest.date.toString(u"dd/MM/yyyy HH:mm:ss"_s)));
    else
        desktop().Warning(parent, title, u"Ripristino non eseguito: %1"_s.arg(outcome.message));
}

void Screens::ShowArchiveScreen(const CategoryDescriptor& category, ArchiveScreen screen,
                                const QString& token)
{
    const Archive* a = archive(category);
    if (!a)
        return;
    switch (screen) {
    case ArchiveScreen::RecordCard:
        Kit::ShowMaximised(a->card);
        break;
    case ArchiveScreen::Find:
        a->find->exec();
        break;
    case ArchiveScreen::AdvancedSearch:
        a->search->SetToken(token);
        a->search->exec();
        break;
    case ArchiveScreen::PhotoViewer:
        a->viewer->Run(a->card);
        break;
    case ArchiveScreen::Slideshow:
        a->slideshow->Run(a->card);
        break;
    case ArchiveScreen::Export:
        a->exportScreen->exec();
        break;
    case ArchiveScreen::Schedule:
        if (const std::optional<qint64> id = a->card->Editor().Id()) {
            ScheduleScreen schedule(*this, category, *id, a->card->Value(CardFields::Nome).trimmed(), a->card,
                                    scheduleSource(m_folders.Data()));
            schedule.exec();
        }
        break;
    }
}
