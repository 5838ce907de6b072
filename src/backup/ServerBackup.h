// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "Generation.h"

#include <QString>
#include <QStringList>
#include <memory>
#include <vector>

class ServerLink;

// The generations of an installation whose archives are on the server: the same files as from the
// archive files, written from one consistent moment of the server, and put back into the server.
namespace ServerBackup {

// The key of the session lock the automatic backup holds while it runs ("CodazBak" in ASCII): one
// workstation at a time makes it.
inline constexpr qint64 AutomaticLockKey = 0x436F64617A42616B;

struct ArchiveFile
{
    QString name;  // "Cani.db"
    QString path;  // the file written
    QString table; // the card table
};

// Writes every archive of the server as an archive file into folder, each under a new temporary name
// there, all read inside one REPEATABLE READ, READ ONLY transaction: together they are the archives as they
// were at one moment, whatever other workstations write meanwhile. Each file is compared with the server's
// rows (cards and schedule) before the transaction ends. progress gets the cards written and the cards in
// all; false stops (cancelled is then set). Raises ESQLiteException on failure; written receives each
// file as soon as it exists, so that the caller removes them whatever happens.
std::vector<ArchiveFile> WriteSnapshot(const std::shared_ptr<ServerLink>& link, const QString& folder,
                                       const Generation::Progress& progress, QStringList* written,
                                       bool* cancelled);

// Puts the archive file name ("Cani.db") of folder back into the server (cards and schedule), in one
// transaction, then compares both. Raises ESQLiteException when it fails; the server's archive is then
// as it was (unless only the comparison failed). Returns the cards.
qint64 RestoreArchive(const std::shared_ptr<ServerLink>& link, const QString& name, const QString& folder);

} // namespace ServerBackup
