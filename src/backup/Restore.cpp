// SPDX-License-Identifier: GPL-3.0-or-later
#include "Restore.h"

#include "ArchiveCopy.h"
#include "Backup.h"
#include "ServerBackup.h"
#include "program/Settings.h"
#include "server/ServerLink.h"
#include "server/ServerSetting.h"
#include "shell/PasswordFile.h"
#include "storage/AtomicFile.h"
#include "storage/CategoryDescriptor.h"
#include "storage/ESQLiteException.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTemporaryFile>
#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

using namespace Qt::Literals::StringLiterals;

namespace {

bool isArchiveName(const QString& name)
{
    for (const CategoryDescriptor& c : Categories::All) {
        if (name == c.databaseFileName)
            return true;
    }
    return false;
}

QString tableOf(const QString& name)
{
    for (const CategoryDescriptor& c : Categories::All) {
        if (name == c.databaseFileName)
            return QString(c.tableName);
    }
    return {};
}

// The restored settings name the server the archives were on before: a generation of the files restored
// into a server's installation, or the other way round, never moves the archives.
Restore::Status keepServer(const QString& folder, const QString& server, QString* error)
{
    if (ServerSetting::Of(folder) == server)
        return Restore::Status::Restored;
    try {
        Settings(folder).SetText(ServerSetting::Section, ServerSetting::Key, server);
    } catch (const std::exception& e) {
        *error = QString::fromUtf8(e.what());
        return Restore::Status::Failed;
    }
    return Restore::Status::Restored;
}

void syncFolder(const QString& folder)
{
    const int fd = ::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}

// The damaged archive at live moved aside, with its journal (which belongs to it and must never be played
// into the new file), and the checked copy at fresh put in its place. While a hard link can keep the old
// name taken, it does, so that the archive's name never stands empty.
bool replaceDamaged(const QString& live, const QString& fresh, const QString& aside, QString* error)
{
    const QByteArray l = QFile::encodeName(live), f = QFile::encodeName(fresh), a = QFile::encodeName(aside);
    const bool linked = ::link(l.constData(), a.constData()) == 0;
    if (!linked && ::rename(l.constData(), a.constData()) != 0) {
        *error =
            u"impossibile spostare l'archivio danneggiato: %1"_s.arg(QString::fromLocal8Bit(strerror(errno)));
        return false;
    }
    const QString journal = live + u"-journal"_s;
    if (QFileInfo::exists(journal) && !QFile::rename(journal, aside + u"-journal"_s)) {
        *error = u"impossibile spostare il giornale dell'archivio danneggiato"_s;
        return false;
    }
    if (::rename(f.constData(), l.constData()) != 0) {
        *error = u"impossibile scrivere l'archivio: %1"_s.arg(QString::fromLocal8Bit(strerror(errno)));
        return false;
    }
    syncFolder(QFileInfo(live).absolutePath());
    return true;
}

// One archive of the generation into the program folder.
Restore::Status restoreArchive(const QString& folder, const QString& generation, const Manifest& manifest,
                               const QString& name, const QDateTime& now, int busyTimeoutMs, bool damagedOnly,
                               QStringList* movedAside, QString* error)
{
    const QString live = QDir(folder).filePath(name);
    // The copy is taken out beside the archive, under the program's temporary name for it, checked against
    // the manifest on the way.
    QTemporaryFile fresh(live + u".codazzurra-XXXXXX"_s);
    if (!fresh.open()) {
        *error = u"impossibile scrivere nella cartella del programma: %1"_s.arg(fresh.errorString());
        return Restore::Status::Failed;
    }
    fresh.close();
    if (!Generation::Extract(generation, manifest, name, fresh.fileName(), error))
        return Restore::Status::Failed;
    ArchiveCopy::Result result;
    if (!damagedOnly || !QFileInfo::exists(live)) {
        result = ArchiveCopy::RestoreInto(fresh.fileName(), live, busyTimeoutMs);
        if (result.ok)
            return Restore::Status::Restored;
        if (result.busy) {
            *error =
                u"%1 \u00e8 in uso da un'altra copia del programma che sta scrivendo: riprovare pi\u00f9 "
                u"tardi"_s.arg(name);
            return Restore::Status::Refused;
        }
        if (!result.damaged) {
            *error = u"impossibile ripristinare %1: %2"_s.arg(name, result.error);
            return Restore::Status::Failed;
        }
    }
    QString aside = QDir(folder).filePath(Restore::DamagedName(name, now));
    for (int n = 2; QFileInfo::exists(aside) || QFileInfo(aside).isSymLink(); ++n)
        aside = QDir(folder).filePath(Restore::DamagedName(name, now) + u" (%1)"_s.arg(n));
    if (QFileInfo::exists(live) && !replaceDamaged(live, fresh.fileName(), aside, error))
        return Restore::Status::Failed;
    if (!QFileInfo::exists(live) && !QFile::rename(fresh.fileName(), live)) {
        *error = u"impossibile scrivere %1"_s.arg(live);
        return Restore::Status::Failed;
    }
    fresh.setAutoRemove(false);
    if (QFileInfo::exists(aside))
        movedAside->append(aside);
    return Restore::Status::Restored;
}

} // namespace

namespace Restore {

QString DamagedName(const QString& archiveName, const QDateTime& now)
{
    return archiveName + u".danneggiato "_s + now.toString(u"yyyy-MM-dd HH.mm.ss"_s);
}

Outcome Run(const QString& programFolder, const QString& generationPath, const Options& options)
{
    Outcome outcome;
    const Generation::Verdict verdict = Generation::Verify(generationPath, {}, options.progress);
    if (!verdict.ok) {
        outcome.status = Status::Refused;
        outcome.message =
            u"La copia di sicurezza \u00e8 danneggiata e non pu\u00f2 essere ripristinata (%1)."_s.arg(
                verdict.reason);
        return outcome;
    }
    const Manifest& manifest = *verdict.manifest;
    std::vector<const Manifest::Entry*> chosen;
    for (const Manifest::Entry* e : manifest.Files()) {
        if (options.archive.isEmpty() || e->name == options.archive)
            chosen.push_back(e);
    }
    if (chosen.empty() || (!options.archive.isEmpty() && !isArchiveName(options.archive))) {
        outcome.message = u"La copia di sicurezza non contiene %1."_s.arg(options.archive);
        return outcome;
    }

    Backup::Options before;
    before.reason = Manifest::Reason::BeforeRestore;
    before.now = options.now;
    before.busyTimeoutMs = options.busyTimeoutMs;
    const Backup::Outcome saved = Backup::MakeConfigured(programFolder, before);
    if (!saved.ok) {
        outcome.message = u"Nulla \u00e8 stato ripristinato: non \u00e8 stato possibile salvare prima i file "
                          u"attuali (%1)."_s.arg(saved.error);
        return outcome;
    }
    outcome.beforeRestorePath = saved.paths.value(0);

    // Where the archives are now decides where they go back: the generation's settings never move them.
    const QString server = ServerSetting::Of(programFolder);
    std::shared_ptr<ServerLink> link;
    std::unique_ptr<QTemporaryDir> extracted;
    if (!server.isEmpty()) {
        // Every archive is taken out and checked before the server is touched.
        link = std::make_shared<ServerLink>(server);
        extracted =
            std::make_unique<QTemporaryDir>(QDir(programFolder).filePath(u".codazzurra-backup-XXXXXX"_s));
        for (const Manifest::Entry* e : chosen) {
            if (!isArchiveName(e->name))
                continue;
            QString error;
            qint64 cards = 0;
            const QString path = extracted->filePath(e->name);
            if (!extracted->isValid() ||
                !Generation::Extract(generationPath, manifest, e->name, path, &error) ||
                !ArchiveCopy::Check(path, tableOf(e->name), &cards, &error)) {
                outcome.status = Status::Refused;
                outcome.message =
                    u"Nulla \u00e8 stato ripristinato: %1 della copia non pu\u00f2 essere letto (%2)."_s.arg(
                        e->name, extracted->isValid() ? error : extracted->errorString());
                return outcome;
            }
        }
    }

    QStringList refused, failed;
    for (const Manifest::Entry* e : chosen) {
        QString error;
        Status status = Status::Restored;
        if (link && isArchiveName(e->name)) {
            // One transaction for the archive's cards and schedule; when it fails the server keeps the
            // archive as it was.
            try {
                ServerBackup::RestoreArchive(link, e->name, extracted->path());
            } catch (const ESQLiteException& x) {
                status = Status::Failed;
                error = u"impossibile ripristinare %1 sul server: %2"_s.arg(e->name, x.message());
            }
        } else if (isArchiveName(e->name)) {
            status = restoreArchive(programFolder, generationPath, manifest, e->name, options.now,
                                    options.busyTimeoutMs, false, &outcome.movedAside, &error);
        } else {
            // The password file and the settings, written whole as the program writes them.
            const auto bytes = Generation::ReadSmallFile(generationPath, manifest, e->name, &error);
            if (!bytes || !AtomicFile::Write(QDir(programFolder).filePath(e->name), *bytes, &error))
                status = Status::Failed;
            else if (e->name == QLatin1StringView(Settings::FileName))
                status = keepServer(programFolder, server, &error);
        }
        if (status == Status::Restored)
            outcome.restored << e->name;
        else
            (status == Status::Refused ? refused : failed) << error;
    }
    if (refused.isEmpty() && failed.isEmpty()) {
        outcome.status = Status::Restored;
        return outcome;
    }
    outcome.status = failed.isEmpty() ? Status::Refused : Status::Failed;
    outcome.message = (refused + failed).join(u"\n"_s);
    if (!outcome.restored.isEmpty())
        outcome.message += u"\nRipristinati: %1."_s.arg(outcome.restored.join(u", "_s));
    return outcome;
}

Outcome ReplaceDamaged(const QString& programFolder, const QString& generationPath,
                       const QString& archiveName, const QDateTime& now)
{
    Outcome outcome;
    const Generation::Verdict verdict = Generation::Verify(generationPath, archiveName);
    if (!verdict.ok || !isArchiveName(archiveName)) {
        outcome.status = Status::Refused;
        outcome.message =
            u"La copia di sicurezza \u00e8 danneggiata e non pu\u00f2 essere ripristinata (%1)."_s.arg(
                verdict.reason);
        return outcome;
    }
    QString error;
    outcome.status = restoreArchive(programFolder, generationPath, *verdict.manifest, archiveName, now, 3000,
                                    true, &outcome.movedAside, &error);
    outcome.message = error;
    if (outcome.status == Status::Restored)
        outcome.restored << archiveName;
    return outcome;
}

std::optional<Generation::Listed> NewestVerifying(const QString& programFolder, const QString& archiveName)
{
    std::vector<Generation::Listed> all = Generation::List(Backup::FirstDestination(programFolder));
    const QString second = Backup::SecondDestination(programFolder);
    if (!second.isEmpty()) {
        for (auto& g : Generation::List(second))
            all.push_back(std::move(g));
    }
    std::stable_sort(all.begin(), all.end(), [](const Generation::Listed& a, const Generation::Listed& b) {
        return a.manifest.date > b.manifest.date;
    });
    for (const auto& g : all) {
        const Manifest::Entry* e = g.manifest.Find(archiveName);
        if (e && e->damage.isEmpty() && Generation::Verify(g.path, archiveName).ok)
            return g;
    }
    return std::nullopt;
}

} // namespace Restore
