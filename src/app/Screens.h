// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "OfficeAutomation.h"
#include "kit/ScreenHost.h"
#include "server/ArchiveStores.h"
#include "shell/ProgramFolder.h"
#include "storage/CategoryDescriptor.h"

#include <QSet>
#include <QString>
#include <memory>
#include <vector>

class QWidget;
class AdvancedSearch;
class BackupWorker;
class FindDialog;
class ExportScreen;
class PhotoViewer;
class RecordCard;
class ReminderWindow;
class Slideshow;
class TfrmAvvio;
class TfrmBackup;
class TfrmCambiaPassword;
class TfrmHelpForm;
class TfrmInfo;
class TfrmPassword;
class TfrmSplash;
class TfrmZoom;

// Every screen of the program, created once at start-up in a fixed order and destroyed (in reverse) when
// the program ends. It answers what the screens ask of each other.
class Screens final : public ScreenHost
{
public:
    // folders: where the archives, the password file, the exports and the PDF guide are.
    explicit Screens(const ::ProgramFolder& folders);
    // Everything in programFolder, as a portable program folder keeps it.
    explicit Screens(const QString& programFolder);
    ~Screens() override;
    Screens(const Screens&) = delete;
    Screens& operator=(const Screens&) = delete;

    // ScreenHost
    QString ProgramFolder() const override { return m_folders.Data(); }
    QString ProgramFile(const QString& fileName) const override;
    QString PasswordFilePath() const override;
    QString SharedFile(const QString& fileName) const override { return m_folders.SharedFile(fileName); }
    QString ExportsFolder() const override { return m_folders.Exports(); }
    std::unique_ptr<ArchiveStore> OpenStore(const CategoryDescriptor& category) override;
    std::unique_ptr<ArchiveStore> OpenDetachedStore(const CategoryDescriptor& category) override;
    QString ArchivesLocation() const override;
    void ShowGuideTopic(const GuideTopic& topic) override;
    void OpenMakerWebSite() override;
    const Automation::Registry& OfficeServers() const override { return m_office.Registry(); }
    void Show(Screen screen) override;
    void Unlocked() override;
    void ShowArchiveScreen(const CategoryDescriptor& category, ArchiveScreen screen,
                           const QString& token = {}) override;
    CardTarget* CardByToken(const QString& tableName) override;
    void ArchiveDamaged(QWidget* parent, const QString& archiveFile, const QString& detail) override;
    bool BackupRunning() const override;

    // When the archives are on a server: reaches it before the first screen shows, and while it cannot,
    // says so (naming the server, never the rest of the settings) and offers "Riprova" and "Esci". False
    // when the user chose to leave. Always true for the file archives.
    bool ReachArchives();
    ArchiveStores& Stores() noexcept { return m_stores; }

    TfrmPassword* Password() const noexcept { return m_password; }
    TfrmAvvio* StartMenu() const noexcept { return m_startMenu; }
    TfrmCambiaPassword* ChangePassword() const noexcept { return m_changePassword; }
    TfrmHelpForm* HelpForm() const noexcept { return m_helpForm; }
    TfrmInfo* Info() const noexcept { return m_info; }
    TfrmSplash* Splash() const noexcept { return m_splash; }
    TfrmZoom* Zoom() const noexcept { return m_zoom; }
    TfrmBackup* Backups() const noexcept { return m_backups; }
    // The thread backups run on: the automatic one after the password, and the backup screen's work.
    BackupWorker& BackupJobs() const noexcept { return *m_backupWorker; }
    ReminderWindow* Reminders() const noexcept { return m_reminders; }
    RecordCard* Card(const CategoryDescriptor& category) const;
    // The registry of the office servers, where tests put a server of their own in place of one.
    Automation::Registry& OfficeRegistry() noexcept { return m_office.Registry(); }

    // Every top-level screen, in creation order.
    std::vector<QWidget*> All() const;

private:
    // The screens of one archive.
    struct Archive
    {
        RecordCard* card = nullptr;
        FindDialog* find = nullptr;
        AdvancedSearch* search = nullptr;
        PhotoViewer* viewer = nullptr;
        Slideshow* slideshow = nullptr;
        ExportScreen* exportScreen = nullptr;
    };
    template <typename T, typename... Args> T* create(Args&&... args);
    void createArchiveScreen(Archive& archive, ArchiveScreen screen, const CategoryDescriptor& category);
    const Archive* archive(const CategoryDescriptor& category) const;

    // The automatic backup after the password, on the backup worker, when one is due.
    void startAutomaticBackup();

    ::ProgramFolder m_folders;
    ArchiveStores m_stores;                       // before the screens, which keep stores of it
    OfficeAutomation m_office;                    // before the screens, which use it until they are destroyed
    std::unique_ptr<BackupWorker> m_backupWorker; // before the screens; ends its work before they go
    QSet<QString> m_damageTold; // the archives whose damage the user was told of (file names)
    std::vector<std::unique_ptr<QWidget>> m_screens;
    TfrmPassword* m_password = nullptr;
    TfrmAvvio* m_startMenu = nullptr;
    TfrmCambiaPassword* m_changePassword = nullptr;
    TfrmHelpForm* m_helpForm = nullptr;
    TfrmInfo* m_info = nullptr;
    TfrmSplash* m_splash = nullptr;
    TfrmZoom* m_zoom = nullptr;
    TfrmBackup* m_backups = nullptr;
    ReminderWindow* m_reminders = nullptr;
    std::vector<Archive> m_archives; // in Categories::All order
};
