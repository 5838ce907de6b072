// SPDX-License-Identifier: GPL-3.0-or-later
#include "CategoryStore.h"

#include "ESQLiteException.h"
#include "ScheduleTables.h"
#include "Win1252.h"

#include <QFile>

using namespace Qt::Literals::StringLiterals;

CategoryStore::CategoryStore(const CategoryDescriptor& category, const QString& programFolder,
                             int busyTimeoutMs)
    : m_category(category)
    , m_programFolder(programFolder)
    , m_busyTimeoutMs(busyTimeoutMs)
{}

QString CategoryStore::DatabasePath() const
{
    QString folder = m_programFolder;
    if (!folder.endsWith(u'/'))
        folder += u'/';
    return Win1252::Trimmed(folder + m_category.databaseFileName);
}

QString CategoryStore::CreateTableSql() const
{
    QString sql = "CREATE TABLE "_L1 + m_category.tableName + " (ID INTEGER PRIMARY KEY,"_L1;
    for (const CardField& f : CardFields::All)
        sql += f.column + " BLOB,"_L1;
    sql += " Picture BLOB COLLATE NOCASE,Ext TEXT)"_L1;
    return sql;
}

QString CategoryStore::QueryFirst() const
{
    return "SELECT * FROM "_L1 + m_category.tableName + " LIMIT 1 OFFSET 0"_L1;
}

QString CategoryStore::QueryPrevious(qint64 id) const
{
    return "SELECT * FROM "_L1 + m_category.tableName + " WHERE ID < "_L1 + QString::number(id) +
           " ORDER BY ID DESC LIMIT 1"_L1;
}

QString CategoryStore::QueryNext(qint64 id) const
{
    return "SELECT * FROM "_L1 + m_category.tableName + " WHERE ID > "_L1 + QString::number(id) +
           " ORDER BY ID LIMIT 1"_L1;
}

QString CategoryStore::QueryLast() const
{
    return "SELECT * FROM "_L1 + m_category.tableName + " WHERE ID = (SELECT MAX(ID) FROM "_L1 +
           m_category.tableName + ")"_L1;
}

QString CategoryStore::QueryById(qint64 id) const
{
    return "SELECT * FROM "_L1 + m_category.tableName + " WHERE ID="_L1 + QString::number(id);
}

QString CategoryStore::QueryAll() const
{
    return "SELECT * FROM "_L1 + m_category.tableName;
}

bool CategoryStore::reopen()
{
    // The old connection goes first, rolling back anything it left open, so the new one sees the file
    // as it is.
    m_db.reset();
    m_db = std::make_unique<TSQLiteDatabase>(DatabasePath(), m_busyTimeoutMs);
    const QString table(m_category.tableName);
    if (m_db->HasTable(table))
        return true;
    // Another copy may be creating the same archive: checked again under the write lock, so that only
    // one of them creates the table.
    bool existed = false;
    inTransaction([&](TSQLiteDatabase& db) {
        existed = db.HasTable(table);
        if (!existed)
            db.ExecuteStatement(CreateTableSql());
    });
    return existed;
}

bool CategoryStore::OpenArchive(const QString& positioningSql)
{
    if (!reopen())
        return false;
    Query(positioningSql);
    return true;
}

std::vector<CardSummary> CategoryStore::FindByField(int field, const QString& key)
{
    if (field < 0 || field >= CardFields::EditableCount)
        throw ESQLiteException(u"Not a searchable field: %1"_s.arg(field));
    return findCards(CardFields::All[std::size_t(field)].column + " LIKE ?"_L1, {key});
}

std::vector<CardSummary> CategoryStore::FindByFields(const AdvancedSearchTexts& texts)
{
    QString condition;
    for (const int field : AdvancedSearchFields) {
        if (!condition.isEmpty())
            condition += " AND "_L1;
        condition += CardFields::All[std::size_t(field)].column + " LIKE ?"_L1;
    }
    return findCards(condition, QList<QString>(texts.begin(), texts.end()));
}

std::vector<CardSummary> CategoryStore::findCards(const QString& condition, const QList<QString>& texts)
{
    const bool hasTable = reopen();
    m_cursor.reset();
    if (!hasTable)
        return {};
    QList<QByteArray> patterns;
    for (const QString& text : texts) {
        const auto bytes = Win1252::Encode(text);
        if (!bytes)
            return {}; // no stored text can hold that character
        patterns.append('%' + TrimValue(*bytes) + '%');
    }
    // The list's columns only: a SELECT * would read every found card's photo into memory.
    const QString sql = "SELECT ID,varNome,varRazza,varSesso,varDataNasc,varTelefono,varPrezzo FROM "_L1 +
                        m_category.tableName + " WHERE "_L1 + condition;
    const auto table = requireDatabase().OpenQuery(sql, patterns);
    std::vector<CardSummary> cards;
    cards.reserve(table->RowCount());
    for (table->GoFirst(); !table->AtEnd(); table->GoNext()) {
        cards.push_back({table->IntegerValue(0), Win1252::Decode(table->BlobText(1)),
                         Win1252::Decode(table->BlobText(2)), Win1252::Decode(table->BlobText(3)),
                         Win1252::Decode(table->BlobText(4)), Win1252::Decode(table->BlobText(5)),
                         Win1252::Decode(table->BlobText(6))});
    }
    return cards;
}

TSQLiteTable& CategoryStore::Query(const QString& sql)
{
    TSQLiteDatabase& db = requireDatabase();
    m_cursor.reset();
    m_cursor = db.OpenQuery(sql);
    return *m_cursor;
}

TSQLiteDatabase& CategoryStore::requireDatabase() const
{
    if (!m_db)
        throw ESQLiteException(u"Archive not open: "_s + DatabasePath());
    return *m_db;
}

QByteArray CategoryStore::TrimValue(const QByteArray& value)
{
    return Win1252::Trimmed(value);
}

QList<QByteArray> CategoryStore::EncodeValues(const CardValues& values) const
{
    QList<QByteArray> encoded;
    encoded.reserve(CardFields::Count);
    for (int i = 0; i < CardFields::Count; ++i) {
        const auto bytes = Win1252::Encode(values[std::size_t(i)]);
        if (!bytes)
            throw ESQLiteException("Text not representable in Windows-1252 in column "_L1 +
                                   CardFields::All[std::size_t(i)].column);
        encoded.append(TrimValue(*bytes));
    }
    return encoded;
}

void CategoryStore::insertRow(const QList<QByteArray>& values)
{
    QString columns = "ID"_L1;
    QString params = "NULL"_L1;
    for (const CardField& f : CardFields::All) {
        columns += ','_L1 + f.column;
        params += ",?"_L1;
    }
    requireDatabase().ExecuteStatement("INSERT INTO "_L1 + m_category.tableName + '('_L1 + columns +
                                           ",Ext) VALUES ("_L1 + params + ",'JPG');"_L1,
                                       values);
}

void CategoryStore::updateRow(qint64 id, const QList<QByteArray>& values)
{
    QString assignments;
    for (const CardField& f : CardFields::All) {
        if (!assignments.isEmpty())
            assignments += ','_L1;
        assignments += f.column + "=?"_L1;
    }
    requireDatabase().ExecuteStatement("UPDATE "_L1 + m_category.tableName + " SET "_L1 + assignments +
                                           " WHERE ID="_L1 + QString::number(id) + ';'_L1,
                                       values);
}

QString CategoryStore::pictureSql(qint64 id) const
{
    return "UPDATE "_L1 + m_category.tableName + " SET picture = ? WHERE ID = "_L1 + QString::number(id);
}

void CategoryStore::inTransaction(const std::function<void(TSQLiteDatabase&)>& work)
{
    TSQLiteDatabase& db = requireDatabase();
    db.StartTransaction();
    try {
        work(db);
        db.CommitTransaction();
    } catch (...) {
        // Undone at once, so that no lock outlives the failure.
        try {
            db.RollbackTransaction();
        } catch (const ESQLiteException&) {
            // The connection is replaced at the next OpenArchive, which rolls back all the same.
        }
        throw;
    }
}

qint64 CategoryStore::InsertCard(const CardValues& values)
{
    const QList<QByteArray> encoded = EncodeValues(values);
    qint64 id = 0;
    inTransaction([&](TSQLiteDatabase& db) {
        insertRow(encoded);
        id = db.LastRowId();
        ScheduleTables::RemoveCardRows(db, id);
    });
    return id;
}

void CategoryStore::UpdateCard(qint64 id, const CardValues& values)
{
    const QList<QByteArray> encoded = EncodeValues(values);
    inTransaction([&](TSQLiteDatabase&) { updateRow(id, encoded); });
}

QByteArray CategoryStore::ReadPictureFile(const QString& filePath)
{
    QFile file(filePath);
    if (!file.open(QIODevice::ReadOnly))
        throw ESQLiteException(u"Cannot open picture file \"%1\" : %2"_s.arg(filePath, file.errorString()));
    QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        throw ESQLiteException(u"Cannot read picture file \"%1\" : %2"_s.arg(filePath, file.errorString()));
    if (bytes.isEmpty())
        throw ESQLiteException(u"Picture file \"%1\" is empty"_s.arg(filePath));
    return bytes;
}

void CategoryStore::StorePicture(qint64 id, const QString& filePath)
{
    // The file is read whole before any statement runs, so a file that cannot be read changes nothing.
    const QByteArray bytes = ReadPictureFile(filePath);
    requireDatabase().StoreBlob(pictureSql(id), bytes);
}

qint64 CategoryStore::SaveCard(std::optional<qint64> id, const CardValues& values, const QString& photoPath,
                               const StoredCard* expected, StoredCard* written)
{
    const QList<QByteArray> encoded = EncodeValues(values);
    const QString path = Win1252::Trimmed(photoPath);
    const QByteArray photo = path.isEmpty() ? QByteArray() : ReadPictureFile(path);
    inTransaction([&](TSQLiteDatabase& db) {
        if (id && expected) {
            // Read inside the transaction, so that no other copy can write between the check and the update.
            const auto current = db.OpenQuery(QueryById(*id));
            if (current->RowCount() == 0)
                throw ESQLiteException(u"La scheda %1 non \u00e8 pi\u00f9 presente in archivio"_s.arg(*id));
            if (ReadStoredCard(*current) != *expected)
                throw ECardChangedElsewhere(
                    u"The card %1 was changed in the archive after it was read"_s.arg(*id));
        }
        if (id) {
            updateRow(*id, encoded);
            if (db.Changes() == 0)
                throw ESQLiteException(u"La scheda %1 non \u00e8 pi\u00f9 presente in archivio"_s.arg(*id));
        } else {
            insertRow(encoded);
            id = db.LastRowId();
            // The identifier of a card deleted by another program may come back: the schedule rows it
            // left must never attach to the new animal.
            ScheduleTables::RemoveCardRows(db, *id);
        }
        if (!photo.isEmpty())
            db.StoreBlob(pictureSql(*id), photo);
        if (written) {
            const auto stored = db.OpenQuery(QueryById(*id));
            if (stored->RowCount() == 0)
                throw ESQLiteException(u"The card %1 could not be read back"_s.arg(*id));
            *written = ReadStoredCard(*stored);
        }
    });
    return *id;
}

void CategoryStore::DeleteCard(qint64 id)
{
    DeleteRow(id);
    Query(QueryFirst());
}

void CategoryStore::DeleteRow(qint64 id)
{
    // The card's schedule and booklet go with it, in the same transaction.
    inTransaction([&](TSQLiteDatabase& db) {
        db.ExecuteStatement("DELETE FROM "_L1 + m_category.tableName + " WHERE ID="_L1 + QString::number(id));
        ScheduleTables::RemoveCardRows(db, id);
    });
}

void CategoryStore::CompactArchive()
{
    TSQLiteDatabase& db = requireDatabase();
    // VACUUM builds a copy of the whole archive in temporary storage: on disk, so that a large archive
    // does not have to fit in memory.
    db.ExecuteStatement(u"PRAGMA temp_store = FILE;"_s);
    struct RestoreMemoryTempStore
    {
        TSQLiteDatabase& db;
        ~RestoreMemoryTempStore()
        {
            try {
                db.ExecuteStatement(u"PRAGMA temp_store = MEMORY;"_s);
            } catch (const ESQLiteException&) {
                // Only this connection's temporary storage is affected, and it is replaced at the next open.
            }
        }
    } restore{db};
    db.ExecuteStatement(u"VACUUM;"_s);
}

StoredCard CategoryStore::ReadStoredCard(const TSQLiteTable& row)
{
    StoredCard card;
    card.texts.reserve(CardFields::Count);
    for (const CardField& f : CardFields::All)
        card.texts.append(row.BlobText(row.ColumnIndexOf(QString(f.column))));
    if (const QByteArray* picture = row.BlobStream(row.ColumnIndexOf(u"picture"_s)))
        card.picture = *picture;
    return card;
}

CardValues CategoryStore::ReadCard(const TSQLiteTable& row)
{
    CardValues values;
    for (int i = 0; i < CardFields::Count; ++i)
        values[std::size_t(i)] =
            Win1252::Decode(row.BlobText(row.ColumnIndexOf(QString(CardFields::All[std::size_t(i)].column))));
    return values;
}

// Lists of the whole archive.

QString CategoryStore::QueryFieldsOfAll(std::span<const int> fields) const
{
    QString columns;
    for (const int f : fields) {
        if (!columns.isEmpty())
            columns += u',';
        columns += CardFields::All.at(std::size_t(f)).column;
    }
    return "SELECT "_L1 + columns + " FROM "_L1 + m_category.tableName + " ORDER BY ID"_L1;
}
