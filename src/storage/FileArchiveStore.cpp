// SPDX-License-Identifier: GPL-3.0-or-later
#include "FileArchiveStore.h"

#include "ScheduleTables.h"
#include "SqlStatement.h"

#include <QFileInfo>
#include <memory>
#include <sqlite3.h>

using namespace Qt::Literals::StringLiterals;

FileArchiveStore::FileArchiveStore(const CategoryDescriptor& category, const QString& programFolder,
                                   int busyTimeoutMs, Access access)
    : m_store(category, programFolder, busyTimeoutMs)
    , m_busyTimeoutMs(busyTimeoutMs)
    , m_access(access)
{}

void FileArchiveStore::requireFullAccess() const
{
    if (m_access != Access::Full)
        throw ESQLiteException(u"This store of the archive only reads"_s);
}

void FileArchiveStore::Open()
{
    if (m_access != Access::Full)
        return;
    m_fresh = false;
    m_store.OpenArchive(m_store.QueryFirst());
    m_fresh = true;
}

std::optional<ArchiveCard> FileArchiveStore::lookAt(const QString& sql) const
{
    const QString path = m_store.DatabasePath();
    if (!QFileInfo::exists(path))
        return std::nullopt;
    TSQLiteDatabase db(path, m_busyTimeoutMs);
    if (!db.HasTable(QString(m_store.category().tableName)))
        return std::nullopt;
    const auto row = db.OpenQuery(sql);
    if (row->RowCount() == 0)
        return std::nullopt;
    return ArchiveCard{row->IntegerValue(row->ColumnIndexOf(u"ID"_s)), CategoryStore::ReadStoredCard(*row)};
}

std::optional<ArchiveCard> FileArchiveStore::cardAt(const QString& sql)
{
    if (m_access != Access::Full)
        return lookAt(sql);
    m_fresh = false;
    if (!m_store.OpenArchive(sql))
        return std::nullopt;
    const TSQLiteTable& row = *m_store.Cursor();
    if (row.RowCount() == 0)
        return std::nullopt;
    return ArchiveCard{row.IntegerValue(row.ColumnIndexOf(u"ID"_s)), CategoryStore::ReadStoredCard(row)};
}

std::optional<ArchiveCard> FileArchiveStore::Position(Step step, std::optional<qint64> from)
{
    switch (step) {
    case Step::First:
        break;
    case Step::Previous:
        if (from)
            return cardAt(m_store.QueryPrevious(*from));
        break;
    case Step::Next:
        if (from)
            return cardAt(m_store.QueryNext(*from));
        break;
    case Step::Last:
        return cardAt(m_store.QueryLast());
    }
    return cardAt(m_store.QueryFirst());
}

std::optional<ArchiveCard> FileArchiveStore::Read(qint64 id)
{
    // On the connection the store holds, when it holds one (a search screen reads the chosen card on the
    // connection that found it); otherwise on a new one.
    if (m_access != Access::Full || !m_store.Database())
        return cardAt(m_store.QueryById(id));
    m_fresh = false;
    const TSQLiteTable& row = m_store.Query(m_store.QueryById(id));
    if (row.RowCount() == 0)
        return std::nullopt;
    return ArchiveCard{row.IntegerValue(row.ColumnIndexOf(u"ID"_s)), CategoryStore::ReadStoredCard(row)};
}

std::vector<CardSummary> FileArchiveStore::FindByField(int field, const QString& key)
{
    m_fresh = false;
    return m_store.FindByField(field, key);
}

std::vector<CardSummary> FileArchiveStore::FindByFields(const AdvancedSearchTexts& texts)
{
    m_fresh = false;
    return m_store.FindByFields(texts);
}

void FileArchiveStore::ensureConnection()
{
    requireFullAccess();
    m_fresh = false;
    if (!m_store.Database())
        Open();
}

qint64 FileArchiveStore::SaveCard(std::optional<qint64> id, const CardValues& values,
                                  const QString& photoPath, const StoredCard* expected, StoredCard* written)
{
    // A fresh connection, as the record card opens before each save: it sees the file as it is now. One
    // that Open() made just before is fresh already.
    requireFullAccess();
    if (!m_fresh)
        Open();
    m_fresh = false;
    return m_store.SaveCard(id, values, photoPath, expected, written);
}

void FileArchiveStore::DeleteCard(qint64 id)
{
    ensureConnection();
    m_store.DeleteRow(id);
}

void FileArchiveStore::Compact()
{
    ensureConnection();
    m_store.CompactArchive();
}

std::vector<QList<QByteArray>> FileArchiveStore::FieldsOfAll(std::span<const int> fields)
{
    std::vector<QList<QByteArray>> rows;
    m_fresh = false;
    if (!m_store.OpenArchive(m_store.QueryFieldsOfAll(fields)))
        return rows;
    TSQLiteTable& table = *m_store.Cursor();
    rows.reserve(table.RowCount());
    for (table.GoFirst(); !table.AtEnd(); table.GoNext()) {
        QList<QByteArray> texts;
        texts.reserve(qsizetype(fields.size()));
        for (int c = 0; c < int(fields.size()); ++c)
            texts.append(table.BlobText(c));
        rows.push_back(std::move(texts));
    }
    return rows;
}

qint64 FileArchiveStore::CardCount()
{
    m_fresh = false;
    if (!m_store.OpenArchive(m_store.QueryFirst()))
        return 0;
    TSQLiteTable& count = m_store.Query("SELECT COUNT(*) FROM "_L1 + m_store.category().tableName);
    count.GoFirst();
    return count.IntegerValue(0);
}

namespace {

// Runs work in one write transaction on db: committed when it returns true, rolled back when it returns
// false or raises.
void inTransaction(TSQLiteDatabase& db, const std::function<bool()>& work)
{
    db.StartTransaction();
    try {
        if (work())
            db.CommitTransaction();
        else
            db.RollbackTransaction();
    } catch (...) {
        try {
            db.RollbackTransaction();
        } catch (const ESQLiteException&) {
            // The connection goes with the store, which rolls back all the same.
        }
        throw;
    }
}

// Runs a bound statement once and makes it ready for the next row.
void run(TSQLiteDatabase& db, sqlite3_stmt* stmt)
{
    const int rc = sqlite3_step(stmt);
    sqlite3_reset(stmt);
    sqlite3_clear_bindings(stmt);
    if (rc != SQLITE_DONE)
        db.RaiseSqlError(u"Could not store an imported row"_s, QString::fromUtf8(sqlite3_sql(stmt)));
}

// The import's writes into the archive file, on the connection that holds its write transaction (or, in a
// dry run, a read-only connection, or none when the archive does not exist yet).
class FileCardBatch final : public CardBatch
{
public:
    FileCardBatch(TSQLiteDatabase* db, const CategoryDescriptor& category)
        : m_db(db)
        , m_table(category.tableName)
    {}

    void ForEachCard(std::span<const int> fields,
                     const std::function<void(qint64, const QList<QByteArray>&)>& each) override
    {
        if (!m_db || !m_db->HasTable(m_table))
            return;
        QString columns = u"ID"_s;
        for (const int f : fields)
            columns += u',' + CardFields::All.at(std::size_t(f)).column;
        const auto cards =
            m_db->OpenQuery("SELECT "_L1 + columns + " FROM "_L1 + m_table + " ORDER BY ID"_L1);
        QList<QByteArray> texts;
        for (cards->GoFirst(); !cards->AtEnd(); cards->GoNext()) {
            texts.clear();
            for (int c = 0; c < int(fields.size()); ++c)
                texts.append(cards->BlobText(c + 1));
            each(cards->IntegerValue(0), texts);
        }
    }

    qint64 Insert(const std::array<QByteArray, CardFields::Count>& texts, const QByteArray& photo) override
    {
        if (!m_insert) {
            // Schedule rows left by a card deleted by another program, under an identifier a new card is
            // about to take, never attach to the new animal.
            const ScheduleTables::State state = ScheduleTables::Inspect(*m_db);
            if (state.kind == ScheduleTables::State::Kind::Ready) {
                const auto last = m_db->OpenQuery("SELECT COALESCE(MAX(ID), 0) FROM "_L1 + m_table);
                const QString above = u" WHERE IDScheda > "_s + QString::number(last->IntegerValue(0));
                m_db->ExecuteStatement(u"DELETE FROM Scadenze"_s + above);
                if (state.booklet)
                    m_db->ExecuteStatement(u"DELETE FROM Trattamenti"_s + above);
            }
            QString columns, params;
            for (const CardField& f : CardFields::All) {
                columns += f.column + u',';
                params += u"?,"_s;
            }
            m_insert.emplace(*m_db,
                             "INSERT INTO "_L1 + m_table + u'(' + columns + "Picture,Ext) VALUES ("_L1 +
                                 params + "?,'JPG')"_L1,
                             "Could not prepare the import's statement");
        }
        sqlite3_stmt* stmt = m_insert->get();
        for (int f = 0; f < CardFields::Count; ++f) {
            const QByteArray& b = texts[std::size_t(f)];
            sqlite3_bind_text(stmt, f + 1, b.constData(), int(b.size()), SQLITE_STATIC);
        }
        if (!photo.isEmpty())
            sqlite3_bind_blob(stmt, CardFields::Count + 1, photo.constData(), int(photo.size()),
                              SQLITE_STATIC);
        run(*m_db, stmt);
        return m_db->LastRowId();
    }

    qint64 InsertScheduleRow(bool entry, const ScheduleTables::Row& row) override
    {
        std::optional<SqlStatement>& insert = entry ? m_entry : m_treatment;
        if (!insert) {
            ScheduleTables::Ensure(*m_db);
            const auto& columns = entry ? ScheduleTables::EntryColumns : ScheduleTables::TreatmentColumns;
            QString names;
            for (std::size_t c = 1; c < columns.size(); ++c)
                names += (c > 1 ? u","_s : QString()) + QLatin1StringView(columns[c]);
            insert.emplace(
                *m_db,
                u"INSERT INTO %1 (%2) VALUES (?,?,?,?,?,?)"_s.arg(
                    QLatin1StringView(entry ? ScheduleTables::Entries : ScheduleTables::Treatments), names),
                "Could not prepare the import's statement");
        }
        // Bound as text: the columns' affinity stores the numbers as integers.
        for (std::size_t c = 1; c < row.size(); ++c) {
            if (row[c])
                sqlite3_bind_text(insert->get(), int(c), row[c]->constData(), int(row[c]->size()),
                                  SQLITE_STATIC);
        }
        run(*m_db, insert->get());
        return m_db->LastRowId();
    }

private:
    TSQLiteDatabase* m_db;
    QString m_table;
    std::optional<SqlStatement> m_insert, m_entry, m_treatment;
};

} // namespace

void FileArchiveStore::AddCards(bool write, const std::function<bool(CardBatch&)>& work)
{
    m_fresh = false;
    if (!write) {
        const QString path = m_store.DatabasePath();
        // A connection that only reads; a missing file is not created.
        std::unique_ptr<TSQLiteDatabase> readOnly;
        if (QFileInfo::exists(path))
            readOnly = std::make_unique<TSQLiteDatabase>(path, m_busyTimeoutMs);
        FileCardBatch batch(readOnly.get(), m_store.category());
        work(batch);
        return;
    }
    requireFullAccess();
    // Creates the table when missing; the transaction then holds the write lock from the first read of the
    // archive to the commit, so that no other copy adds a card meanwhile.
    Open();
    m_fresh = false;
    TSQLiteDatabase& db = *m_store.Database();
    inTransaction(db, [&] {
        FileCardBatch batch(&db, m_store.category()); // its statements end before the transaction does
        return work(batch);
    });
}

std::vector<ArchiveRow> FileArchiveStore::RowsAfter(qint64 afterId, int limit)
{
    std::vector<ArchiveRow> rows;
    m_fresh = false;
    if (!m_store.OpenArchive(m_store.QueryFirst()))
        return rows;
    // Read through SQLite itself: a result set keeps neither NULL apart from an empty text nor a TEXT
    // column's bytes, and a copy must keep both.
    TSQLiteDatabase& db = *m_store.Database();
    QString sql = u"SELECT ID"_s;
    for (const CardField& f : CardFields::All)
        sql += u',' + f.column;
    sql += ",Picture,Ext FROM "_L1 + m_store.category().tableName + " WHERE ID > ?1 ORDER BY ID LIMIT ?2"_L1;
    const SqlStatement statement(db, sql, "Cannot read the archive's rows");
    sqlite3_stmt* raw = statement.get();
    sqlite3_bind_int64(raw, 1, afterId);
    sqlite3_bind_int64(raw, 2, limit);
    auto value = [raw](int column) -> std::optional<QByteArray> {
        if (sqlite3_column_type(raw, column) == SQLITE_NULL)
            return std::nullopt;
        const void* bytes = sqlite3_column_blob(raw, column);
        return QByteArray(bytes ? static_cast<const char*>(bytes) : "", sqlite3_column_bytes(raw, column));
    };
    int rc = SQLITE_ROW;
    while ((rc = sqlite3_step(raw)) == SQLITE_ROW) {
        ArchiveRow row;
        row.id = sqlite3_column_int64(raw, 0);
        for (int i = 0; i < CardFields::Count; ++i)
            row.texts[std::size_t(i)] = value(i + 1);
        row.picture = value(CardFields::Count + 1);
        row.ext = value(CardFields::Count + 2);
        rows.push_back(std::move(row));
    }
    if (rc != SQLITE_DONE)
        db.RaiseSqlError(u"Cannot read the archive's rows"_s, sql);
    return rows;
}

ScheduleTables::Rows FileArchiveStore::ScheduleRows()
{
    if (!m_store.OpenArchive(m_store.QueryFirst()))
        return {};
    return ScheduleTables::ReadAll(*m_store.Database());
}

void FileArchiveStore::ReplaceAll(const std::function<std::optional<ArchiveRow>()>& next,
                                  const ScheduleTables::Rows& schedule)
{
    requireFullAccess();
    Open();
    m_fresh = false;
    TSQLiteDatabase& db = *m_store.Database();
    const QString table(m_store.category().tableName);
    inTransaction(db, [&] {
        db.ExecuteStatement("DELETE FROM "_L1 + table);
        while (const std::optional<ArchiveRow> row = next()) {
            // Texts are bound as TEXT, as the program stores them; a NULL stays NULL.
            QString columns = u"ID"_s;
            QString values = QString::number(row->id);
            QList<QByteArray> bound;
            auto add = [&](QLatin1StringView column, const std::optional<QByteArray>& value) {
                columns += u',' + column;
                values += value ? u",?"_s : u",NULL"_s;
                if (value)
                    bound.append(*value);
            };
            for (int i = 0; i < CardFields::Count; ++i)
                add(CardFields::All[std::size_t(i)].column, row->texts[std::size_t(i)]);
            add("Ext"_L1, row->ext);
            db.ExecuteStatement("INSERT INTO "_L1 + table + u'(' + columns + ") VALUES ("_L1 + values + u')',
                                bound);
            if (row->picture)
                db.StoreBlob("UPDATE "_L1 + table + " SET Picture = ? WHERE ID = "_L1 +
                                 QString::number(row->id),
                             *row->picture);
        }
        ScheduleTables::ReplaceAll(db, schedule);
        return true;
    });
}
