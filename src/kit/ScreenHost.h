// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <memory>

class ArchiveStore;
class CardTarget;
class QWidget;
struct CategoryDescriptor;
struct GuideTopic;

namespace Automation {
class Registry;
}

// What a screen may ask of the program: the program folder's files, the guide, the maker's web site, the
// office applications, and the other screens. The wiring that creates and owns every screen implements it and
// hands it to each screen, so that no screen knows the others' classes.
class ScreenHost
{
public:
    // The screens shown by name. The last four are the start menu's bottom band: backups, the health
    // schedule, the import and the archives' server.
    enum class Screen {
        Password,
        StartMenu,
        ChangePassword,
        Info,
        Splash,
        Backups,
        Schedule,
        Import,
        Server
    };
    // The screens of one archive. Schedule is the schedule and booklet of the card its record card shows.
    enum class ArchiveScreen { RecordCard, Find, AdvancedSearch, PhotoViewer, Slideshow, Export, Schedule };

    virtual ~ScreenHost() = default;

    // The folder the program writes: archives, password file, settings, backups (beside the executable in
    // a portable folder, the user's data folder when installed).
    virtual QString ProgramFolder() const = 0;
    virtual QString ProgramFile(const QString& fileName) const = 0;
    virtual QString PasswordFilePath() const = 0;
    // A read-only file the program comes with (the PDF guide).
    virtual QString SharedFile(const QString& fileName) const = 0;
    // Where the exports leave their documents and workbooks.
    virtual QString ExportsFolder() const = 0;

    // The store of a category's archive, wherever the archives are (the default: the files of the
    // program folder). Each screen keeps its own; on the server, they share the archive's connection, so
    // a store is used on the program's main thread only.
    virtual std::unique_ptr<ArchiveStore> OpenStore(const CategoryDescriptor& category);
    // A store with a connection of its own, which another thread may use, that reads cards only and
    // creates nothing (a missing archive reads as empty), and gives up at once when the archive is busy.
    virtual std::unique_ptr<ArchiveStore> OpenDetachedStore(const CategoryDescriptor& category);
    // Where the archives are, for the information screen: "nella cartella «…»" or "sul server
    // host:porta/database".
    virtual QString ArchivesLocation() const;

    // Fills the guide screen with a topic and shows it modally.
    virtual void ShowGuideTopic(const GuideTopic& topic) = 0;
    // Asks the desktop to open the maker's web site; a failure is not reported.
    virtual void OpenMakerWebSite() = 0;
    // The automation servers of the office applications ("Word.Application", "Excel.Application") that
    // the exports drive; one registry for the whole program.
    virtual const Automation::Registry& OfficeServers() const = 0;

    // Shows a screen: the password screen, start menu and change-password screen side by side with the
    // others (the password screen emptied and focused), information and credits modally.
    virtual void Show(Screen screen) = 0;
    // The password was accepted: shows the start menu, then starts what runs after each unlock.
    virtual void Unlocked() { Show(Screen::StartMenu); }
    // Shows a screen of an archive: the record card maximised beside the others, the other five modally,
    // returning when they close. token is the category token the advanced search is given.
    virtual void ShowArchiveScreen(const CategoryDescriptor& category, ArchiveScreen screen,
                                   const QString& token = {}) = 0;
    // The record card of the category named by a token (its table name); nullptr when none.
    virtual CardTarget* CardByToken(const QString& tableName) = 0;

    // The archive file could not be opened or read because it is damaged (SQLite found it corrupt, or not a
    // database): tells the user, naming it, and offers to restore it from its newest generation that
    // verifies. detail says what is wrong, in the user's words, then SQLite's own report. The default only
    // tells.
    virtual void ArchiveDamaged(QWidget* parent, const QString& archiveFile, const QString& detail);
    // Whether a backup is running now (the start menu shows it).
    virtual bool BackupRunning() const { return false; }
};
