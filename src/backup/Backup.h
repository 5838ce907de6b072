// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "Generation.h"
#include "Manifest.h"

#include <QDateTime>
#include <QString>
#include <QStringList>
#include <memory>
#include <optional>

class ServerLink;

// Making generations: the archives of the program folder copied through SQLite's online backup API, each
// checked with PRAGMA integrity_check, with the password file and the settings, into a zip written under a
// temporary name, read back against its manifest and only then given its name. Nothing here throws, and
// it can run on any thread: it opens connections of its own.
namespace Backup {

// The settings of [Backup] in Codazzurra.ini.
inline constexpr const char* Section = "Backup";
inline constexpr const char* SecondKey = "SecondaDestinazione";
inline constexpr const char* KeepKey = "Generazioni";
inline constexpr const char* SkippedKey = "SecondaSaltataDal"; // since when the second one was missing
inline constexpr int DefaultKeep = 10;
// A generation older than this is followed, after the password, by an automatic one when an archive changed.
inline constexpr qint64 AutomaticAfterSecs = 24 * 3600;

// The first destination, Backup/ beside the archives.
QString FirstDestination(const QString& programFolder);
// The second one chosen on the backup screen; empty when none.
QString SecondDestination(const QString& programFolder);
// When the second destination was first found missing, since the last generation that reached it.
std::optional<QDateTime> SecondSkippedSince(const QString& programFolder);

struct Outcome
{
    bool ok = false; // a generation was made, and verified, in the first destination
    bool cancelled = false;
    bool skipped = false;       // the automatic backup was not due, or another workstation was making it
    QString error;              // why not
    QStringList paths;          // the new generation, in each destination it reached
    QStringList damaged;        // "Gatti.db: reason" for each damaged archive left out
    bool secondSkipped = false; // the second destination was missing or could not take the generation
    QString secondError;
    std::optional<QDateTime> skippedSince;
};

struct Options
{
    Manifest::Reason reason = Manifest::Reason::OnDemand;
    QDateTime now;
    Generation::Progress progress;
    int busyTimeoutMs = 3000;
    int keep = DefaultKeep; // generations kept by the rotation; 0: no rotation
    // The connection to the archives' server to read them on; empty: one of its own when the settings
    // name a server.
    std::shared_ptr<ServerLink> link;
};

// Makes one generation of programFolder's files into destinations[0]. When the settings name a server
// of the archives, the archives are those of the server, all read at one moment of it (one read-only
// transaction) and written as archive files. (created when missing) and copies
// it to the others that exist. The program's own leftover temporary files in a destination are removed
// first; older generations are removed by the rotation only after the new one verified.
Outcome Make(const QString& programFolder, const QStringList& destinations, const Options& options);

// The same into the configured destinations, noting in the settings since when the second was skipped.
Outcome MakeConfigured(const QString& programFolder, const Options& options);

// Whether the automatic backup is due at now: the newest generation in the first destination is older
// than a day (or there is none) and an archive's size or modification time differs from what its manifest
// recorded (or an archive came or went).
// On the server, where there is no file to compare, a day is enough.
bool AutomaticDue(const QString& programFolder, const QDateTime& now);

// The automatic backup after the password: a generation into the configured destinations when one is
// due. With the archives on a server, one workstation at a time makes it: the run holds a session lock
// on the server (pg_try_advisory_lock), and a workstation that does not get it skips quietly; the server
// records each automatic backup, and one made by any workstation in the last day makes it not due.
Outcome MakeAutomatic(const QString& programFolder, const Options& options);

// The newest automatic backup the server records by now, made by any workstation: "12/03/2026 10:15, sulla
// postazione ufficio (Codazzurra 2026-03-12 10.15.00.zip)". Empty when the archives are files, when the
// server records none, or when it cannot be reached within a few seconds (this is only a note).
QString LastServerAutomatic(const QString& programFolder, const QDateTime& now);

} // namespace Backup
