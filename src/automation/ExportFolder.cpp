// SPDX-License-Identifier: GPL-3.0-or-later
#include "ExportFolder.h"

#include "EAutomationError.h"

#include <QDir>
#include <QFileInfo>
#include <QTemporaryFile>
#include <QTextBoundaryFinder>
#include <cerrno>
#include <cstring>
#include <sys/stat.h>
#include <unistd.h>

using namespace Qt::Literals::StringLiterals;

namespace ExportFolder {

namespace {
constexpr int MaxBaseNameLength = 100;
constexpr int MaxNumberedNames = 10000;
const QString TemporaryPrefix = QStringLiteral(".codazzurra-");

bool isBlankOrDot(QChar c)
{
    return c == u' ' || c == u'.';
}

// The longest name in bytes folder's file system takes.
qsizetype maxNameBytes(const QString& folder)
{
    const long max = ::pathconf(QFile::encodeName(folder).constData(), _PC_NAME_MAX);
    return max > 0 ? qsizetype(max) : 255;
}

// baseName + tail, with baseName cut at a character boundary so that the whole name takes at most maxBytes
// bytes on disk.
QString fittedName(const QString& baseName, const QString& tail, qsizetype maxBytes)
{
    const qsizetype room = maxBytes - QFile::encodeName(tail).size();
    if (QFile::encodeName(baseName).size() <= room)
        return baseName + tail;
    QTextBoundaryFinder characters(QTextBoundaryFinder::Grapheme, baseName);
    qsizetype end = 0;
    for (qsizetype next = characters.toNextBoundary(); next > 0; next = characters.toNextBoundary()) {
        if (QFile::encodeName(baseName.left(next)).size() > room)
            break;
        end = next;
    }
    QString base = baseName.left(end);
    while (!base.isEmpty() && isBlankOrDot(base.back()))
        base.chop(1);
    return base + tail;
}

// Whether the folder holds an entry of that name: a file, a folder, or a link, even one leading nowhere.
bool taken(const QString& path)
{
    struct stat entry = {};
    return ::lstat(QFile::encodeName(path).constData(), &entry) == 0 || errno != ENOENT;
}
} // namespace

QString Path(const QString& programFolder)
{
    return QDir(programFolder).filePath(Name);
}

QString Ensure(const QString& exportFolder)
{
    const QString& path = exportFolder;
    const QFileInfo info(path);
    if (info.isDir())
        return path;
    if (info.exists() || !QDir().mkpath(path) || !QFileInfo(path).isDir())
        throw EAutomationError(
            u"Impossibile creare la cartella \"%1\"."_s.arg(QDir::toNativeSeparators(path)));
    return path;
}

QString SafeBaseName(const QString& name, const QString& fallback)
{
    static const QString refused = u"<>:\"/\\|?*"_s;
    QString safe;
    safe.reserve(name.size());
    for (const QChar c : name)
        safe += (c.unicode() < 32 || refused.contains(c)) ? u'_' : c;
    const auto strip = isBlankOrDot;
    qsizetype begin = 0;
    qsizetype end = safe.size();
    while (begin < end && strip(safe.at(begin)))
        ++begin;
    while (end > begin && strip(safe.at(end - 1)))
        --end;
    safe = safe.mid(begin, end - begin);
    if (safe.size() > MaxBaseNameLength) {
        safe.truncate(MaxBaseNameLength);
        if (safe.back().isHighSurrogate())
            safe.chop(1);
        while (!safe.isEmpty() && strip(safe.back()))
            safe.chop(1);
    }
    return safe.isEmpty() ? fallback : safe;
}

void OpenTemporary(QTemporaryFile& file, const QString& folder, const QString& suffix)
{
    file.setFileTemplate(QDir(folder).filePath(TemporaryPrefix + u"XXXXXX."_s + suffix));
    file.setAutoRemove(true);
    if (!file.open())
        throw EAutomationError(u"Impossibile scrivere nella cartella \"%1\": %2."_s.arg(
            QDir::toNativeSeparators(folder), file.errorString()));
}

QString Publish(QTemporaryFile& file, const QString& folder, const QString& baseName, const QString& suffix)
{
    const auto unfinished = [&](const QString& reason) {
        return EAutomationError(u"Impossibile completare il file \"%1\": %2."_s.arg(
            QDir::toNativeSeparators(file.fileName()), reason));
    };
    // An error the device met while the content was written (a full disk, a size limit) stays on it;
    // the file is then incomplete whatever later writes and flushes say.
    if (file.error() != QFileDevice::NoError)
        throw unfinished(file.errorString());
    // What was written reaches the disk before the file takes a name the user sees.
    if (!file.isOpen() && !file.open())
        throw unfinished(file.errorString());
    // A temporary file is private to its owner; the finished file gets the permissions any new file of
    // the user gets, so that others sharing the program folder can open it too.
    const mode_t mask = ::umask(0);
    ::umask(mask);
    if (!file.flush() || file.error() != QFileDevice::NoError)
        throw unfinished(file.errorString());
    if (::fchmod(file.handle(), 0666 & ~mask) != 0 || ::fsync(file.handle()) != 0)
        throw unfinished(QString::fromLocal8Bit(std::strerror(errno)));
    const QDir dir(folder);
    const qsizetype maxBytes = maxNameBytes(folder);
    for (int n = 1; n <= MaxNumberedNames; ++n) {
        const QString tail = (n == 1 ? QString() : u" (%1)"_s.arg(n)) + u'.' + suffix;
        const QString path = dir.filePath(fittedName(baseName, tail, maxBytes));
        if (taken(path))
            continue;
        // Renaming never replaces an existing entry, so a name taken meanwhile only moves on to the next.
        if (file.rename(path)) {
            file.setAutoRemove(false);
            return path;
        }
        if (!taken(path))
            throw EAutomationError(u"Impossibile salvare il file \"%1\": %2."_s.arg(
                QDir::toNativeSeparators(path), file.errorString()));
    }
    throw EAutomationError(u"Troppi file di nome \"%1\" nella cartella \"%2\"."_s.arg(
        baseName + u'.' + suffix, QDir::toNativeSeparators(folder)));
}

QRegularExpression TemporaryNames()
{
    // QTemporaryFile puts six ASCII letters in place of XXXXXX.
    return QRegularExpression(QRegularExpression::anchoredPattern(
        QRegularExpression::escape(TemporaryPrefix) + u"[A-Za-z]{6}\\.[A-Za-z]+"_s));
}

} // namespace ExportFolder
