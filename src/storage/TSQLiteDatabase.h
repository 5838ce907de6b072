// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <memory>

struct sqlite3;
class QIODevice;
class TSQLiteTable;

// One open connection to one SQLite database file. Every failure is raised as ESQLiteException.
// A transaction begun with StartTransaction and not committed is rolled back when the object dies.
// LIKE on this connection compares Windows-1252 bytes (see ByteLike), not UTF-8 characters.
class TSQLiteDatabase
{
public:
    // How long a statement waits for another connection's lock before it fails.
    static constexpr int DefaultBusyTimeoutMs = 3000;
    // ReadOnly never creates the file (a missing file fails to open) and never writes to it.
    enum class Access { ReadWrite, ReadOnly };

    explicit TSQLiteDatabase(const QString& fileName, int busyTimeoutMs = DefaultBusyTimeoutMs,
                             Access access = Access::ReadWrite);
    ~TSQLiteDatabase();
    TSQLiteDatabase(const TSQLiteDatabase&) = delete;
    TSQLiteDatabase& operator=(const TSQLiteDatabase&) = delete;

    // Runs the first statement of sql, which must return no rows. The optional values are bound,
    // in order, to the statement's parameters as TEXT.
    void ExecuteStatement(const QString& sql, const QList<QByteArray>& textValues = {});
    // Runs a query and materialises its whole result; the caller owns the table.
    std::unique_ptr<TSQLiteTable> OpenQuery(const QString& sql, const QList<QByteArray>& textValues = {});
    // Runs sql with its first "?" bound to every byte of stream (read from position 0).
    void StoreBlob(const QString& sql, QIODevice& stream);
    // The same, with the bytes already in memory.
    void StoreBlob(const QString& sql, const QByteArray& bytes);

    // Begins a write transaction: holds the database's write lock from the start.
    void StartTransaction();
    void CommitTransaction();
    // Undoes an open transaction at once, so that its locks are released before the connection dies.
    void RollbackTransaction();
    bool InTransaction() const noexcept { return m_inTransaction; }

    bool HasTable(const QString& tableName);
    qint64 LastRowId() const;
    // Rows changed by the most recent INSERT, UPDATE or DELETE on this connection.
    int Changes() const;

    sqlite3* handle() const noexcept { return m_db; }

    // Raises ESQLiteException with message, followed by the SQL text and SQLite's own message
    // when the connection reports an error.
    [[noreturn]] void RaiseSqlError(const QString& message, const QString& sql) const;

private:
    sqlite3* m_db = nullptr;
    bool m_inTransaction = false;
};
