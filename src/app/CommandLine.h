// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QStringList>
#include <QTextStream>
#include <optional>

// The program's modes without a window (backups, imports, moving archives): they run before any
// QApplication exists, need no display and ask for no password.
namespace CommandLine {

// Whether the arguments (argv without the program's name) ask for a mode rather than the window: any
// argument of the form "--name" other than Qt's own window options.
bool AsksForMode(const QStringList& arguments);

// Runs the mode the arguments name on folder, printing to out and err; returns the exit code. "--help" and
// "--version" are always there; an unknown option prints the help and returns 2.
int Run(const QStringList& arguments, const QString& folder, QTextStream& out, QTextStream& err);

} // namespace CommandLine
