// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QRegularExpression>
#include <QString>
#include <QTemporaryFile>

// Writing a whole file so that it is either completely replaced or left as it was.
namespace AtomicFile {

// A file written under a temporary name beside path ("<name>.codazzurra-XXXXXX", six letters), which takes
// path's name only once every byte is on disk. Whatever path names is replaced by the rename, never written
// through: a symbolic link at path is itself replaced, and the file it points to stays as it was.
// (QSaveFile does neither: it follows links, and when the disk fills up after part of the data was
// written, its commit() still renames the truncated file over the old one.)
class Writer
{
public:
    explicit Writer(QString path);
    ~Writer(); // an unfinished temporary file is removed
    Writer(const Writer&) = delete;
    Writer& operator=(const Writer&) = delete;

    // Creates the temporary file; false, with the reason in ErrorString(), when it cannot be.
    bool Open();
    // Where the content goes, once open.
    QIODevice& Device() noexcept { return m_file; }
    // Puts the file in place. False when the device reported any error on the way (a full disk, a file
    // size limit), when a byte cannot be flushed to disk or when the rename fails; the temporary file is
    // then removed and path left as it was.
    bool Commit();
    QString ErrorString() const { return m_error; }

private:
    bool fail(const QString& error);

    QString m_path;
    QTemporaryFile m_file;
    QString m_error;
};

// Writes bytes to path through a Writer. False, with the reason in error, when anything failed; the old
// file, if any, is then untouched.
bool Write(const QString& path, const QByteArray& bytes, QString* error = nullptr);

// The names of the temporary files a Writer for fileName makes: what a write killed midway leaves.
QRegularExpression TemporaryNames(const QString& fileName);

// Removes the regular files of folder (never links or folders) whose whole name matches names and that
// were last modified before olderThan. Returns how many were removed.
int RemoveLeftovers(const QString& folder, const QRegularExpression& names, const QDateTime& olderThan);

} // namespace AtomicFile
