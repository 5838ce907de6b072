// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <functional>

// Where the program keeps its files, decided once at start-up.
//
// Portable: everything lies beside the executable. So it is when a file named "portable" lies there, or when
// the executable's folder holds an archive or the password file (a build's program folder, a bundle
// unpacked on a stick).
// Installed: otherwise. Each user then has a data folder of their own, $XDG_DATA_HOME/Codazzurra (by default
// ~/.local/share/Codazzurra), holding the archives, the password file, the settings, the backups and the
// card's picture; the exports go where users look for their documents, Codazzurra/Esportazioni inside
// the documents folder; the read-only files the program comes with (the PDF guide) lie in the installed
// share folder.
// Whatever the mode, the files keep their names and formats, so moving from a portable folder to an
// installed one is a copy of the files into the data folder.
class ProgramFolder
{
public:
    enum class Mode { Portable, Installed };

    // What the choice depends on: read from the running process by FromProcess(), given by hand in tests.
    struct Environment
    {
        QString executableFolder;
        QString home;          // the user's home folder
        QString xdgDataHome;   // $XDG_DATA_HOME, empty when unset
        QString shareFallback; // the share folder when none lies beside the executable
        // The user's documents folder; asked only when the program is installed.
        std::function<QString()> documents;
    };

    // The name of the file that makes a folder portable whatever it holds.
    static constexpr const char* PortableMarker = "portable";

    // Everything in one folder, as a portable folder keeps it (tests and tools).
    explicit ProgramFolder(const QString& folder);
    // The folders the rule gives for environment.
    static ProgramFolder Locate(const Environment& environment);
    // This process's environment: the executable's folder (QCoreApplication must exist), $HOME,
    // $XDG_DATA_HOME, and the documents folder as `xdg-user-dir DOCUMENTS` names it (Qt's answer from the
    // same settings when that tool is missing or fails).
    static Environment FromProcess();

    Mode GetMode() const noexcept { return m_mode; }
    // The folder the program writes: archives, password file, Codazzurra.ini, Backup/, Scheda.bmp.
    const QString& Data() const noexcept { return m_data; }
    QString DataFile(const QString& fileName) const;
    // The folder of the documents and workbooks the exports make; it may not exist yet.
    const QString& Exports() const noexcept { return m_exports; }
    // A read-only file the program comes with (the PDF guide).
    QString SharedFile(const QString& fileName) const;
    // The data folder of an installed program for this user, whatever the mode: where a portable folder's
    // files are copied to move to the installed program.
    const QString& InstalledData() const noexcept { return m_installedData; }

    // Makes the data folder ready to be written, with the password file holding the first password when it
    // has none. An installed program's first start creates the folder whole or not at all (another copy
    // starting at the same time finds either no folder or a complete one). Raises std::runtime_error, with
    // an Italian text naming the folder and saying what to do, when the folder cannot be created or written:
    // a full disk, a read-only home, a portable folder on a read-only medium (which never falls back to the
    // home folder).
    void Prepare() const;

    // Italian lines for the help: the folders in use and how to move from a portable folder.
    QString Description() const;

private:
    ProgramFolder() = default;

    Mode m_mode = Mode::Portable;
    QString m_data;
    QString m_exports;
    QString m_shared;
    QString m_installedData;
    QString m_home;
};
