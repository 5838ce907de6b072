// SPDX-License-Identifier: GPL-3.0-or-later
#include "ArchiveCardSource.h"

#include "ImportError.h"
#include "ZipReader.h"
#include "storage/ArchiveStore.h"
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

QStringList ArchiveCardSource::Finish(CardBatch& target, bool write)
{
    QStringList lines;
    const bool entries = hasTable("Scadenze");
    const bool treatments = hasTable("Trattamenti");
    if (!entries && !treatments)
        return lines;
    QHash<qint64, qint64> newEntryIds;
    qint64 entryCount = 0, treatmentCount = 0;
    // Each row of the card's schedule with its card, and the entry a treatment fulfilled, remapped.
    auto copy = [&](bool isEntries) {
        const auto& columns = isEntries ? ScheduleTables::EntryColumns : ScheduleTables::TreatmentColumns;
        QString names;
        for (const char* c : columns)
            names += (names.isEmpty() ? QString() : u","_s) + QLatin1StringView(c);
        Query rows(m_db, u"SELECT %1 FROM %2 ORDER BY ID"_s.arg(
                             names, QLatin1StringView(isEntries ? ScheduleTables::Entries
                                                                : ScheduleTables::Treatments)));
        int rc;
        while ((rc = sqlite3_step(rows.get())) == SQLITE_ROW) {
            const qint64 card = sqlite3_column_int64(rows.get(), 1);
            if (!m_newIds.contains(card))
                continue; // a row of a card not imported (a duplicate left out) or deleted there
            ++(isEntries ? entryCount : treatmentCount);
            if (!write)
                continue;
            ScheduleTables::Row row;
            for (int c = 2; c < int(row.size()); ++c) {
                if (sqlite3_column_type(rows.get(), c) != SQLITE_NULL)
                    row[std::size_t(c)] = columnBytes(rows.get(), c);
            }
            row[1] = QByteArray::number(m_newIds.value(card));
            if (!isEntries) {
                // NULL when the entry it fulfilled was not carried over.
                const qint64 entry = sqlite3_column_int64(rows.get(), 2);
                row[2] = row[2] && newEntryIds.contains(entry)
                             ? std::optional(QByteArray::number(newEntryIds.value(entry)))
                             : std::nullopt;
            }
            const qint64 id = target.InsertScheduleRow(isEntries, row);
            if (isEntries)
                newEntryIds.insert(sqlite3_column_int64(rows.get(), 0), id);
        }
        if (rc != SQLITE_DONE)
            throw EImportError(u"Lettura delle scadenze di origine non riuscita: %1."_s.arg(
                QString::fromUtf8(sqlite3_errmsg(m_db))));
    };
    if (entries)
        copy(true);
    if (treatments)
        copy(false);
    lines << (write ? u"Scadenze importate: %1"_s : u"Scadenze da importare: %1"_s).arg(entryCount)
          << (write ? u"Trattamenti importati: %1"_s : u"Trattamenti da importare: %1"_s).arg(treatmentCount);
    return lines;
}
