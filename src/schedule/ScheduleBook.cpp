// SPDX-License-Identifier: GPL-3.0-or-later
#include "ScheduleBook.h"

#include "ScheduleRules.h"
#include "storage/ESQLiteException.h"
#include "storage/FileScheduleSql.h"
#include "storage/TSQLiteDatabase.h"

#include <QDir>

using namespace Qt::Literals::StringLiterals;

namespace {

using Value = ScheduleSql::Value;

QString text(const ScheduleSql::Row& row, std::size_t column)
{
    return QString::fromUtf8(row.at(column).value_or(QByteArray()));
}

qint64 number(const ScheduleSql::Row& row, std::size_t column)
{
    return row.at(column).value_or(QByteArray("0")).toLongLong();
}

Value iso(const QDate& date)
{
    return ScheduleSql::Text(ScheduleRules::Iso(date));
}

const QString CardGone = u"La scheda non \u00e8 pi\u00f9 presente in archivio."_s;
const QString EntryGone = u"La scadenza non \u00e8 pi\u00f9 presente in archivio."_s;

} // namespace

ScheduleBook::ScheduleBook(const CategoryDescriptor& category, const QString& programFolder)
    : ScheduleBook(category,
                   std::make_unique<FileScheduleSql>(
                       category, std::make_unique<TSQLiteDatabase>(
                                     QDir(programFolder).filePath(QString(category.databaseFileName)))))
{}

ScheduleBook::ScheduleBook(const CategoryDescriptor& category, TSQLiteDatabase& db)
    : ScheduleBook(category, std::make_unique<FileScheduleSql>(category, db))
{}

ScheduleBook::ScheduleBook(const CategoryDescriptor& category, std::unique_ptr<ScheduleSql> tables)
    : m_category(category)
    , m_sql(std::move(tables))
{}

ScheduleBook::~ScheduleBook() = default;

TSQLiteDatabase& ScheduleBook::Database() const
{
    return dynamic_cast<FileScheduleSql&>(*m_sql).Database();
}

ScheduleTables::State ScheduleBook::Inspect() const
{
    return m_sql->Inspect();
}

QString ScheduleBook::sql(QString text) const
{
    return text.replace(u"{S}"_s, m_sql->EntriesTable())
        .replace(u"{T}"_s, m_sql->TreatmentsTable())
        .replace(u"{C}"_s, m_sql->CardTable())
        .replace(u"{B}"_s, m_sql->Bytewise());
}

std::vector<ScheduleEntry> ScheduleBook::Entries(qint64 cardId) const
{
    const ScheduleTables::State state = Inspect();
    if (state.kind == ScheduleTables::State::Kind::WrongColumns)
        throw ESQLiteException(state.problem);
    if (state.kind == ScheduleTables::State::Kind::Missing || !m_sql->HasCardTable())
        return {};
    const Value id = ScheduleSql::Number(cardId);
    // Rows of a card that no longer exists are never shown.
    const auto rows = m_sql->Query(
        sql(u"SELECT s.ID, s.IDScheda, s.Tipo, s.Descrizione, s.Scadenza, s.RipetiMesi, s.Note, %1 FROM {S} s "
            "WHERE s.IDScheda = ? AND EXISTS (SELECT 1 FROM {C} WHERE ID = ?) ORDER BY s.Scadenza{B}, s.ID"_s
                .arg(state.booklet ? u"(SELECT MAX(t.Data{B}) FROM {T} t WHERE t.IDScadenza = s.ID)"_s
                                   : u"NULL"_s)),
        {id, id});
    std::vector<ScheduleEntry> entries;
    for (const ScheduleSql::Row& row : rows) {
        ScheduleEntry e;
        e.id = number(row, 0);
        e.cardId = number(row, 1);
        e.kind = text(row, 2);
        e.description = text(row, 3);
        e.dueText = text(row, 4);
        e.due = ScheduleRules::ParseIso(e.dueText);
        e.repeatMonths = int(number(row, 5));
        e.note = text(row, 6);
        e.lastDone = ScheduleRules::ParseIso(text(row, 7));
        entries.push_back(std::move(e));
    }
    return entries;
}

std::vector<BookletRow> ScheduleBook::Booklet(qint64 cardId) const
{
    const ScheduleTables::State state = Inspect();
    if (state.kind == ScheduleTables::State::Kind::WrongColumns)
        throw ESQLiteException(state.problem);
    if (!state.booklet || !m_sql->HasCardTable())
        return {};
    const Value id = ScheduleSql::Number(cardId);
    const auto rows = m_sql->Query(
        sql(u"SELECT ID, IDScheda, IDScadenza, Tipo, Descrizione, Data, Note FROM {T} WHERE IDScheda = ? "
            "AND EXISTS (SELECT 1 FROM {C} WHERE ID = ?) ORDER BY Data{B} DESC, ID DESC"_s),
        {id, id});
    std::vector<BookletRow> booklet;
    for (const ScheduleSql::Row& row : rows) {
        BookletRow r;
        r.id = number(row, 0);
        r.cardId = number(row, 1);
        if (row.at(2))
            r.entryId = number(row, 2);
        r.kind = text(row, 3);
        r.description = text(row, 4);
        r.dateText = text(row, 5);
        r.date = ScheduleRules::ParseIso(r.dateText);
        r.note = text(row, 6);
        booklet.push_back(std::move(r));
    }
    return booklet;
}

void ScheduleBook::write(qint64 cardId, const std::function<void()>& work)
{
    m_sql->Write([&] {
        if (cardId >= 0 && !m_sql->CardExists(cardId))
            throw ESQLiteException(CardGone);
        work();
    });
}

qint64 ScheduleBook::cardOfEntry(qint64 entryId) const
{
    // Inside a write: the tables exist and the orphans are gone, so a missing entry or card is one.
    const auto rows =
        m_sql->Query(sql(u"SELECT IDScheda FROM {S} WHERE ID = ?"_s), {ScheduleSql::Number(entryId)});
    if (rows.empty())
        throw ESQLiteException(EntryGone);
    const qint64 cardId = number(rows.front(), 0);
    // Checked, and on the server kept, as for the writes that name the card.
    if (!m_sql->CardExists(cardId))
        throw ESQLiteException(CardGone);
    return cardId;
}

std::optional<QDate> ScheduleBook::lastDone(qint64 entryId) const
{
    const auto rows = m_sql->Query(sql(u"SELECT MAX(Data{B}) FROM {T} WHERE IDScadenza = ?"_s),
                                   {ScheduleSql::Number(entryId)});
    return rows.empty() ? std::nullopt : ScheduleRules::ParseIso(text(rows.front(), 0));
}

void ScheduleBook::checkInput(const EntryInput& entry)
{
    if (!ScheduleRules::Kinds().contains(entry.kind))
        throw ESQLiteException(u"Tipo di scadenza non previsto: \u00ab%1\u00bb."_s.arg(entry.kind));
    if (!entry.due.isValid())
        throw ESQLiteException(u"La data di scadenza non \u00e8 valida."_s);
    if (entry.repeatMonths < 0 || entry.repeatMonths > ScheduleRules::MaxRepeatMonths)
        throw ESQLiteException(u"L'intervallo di ripetizione deve essere compreso fra 0 e %1 mesi."_s.arg(
            ScheduleRules::MaxRepeatMonths));
}

qint64 ScheduleBook::insertEntry(qint64 cardId, const EntryInput& entry)
{
    const QString newId = m_sql->NewEntryId();
    return m_sql->Insert(
        sql(u"INSERT INTO {S} (%1IDScheda, Tipo, Descrizione, Scadenza, RipetiMesi, Note) VALUES (%2?, ?, ?, ?, "
            "?, ?)"_s.arg(newId.isEmpty() ? QString() : u"ID, "_s,
                          newId.isEmpty() ? QString() : newId + u", "_s)),
        {ScheduleSql::Number(cardId), ScheduleSql::Text(entry.kind), ScheduleSql::Text(entry.description),
         iso(entry.due), ScheduleSql::Number(entry.repeatMonths), ScheduleSql::Text(entry.note)});
}

qint64 ScheduleBook::AddEntry(qint64 cardId, const EntryInput& entry)
{
    checkInput(entry);
    qint64 id = 0;
    write(cardId, [&] { id = insertEntry(cardId, entry); });
    return id;
}

void ScheduleBook::UpdateEntry(qint64 entryId, const EntryInput& entry)
{
    checkInput(entry);
    write(-1, [&] {
        cardOfEntry(entryId);
        const std::optional<QDate> done = lastDone(entryId);
        if (done && entry.due < *done)
            throw ESQLiteException(
                u"La data di scadenza (%1) \u00e8 precedente all'ultima esecuzione (%2)."_s.arg(
                    ScheduleRules::Italian(entry.due), ScheduleRules::Italian(*done)));
        m_sql->Exec(sql(u"UPDATE {S} SET Tipo = ?, Descrizione = ?, Scadenza = ?, RipetiMesi = ?, Note = ? "
                        "WHERE ID = ?"_s),
                    {ScheduleSql::Text(entry.kind), ScheduleSql::Text(entry.description), iso(entry.due),
                     ScheduleSql::Number(entry.repeatMonths), ScheduleSql::Text(entry.note),
                     ScheduleSql::Number(entryId)});
    });
}

void ScheduleBook::DeleteEntry(qint64 entryId)
{
    write(-1, [&] {
        cardOfEntry(entryId);
        m_sql->Exec(sql(u"DELETE FROM {S} WHERE ID = ?"_s), {ScheduleSql::Number(entryId)});
    });
}

ScheduleBook::Done ScheduleBook::MarkDone(qint64 entryId, const QDate& date, const QString& note)
{
    if (!date.isValid())
        throw ESQLiteException(u"La data di esecuzione non \u00e8 valida."_s);
    Done done;
    write(-1, [&] {
        const qint64 cardId = cardOfEntry(entryId);
        const std::optional<QDate> last = lastDone(entryId);
        if (last && date < *last)
            throw ESQLiteException(
                u"La data di esecuzione (%1) \u00e8 precedente all'ultima esecuzione registrata (%2)."_s.arg(
                    ScheduleRules::Italian(date), ScheduleRules::Italian(*last)));
        const ScheduleSql::Row entry =
            m_sql
                ->Query(sql(u"SELECT Tipo, Descrizione, RipetiMesi FROM {S} WHERE ID = ?"_s),
                        {ScheduleSql::Number(entryId)})
                .at(0);
        const int months = int(number(entry, 2));
        done.bookletId = m_sql->Insert(
            sql(u"INSERT INTO {T} (IDScheda, IDScadenza, Tipo, Descrizione, Data, Note) VALUES (?, ?, ?, ?, ?, ?)"_s),
            {ScheduleSql::Number(cardId), ScheduleSql::Number(entryId), entry.at(0), entry.at(1), iso(date),
             ScheduleSql::Text(note)});
        if (months > 0) {
            done.nextDue = ScheduleRules::NextDue(date, months);
            m_sql->Exec(sql(u"UPDATE {S} SET Scadenza = ? WHERE ID = ?"_s),
                        {iso(*done.nextDue), ScheduleSql::Number(entryId)});
        } else {
            m_sql->Exec(sql(u"DELETE FROM {S} WHERE ID = ?"_s), {ScheduleSql::Number(entryId)});
        }
    });
    return done;
}

qint64 ScheduleBook::AddBookletRow(qint64 cardId, const QString& kind, const QString& description,
                                   const QDate& date, const QString& note)
{
    if (!ScheduleRules::Kinds().contains(kind))
        throw ESQLiteException(u"Tipo di trattamento non previsto: \u00ab%1\u00bb."_s.arg(kind));
    if (!date.isValid())
        throw ESQLiteException(u"La data del trattamento non \u00e8 valida."_s);
    qint64 id = 0;
    write(cardId, [&] {
        id = m_sql->Insert(
            sql(u"INSERT INTO {T} (IDScheda, IDScadenza, Tipo, Descrizione, Data, Note) VALUES (?, NULL, ?, ?, ?, ?)"_s),
            {ScheduleSql::Number(cardId), ScheduleSql::Text(kind), ScheduleSql::Text(description), iso(date),
             ScheduleSql::Text(note)});
    });
    return id;
}

void ScheduleBook::DeleteBookletRow(qint64 rowId)
{
    write(-1, [&] {
        if (m_sql->Exec(sql(u"DELETE FROM {T} WHERE ID = ?"_s), {ScheduleSql::Number(rowId)}) == 0)
            throw ESQLiteException(u"La riga del libretto non \u00e8 pi\u00f9 presente in archivio."_s);
    });
}

int ScheduleBook::AddEntries(qint64 cardId, const std::vector<EntryInput>& entries)
{
    for (const EntryInput& e : entries)
        checkInput(e);
    int added = 0;
    write(cardId, [&] {
        for (const EntryInput& e : entries) {
            const auto same = m_sql->Query(
                sql(u"SELECT 1 FROM {S} WHERE IDScheda = ? AND Tipo = ? AND Descrizione = ?"_s),
                {ScheduleSql::Number(cardId), ScheduleSql::Text(e.kind), ScheduleSql::Text(e.description)});
            if (!same.empty())
                continue;
            insertEntry(cardId, e);
            ++added;
        }
    });
    return added;
}
