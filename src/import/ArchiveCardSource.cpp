// SPDX-License-Identifier: GPL-3.0-or-later
#include "ArchiveCardSource.h"

#include "ImportError.h"
#include "ZipReader.h"
#include "storage/CardFields.h"
#include "storage/TSQLiteDatabase.h"
#include "storage/Win1252.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <sqlite3.h>

using namespace Qt::Literals::StringLiterals;

namespace {

QByteArray columnBytes(sqlite3_stmt* stmt, int column)
{
    const auto* data = static_cast<const char*>(sqlite3_column_blob(stmt, column));
    return QByteArray(data, sqlite3_column_bytes(stmt, column));
}

// A statement on the other archive, finalised on every path.
class Query
{
public:
    Query(sqlite3* db, const QString& sql)
    {
        if (sqlite3_prepare_v2(db, sql.toUtf8().constData(), -1, &m_stmt, nullptr) != SQLITE_OK)
            throw EImportError(u"Lettura dell'archivio di origine non riuscita: %1."_s.arg(
                QString::fromUtf8(sqlite3_errmsg(db))));
    }
    ~Query() { sqlite3_finalize(m_stmt); }
    Query(const Query&) = delete;
    Query& operator=(const Query&) = delete;
    sqlite3_stmt* get() const { return m_stmt; }

private:
    sqlite3_stmt* m_stmt = nullptr;
};

// The target's statement, bound and run once per row.
void runBound(TSQLiteDatabase& target, sqlite3_stmt* stmt, const QString& sql)
{
    const int rc = sqlite3_step(stmt);
    sqlite3_reset(stmt);
    if (rc != SQLITE_DONE)
        target.RaiseSqlError(u"Could not store an imported schedule row"_s, sql);
}

} // namespace

bool ArchiveCardSource::IsArchiveSource(const QString& path)
{
    return QFileInfo(path).isDir() || path.endsWith(u".zip"_s, Qt::CaseInsensitive);
}

ArchiveCardSource::ArchiveCardSource(const QString& path, const CategoryDescriptor& category)
    : m_category(category)
{
    const QString fileName(category.databaseFileName);
    QString database;
    if (QFileInfo(path).isDir()) {
        database = QDir(path).filePath(fileName);
        if (!QFileInfo::exists(database))
            throw EImportError(
                u"La cartella \u00ab%1\u00bb non contiene l'archivio %2."_s.arg(path, fileName));
    } else {
        ZipReader zip(path);
        if (!zip.Contains(fileName))
            throw EImportError(u"La copia \u00ab%1\u00bb non contiene l'archivio %2."_s.arg(path, fileName));
        m_unpacked = std::make_unique<QTemporaryDir>();
        database = m_unpacked->filePath(fileName);
        QFile out(database);
        const auto member = zip.Open(fileName);
        if (!m_unpacked->isValid() || !out.open(QIODevice::WriteOnly))
            throw EImportError(u"Impossibile estrarre l'archivio %1: %2."_s.arg(fileName, out.errorString()));
        QByteArray block(1 << 20, Qt::Uninitialized);
        for (;;) {
            const qint64 n = member->read(block.data(), block.size());
            if (n < 0 || member->Failed())
                throw EImportError(
                    u"La copia \u00ab%1\u00bb \u00e8 danneggiata: %2."_s.arg(path, member->errorString()));
            if (n == 0)
                break;
            if (out.write(block.constData(), n) != n)
                throw EImportError(
                    u"Impossibile estrarre l'archivio %1: %2."_s.arg(fileName, out.errorString()));
        }
        out.close();
    }
    if (sqlite3_open_v2(QFile::encodeName(database).constData(), &m_db, SQLITE_OPEN_READONLY, nullptr) !=
        SQLITE_OK) {
        const QString why = m_db ? QString::fromUtf8(sqlite3_errmsg(m_db)) : u"memoria insufficiente"_s;
        sqlite3_close(m_db);
        m_db = nullptr;
        throw EImportError(u"L'archivio \u00ab%1\u00bb non si apre: %2."_s.arg(database, why));
    }
    sqlite3_busy_timeout(m_db, TSQLiteDatabase::DefaultBusyTimeoutMs);
    try {
        if (!hasTable(category.tableName.data()))
            throw EImportError(u"L'archivio \u00ab%1\u00bb non contiene schede."_s.arg(database));
        {
            Query count(m_db, u"SELECT COUNT(*) FROM "_s + category.tableName);
            if (sqlite3_step(count.get()) == SQLITE_ROW)
                m_total = sqlite3_column_int64(count.get(), 0);
        }
        QString columns;
        for (const CardField& f : CardFields::All)
            columns += f.column + u',';
        const QString sql =
            u"SELECT ID,"_s + columns + u"Picture FROM "_s + category.tableName + u" ORDER BY ID"_s;
        if (sqlite3_prepare_v2(m_db, sql.toUtf8().constData(), -1, &m_cards, nullptr) != SQLITE_OK)
            throw EImportError(u"L'archivio \u00ab%1\u00bb non \u00e8 leggibile: %2."_s.arg(
                database, QString::fromUtf8(sqlite3_errmsg(m_db))));
    } catch (...) {
        sqlite3_close(m_db);
        throw;
    }
}

ArchiveCardSource::~ArchiveCardSource()
{
    sqlite3_finalize(m_cards);
    sqlite3_close(m_db);
}

bool ArchiveCardSource::hasTable(const char* name) const
{
    Query q(m_db, u"SELECT 1 FROM sqlite_master WHERE type='table' AND lower(name)=lower(?)"_s);
    sqlite3_bind_text(q.get(), 1, name, -1, SQLITE_TRANSIENT);
    return sqlite3_step(q.get()) == SQLITE_ROW;
}

bool ArchiveCardSource::Next(ImportCandidate& card)
{
    const int rc = sqlite3_step(m_cards);
    if (rc == SQLITE_DONE)
        return false;
    if (rc != SQLITE_ROW)
        throw EImportError(u"Lettura dell'archivio di origine non riuscita: %1."_s.arg(
            QString::fromUtf8(sqlite3_errmsg(m_db))));
    ++m_read;
    card = ImportCandidate{};
    card.sourceId = sqlite3_column_int64(m_cards, 0);
    card.row = card.sourceId;
    for (int f = 0; f < CardFields::Count; ++f)
        card.values[std::size_t(f)] = Win1252::Decode(columnBytes(m_cards, f + 1));
    card.photo = columnBytes(m_cards, CardFields::Count + 1);
    return true;
}

double ArchiveCardSource::Progress() const
{
    return m_total > 0 ? double(m_read) / double(m_total) : 1.0;
}

QString ArchiveCardSource::RowWord() const
{
    return u"scheda"_s;
}

void ArchiveCardSource::Inserted(qint64 sourceId, qint64 newId)
{
    m_newIds.insert(sourceId, newId);
}

QStringList ArchiveCardSource::Finish(TSQLiteDatabase* target, bool write)
{
    QStringList lines;
    const bool entries = hasTable("Scadenze");
    const bool treatments = hasTable("Trattamenti");
    if (!entries && !treatments)
        return lines;
    if (write) {
        // The tables as the schedule keeps them, created in this same transaction when missing.
        target->ExecuteStatement(
            u"CREATE TABLE IF NOT EXISTS Scadenze (ID INTEGER PRIMARY KEY, IDScheda INTEGER NOT "
            "NULL, Tipo TEXT NOT NULL, Descrizione TEXT, Scadenza TEXT NOT NULL, RipetiMesi "
            "INTEGER NOT NULL DEFAULT 0, Note TEXT)"_s);
        target->ExecuteStatement(u"CREATE INDEX IF NOT EXISTS Scadenze_Scadenza ON Scadenze (Scadenza)"_s);
        target->ExecuteStatement(u"CREATE INDEX IF NOT EXISTS Scadenze_IDScheda ON Scadenze (IDScheda)"_s);
        target->ExecuteStatement(
            u"CREATE TABLE IF NOT EXISTS Trattamenti (ID INTEGER PRIMARY KEY, IDScheda INTEGER "
            "NOT NULL, IDScadenza INTEGER, Tipo TEXT, Descrizione TEXT, Data TEXT, Note TEXT)"_s);
        target->ExecuteStatement(
            u"CREATE INDEX IF NOT EXISTS Trattamenti_IDScheda ON Trattamenti (IDScheda)"_s);
        target->ExecuteStatement(
            u"CREATE INDEX IF NOT EXISTS Trattamenti_IDScadenza ON Trattamenti (IDScadenza)"_s);
    }
    QHash<qint64, qint64> newEntryIds;
    qint64 entryCount = 0, treatmentCount = 0;
    auto copy = [&](const QString& select, const QString& insert, int columns, bool isEntries) {
        Query rows(m_db, select);
        sqlite3_stmt* stmt = nullptr;
        if (write && sqlite3_prepare_v2(target->handle(), insert.toUtf8().constData(), -1, &stmt, nullptr) !=
                         SQLITE_OK)
            target->RaiseSqlError(u"Could not prepare the schedule's import"_s, insert);
        struct Finalise
        {
            sqlite3_stmt* s;
            ~Finalise() { sqlite3_finalize(s); }
        } finalise{stmt};
        int rc;
        while ((rc = sqlite3_step(rows.get())) == SQLITE_ROW) {
            const qint64 card = sqlite3_column_int64(rows.get(), 1);
            if (!m_newIds.contains(card))
                continue; // a row of a card not imported (a duplicate left out) or deleted there
            ++(isEntries ? entryCount : treatmentCount);
            if (!write)
                continue;
            sqlite3_bind_int64(stmt, 1, m_newIds.value(card));
            for (int c = 2; c < columns; ++c) {
                sqlite3_value* v = sqlite3_column_value(rows.get(), c);
                if (!isEntries && c == 2) {
                    // The entry it fulfilled, remapped; NULL when that entry was not carried over.
                    const qint64 entry = sqlite3_column_int64(rows.get(), c);
                    if (sqlite3_column_type(rows.get(), c) != SQLITE_NULL && newEntryIds.contains(entry))
                        sqlite3_bind_int64(stmt, c, newEntryIds.value(entry));
                    else
                        sqlite3_bind_null(stmt, c);
                } else {
                    sqlite3_bind_value(stmt, c, v);
                }
            }
            runBound(*target, stmt, insert);
            if (isEntries)
                newEntryIds.insert(sqlite3_column_int64(rows.get(), 0), target->LastRowId());
        }
        if (rc != SQLITE_DONE)
            throw EImportError(u"Lettura delle scadenze di origine non riuscita: %1."_s.arg(
                QString::fromUtf8(sqlite3_errmsg(m_db))));
    };
    if (entries)
        copy(
            u"SELECT ID,IDScheda,Tipo,Descrizione,Scadenza,RipetiMesi,Note FROM Scadenze ORDER BY ID"_s,
            u"INSERT INTO Scadenze (IDScheda,Tipo,Descrizione,Scadenza,RipetiMesi,Note) VALUES (?,?,?,?,?,?)"_s,
            7, true);
    if (treatments)
        copy(
            u"SELECT ID,IDScheda,IDScadenza,Tipo,Descrizione,Data,Note FROM Trattamenti ORDER BY ID"_s,
            u"INSERT INTO Trattamenti (IDScheda,IDScadenza,Tipo,Descrizione,Data,Note) VALUES (?,?,?,?,?,?)"_s,
            7, false);
    lines << (write ? u"Scadenze importate: %1"_s : u"Scadenze da importare: %1"_s).arg(entryCount)
          << (write ? u"Trattamenti importati: %1"_s : u"Trattamenti da importare: %1"_s).arg(treatmentCount);
    return lines;
}
