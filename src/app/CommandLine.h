// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QStringList>
#include <QTextStream>
#include <optional>

class ProgramFolder;

// The program's modes without a window (backups, imports, moving archives): they run before any
// QApplication exists, need no display and ask for no password.
namespace CommandLine {

// Whether the arguments (argv without the program's name) ask for a mode rather than the window: any
// argument of the form "--name" other than Qt's own window options.
bool AsksForMode(const QStringList& arguments);

// Runs the mode the arguments name on the program's data folder, printing to out and err; returns the exit
// code. "--help" (which also says which folder is in use) and "--version" are always there; an unknown
// option prints the help and returns 2. A mode whose data folder cannot be made ready prints why and
// returns 1 without running.
int Run(const QStringList& arguments, const ProgramFolder& folders, QTextStream& out, QTextStream& err);

} // namespace CommandLine
