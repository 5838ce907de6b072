// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <QStringList>
#include <functional>

class ArchiveStore;
struct Console;

// Moving the archives between the files of a folder and the archives' server: every row copied with its
// identifier, the schedule's rows with them, then both sides read back and compared, card counts and every
// row byte for byte.
namespace ArchiveMove {

// Called after each page of cards copied, with the cards done and the cards in all the move copies;
// false stops the move.
using Progress = std::function<bool(qint64 done, qint64 total)>;

// Replaces destination's cards and schedule rows by source's in one transaction, then compares both.
// Returns the number of cards; scheduleRows, when given, receives the schedule's rows copied. Raises
// ESQLiteException when the copy fails or the two differ afterwards (EMoveCancelled when progress said
// stop: destination then stays as it was).
qint64 CopyArchive(ArchiveStore& source, ArchiveStore& destination, qint64* scheduleRows = nullptr,
                   const Progress& progress = {}, qint64 doneBefore = 0, qint64 total = 0);
// Whether both hold the same rows, the schedule's too; when not, difference says where.
bool SameRows(ArchiveStore& a, ArchiveStore& b, QString* difference);

enum class Status {
    Copied,  // everything copied and verified
    Refused, // nothing written: no server configured, the server holds cards, the folder is not empty
    Failed,  // an archive could not be copied, or differed afterwards (the others are copied)
    Cancelled
};

struct Outcome
{
    Status status = Status::Failed;
    QStringList lines;           // one per archive, for the user
    QString reason;              // why the move was refused or could not start
    bool serverHasCards = false; // refused because the server already holds cards: replace may be asked
};

// The folder's file archives to the server of its Codazzurra.ini; refused when the server already holds
// cards of an archive, unless replace.
Outcome ToServer(const QString& folder, bool replace, const Progress& progress = {});
// The server's archives (of folder's Codazzurra.ini) as files into target, which must be empty or absent.
Outcome FromServer(const QString& folder, const QString& target, const Progress& progress = {});

// The command-line modes: one line per archive; 0 when everything was copied and verified, 1 when the
// move was refused (nothing written), 2 when it failed.
//   --copy-to-server [--replace]   the folder's file archives to the server of its Codazzurra.ini; refused
//                                  when the server already holds cards of an archive, unless --replace
//   --copy-from-server FOLDER      the server's archives as files into FOLDER, which must be empty or absent
int CopyToServer(Console& console);
int CopyFromServer(Console& console);

} // namespace ArchiveMove
