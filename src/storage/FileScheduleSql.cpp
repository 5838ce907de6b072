// SPDX-License-Identifier: GPL-3.0-or-later
#include "FileScheduleSql.h"

#include "CategoryDescriptor.h"
#include "ESQLiteException.h"

#include <QDir>
#include <QFileInfo>
#include <sqlite3.h>

using namespace Qt::Literals::StringLiterals;

FileScheduleSql::FileScheduleSql(const CategoryDescriptor& category, std::unique_ptr<TSQLiteDatabase> own)
    : m_category(category)
    , m_own(std::move(own))
    , m_db(m_own.get())
{}

FileScheduleSql::FileScheduleSql(const CategoryDescriptor& category, TSQLiteDatabase& db)
    : m_category(category)
    , m_db(&db)
{}

ScheduleSource FileScheduleSql::Source(const QString& programFolder)
{
    return [programFolder] {
        return [programFolder](const CategoryDescriptor& category,
                               bool readOnly) -> std::unique_ptr<ScheduleSql> {
            const QString path = QDir(programFolder).filePath(QString(category.databaseFileName));
            if (readOnly && !QFileInfo(path).isFile())
                return nullptr;
            return std::make_unique<FileScheduleSql>(
                category, std::make_unique<TSQLiteDatabase>(path, TSQLiteDatabase::DefaultBusyTimeoutMs,
                                                            readOnly ? TSQLiteDatabase::Access::ReadOnly
                                                                     : TSQLiteDatabase::Access::ReadWrite));
        };
    };
}

QString FileScheduleSql::CardTable() const
{
    return QString(m_category.tableName);
}

QString FileScheduleSql::NewEntryId() const
{
    // An identifier never used by an entry that booklet rows still name: the booklet of a deleted entry
    // must never count as done for a new one.
    return u"1 + MAX(COALESCE((SELECT MAX(ID) FROM Scadenze), 0), COALESCE((SELECT MAX(IDScadenza) FROM "
           "Trattamenti), 0))"_s;
}

bool FileScheduleSql::HasCardTable()
{
    return m_db->HasTable(CardTable());
}

std::vector<ScheduleSql::Row> FileScheduleSql::Query(const QString& sql, const std::vector<Value>& values)
{
    const QByteArray text = sql.toUtf8();
    sqlite3_stmt* raw = nullptr;
    if (sqlite3_prepare_v2(m_db->handle(), text.constData(), int(text.size()), &raw, nullptr) != SQLITE_OK)
        m_db->RaiseSqlError(u"Error preparing SQL statement"_s, sql);
    const std::unique_ptr<sqlite3_stmt, int (*)(sqlite3_stmt*)> statement(raw, sqlite3_finalize);
    for (std::size_t i = 0; i < values.size(); ++i) {
        const int rc = values[i] ? sqlite3_bind_text(raw, int(i + 1), values[i]->constData(),
                                                     int(values[i]->size()), SQLITE_STATIC)
                                 : sqlite3_bind_null(raw, int(i + 1));
        if (rc != SQLITE_OK)
            m_db->RaiseSqlError(u"Error binding text to database"_s, sql);
    }
    std::vector<Row> rows;
    int rc = SQLITE_ROW;
    while ((rc = sqlite3_step(raw)) == SQLITE_ROW) {
        Row row;
        const int columns = sqlite3_column_count(raw);
        row.reserve(std::size_t(columns));
        for (int c = 0; c < columns; ++c) {
            if (sqlite3_column_type(raw, c) == SQLITE_NULL) {
                row.emplace_back(std::nullopt);
                continue;
            }
            const auto* bytes = reinterpret_cast<const char*>(sqlite3_column_text(raw, c));
            row.emplace_back(QByteArray(bytes ? bytes : "", sqlite3_column_bytes(raw, c)));
        }
        rows.push_back(std::move(row));
    }
    if (rc != SQLITE_DONE)
        m_db->RaiseSqlError(u"Error executing SQL statement"_s, sql);
    return rows;
}

qint64 FileScheduleSql::Exec(const QString& sql, const std::vector<Value>& values)
{
    Query(sql, values);
    return m_db->Changes();
}

qint64 FileScheduleSql::Insert(const QString& sql, const std::vector<Value>& values)
{
    Query(sql, values);
    return m_db->LastRowId();
}

void FileScheduleSql::Write(const std::function<void()>& work)
{
    TSQLiteDatabase& db = *m_db;
    db.StartTransaction();
    try {
        // Once per object (a screen makes one for each showing): the tables are checked and made, and the
        // rows of cards deleted elsewhere removed.
        if (!m_prepared) {
            ScheduleTables::Ensure(db);
            ScheduleTables::RemoveOrphans(db, CardTable());
        }
        work();
        db.CommitTransaction();
        m_prepared = true;
    } catch (...) {
        try {
            db.RollbackTransaction();
        } catch (const ESQLiteException&) {
            // The connection rolls back when it is closed all the same.
        }
        throw;
    }
}

bool FileScheduleSql::CardExists(qint64 cardId)
{
    // The write transaction holds the file's write lock: no other program deletes the card meanwhile.
    return !Query(u"SELECT ID FROM %1 WHERE ID = ?"_s.arg(CardTable()), {Number(cardId)}).empty();
}
