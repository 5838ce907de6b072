// SPDX-License-Identifier: GPL-3.0-or-later
#include "ProgramFolder.h"

#include "PasswordFile.h"
#include "automation/ExportFolder.h"
#include "program/MakerInfo.h"
#include "storage/CategoryDescriptor.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <stdexcept>
#include <unistd.h>

using namespace Qt::Literals::StringLiterals;

namespace {

QString native(const QString& path)
{
    return QDir::toNativeSeparators(QDir::cleanPath(path));
}

// Why a folder could not be created or written, in words a user understands.
QString reason(int error)
{
    switch (error) {
    case EROFS:
        return u"il disco è in sola lettura"_s;
    case EACCES:
    case EPERM:
        return u"mancano i permessi di scrittura"_s;
    case ENOSPC:
    case EDQUOT:
        return u"il disco è pieno"_s;
    case ENOTDIR:
    case EEXIST:
        return u"al posto di una cartella c'è un file"_s;
    default:
        return QString::fromLocal8Bit(std::strerror(error));
    }
}

// 0 when the program may create and rename files in folder, otherwise the reason (an errno value).
int writeError(const QString& folder)
{
    return ::access(QFile::encodeName(folder).constData(), W_OK | X_OK) == 0 ? 0 : errno;
}

// Whether folder holds what makes a program folder: the marker, an archive or the password file.
bool holdsProgramFiles(const QString& folder)
{
    const QDir dir(folder);
    if (QFileInfo::exists(dir.filePath(QString::fromLatin1(ProgramFolder::PortableMarker))) ||
        QFileInfo::exists(dir.filePath(QString::fromLatin1(PasswordFile::FileName))))
        return true;
    for (const CategoryDescriptor& category : Categories::All) {
        if (QFileInfo::exists(dir.filePath(category.databaseFileName)))
            return true;
    }
    return false;
}

QString documentsFolder()
{
    QProcess ask;
    ask.start(u"xdg-user-dir"_s, {u"DOCUMENTS"_s});
    if (ask.waitForFinished(3000) && ask.exitStatus() == QProcess::NormalExit && ask.exitCode() == 0) {
        const QString answer = QString::fromLocal8Bit(ask.readAllStandardOutput()).trimmed();
        if (QDir::isAbsolutePath(answer))
            return answer;
    }
    ask.kill();
    ask.waitForFinished(1000);
    // Qt reads the same user-dirs.dirs that xdg-user-dir reads.
    return QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
}

std::runtime_error failure(const QString& text)
{
    return std::runtime_error(text.toStdString());
}

} // namespace

ProgramFolder::ProgramFolder(const QString& folder)
    : m_data(folder)
    , m_exports(ExportFolder::Path(folder))
    , m_shared(folder)
    , m_installedData(folder)
{}

ProgramFolder ProgramFolder::Locate(const Environment& environment)
{
    ProgramFolder located;
    const QString applicationName = MakerInfo::ApplicationTitle();
    const QString dataHome = QDir::isAbsolutePath(environment.xdgDataHome)
                                 ? environment.xdgDataHome
                                 : QDir(environment.home).filePath(u".local/share"_s);
    located.m_installedData = QDir::cleanPath(QDir(dataHome).filePath(applicationName));
    located.m_home = environment.home;
    if (holdsProgramFiles(environment.executableFolder)) {
        located.m_mode = Mode::Portable;
        located.m_data = QDir::cleanPath(environment.executableFolder);
        located.m_exports = ExportFolder::Path(located.m_data);
        located.m_shared = located.m_data;
        return located;
    }
    located.m_mode = Mode::Installed;
    located.m_data = located.m_installedData;
    QString documents = environment.documents ? environment.documents() : QString();
    if (!QDir::isAbsolutePath(documents))
        documents = environment.home;
    located.m_exports =
        QDir::cleanPath(QDir(QDir(documents).filePath(applicationName)).filePath(ExportFolder::Name));
    // Installed under a prefix: <prefix>/bin/codazzurra reads <prefix>/share/codazzurra.
    const QString beside = QDir::cleanPath(environment.executableFolder + u"/../share/codazzurra"_s);
    located.m_shared = QFileInfo(beside).isDir() ? beside : environment.shareFallback;
    return located;
}

ProgramFolder::Environment ProgramFolder::FromProcess()
{
    Environment environment;
    environment.executableFolder = QCoreApplication::applicationDirPath();
    environment.home = QDir::homePath();
    environment.xdgDataHome = qEnvironmentVariable("XDG_DATA_HOME");
    environment.shareFallback = u"/usr/share/codazzurra"_s;
    environment.documents = documentsFolder;
    return environment;
}

QString ProgramFolder::DataFile(const QString& fileName) const
{
    return QDir(m_data).filePath(fileName);
}

QString ProgramFolder::SharedFile(const QString& fileName) const
{
    return QDir(m_shared).filePath(fileName);
}

void ProgramFolder::Prepare() const
{
    const QString folder = native(m_data);
    // What stops the start, with the folder named and what to do.
    const auto stop = [&folder, this](int error) {
        if (m_mode == Mode::Portable) {
            // A portable folder keeps the archives where it is: on a read-only medium it has to be copied.
            const QString home = m_home.isEmpty() ? QDir::homePath() : m_home;
            return failure(
                u"Il programma non può scrivere nella sua cartella \"%1\" (%2): un programma "
                u"portatile tiene lì i suoi archivi. Copiare l'intera cartella su un disco scrivibile, "
                u"per esempio in \"%3\", e avviare il programma da lì."_s.arg(
                    folder,
                    error == EROFS ? u"è su un supporto di sola lettura, come un CD o una chiavetta "
                                     u"protetta da scrittura"_s
                                   : reason(error),
                    native(QDir(home).filePath(MakerInfo::ApplicationTitle()))));
        }
        return failure(u"Impossibile creare o scrivere la cartella dei dati \"%1\": %2. Il programma non può "
                       u"partire senza: liberare spazio sul disco o renderla scrivibile, poi avviarlo di "
                       u"nuovo."_s.arg(folder, reason(error)));
    };
    // The reason a write into path failed, when the system kept none: a full disk.
    const auto failedIn = [](const QString& path) { return writeError(path) ? writeError(path) : ENOSPC; };

    const QFileInfo info(m_data);
    if (m_mode == Mode::Portable || info.exists()) {
        if (!info.isDir())
            throw stop(ENOTDIR);
        if (const int error = writeError(m_data))
            throw stop(error);
        // A folder that lost its password file, or came with the marker alone, opens with the first
        // password, as a fresh build's does.
        try {
            PasswordFile::WriteFirst(m_data);
        } catch (const std::runtime_error&) {
            throw stop(failedIn(m_data));
        }
        return;
    }
    // An installed program's first start: the folder appears whole, with the first password, or not at all.
    const QString parent = info.absolutePath();
    std::error_code made;
    std::filesystem::create_directories(QFile::encodeName(parent).toStdString(), made);
    if (made)
        throw stop(made.value());
    QTemporaryDir fresh(QDir(parent).filePath(u".%1-XXXXXX"_s.arg(info.fileName())));
    if (!fresh.isValid())
        throw stop(failedIn(parent));
    try {
        PasswordFile::WriteFirst(fresh.path());
    } catch (const std::runtime_error&) {
        throw stop(failedIn(fresh.path()));
    }
    if (::rename(QFile::encodeName(fresh.path()).constData(), QFile::encodeName(m_data).constData()) == 0) {
        fresh.setAutoRemove(false);
        return;
    }
    const int error = errno;
    // Unless another copy of the program, started at the same time, made it first.
    if (!QFileInfo(m_data).isDir())
        throw stop(error);
}

QString ProgramFolder::Description() const
{
    const QString files = u"gli archivi .db, %1, Codazzurra.ini, Scheda.bmp e la cartella Backup"_s.arg(
        QString::fromLatin1(PasswordFile::FileName));
    if (m_mode == Mode::Portable)
        return u"Cartella dei dati: \"%1\" (programma portatile: tutto accanto al programma).\n"
               u"Per passare al programma installato: chiudere il programma e copiare i file di questa "
               u"cartella (%2) nella cartella dei dati \"%3\", con gli stessi nomi.\n"_s.arg(
                   native(m_data), files, native(m_installedData));
    return u"Cartella dei dati: \"%1\" (programma installato: una per utente).\n"
           u"Esportazioni: \"%2\".\n"
           u"Per passare da una cartella portatile al programma installato: chiudere il programma e copiare i "
           u"file della cartella portatile (%3) in \"%1\", con gli stessi nomi.\n"_s.arg(
               native(m_data), native(m_exports), files);
}
