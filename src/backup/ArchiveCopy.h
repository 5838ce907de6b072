// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <functional>

// Copies between an archive and another database file with SQLite's online backup API, each from a
// connection of its own. Nothing here throws.
namespace ArchiveCopy {

// Pages copied per step: each step holds the source's read lock only for its own pages.
inline constexpr int PagesPerStep = 256;
// Stepped copies restarted by other connections' writes before the last attempt copies in one step.
inline constexpr int SteppedAttempts = 3;

struct Result
{
    bool ok = false;
    bool damaged = false; // the source is not a database, or a damaged one
    bool cancelled = false;
    bool busy = false; // a lock could not be had within the busy timeout
    int restarts = 0;  // stepped copies restarted by another connection's write
    QString error;     // why it failed
};

// Called between steps with the pages copied and the pages in all; false stops the copy.
using Progress = std::function<bool(qint64 done, qint64 total)>;

// Copies the archive at source into a new database file at target (which must not exist), as the source
// was at one moment. A writer meanwhile restarts a stepped copy; after SteppedAttempts restarts the copy is
// made in one step, which holds the source's read lock for its whole length (writers wait out their busy
// timeout meanwhile). The target is written without a journal and without syncing: it is a throwaway copy.
Result Backup(const QString& source, const QString& target, int busyTimeoutMs, const Progress& progress = {});

// "ok" when the database at path passes PRAGMA integrity_check; otherwise SQLite's first complaint.
// cards receives the rows of table (0 when it has no such table).
bool Check(const QString& path, const QString& table, qint64* cards, QString* problem);

// Writes the database at source into the live archive at target through its own connection, as one
// transaction under the archive's write lock: other connections see the whole of the old archive or the
// whole of the new one. busy when the write lock could not be had within busyTimeoutMs; damaged when the
// live archive cannot be read as a database.
Result RestoreInto(const QString& source, const QString& target, int busyTimeoutMs);

} // namespace ArchiveCopy
