// SPDX-License-Identifier: GPL-3.0-or-later
#include "AtomicFile.h"

#include <QDir>
#include <QFileInfo>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <sys/stat.h>
#include <unistd.h>

namespace AtomicFile {

namespace {

QString systemError(int error)
{
    return QString::fromLocal8Bit(std::strerror(error));
}

// The permissions the finished file gets: those of the regular file it replaces, or those any new file
// of the user gets (the temporary file itself is private to its owner).
mode_t finishedMode(const QString& path)
{
    struct stat old = {};
    if (::lstat(QFile::encodeName(path).constData(), &old) == 0 && S_ISREG(old.st_mode))
        return old.st_mode & 07777;
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return 0666 & ~mask;
}

} // namespace

Writer::Writer(QString path)
    : m_path(std::move(path))
{}

Writer::~Writer() = default;

bool Writer::fail(const QString& error)
{
    m_error = error;
    m_file.remove(); // closes it first; an autoRemove file is removed only once
    return false;
}

bool Writer::Open()
{
    // The temporary file lies beside the name itself, not beside what a link there points to.
    const QFileInfo info(m_path);
    m_file.setFileTemplate(
        QDir(info.path()).filePath(info.fileName() + QStringLiteral(".codazzurra-XXXXXX")));
    m_file.setAutoRemove(true);
    if (!m_file.open()) {
        m_error = m_file.errorString();
        return false;
    }
    return true;
}

bool Writer::Commit()
{
    if (!m_file.isOpen())
        return fail(m_error.isEmpty() ? QStringLiteral("file non aperto") : m_error);
    // A write that failed midway (the disk filled up, a size limit) leaves the error on the device even
    // when later calls seemed to succeed.
    if (m_file.error() != QFileDevice::NoError || !m_file.flush() || m_file.error() != QFileDevice::NoError)
        return fail(m_file.errorString());
    if (::fchmod(m_file.handle(), finishedMode(m_path)) != 0 || ::fsync(m_file.handle()) != 0)
        return fail(systemError(errno));
    const QByteArray from = QFile::encodeName(m_file.fileName());
    // rename() replaces the directory entry, whatever it is; it never follows a link.
    if (std::rename(from.constData(), QFile::encodeName(m_path).constData()) != 0)
        return fail(systemError(errno));
    m_file.setAutoRemove(false);
    m_file.close();
    return true;
}

bool Write(const QString& path, const QByteArray& bytes, QString* error)
{
    Writer writer(path);
    bool ok = writer.Open();
    // A disk that fills up midway takes part of a write without an error; the next part names the reason.
    for (qsizetype done = 0; ok && done < bytes.size();) {
        const qint64 written = writer.Device().write(bytes.constData() + done, bytes.size() - done);
        ok = written > 0;
        done += written;
    }
    ok = ok && writer.Commit();
    if (!ok && error) {
        *error = !writer.ErrorString().isEmpty() ? writer.ErrorString() : writer.Device().errorString();
        if (error->isEmpty())
            *error = QStringLiteral("errore di scrittura");
    }
    return ok; // an unfinished temporary file goes with the writer
}

QRegularExpression TemporaryNames(const QString& fileName)
{
    // QTemporaryFile puts six ASCII letters in place of XXXXXX. The writer's own names carry the program's
    // mark; earlier versions wrote through QSaveFile, whose names are the bare "<name>.XXXXXX": those are
    // taken only with letters of both cases, as the generator makes them, so that a user's own
    // "unins000.dll.backup" is never one of them.
    return QRegularExpression(QRegularExpression::anchoredPattern(
        QRegularExpression::escape(fileName) +
        QStringLiteral("\\.(codazzurra-[A-Za-z]{6}|(?=[A-Za-z]*[a-z])(?=[A-Za-z]*[A-Z])[A-Za-z]{6})")));
}

int RemoveLeftovers(const QString& folder, const QRegularExpression& names, const QDateTime& olderThan)
{
    int removed = 0;
    const QFileInfoList entries =
        QDir(folder).entryInfoList(QDir::Files | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
    for (const QFileInfo& entry : entries) {
        if (entry.isSymLink() || !entry.isFile() || !names.match(entry.fileName()).hasMatch())
            continue;
        if (entry.lastModified() < olderThan && QFile::remove(entry.filePath()))
            ++removed;
    }
    return removed;
}

} // namespace AtomicFile
