// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "Generation.h"

#include <QDateTime>
#include <QString>
#include <QStringList>
#include <optional>

// Putting a generation's files back in the program folder. Nothing here throws, and it can run on any
// thread.
namespace Restore {

enum class Status {
    Restored,
    Refused, // the generation failed verification, or an archive's write lock could not be had
    Failed   // anything else
};

struct Outcome
{
    Status status = Status::Failed;
    QString message;           // why not, in a sentence for the user
    QStringList restored;      // the file names restored
    QString beforeRestorePath; // the generation of the files as they were
    QStringList movedAside;    // damaged archives kept under a new name
};

struct Options
{
    QString archive; // a file name such as "Cani.db"; empty: everything the generation holds
    QDateTime now;
    Generation::Progress progress;
    int busyTimeoutMs = 3000;
};

// Verifies the generation, saves the current files as a generation "prima del ripristino" in the
// configured destinations, then restores: each archive through SQLite's backup API into the live file under
// its write lock (a damaged live archive is moved aside and written fresh), the password file and the
// settings written whole. When the settings name a server of the archives, the archives go back to the
// server instead: each is taken out and checked first, then written in one transaction (cards and
// schedule); the settings keep naming the server they named.
Outcome Run(const QString& programFolder, const QString& generationPath, const Options& options);

// The archive archiveName, damaged, restored from generationPath: the damaged file is moved aside under a
// new name (never deleted) and the archive written fresh from the generation, which must verify for it.
Outcome ReplaceDamaged(const QString& programFolder, const QString& generationPath,
                       const QString& archiveName, const QDateTime& now);

// The newest generation in the configured destinations that verifies for archiveName, by date.
std::optional<Generation::Listed> NewestVerifying(const QString& programFolder, const QString& archiveName);

// The name a damaged archive is moved aside under: "Cani.db.danneggiato AAAA-MM-GG HH.MM.SS".
QString DamagedName(const QString& archiveName, const QDateTime& now);

} // namespace Restore
