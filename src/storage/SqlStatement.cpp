// SPDX-License-Identifier: GPL-3.0-or-later
#include "SqlStatement.h"

#include "ESQLiteException.h"
#include "TSQLiteDatabase.h"

#include <sqlite3.h>

SqlStatement::SqlStatement(TSQLiteDatabase& db, const QString& sql, const char* prepareErrorMessage)
    : m_db(db)
    , m_sql(sql)
{
    const QByteArray text = sql.toUtf8();
    const int rc = sqlite3_prepare_v2(db.handle(), text.constData(), -1, &m_stmt, nullptr);
    if (rc != SQLITE_OK) {
        sqlite3_finalize(m_stmt);
        m_stmt = nullptr;
        db.RaiseSqlError(QString::fromLatin1(prepareErrorMessage), sql);
    }
    if (!m_stmt)
        db.RaiseSqlError(QStringLiteral("Could not prepare SQL statement"), sql);
}

SqlStatement::~SqlStatement()
{
    sqlite3_finalize(m_stmt);
}

void SqlStatement::bindTexts(const QList<QByteArray>& values)
{
    for (int i = 0; i < values.size(); ++i) {
        const QByteArray& v = values.at(i);
        if (sqlite3_bind_text(m_stmt, i + 1, v.constData(), int(v.size()), SQLITE_STATIC) != SQLITE_OK)
            m_db.RaiseSqlError(QStringLiteral("Error binding text to database"), m_sql);
    }
}

void SqlStatement::bindBlobAndRun(const QByteArray& bytes, const QString& sql)
{
    if (sqlite3_bind_blob64(m_stmt, 1, bytes.constData(), sqlite3_uint64(bytes.size()), SQLITE_STATIC) !=
        SQLITE_OK)
        m_db.RaiseSqlError(QStringLiteral("Error binding blob to database"), sql);
    if (sqlite3_step(m_stmt) != SQLITE_DONE)
        m_db.RaiseSqlError(QStringLiteral("Error executing SQL statement"), sql);
}
