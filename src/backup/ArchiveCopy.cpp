// SPDX-License-Identifier: GPL-3.0-or-later
#include "ArchiveCopy.h"

#include <QFileInfo>
#include <QThread>
#include <memory>
#include <sqlite3.h>

using namespace Qt::Literals::StringLiterals;

namespace {

struct Closer
{
    void operator()(sqlite3* db) const { sqlite3_close_v2(db); }
};
using Connection = std::unique_ptr<sqlite3, Closer>;

bool isDamage(int code)
{
    const int primary = code & 0xff;
    return primary == SQLITE_CORRUPT || primary == SQLITE_NOTADB;
}

bool isBusy(int code)
{
    const int primary = code & 0xff;
    return primary == SQLITE_BUSY || primary == SQLITE_LOCKED;
}

Connection open(const QString& path, int flags, int busyTimeoutMs, QString* error)
{
    sqlite3* raw = nullptr;
    const int rc = sqlite3_open_v2(path.toUtf8().constData(), &raw, flags, nullptr);
    Connection db(raw);
    if (rc != SQLITE_OK) {
        *error = raw ? QString::fromUtf8(sqlite3_errmsg(raw)) : u"memoria insufficiente"_s;
        return nullptr;
    }
    sqlite3_busy_timeout(raw, busyTimeoutMs);
    return db;
}

ArchiveCopy::Result failure(int code, const QString& error)
{
    ArchiveCopy::Result r;
    r.damaged = isDamage(code);
    r.busy = isBusy(code);
    r.error = error;
    return r;
}

} // namespace

namespace ArchiveCopy {

Result Backup(const QString& source, const QString& target, int busyTimeoutMs, const Progress& progress)
{
    QString error;
    // Never created: a missing archive is not copied as an empty one. Opened for writing, though nothing is
    // written through it, so that a journal a killed writer left is rolled back first (a read-only connection
    // cannot); a file that cannot be written is read as it is.
    Connection src = open(source, SQLITE_OPEN_READWRITE, busyTimeoutMs, &error);
    if (!src)
        src = open(source, SQLITE_OPEN_READONLY, busyTimeoutMs, &error);
    if (!src)
        return failure(SQLITE_CANTOPEN, error);
    Connection dst = open(target, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, busyTimeoutMs, &error);
    if (!dst)
        return failure(SQLITE_CANTOPEN, error);
    sqlite3_exec(dst.get(), "PRAGMA journal_mode=OFF; PRAGMA synchronous=OFF;", nullptr, nullptr, nullptr);

    // One backup throughout: a write by another connection makes SQLite start it again from the first page,
    // into the same destination transaction. Starting a new one instead would roll back a destination that
    // has no journal, and read what that left as a damaged database.
    Result result;
    sqlite3_backup* backup = sqlite3_backup_init(dst.get(), "main", src.get(), "main");
    if (!backup)
        return failure(sqlite3_extended_errcode(dst.get()), QString::fromUtf8(sqlite3_errmsg(dst.get())));
    int rc = SQLITE_OK;
    int lastRemaining = -1;
    int busyWaits = 0;
    while (true) {
        const bool oneStep = result.restarts >= SteppedAttempts;
        rc = sqlite3_backup_step(backup, oneStep ? -1 : PagesPerStep);
        if (rc == SQLITE_DONE)
            break;
        if (isBusy(rc)) {
            // The source's busy handler is not asked during a backup step: wait here, as long.
            if (++busyWaits * 10 > busyTimeoutMs)
                break;
            QThread::msleep(10);
            continue;
        }
        if (rc != SQLITE_OK)
            break;
        busyWaits = 0;
        const int remaining = sqlite3_backup_remaining(backup);
        const int total = sqlite3_backup_pagecount(backup);
        // Another connection wrote: the copy began again from its first page.
        if (lastRemaining >= 0 && remaining >= lastRemaining)
            ++result.restarts;
        lastRemaining = remaining;
        if (progress && !progress(total - remaining, total)) {
            sqlite3_backup_finish(backup);
            result.cancelled = true;
            result.error = u"interrotta"_s;
            return result;
        }
    }
    const int finish = sqlite3_backup_finish(backup);
    if (rc == SQLITE_DONE && finish == SQLITE_OK) {
        result.ok = true;
        return result;
    }
    const int code = rc != SQLITE_OK && rc != SQLITE_DONE ? rc : finish;
    Result r = failure(code, QString::fromUtf8(sqlite3_errstr(code)));
    if (isBusy(code))
        r.error = u"l'archivio \u00e8 bloccato da un'altra copia del programma"_s;
    r.restarts = result.restarts;
    return r;
}

bool Check(const QString& path, const QString& table, qint64* cards, QString* problem)
{
    QString error;
    Connection db = open(path, SQLITE_OPEN_READONLY, 0, &error);
    if (!db) {
        *problem = error;
        return false;
    }
    // The copy was just written and is still in memory: mapped, its pages are read without being copied.
    sqlite3_exec(db.get(), "PRAGMA mmap_size=4294967296", nullptr, nullptr, nullptr);
    sqlite3_stmt* st = nullptr;
    if (sqlite3_prepare_v2(db.get(), "PRAGMA integrity_check(1)", -1, &st, nullptr) != SQLITE_OK) {
        *problem = QString::fromUtf8(sqlite3_errmsg(db.get()));
        return false;
    }
    const int rc = sqlite3_step(st);
    const QString verdict = rc == SQLITE_ROW
                                ? QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(st, 0)))
                                : QString::fromUtf8(sqlite3_errmsg(db.get()));
    sqlite3_finalize(st);
    if (verdict != u"ok"_s) {
        *problem = verdict;
        return false;
    }
    *cards = 0;
    const QByteArray exists =
        "SELECT count(*) FROM sqlite_master WHERE type='table' AND lower(name)=lower(?)";
    sqlite3_prepare_v2(db.get(), exists.constData(), -1, &st, nullptr);
    const QByteArray name = table.toUtf8();
    sqlite3_bind_text(st, 1, name.constData(), int(name.size()), SQLITE_STATIC);
    const bool hasTable = sqlite3_step(st) == SQLITE_ROW && sqlite3_column_int(st, 0) > 0;
    sqlite3_finalize(st);
    if (!hasTable)
        return true;
    const QByteArray count = "SELECT count(*) FROM \"" + name + "\"";
    if (sqlite3_prepare_v2(db.get(), count.constData(), -1, &st, nullptr) != SQLITE_OK ||
        sqlite3_step(st) != SQLITE_ROW) {
        *problem = QString::fromUtf8(sqlite3_errmsg(db.get()));
        sqlite3_finalize(st);
        return false;
    }
    *cards = sqlite3_column_int64(st, 0);
    sqlite3_finalize(st);
    return true;
}

Result RestoreInto(const QString& source, const QString& target, int busyTimeoutMs)
{
    QString error;
    Connection src = open(source, SQLITE_OPEN_READONLY, busyTimeoutMs, &error);
    if (!src)
        return failure(SQLITE_CANTOPEN, error);
    Connection dst = open(target, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, busyTimeoutMs, &error);
    if (!dst)
        return failure(SQLITE_CANTOPEN, error);
    // The write lock first, waiting out the busy timeout as a save does: the copy below then runs under it,
    // as one transaction of the live archive's own journal.
    char* message = nullptr;
    int rc = sqlite3_exec(dst.get(), "BEGIN IMMEDIATE", nullptr, nullptr, &message);
    if (rc == SQLITE_OK) {
        // Reading the first page tells a damaged archive from a sound one before anything is written.
        rc = sqlite3_exec(dst.get(), "SELECT count(*) FROM sqlite_master", nullptr, nullptr, &message);
    }
    if (rc != SQLITE_OK) {
        const QString reason = message ? QString::fromUtf8(message) : QString::fromUtf8(sqlite3_errstr(rc));
        sqlite3_free(message);
        return failure(sqlite3_extended_errcode(dst.get()), reason);
    }
    sqlite3_exec(dst.get(), "COMMIT", nullptr, nullptr, nullptr);
    sqlite3_backup* backup = sqlite3_backup_init(dst.get(), "main", src.get(), "main");
    if (!backup)
        return failure(sqlite3_extended_errcode(dst.get()), QString::fromUtf8(sqlite3_errmsg(dst.get())));
    rc = sqlite3_backup_step(backup, -1);
    const int finish = sqlite3_backup_finish(backup);
    if (rc == SQLITE_DONE && finish == SQLITE_OK) {
        Result r;
        r.ok = true;
        return r;
    }
    const int code = rc != SQLITE_DONE ? rc : finish;
    Result r = failure(code, QString::fromUtf8(sqlite3_errstr(code)));
    return r;
}

} // namespace ArchiveCopy
