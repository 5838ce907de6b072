// SPDX-License-Identifier: GPL-3.0-or-later
#include "ServerArchiveStore.h"

#include "PgConnection.h"
#include "ServerLink.h"
#include "ServerSchema.h"
#include "storage/ByteLike.h"
#include "storage/Win1252.h"

using namespace Qt::Literals::StringLiterals;

namespace {

// ID, the 36 texts and the photo: a card read whole.
QString cardColumns()
{
    QString columns = u"ID"_s;
    for (const CardField& f : CardFields::All)
        columns += u',' + f.column;
    return columns + ",Picture"_L1;
}

// The columns of a result line, after the ID.
constexpr std::array<int, 6> SummaryFields = {CardFields::Nome,     CardFields::Razza,    CardFields::Sesso,
                                              CardFields::DataNasc, CardFields::Telefono, CardFields::Prezzo};

[[noreturn]] void raiseGone(qint64 id)
{
    throw ESQLiteException(u"La scheda %1 non \u00e8 pi\u00f9 presente in archivio"_s.arg(id));
}

} // namespace

ServerArchiveStore::ServerArchiveStore(const CategoryDescriptor& category, std::shared_ptr<ServerLink> link)
    : m_category(category)
    , m_link(std::move(link))
    , m_table(ServerSchema::CardTable(category))
{}

QString ServerArchiveStore::Location() const
{
    return u"server degli archivi, schema "_s + ServerSchema::SchemaName(m_category);
}

void ServerArchiveStore::Open()
{
    m_link->Connection();
}

std::optional<ArchiveCard> ServerArchiveStore::cardOf(const PgResult& result)
{
    if (result.Rows() == 0)
        return std::nullopt;
    ArchiveCard card;
    card.id = result.Number(0, 0);
    card.stored.texts.reserve(CardFields::Count);
    for (int i = 0; i < CardFields::Count; ++i)
        card.stored.texts.append(result.Bytes(0, i + 1));
    card.stored.picture = result.Bytes(0, CardFields::Count + 1);
    return card;
}

std::optional<ArchiveCard> ServerArchiveStore::cardWhere(PgConnection& connection, const QString& tail,
                                                         const std::vector<qint64>& values)
{
    std::vector<PgParam> params;
    for (const qint64 v : values)
        params.push_back(PgParam::Number(v));
    return cardOf(
        connection.Exec("SELECT "_L1 + cardColumns() + " FROM "_L1 + m_table + u' ' + tail, params));
}

std::optional<ArchiveCard> ServerArchiveStore::cardWhere(const QString& tail,
                                                         const std::vector<qint64>& values)
{
    std::optional<ArchiveCard> card;
    m_link->Read([&](PgConnection& connection) { card = cardWhere(connection, tail, values); });
    return card;
}

std::optional<ArchiveCard> ServerArchiveStore::Position(Step step, std::optional<qint64> from)
{
    switch (step) {
    case Step::First:
        break;
    case Step::Previous:
        if (from)
            return cardWhere(u"WHERE ID < $1 ORDER BY ID DESC LIMIT 1"_s, {*from});
        break;
    case Step::Next:
        if (from)
            return cardWhere(u"WHERE ID > $1 ORDER BY ID LIMIT 1"_s, {*from});
        break;
    case Step::Last:
        return cardWhere(u"ORDER BY ID DESC LIMIT 1"_s);
    }
    return cardWhere(u"ORDER BY ID LIMIT 1"_s);
}

std::optional<ArchiveCard> ServerArchiveStore::Read(qint64 id)
{
    return cardWhere(u"WHERE ID = $1"_s, {id});
}

std::vector<CardSummary> ServerArchiveStore::FindByField(int field, const QString& key)
{
    if (field < 0 || field >= CardFields::EditableCount)
        throw ESQLiteException(u"Not a searchable field: %1"_s.arg(field));
    return findCards({field}, {key});
}

std::vector<CardSummary> ServerArchiveStore::FindByFields(const AdvancedSearchTexts& texts)
{
    return findCards(std::vector<int>(AdvancedSearchFields.begin(), AdvancedSearchFields.end()),
                     QList<QString>(texts.begin(), texts.end()));
}

std::vector<CardSummary> ServerArchiveStore::findCards(const std::vector<int>& fields,
                                                       const QList<QString>& keys)
{
    // A key that matches every value ("%%" once trimmed, the empty key among them) needs no column read.
    QList<QByteArray> patterns;
    QString columns = u"ID"_s;
    for (const int f : SummaryFields)
        columns += u',' + CardFields::All[std::size_t(f)].column;
    for (std::size_t k = 0; k < fields.size(); ++k) {
        const auto bytes = Win1252::Encode(keys.at(qsizetype(k)));
        if (!bytes) {
            Open();    // the archive is made ready all the same, as a search on files does
            return {}; // no stored text can hold that character
        }
        const QByteArray pattern = '%' + Win1252::Trimmed(*bytes) + '%';
        if (pattern.count('%') == pattern.size())
            continue;
        patterns.append(pattern);
        columns += u',' + CardFields::All[std::size_t(fields[k])].column;
    }
    std::vector<CardSummary> cards;
    m_link->Read([&](PgConnection& connection) {
        cards.clear();
        const PgResult rows =
            connection.Exec("SELECT "_L1 + columns + " FROM "_L1 + m_table + " ORDER BY ID"_L1);
        const int firstSearched = 1 + int(SummaryFields.size());
        for (int r = 0; r < rows.Rows(); ++r) {
            bool matches = true;
            for (int k = 0; matches && k < patterns.size(); ++k)
                matches = ByteLike::Matches(patterns[k], rows.View(r, firstSearched + k));
            if (!matches)
                continue;
            auto text = [&](int column) { return Win1252::Decode(rows.Bytes(r, column)); };
            cards.push_back({rows.Number(r, 0), text(1), text(2), text(3), text(4), text(5), text(6)});
        }
    });
    return cards;
}

qint64 ServerArchiveStore::SaveCard(std::optional<qint64> id, const CardValues& values,
                                    const QString& photoPath, const StoredCard* expected, StoredCard* written)
{
    std::vector<PgParam> params;
    params.reserve(CardFields::Count + 2);
    for (int i = 0; i < CardFields::Count; ++i) {
        const auto bytes = Win1252::Encode(values[std::size_t(i)]);
        if (!bytes)
            throw ESQLiteException("Text not representable in Windows-1252 in column "_L1 +
                                   CardFields::All[std::size_t(i)].column);
        params.push_back(PgParam::Bytes(Win1252::Trimmed(*bytes)));
    }
    // The photo file is read whole before anything is sent, so a file that cannot be read changes nothing.
    const QString path = Win1252::Trimmed(photoPath);
    const QByteArray photo = path.isEmpty() ? QByteArray() : CategoryStore::ReadPictureFile(path);

    // The statement gives back the identifier and the texts as stored, so that the card written needs no
    // second read (nor its photo a second transfer).
    QString returning = u" RETURNING ID"_s;
    for (const CardField& f : CardFields::All)
        returning += u',' + f.column;
    QString sql;
    if (id) {
        sql = "UPDATE "_L1 + m_table + " SET "_L1;
        for (int i = 0; i < CardFields::Count; ++i)
            sql += CardFields::All[std::size_t(i)].column + "=$"_L1 + QString::number(i + 1) + u',';
        int next = CardFields::Count + 1;
        if (!photo.isEmpty()) {
            sql += "Picture=$"_L1 + QString::number(next++) + u',';
            params.push_back(PgParam::Bytes(photo));
        }
        sql.chop(1);
        sql += " WHERE ID=$"_L1 + QString::number(next) + returning;
        params.push_back(PgParam::Number(*id));
    } else {
        sql = "INSERT INTO "_L1 + m_table + " ("_L1;
        QString placeholders;
        for (int i = 0; i < CardFields::Count; ++i) {
            sql += CardFields::All[std::size_t(i)].column + u',';
            placeholders += u'$' + QString::number(i + 1) + u',';
        }
        sql += "Picture,Ext) VALUES ("_L1 + placeholders + u'$' + QString::number(CardFields::Count + 1) +
               ",'JPG')"_L1 + returning;
        params.push_back(photo.isEmpty() ? PgParam::Null() : PgParam::Bytes(photo));
    }

    qint64 stored = 0;
    m_link->Write([&](PgConnection& connection) {
        std::optional<ArchiveCard> current;
        if (id && expected) {
            // The row stays locked until the transaction ends: no other workstation writes it between the
            // check and the update.
            current = cardWhere(connection, u"WHERE ID = $1 FOR UPDATE"_s, {*id});
            if (!current)
                raiseGone(*id);
            if (current->stored != *expected)
                throw ECardChangedElsewhere(
                    u"The card %1 was changed in the archive after it was read"_s.arg(*id));
        }
        const PgResult result = connection.Exec(sql, params);
        if (result.Rows() == 0) {
            if (id)
                raiseGone(*id);
            throw ESQLiteException(u"The new card's identifier did not come back"_s);
        }
        stored = result.Number(0, 0);
        if (written) {
            StoredCard card;
            card.texts.reserve(CardFields::Count);
            for (int i = 0; i < CardFields::Count; ++i)
                card.texts.append(result.Bytes(0, i + 1));
            // The photo: the one just stored; a new card's none; the one the check read under the row lock;
            // read only when none of these is known.
            if (!photo.isEmpty())
                card.picture = photo;
            else if (current)
                card.picture = current->stored.picture;
            else if (id)
                card.picture = connection
                                   .Exec("SELECT Picture FROM "_L1 + m_table + " WHERE ID = $1"_L1,
                                         {PgParam::Number(stored)})
                                   .Bytes(0, 0);
            *written = std::move(card);
        }
    });
    return stored;
}

void ServerArchiveStore::DeleteCard(qint64 id)
{
    // The card first: a schedule write for it holds the card's row (FOR KEY SHARE) until it commits, so
    // the deletes of the schedule's rows, which come after, see what it wrote.
    m_link->Write([&](PgConnection& connection) {
        connection.Exec("DELETE FROM "_L1 + m_table + " WHERE ID = $1"_L1, {PgParam::Number(id)});
        for (const QString& table :
             {ServerSchema::ScheduleTable(m_category), ServerSchema::TreatmentTable(m_category)})
            connection.Exec("DELETE FROM "_L1 + table + " WHERE IDScheda = $1"_L1, {PgParam::Number(id)});
    });
}

std::vector<QList<QByteArray>> ServerArchiveStore::FieldsOfAll(std::span<const int> fields)
{
    QString columns;
    for (const int f : fields)
        columns += (columns.isEmpty() ? u""_s : u","_s) + CardFields::All.at(std::size_t(f)).column;
    std::vector<QList<QByteArray>> rows;
    m_link->Read([&](PgConnection& connection) {
        rows.clear();
        const PgResult result =
            connection.Exec("SELECT "_L1 + columns + " FROM "_L1 + m_table + " ORDER BY ID"_L1);
        rows.reserve(std::size_t(result.Rows()));
        for (int r = 0; r < result.Rows(); ++r) {
            QList<QByteArray> texts;
            texts.reserve(qsizetype(fields.size()));
            for (int c = 0; c < result.Columns(); ++c)
                texts.append(result.Bytes(r, c));
            rows.push_back(std::move(texts));
        }
    });
    return rows;
}

qint64 ServerArchiveStore::CardCount()
{
    qint64 count = 0;
    m_link->Read([&](PgConnection& connection) {
        count = connection.Exec("SELECT count(*) FROM "_L1 + m_table).Number(0, 0);
    });
    return count;
}

namespace {

// The import's writes into the archive's schema, inside the transaction of one ServerLink::Write; or, in a
// dry run (no connection given), its reads only, each through the link.
class ServerCardBatch final : public CardBatch
{
public:
    ServerCardBatch(const CategoryDescriptor& category, ServerLink& link, PgConnection* connection)
        : m_category(category)
        , m_link(link)
        , m_connection(connection)
        , m_table(ServerSchema::CardTable(category))
    {}

    void ForEachCard(std::span<const int> fields,
                     const std::function<void(qint64, const QList<QByteArray>&)>& each) override
    {
        QString columns = u"ID"_s;
        for (const int f : fields)
            columns += u',' + CardFields::All.at(std::size_t(f)).column;
        const QString sql = "SELECT "_L1 + columns + " FROM "_L1 + m_table + " ORDER BY ID"_L1;
        auto walk = [&](const PgResult& result) {
            QList<QByteArray> texts;
            for (int r = 0; r < result.Rows(); ++r) {
                texts.clear();
                for (int c = 1; c < result.Columns(); ++c)
                    texts.append(result.Bytes(r, c));
                each(result.Number(r, 0), texts);
            }
        };
        if (m_connection) {
            walk(m_connection->Exec(sql));
            return;
        }
        // Read whole before each card is handed on: a read the link makes again on a new connection
        // never hands a card twice.
        std::optional<PgResult> result;
        m_link.Read([&](PgConnection& connection) { result.emplace(connection.Exec(sql)); });
        walk(*result);
    }

    qint64 Insert(const std::array<QByteArray, CardFields::Count>& texts, const QByteArray& photo) override
    {
        if (m_insert.isEmpty()) {
            QString placeholders;
            m_insert = "INSERT INTO "_L1 + m_table + " ("_L1;
            for (int i = 0; i < CardFields::Count; ++i) {
                m_insert += CardFields::All[std::size_t(i)].column + u',';
                placeholders += u'$' + QString::number(i + 1) + u',';
            }
            m_insert += "Picture,Ext) VALUES ("_L1 + placeholders + u'$' +
                        QString::number(CardFields::Count + 1) + ",'JPG') RETURNING ID"_L1;
        }
        std::vector<PgParam> params;
        params.reserve(CardFields::Count + 1);
        for (const QByteArray& text : texts)
            params.push_back(PgParam::Bytes(text));
        params.push_back(photo.isEmpty() ? PgParam::Null() : PgParam::Bytes(photo));
        return writing().Exec(m_insert, params).Number(0, 0);
    }

    qint64 InsertScheduleRow(bool entry, const ScheduleTables::Row& row) override
    {
        const auto& columns = entry ? ScheduleTables::EntryColumns : ScheduleTables::TreatmentColumns;
        QString names;
        std::vector<PgParam> params;
        for (std::size_t c = 1; c < columns.size(); ++c) {
            names += (c > 1 ? u","_s : QString()) + QLatin1StringView(columns[c]);
            params.push_back(row[c] ? PgParam{*row[c], false} : PgParam::Null());
        }
        const QString table =
            entry ? ServerSchema::ScheduleTable(m_category) : ServerSchema::TreatmentTable(m_category);
        return writing()
            .Exec("INSERT INTO "_L1 + table + " ("_L1 + names +
                      ") VALUES ($1,$2,$3,$4,$5,$6) RETURNING ID"_L1,
                  params)
            .Number(0, 0);
    }

private:
    PgConnection& writing()
    {
        if (!m_connection)
            throw ESQLiteException(u"A trial import writes nothing"_s);
        return *m_connection;
    }

    const CategoryDescriptor& m_category;
    ServerLink& m_link;
    PgConnection* m_connection;
    QString m_table;
    QString m_insert;
};

// Raised through the link's transaction to roll it back when the import decides to store nothing.
struct KeepNothing
{};

} // namespace

void ServerArchiveStore::AddCards(bool write, const std::function<bool(CardBatch&)>& work)
{
    if (!write) {
        ServerCardBatch batch(m_category, *m_link, nullptr);
        work(batch);
        return;
    }
    try {
        m_link->Write([&](PgConnection& connection) {
            // Two imports into one archive run one after the other, so that the second sees the first's
            // cards among the duplicates. A workstation saving a single card is not kept waiting.
            connection.Exec(u"SELECT pg_advisory_xact_lock(hashtext($1))"_s,
                            {PgParam::Text(u"importazione "_s + m_table)});
            ServerCardBatch batch(m_category, *m_link, &connection);
            if (!work(batch))
                throw KeepNothing{};
        });
    } catch (const KeepNothing&) {
        // Rolled back: nothing stored, as asked.
    }
}

std::vector<ArchiveRow> ServerArchiveStore::RowsAfter(qint64 afterId, int limit)
{
    std::vector<ArchiveRow> rows;
    m_link->Read([&](PgConnection& connection) {
        rows.clear();
        const PgResult result = connection.Exec("SELECT "_L1 + cardColumns() + ",Ext FROM "_L1 + m_table +
                                                    " WHERE ID > $1 ORDER BY ID LIMIT $2"_L1,
                                                {PgParam::Number(afterId), PgParam::Number(limit)});
        for (int r = 0; r < result.Rows(); ++r) {
            ArchiveRow row;
            row.id = result.Number(r, 0);
            for (int i = 0; i < CardFields::Count; ++i)
                row.texts[std::size_t(i)] = result.Value(r, i + 1);
            row.picture = result.Value(r, CardFields::Count + 1);
            row.ext = result.Value(r, CardFields::Count + 2);
            rows.push_back(std::move(row));
        }
    });
    return rows;
}

namespace {

QString columnList(const std::array<const char*, 7>& columns, const QString& suffix = {})
{
    QString list;
    for (const char* c : columns)
        list += (list.isEmpty() ? QString() : u","_s) + QLatin1StringView(c) + suffix;
    return list;
}

std::vector<ScheduleTables::Row> scheduleRowsOf(PgConnection& connection, const QString& table,
                                                const std::array<const char*, 7>& columns)
{
    // As text: the numbers in decimal, as the files give them.
    const PgResult result = connection.Exec("SELECT "_L1 + columnList(columns, u"::text"_s) + " FROM "_L1 +
                                            table + " ORDER BY ID"_L1);
    std::vector<ScheduleTables::Row> rows;
    rows.reserve(std::size_t(result.Rows()));
    for (int r = 0; r < result.Rows(); ++r) {
        ScheduleTables::Row row;
        for (int c = 0; c < int(row.size()); ++c)
            row[std::size_t(c)] = result.Value(r, c);
        rows.push_back(std::move(row));
    }
    return rows;
}

void writeScheduleRows(PgConnection& connection, const QString& table,
                       const std::array<const char*, 7>& columns,
                       const std::vector<ScheduleTables::Row>& rows)
{
    connection.Exec("DELETE FROM "_L1 + table);
    const QString sql = "INSERT INTO "_L1 + table + " ("_L1 + columnList(columns) +
                        ") OVERRIDING SYSTEM VALUE VALUES ($1,$2,$3,$4,$5,$6,$7)"_L1;
    for (const ScheduleTables::Row& row : rows) {
        std::vector<PgParam> params;
        for (const auto& value : row)
            params.push_back(value ? PgParam{*value, false} : PgParam::Null());
        connection.Exec(sql, params);
    }
}

// New rows of table get identifiers above every one it holds, above every one the server ever gave, and
// above the values of also (more maxima, as SQL), when given.
void raiseIdentity(PgConnection& connection, const QString& table, const QString& also = {})
{
    connection.Exec(u"SELECT setval(s::regclass, m) FROM (SELECT pg_get_serial_sequence($1, 'id') AS s, "
                    "GREATEST((SELECT max(ID) FROM "_s +
                        table + u')' + (also.isEmpty() ? QString() : u", "_s + also) +
                        ") AS m) AS c WHERE m > COALESCE(pg_sequence_last_value(s::regclass), 0)"_L1,
                    {PgParam::Text(table)});
}

} // namespace

ScheduleTables::Rows ServerArchiveStore::ScheduleRows()
{
    ScheduleTables::Rows rows;
    m_link->Read([&](PgConnection& connection) {
        rows.entries =
            scheduleRowsOf(connection, ServerSchema::ScheduleTable(m_category), ScheduleTables::EntryColumns);
        rows.treatments = scheduleRowsOf(connection, ServerSchema::TreatmentTable(m_category),
                                         ScheduleTables::TreatmentColumns);
    });
    return rows;
}

void ServerArchiveStore::ReplaceAll(const std::function<std::optional<ArchiveRow>()>& next,
                                    const ScheduleTables::Rows& schedule)
{
    QString sql = "INSERT INTO "_L1 + m_table + " (ID,"_L1;
    QString placeholders = u"$1,"_s;
    for (int i = 0; i < CardFields::Count; ++i) {
        sql += CardFields::All[std::size_t(i)].column + u',';
        placeholders += u'$' + QString::number(i + 2) + u',';
    }
    sql += "Picture,Ext) OVERRIDING SYSTEM VALUE VALUES ("_L1 + placeholders + u'$' +
           QString::number(CardFields::Count + 2) + ",$"_L1 + QString::number(CardFields::Count + 3) + u')';
    auto bytes = [](const std::optional<QByteArray>& v) { return v ? PgParam::Bytes(*v) : PgParam::Null(); };
    m_link->Write([&](PgConnection& connection) {
        connection.Exec("DELETE FROM "_L1 + m_table);
        while (const std::optional<ArchiveRow> row = next()) {
            std::vector<PgParam> params{PgParam::Number(row->id)};
            for (const auto& text : row->texts)
                params.push_back(bytes(text));
            params.push_back(bytes(row->picture));
            params.push_back(row->ext ? PgParam{*row->ext, false} : PgParam::Null());
            connection.Exec(sql, params);
        }
        writeScheduleRows(connection, ServerSchema::ScheduleTable(m_category), ScheduleTables::EntryColumns,
                          schedule.entries);
        writeScheduleRows(connection, ServerSchema::TreatmentTable(m_category),
                          ScheduleTables::TreatmentColumns, schedule.treatments);
        // New cards and schedule rows get identifiers above every copied one, and above every one the
        // server ever gave.
        // New cards also get identifiers above those of schedule rows whose card a program that knows
        // only the card table deleted from the file: such rows never attach to a new animal.
        const QString entries = ServerSchema::ScheduleTable(m_category);
        const QString treatments = ServerSchema::TreatmentTable(m_category);
        raiseIdentity(connection, m_table,
                      "(SELECT max(IDScheda) FROM "_L1 + entries + "), (SELECT max(IDScheda) FROM "_L1 +
                          treatments + u')');
        raiseIdentity(connection, entries);
        raiseIdentity(connection, treatments);
    });
}
