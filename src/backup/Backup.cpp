// SPDX-License-Identifier: GPL-3.0-or-later
#include "Backup.h"

#include "ArchiveCopy.h"
#include "Rotation.h"
#include "ServerBackup.h"
#include "Sha256.h"
#include "program/MakerInfo.h"
#include "program/Settings.h"
#include "server/PgConnection.h"
#include "server/ServerLink.h"
#include "server/ServerSchema.h"
#include "server/ServerSetting.h"
#include "shell/PasswordFile.h"
#include "storage/AtomicFile.h"
#include "storage/CategoryDescriptor.h"
#include "storage/ESQLiteException.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLockFile>
#include <QRegularExpression>
#include <QSysInfo>
#include <atomic>
#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <future>
#include <memory>
#include <optional>
#include <unistd.h>
#include <zip.h>

using namespace Qt::Literals::StringLiterals;

namespace {

const QString DateTextFormat = u"yyyy-MM-dd HH:mm:ss"_s;

// The files it made, removed however the backup ends.
struct Temporaries
{
    QStringList paths;
    ~Temporaries()
    {
        for (const QString& p : paths) {
            QFile::remove(p);
            QFile::remove(p + u"-journal"_s);
        }
    }
};

// Holds a destination against other backups of any copy of the program. A lock left by a killed process is
// taken over.
std::unique_ptr<QLockFile> lockDestination(const QString& folder, QString* error)
{
    auto lock = std::make_unique<QLockFile>(QDir(folder).filePath(u".codazzurra-backup.lock"_s));
    lock->setStaleLockTime(0);
    if (lock->tryLock(2000))
        return lock;
    if (lock->error() == QLockFile::LockFailedError)
        *error = u"un'altra copia di sicurezza \u00e8 in corso in %1"_s.arg(folder);
    else
        *error = u"la cartella %1 non \u00e8 scrivibile"_s.arg(folder);
    return nullptr;
}

// Nothing but the program's own temporary files: another backup cannot be writing them, the lock is ours.
// The folders a killed backup of the server or a killed restore left behind: ".codazzurra-backup-" and six
// letters or digits, as the temporary files are named. Only those modified before olderThan.
void removeLeftoverFolders(const QString& folder, const QDateTime& olderThan)
{
    static const QRegularExpression name(u"^\\.codazzurra-backup-[A-Za-z0-9]{6}$"_s);
    const QFileInfoList entries =
        QDir(folder).entryInfoList(QDir::Dirs | QDir::Hidden | QDir::NoDotAndDotDot);
    for (const QFileInfo& entry : entries) {
        if (!entry.isSymLink() && name.match(entry.fileName()).hasMatch() && entry.lastModified() < olderThan)
            QDir(entry.filePath()).removeRecursively();
    }
}

// Called under the destination's lock: no other backup is writing there.
void removeLeftovers(const QString& folder)
{
    const QDateTime now = QDateTime::currentDateTime().addDays(1);
    AtomicFile::RemoveLeftovers(folder, Generation::TemporaryNames(), now);
    removeLeftoverFolders(folder, now);
}

bool syncFolder(const QString& folder)
{
    const int fd = ::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY);
    if (fd < 0)
        return false;
    ::fsync(fd);
    ::close(fd);
    return true;
}

// Renames without ever replacing: false when target exists.
bool renameNew(const QString& from, const QString& to)
{
    const QByteArray a = QFile::encodeName(from), b = QFile::encodeName(to);
    if (::renameat2(AT_FDCWD, a.constData(), AT_FDCWD, b.constData(), RENAME_NOREPLACE) == 0)
        return true;
    if (errno != EINVAL && errno != ENOSYS)
        return false;
    // A file system without it (some network ones): a hard link is as safe; without those, check first.
    if (::link(a.constData(), b.constData()) == 0) {
        ::unlink(a.constData());
        return true;
    }
    if (errno == EEXIST || QFileInfo::exists(to))
        return false;
    return ::rename(a.constData(), b.constData()) == 0;
}

// Copies a finished generation into another destination under a temporary name, syncs it and reads it back.
bool copyInto(const QString& source, const QString& target, QString* error)
{
    QFile in(source), out(target);
    if (!in.open(QIODevice::ReadOnly) || !out.open(QIODevice::WriteOnly | QIODevice::NewOnly)) {
        *error = in.isOpen() ? out.errorString() : in.errorString();
        return false;
    }
    QByteArray buffer;
    while (!(buffer = in.read(1 << 20)).isEmpty()) {
        if (out.write(buffer) != buffer.size()) {
            *error = out.errorString();
            return false;
        }
    }
    if (in.error() != QFileDevice::NoError || !out.flush() || ::fsync(out.handle()) != 0) {
        *error = in.error() != QFileDevice::NoError ? in.errorString() : out.errorString();
        return false;
    }
    return true;
}

void rotate(const QString& folder, const QString& justMade, const QDateTime& now, int keep)
{
    if (keep <= 0)
        return;
    const auto listed = Generation::List(folder);
    std::vector<Rotation::Item> items;
    for (const auto& g : listed)
        items.push_back({g.manifest.date, g.manifest.reason});
    for (const std::size_t i : Rotation::ToRemove(items, now, keep)) {
        if (listed[i].path != justMade)
            QFile::remove(listed[i].path);
    }
}

struct Source
{
    QString name;
    QString path;
    QString table;         // empty: not an archive
    bool snapshot = false; // a copy already written from the server, at path
};

// A copy checked with PRAGMA integrity_check, then hashed.
struct Checked
{
    bool sound = false;
    QString problem; // why it is not
    qint64 cards = 0;
    QByteArray sha256; // empty when it could not be read, or stop was set
};

Checked checkAndHash(const QString& copy, const QString& table, const std::atomic<bool>& stop)
{
    Checked c;
    c.sound = ArchiveCopy::Check(copy, table, &c.cards, &c.problem);
    if (c.sound)
        c.sha256 = Generation::Sha256OfFile(copy, [&](qint64, qint64) { return !stop.load(); });
    return c;
}

// The newest automatic backup the server records: when (invalid when none), where, which file.
struct ServerNote
{
    QDateTime when;
    QString workstation;
    QString file;
};

// The newest note not later than before, when given: a note from a workstation whose clock ran ahead
// never keeps the others from their backups.
ServerNote lastServerNote(PgConnection& connection, const std::optional<QDateTime>& before = std::nullopt)
{
    const PgResult last = connection.Exec(
        u"SELECT to_char(Quando AT TIME ZONE 'UTC', 'YYYY-MM-DD\"T\"HH24:MI:SS\"Z\"'), Postazione, Copia FROM "_s +
            QLatin1StringView(ServerSchema::BackupsTable) +
            (before ? u" WHERE Quando <= $1::timestamptz"_s : QString()) + u" ORDER BY Quando DESC LIMIT 1"_s,
        before ? std::vector<PgParam>{PgParam::Text(before->toUTC().toString(Qt::ISODate))}
               : std::vector<PgParam>{});
    if (last.Rows() == 0)
        return {};
    return {QDateTime::fromString(QString::fromUtf8(last.Bytes(0, 0)), Qt::ISODate),
            QString::fromUtf8(last.Bytes(0, 1)), QString::fromUtf8(last.Bytes(0, 2))};
}

struct ZipProgress
{
    const Generation::Progress* progress;
    qint64 before;
    qint64 span;
    qint64 total;
    bool cancelled = false;
};

} // namespace

namespace Backup {

QString FirstDestination(const QString& programFolder)
{
    return QDir(programFolder).filePath(u"Backup"_s);
}

QString SecondDestination(const QString& programFolder)
{
    return Settings(programFolder).Text(Section, SecondKey).trimmed();
}

std::optional<QDateTime> SecondSkippedSince(const QString& programFolder)
{
    const QString text = Settings(programFolder).Text(Section, SkippedKey);
    const QDateTime date = QDateTime::fromString(text, DateTextFormat);
    if (text.isEmpty() || !date.isValid() || SecondDestination(programFolder).isEmpty())
        return std::nullopt;
    return date;
}

Outcome Make(const QString& programFolder, const QStringList& destinations, const Options& options)
{
    Outcome outcome;
    const QString first = destinations.value(0);
    if (first.isEmpty() || (!QFileInfo(first).isDir() && !QDir().mkpath(first))) {
        outcome.error = u"impossibile creare la cartella %1"_s.arg(first);
        return outcome;
    }
    auto lock = lockDestination(first, &outcome.error);
    if (!lock)
        return outcome;
    removeLeftovers(first);
    // Archive copies a killed restore left in the program folder, once no restore can still be making them.
    for (const CategoryDescriptor& c : Categories::All)
        AtomicFile::RemoveLeftovers(programFolder, AtomicFile::TemporaryNames(QString(c.databaseFileName)),
                                    QDateTime::currentDateTime().addSecs(-3600));
    removeLeftoverFolders(programFolder, QDateTime::currentDateTime().addSecs(-3600));

    Temporaries temporaries;
    std::vector<Source> sources;
    qint64 total = 0;
    const QString server = ServerSetting::Of(programFolder);
    if (server.isEmpty()) {
        for (const CategoryDescriptor& c : Categories::All) {
            const QString path = QDir(programFolder).filePath(QString(c.databaseFileName));
            const QFileInfo info(path);
            if (info.isFile()) {
                sources.push_back({QString(c.databaseFileName), path, QString(c.tableName)});
                total += 4 * info.size(); // copied, checked and hashed, zipped, read back
            }
        }
    } else {
        // The archives on the server, written as archive files from one moment of it: the first quarter
        // of the work.
        const auto link = options.link ? options.link : std::make_shared<ServerLink>(server);
        bool cancelled = false;
        std::vector<ServerBackup::ArchiveFile> files;
        try {
            files = ServerBackup::WriteSnapshot(
                link, first,
                [&](qint64 at, qint64 all) {
                    return !options.progress || options.progress(at, 4 * std::max<qint64>(all, 1));
                },
                &temporaries.paths, &cancelled);
        } catch (const ESQLiteException& e) {
            outcome.error = u"impossibile leggere gli archivi dal server: %1"_s.arg(e.message());
            return outcome;
        }
        if (cancelled) {
            outcome.cancelled = true;
            outcome.error = u"copia di sicurezza annullata"_s;
            return outcome;
        }
        for (const ServerBackup::ArchiveFile& f : files) {
            sources.push_back({f.name, f.path, f.table, true});
            total += 4 * QFileInfo(f.path).size();
        }
    }
    for (const QString& name :
         {QString::fromLatin1(PasswordFile::FileName), QString::fromLatin1(Settings::FileName)}) {
        const QString path = QDir(programFolder).filePath(name);
        if (QFileInfo(path).isFile())
            sources.push_back({name, path, {}});
    }
    total = std::max<qint64>(total, 1);
    qint64 done = 0;
    auto report = [&](qint64 at) {
        return !options.progress || options.progress(std::min(at, total), total);
    };

    Manifest manifest;
    manifest.version = MakerInfo::Version();
    manifest.reason = options.reason;
    // The name is chosen first: the manifest carries the same date.
    QDateTime date = options.now;
    date.setTime(QTime(date.time().hour(), date.time().minute(), date.time().second()));
    auto taken = [&](const QDateTime& d) {
        for (const QString& dest : destinations) {
            if (QFileInfo::exists(QDir(dest).filePath(Generation::FileName(d))))
                return true;
        }
        return false;
    };
    while (taken(date))
        date = date.addSecs(1);
    manifest.date = date;

    // Each archive's copy is checked and hashed on a second thread while the next archive is copied: the
    // copy waits on the disk and SQLite, the check and the hash on the processor.
    std::vector<QString> copies(sources.size());           // beside manifest.entries: the archive copies
    std::vector<QByteArray> smallContents(sources.size()); // and the small files' bytes
    std::atomic<bool> stop{false};
    struct Pending
    {
        std::size_t index = 0;
        qint64 share = 0;
        std::future<Checked> checked;
    };
    std::optional<Pending> pending;
    // Takes in the check of the copy made before; false when the backup cannot go on.
    auto settle = [&] {
        if (!pending)
            return true;
        const Checked c = pending->checked.get();
        Manifest::Entry& entry = manifest.entries[pending->index];
        done += pending->share;
        pending.reset();
        if (!c.sound) {
            entry.damage = c.problem;
            outcome.damaged << u"%1: %2"_s.arg(entry.name, entry.damage);
            return true;
        }
        if (c.sha256.isEmpty()) {
            outcome.cancelled = !report(done);
            outcome.error = outcome.cancelled ? u"copia di sicurezza annullata"_s
                                              : u"impossibile leggere la copia di %1"_s.arg(entry.name);
            return false;
        }
        entry.cards = c.cards;
        entry.sha256 = c.sha256;
        if (report(done))
            return true;
        outcome.cancelled = true;
        outcome.error = u"copia di sicurezza annullata"_s;
        return false;
    };
    auto stopPending = [&] {
        stop = true;
        if (pending)
            pending->checked.wait();
    };
    for (const Source& s : sources) {
        Manifest::Entry entry;
        entry.name = s.name;
        const QFileInfo info(s.path);
        if (s.table.isEmpty()) {
            // Written whole by the program; a copy read now is that whole file. Held in memory until the
            // zip is written.
            QFile file(s.path);
            const QByteArray bytes = file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
            if (!file.isOpen() || file.error() != QFileDevice::NoError) {
                stopPending();
                outcome.error = u"impossibile leggere %1: %2"_s.arg(s.path, file.errorString());
                return outcome;
            }
            entry.size = bytes.size();
            entry.sha256 = Sha256::Hex(bytes);
            smallContents[manifest.entries.size()] = bytes;
            manifest.entries.push_back(entry);
            continue;
        }
        const qint64 share = info.size();
        QString temp = s.path;
        ArchiveCopy::Result copy;
        copy.ok = true;
        if (!s.snapshot) {
            // Size and time first: a write after them makes the next check see a change, never miss one.
            entry.sourceSize = info.size();
            entry.sourceModified = info.lastModified().toMSecsSinceEpoch();
            temp = Generation::NewTemporaryPath(first);
            temporaries.paths << temp;
            copy = ArchiveCopy::Backup(s.path, temp, options.busyTimeoutMs, [&](qint64 pages, qint64 all) {
                return report(done + (all > 0 ? share * pages / all : 0));
            });
        }
        done += share;
        if (copy.cancelled || (!copy.ok && !copy.damaged)) {
            stopPending();
            outcome.cancelled = copy.cancelled;
            outcome.error = copy.cancelled ? u"copia di sicurezza annullata"_s
                                           : u"impossibile copiare %1: %2"_s.arg(s.name, copy.error);
            return outcome;
        }
        if (!settle()) {
            stopPending();
            return outcome;
        }
        const std::size_t index = manifest.entries.size();
        if (!copy.ok) {
            entry.damage = copy.error;
            outcome.damaged << u"%1: %2"_s.arg(s.name, entry.damage);
            done += share;
            manifest.entries.push_back(entry);
            continue;
        }
        entry.size = QFileInfo(temp).size();
        copies[index] = temp;
        manifest.entries.push_back(entry);
        // Run here, at the next settle, if no thread can be had.
        pending = Pending{index, share,
                          std::async(std::launch::async | std::launch::deferred, checkAndHash, temp,
                                     QString(s.table), std::cref(stop))};
    }
    if (!settle()) {
        stopPending();
        return outcome;
    }

    // The zip, under a temporary name; libzip writes it under one more of its own and renames it at the end.
    const QString zipPath = Generation::NewTemporaryPath(first, u".zip"_s);
    temporaries.paths << zipPath;
    int code = 0;
    zip_t* z = zip_open(QFile::encodeName(zipPath).constData(), ZIP_CREATE | ZIP_EXCL, &code);
    if (!z) {
        outcome.error = u"impossibile scrivere in %1"_s.arg(first);
        return outcome;
    }
    const QByteArray manifestText = manifest.ToText();
    const QByteArray comment = Generation::UnsealedComment();
    bool added = zip_set_archive_comment(z, comment.constData(), zip_uint16_t(comment.size())) == 0;
    for (std::size_t i = 0; i < manifest.entries.size() && added; ++i) {
        const Manifest::Entry& e = manifest.entries[i];
        if (!e.damage.isEmpty())
            continue;
        zip_source_t* source = nullptr;
        if (copies[i].isEmpty()) {
            const QByteArray& bytes = smallContents[i];
            source = zip_source_buffer(z, bytes.constData(), zip_uint64_t(bytes.size()), 0);
        } else {
            source = zip_source_file(z, QFile::encodeName(copies[i]).constData(), 0, -1);
        }
        const zip_int64_t index =
            source ? zip_file_add(z, e.name.toUtf8().constData(), source, ZIP_FL_ENC_UTF_8) : -1;
        if (index < 0) {
            if (source)
                zip_source_free(source);
            added = false;
            break;
        }
        added = added && zip_set_file_compression(z, zip_uint64_t(index), ZIP_CM_STORE, 0) == 0;
        // The password file and the settings, unpacked by hand, are readable by their owner only; the
        // archive copies keep the mode of their files.
        if (copies[i].isEmpty())
            added = added && zip_file_set_external_attributes(z, zip_uint64_t(index), 0, ZIP_OPSYS_UNIX,
                                                              zip_uint32_t(0100600) << 16) == 0;
    }
    if (added) {
        zip_source_t* source =
            zip_source_buffer(z, manifestText.constData(), zip_uint64_t(manifestText.size()), 0);
        const zip_int64_t index = source ? zip_file_add(z, Manifest::FileName, source, ZIP_FL_ENC_UTF_8) : -1;
        if (index < 0 && source)
            zip_source_free(source);
        added = index >= 0 && zip_set_file_compression(z, zip_uint64_t(index), ZIP_CM_STORE, 0) == 0;
    }
    if (!added) {
        outcome.error = u"impossibile comporre la copia: %1"_s.arg(QString::fromUtf8(zip_strerror(z)));
        zip_discard(z);
        return outcome;
    }
    ZipProgress zp{&options.progress, done, (total - done) / 2, total};
    zip_register_progress_callback_with_state(
        z, 0.01,
        [](zip_t*, double fraction, void* state) {
            auto* p = static_cast<ZipProgress*>(state);
            if (*p->progress && !(*p->progress)(p->before + qint64(fraction * double(p->span)), p->total))
                p->cancelled = true;
        },
        nullptr, &zp);
    zip_register_cancel_callback_with_state(
        z, [](zip_t*, void* state) { return static_cast<ZipProgress*>(state)->cancelled ? 1 : 0; }, nullptr,
        &zp);
    if (zip_close(z) != 0) {
        outcome.cancelled = zp.cancelled;
        outcome.error =
            zp.cancelled
                ? u"copia di sicurezza annullata"_s
                : u"impossibile scrivere la copia in %1: %2"_s.arg(first, QString::fromUtf8(zip_strerror(z)));
        zip_discard(z);
        return outcome;
    }
    done += zp.span;
    // The copies are in the zip: removed now, their pages need never reach the disk while the zip is synced.
    for (const QString& copy : copies) {
        if (!copy.isEmpty())
            QFile::remove(copy);
    }
    // Read back once against its manifest, and sealed, before it may be called a generation.
    const Generation::Verdict verdict = Generation::SealChecked(zipPath, [&](qint64 at, qint64 all) {
        return report(done + (all > 0 ? (total - done) * at / all : 0));
    });
    if (!verdict.ok) {
        outcome.cancelled = verdict.reason == u"interrotta"_s;
        outcome.error = outcome.cancelled
                            ? u"copia di sicurezza annullata"_s
                            : u"la copia scritta in %1 non corrisponde: %2"_s.arg(first, verdict.reason);
        return outcome;
    }
    const QString name = Generation::FileName(date);
    const QString finalPath = QDir(first).filePath(name);
    if (!renameNew(zipPath, finalPath)) {
        outcome.error = u"impossibile dare il nome %1 alla copia"_s.arg(finalPath);
        return outcome;
    }
    syncFolder(first);
    outcome.ok = true;
    outcome.paths << finalPath;

    for (qsizetype i = 1; i < destinations.size(); ++i) {
        const QString& dest = destinations[i];
        QString reason;
        if (!QFileInfo(dest).isDir()) {
            reason = u"la cartella %1 non \u00e8 disponibile"_s.arg(dest);
        } else if (auto other = lockDestination(dest, &reason)) {
            removeLeftovers(dest);
            const QString temp = Generation::NewTemporaryPath(dest, u".zip"_s);
            temporaries.paths << temp;
            if (!copyInto(finalPath, temp, &reason)) {
                reason = u"impossibile scrivere in %1: %2"_s.arg(dest, reason);
            } else if (const auto v = Generation::Verify(temp); !v.ok) {
                reason = u"la copia scritta in %1 non corrisponde: %2"_s.arg(dest, v.reason);
            } else if (!renameNew(temp, QDir(dest).filePath(name))) {
                reason = u"impossibile dare il nome alla copia in %1"_s.arg(dest);
            } else {
                syncFolder(dest);
                outcome.paths << QDir(dest).filePath(name);
                rotate(dest, outcome.paths.last(), options.now, options.keep);
            }
        }
        if (!reason.isEmpty()) {
            outcome.secondSkipped = true;
            outcome.secondError = reason;
        }
    }
    rotate(first, finalPath, options.now, options.keep);
    return outcome;
}

Outcome MakeConfigured(const QString& programFolder, const Options& options)
{
    QStringList destinations{FirstDestination(programFolder)};
    const QString second = SecondDestination(programFolder);
    if (!second.isEmpty())
        destinations << second;
    Options configured = options;
    configured.keep = Settings(programFolder).Number(Section, KeepKey, DefaultKeep, 1, 1000);
    Outcome outcome = Make(programFolder, destinations, configured);
    if (!outcome.ok || second.isEmpty())
        return outcome;
    const Settings settings(programFolder);
    try {
        if (outcome.secondSkipped) {
            const auto since = SecondSkippedSince(programFolder);
            outcome.skippedSince = since ? *since : options.now;
            if (!since)
                settings.SetText(Section, SkippedKey, options.now.toString(DateTextFormat));
        } else if (!settings.Text(Section, SkippedKey).isEmpty()) {
            settings.SetText(Section, SkippedKey, QString());
        }
    } catch (const std::exception&) {
        // The note is only a reminder; the generation is made.
    }
    return outcome;
}

bool AutomaticDue(const QString& programFolder, const QDateTime& now)
{
    const auto listed = Generation::List(FirstDestination(programFolder));
    if (!listed.empty() && listed.front().manifest.date.secsTo(now) < AutomaticAfterSecs)
        return false;
    // The server's archives have no file to compare: a day is enough.
    if (!ServerSetting::Of(programFolder).isEmpty())
        return true;
    const Manifest* newest = listed.empty() ? nullptr : &listed.front().manifest;
    bool any = false;
    for (const CategoryDescriptor& c : Categories::All) {
        const QFileInfo info(QDir(programFolder).filePath(QString(c.databaseFileName)));
        const Manifest::Entry* e = newest ? newest->Find(QString(c.databaseFileName)) : nullptr;
        if (!info.isFile()) {
            if (e)
                return true; // an archive went
            continue;
        }
        any = true;
        if (!e || e->sourceSize != info.size() ||
            e->sourceModified != info.lastModified().toMSecsSinceEpoch())
            return true;
    }
    return !newest && any;
}

Outcome MakeAutomatic(const QString& programFolder, const Options& options)
{
    Outcome outcome;
    const QString server = ServerSetting::Of(programFolder);
    if (server.isEmpty()) {
        if (!AutomaticDue(programFolder, options.now)) {
            outcome.skipped = true;
            return outcome;
        }
        return MakeConfigured(programFolder, options);
    }
    // Held by this connection for the whole run, and given back by the server if the program dies.
    const auto link = std::make_shared<ServerLink>(server);
    try {
        const PgResult locked = link->Connection().Exec(u"SELECT pg_try_advisory_lock($1)"_s,
                                                        {PgParam::Number(ServerBackup::AutomaticLockKey)});
        if (locked.Bytes(0, 0) != QByteArray(1, '\1')) {
            outcome.skipped = true; // another workstation is making its backup
            return outcome;
        }
    } catch (const ESQLiteException& e) {
        outcome.error = u"impossibile raggiungere il server degli archivi: %1"_s.arg(e.message());
        return outcome;
    }
    // Made today by another workstation (into its own destinations): not due here. A note that cannot be
    // read makes it due: one backup too many, never one too few.
    try {
        const QDateTime when = lastServerNote(link->Connection(), options.now).when;
        if (when.isValid() && when.secsTo(options.now) < AutomaticAfterSecs) {
            outcome.skipped = true;
            return outcome;
        }
    } catch (const ESQLiteException&) {
    }
    if (!AutomaticDue(programFolder, options.now)) {
        outcome.skipped = true;
        return outcome;
    }
    Options locked = options;
    locked.link = link;
    outcome = MakeConfigured(programFolder, locked);
    if (outcome.ok) {
        // Noted on the server for the other workstations. A note that fails costs one more backup
        // tomorrow, never this one.
        try {
            link->Connection().Exec(u"INSERT INTO "_s + QLatin1StringView(ServerSchema::BackupsTable) +
                                        u" (Quando, Postazione, Copia) VALUES ($1, $2, $3)"_s,
                                    {PgParam::Text(options.now.toUTC().toString(Qt::ISODate)),
                                     PgParam::Text(QSysInfo::machineHostName()),
                                     PgParam::Text(QFileInfo(outcome.paths.value(0)).fileName())});
        } catch (const ESQLiteException&) {
        }
    }
    return outcome;
}

QString LastServerAutomatic(const QString& programFolder, const QDateTime& now)
{
    const QString server = ServerSetting::Of(programFolder);
    if (server.isEmpty())
        return {};
    try {
        // Only a note: a server that does not answer is given up soon (a later keyword wins in libpq; a
        // URI takes none).
        ServerLink link(server.contains(u"://"_s) ? server : server + u" connect_timeout=3"_s);
        const ServerNote note = lastServerNote(link.Connection(), now);
        if (!note.when.isValid())
            return {};
        return u"%1, sulla postazione %2 (%3)"_s.arg(note.when.toLocalTime().toString(u"dd/MM/yyyy HH:mm"_s),
                                                     note.workstation, note.file);
    } catch (const ESQLiteException&) {
        return {};
    }
}

} // namespace Backup
