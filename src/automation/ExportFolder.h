// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QRegularExpression>
#include <QString>

class QTemporaryFile;

// The folder "Esportazioni", where the office servers leave the documents and workbooks they make: inside a
// portable program folder, so that they travel with it, or in the user's documents folder when the program
// is installed. The user finds them there again (nothing the user may keep goes to /tmp, which is emptied at
// boot).
namespace ExportFolder {

inline constexpr QLatin1StringView Name{"Esportazioni"};

// The folder's path inside a portable program folder; it may not exist yet.
QString Path(const QString& programFolder);
// Creates the export folder (and the folders above it) when missing, and returns it. Raises
// EAutomationError when it cannot be (a file in its place, a read-only medium).
QString Ensure(const QString& exportFolder);

// name made fit to be a file name on any medium the program folder may be on: characters that Windows or
// Linux refuse in names (codes 0-31, < > : " / \ | ? *) become "_", blanks and dots at either end go (no
// hidden files), and the result is at most 100 characters long. fallback when nothing is left.
QString SafeBaseName(const QString& name, const QString& fallback);

// A new temporary file inside folder (".codazzurra-XXXXXX.<suffix>"), open for writing, removed when it is
// destroyed unless published. Raises EAutomationError when it cannot be created.
void OpenTemporary(QTemporaryFile& file, const QString& folder, const QString& suffix);

// Gives the finished temporary file its final name in folder: "<baseName>.<suffix>", or
// "<baseName> (2).<suffix>", "(3)"... when the name is taken by any entry (a file, a folder, a link even
// when it leads nowhere). An existing entry is never replaced, and a file appears under its final name only
// whole (written, flushed to disk, then renamed). baseName is cut at a character boundary where the whole
// name would exceed the bytes the folder's file system allows in a name. Returns the final path.
// Raises EAutomationError, the file keeping its temporary name (removed with it), when the device
// reported an error while the content was written through it, or when the file cannot be flushed to disk
// or renamed. Only file's own errors show here: whoever wrote the content by the file's name (with a
// library of its own) checks that library's result before publishing.
QString Publish(QTemporaryFile& file, const QString& folder, const QString& baseName, const QString& suffix);

// The names of the temporary files OpenTemporary makes: what an export killed midway leaves.
QRegularExpression TemporaryNames();

} // namespace ExportFolder
