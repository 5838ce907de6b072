// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

struct Console;

// The command-line modes of the backups: no window, no password (whoever can read the folder can copy it).
namespace BackupCommands {

// --backup [FOLDER]: a generation in FOLDER, or in the configured destinations; prints its path. 0 when
// made with every archive, 3 when made without a damaged archive, 1 on failure.
int MakeBackup(Console& console);
// --verify [FILE|FOLDER]: one line per generation, "OK" or "DANNEGGIATA" and the reason; 1 if any is damaged.
int Verify(Console& console);
// --list-backups [FOLDER]: one line per generation: path, date, size, cards, why it was made.
int List(Console& console);
// --restore FILE [ARCHIVE]: 0 restored, 1 refused (a damaged generation, a lock not had), 2 other failure.
int RestoreGeneration(Console& console);

} // namespace BackupCommands
