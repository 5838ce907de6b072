// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

struct sqlite3_stmt;
class TSQLiteDatabase;

// A prepared statement that is finalised on every path. Used inside the storage layer only.
class SqlStatement
{
public:
    // Prepares the first statement of sql; a prepare error raises prepareErrorMessage (with SQLite's text),
    // an empty text raises "Could not prepare SQL statement".
    SqlStatement(TSQLiteDatabase& db, const QString& sql, const char* prepareErrorMessage);
    ~SqlStatement();
    SqlStatement(const SqlStatement&) = delete;
    SqlStatement& operator=(const SqlStatement&) = delete;

    sqlite3_stmt* get() const noexcept { return m_stmt; }
    // Binds each value, in order, as TEXT. The arrays must outlive the statement's steps.
    void bindTexts(const QList<QByteArray>& values);
    // Binds bytes to parameter 1 as a BLOB and runs the statement to completion.
    void bindBlobAndRun(const QByteArray& bytes, const QString& sql);

private:
    TSQLiteDatabase& m_db;
    QString m_sql;
    sqlite3_stmt* m_stmt = nullptr;
};
