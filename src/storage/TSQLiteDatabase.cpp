// SPDX-License-Identifier: GPL-3.0-or-later
#include "TSQLiteDatabase.h"

#include "ByteLike.h"
#include "ESQLiteException.h"
#include "SqlStatement.h"
#include "TSQLiteTable.h"

#include <QIODevice>
#include <sqlite3.h>

static_assert(ESQLiteException::CorruptCode == SQLITE_CORRUPT);
static_assert(ESQLiteException::NotADatabaseCode == SQLITE_NOTADB);

TSQLiteDatabase::TSQLiteDatabase(const QString& fileName, int busyTimeoutMs, Access access)
{
    m_inTransaction = false;
    const int flags =
        access == Access::ReadOnly ? SQLITE_OPEN_READONLY : SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE;
    const int rc = sqlite3_open_v2(fileName.toUtf8().constData(), &m_db, flags, nullptr);
    if (rc != SQLITE_OK) {
        if (!m_db)
            throw ESQLiteException(
                QStringLiteral("Failed to open database \"%1\" : unknown error").arg(fileName));
        const QString reason = QString::fromUtf8(sqlite3_errmsg(m_db));
        const int code = sqlite3_extended_errcode(m_db);
        sqlite3_close(m_db);
        m_db = nullptr;
        throw ESQLiteException(QStringLiteral("Failed to open database \"%1\" : %2").arg(fileName, reason),
                               code, fileName);
    }
    // Two copies of the program may share the folder: wait a little for the other's lock instead of failing.
    sqlite3_busy_timeout(m_db, busyTimeoutMs);
    // The texts are Windows-1252 bytes: LIKE must compare bytes, not read them as UTF-8.
    if (ByteLike::Register(m_db) != SQLITE_OK) {
        const QString reason = QString::fromUtf8(sqlite3_errmsg(m_db));
        sqlite3_close(m_db);
        m_db = nullptr;
        throw ESQLiteException(QStringLiteral("Failed to open database \"%1\" : %2").arg(fileName, reason));
    }
    try {
        ExecuteStatement(QStringLiteral("PRAGMA SYNCHRONOUS=NORMAL;"));
        ExecuteStatement(QStringLiteral("PRAGMA temp_store = MEMORY;"));
    } catch (...) {
        sqlite3_close(m_db);
        m_db = nullptr;
        throw;
    }
}

TSQLiteDatabase::~TSQLiteDatabase()
{
    if (!m_db)
        return;
    if (m_inTransaction && !sqlite3_get_autocommit(m_db))
        sqlite3_exec(m_db, "ROLLBACK;", nullptr, nullptr, nullptr);
    sqlite3_close_v2(m_db);
}

void TSQLiteDatabase::RaiseSqlError(const QString& message, const QString& sql) const
{
    if (m_db && sqlite3_errcode(m_db) != SQLITE_OK) {
        const int code = sqlite3_extended_errcode(m_db);
        const char* file = sqlite3_db_filename(m_db, "main");
        const QString databaseFile = file ? QString::fromUtf8(file) : QString();
        const char* reason = sqlite3_errmsg(m_db);
        if (reason && *reason)
            throw ESQLiteException(message +
                                       QStringLiteral(" \"%1\" : %2").arg(sql, QString::fromUtf8(reason)),
                                   code, databaseFile);
        throw ESQLiteException(message, code, databaseFile);
    }
    throw ESQLiteException(message);
}

void TSQLiteDatabase::ExecuteStatement(const QString& sql, const QList<QByteArray>& textValues)
{
    SqlStatement st(*this, sql, "Error executing SQL");
    st.bindTexts(textValues);
    if (sqlite3_step(st.get()) != SQLITE_DONE)
        RaiseSqlError(QStringLiteral("Error executing SQL statement"), sql);
}

std::unique_ptr<TSQLiteTable> TSQLiteDatabase::OpenQuery(const QString& sql,
                                                         const QList<QByteArray>& textValues)
{
    return std::make_unique<TSQLiteTable>(*this, sql, textValues);
}

void TSQLiteDatabase::StoreBlob(const QString& sql, QIODevice& stream)
{
    if (!sql.contains(QLatin1Char('?')))
        throw ESQLiteException(QStringLiteral("SQL must include a ? parameter"));
    SqlStatement st(*this, sql, "Could not prepare SQL statement");
    const qint64 size = stream.size();
    if (size <= 0)
        throw ESQLiteException(QStringLiteral("Error getting memory to save blob"));
    QByteArray bytes;
    if (!stream.seek(0) || (bytes = stream.read(size)).size() != size)
        throw ESQLiteException(QStringLiteral("Error reading blob: %1").arg(stream.errorString()));
    st.bindBlobAndRun(bytes, sql);
}

void TSQLiteDatabase::StoreBlob(const QString& sql, const QByteArray& bytes)
{
    if (!sql.contains(QLatin1Char('?')))
        throw ESQLiteException(QStringLiteral("SQL must include a ? parameter"));
    SqlStatement st(*this, sql, "Could not prepare SQL statement");
    if (bytes.isEmpty())
        throw ESQLiteException(QStringLiteral("Error getting memory to save blob"));
    st.bindBlobAndRun(bytes, sql);
}

void TSQLiteDatabase::StartTransaction()
{
    if (m_inTransaction)
        throw ESQLiteException(QStringLiteral("Transaction already open"));
    // Immediate: the write lock is taken (waiting out the busy timeout) before anything is read. A
    // transaction that reads first cannot take it while another connection writes, and SQLite then fails
    // at once instead of waiting.
    ExecuteStatement(QStringLiteral("BEGIN IMMEDIATE TRANSACTION;"));
    m_inTransaction = true;
}

void TSQLiteDatabase::CommitTransaction()
{
    ExecuteStatement(QStringLiteral("COMMIT;"));
    m_inTransaction = false;
}

void TSQLiteDatabase::RollbackTransaction()
{
    // SQLite may already have undone the transaction itself (after a full disk, for example).
    if (!sqlite3_get_autocommit(m_db))
        ExecuteStatement(QStringLiteral("ROLLBACK;"));
    m_inTransaction = false;
}

bool TSQLiteDatabase::HasTable(const QString& tableName)
{
    QByteArray lowered = tableName.toUtf8();
    for (char& c : lowered) {
        if (c >= 'A' && c <= 'Z')
            c = char(c - 'A' + 'a');
    }
    const auto table = OpenQuery(
        QStringLiteral("select [sql] from sqlite_master where [type] = 'table' and lower(name) = ? "),
        {lowered});
    return table->RowCount() > 0;
}

qint64 TSQLiteDatabase::LastRowId() const
{
    return sqlite3_last_insert_rowid(m_db);
}

int TSQLiteDatabase::Changes() const
{
    return sqlite3_changes(m_db);
}
