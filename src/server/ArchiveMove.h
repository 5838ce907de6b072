// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

class ArchiveStore;
struct Console;

// Moving the archives between the files of a folder and the archives' server: every row copied with its
// identifier, then both sides read back and compared, card counts and every row byte for byte.
namespace ArchiveMove {

// Replaces destination's cards by source's in one transaction, then compares both. Returns the number of
// cards; raises ESQLiteException when the copy fails or the two differ afterwards.
qint64 CopyArchive(ArchiveStore& source, ArchiveStore& destination);
// Whether both hold the same rows; when not, difference says where.
bool SameRows(ArchiveStore& a, ArchiveStore& b, QString* difference);

// The command-line modes: one line per archive; 0 when everything was copied and verified, 1 when the
// move was refused (nothing written), 2 when it failed.
//   --copy-to-server [--replace]   the folder's file archives to the server of its Codazzurra.ini; refused
//                                  when the server already holds cards of an archive, unless --replace
//   --copy-from-server FOLDER      the server's archives as files into FOLDER, which must be empty or absent
int CopyToServer(Console& console);
int CopyFromServer(Console& console);

} // namespace ArchiveMove
