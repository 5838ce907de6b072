// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QString>

// Writing a whole file so that it is either completely replaced or left as it was.
namespace AtomicFile {

// Writes bytes to path through a temporary file renamed over it once every byte is on disk. False, with
// the reason in error, when anything failed; the old file, if any, is then untouched.
// (QSaveFile alone is not enough: when the disk fills up after part of the data was written, its commit()
// still renames the truncated file over the old one. Every byte is flushed and checked first here.)
bool Write(const QString& path, const QByteArray& bytes, QString* error = nullptr);

} // namespace AtomicFile
