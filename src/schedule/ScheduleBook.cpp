// SPDX-License-Identifier: GPL-3.0-or-later
#include "ScheduleBook.h"

#include "ScheduleRules.h"
#include "storage/ESQLiteException.h"
#include "storage/TSQLiteDatabase.h"
#include "storage/TSQLiteTable.h"

#include <QDir>

using namespace Qt::Literals::StringLiterals;

namespace {

QByteArray utf8(const QString& text)
{
    return text.toUtf8();
}

QString text(const TSQLiteTable& row, int column)
{
    return QString::fromUtf8(row.TextValue(column));
}

const QString CardGone = u"La scheda non \u00e8 pi\u00f9 presente in archivio."_s;
const QString EntryGone = u"La scadenza non \u00e8 pi\u00f9 presente in archivio."_s;

} // namespace

ScheduleBook::ScheduleBook(const CategoryDescriptor& category, const QString& programFolder)
    : m_category(category)
    , m_own(
          std::make_unique<TSQLiteDatabase>(QDir(programFolder).filePath(QString(category.databaseFileName))))
    , m_db(m_own.get())
{}

ScheduleBook::ScheduleBook(const CategoryDescriptor& category, TSQLiteDatabase& db)
    : m_category(category)
    , m_db(&db)
{}

ScheduleBook::~ScheduleBook() = default;

ScheduleTables::State ScheduleBook::Inspect() const
{
    return ScheduleTables::Inspect(*m_db);
}

std::vector<ScheduleEntry> ScheduleBook::Entries(qint64 cardId) const
{
    const ScheduleTables::State state = Inspect();
    if (state.kind == ScheduleTables::State::Kind::WrongColumns)
        throw ESQLiteException(state.problem);
    if (state.kind == ScheduleTables::State::Kind::Missing || !m_db->HasTable(QString(m_category.tableName)))
        return {};
    const bool booklet = m_db->HasTable(QString::fromLatin1(ScheduleTables::Treatments));
    const QString id = QString::number(cardId);
    // Rows of a card that no longer exists are never shown.
    const auto table = m_db->OpenQuery(
        u"SELECT s.ID, s.IDScheda, s.Tipo, s.Descrizione, s.Scadenza, s.RipetiMesi, s.Note, %1 FROM Scadenze s "
        "WHERE s.IDScheda = %2 AND EXISTS (SELECT 1 FROM %3 WHERE ID = %2) ORDER BY s.Scadenza, s.ID"_s.arg(
            booklet ? u"(SELECT MAX(t.Data) FROM Trattamenti t WHERE t.IDScadenza = s.ID)"_s : u"NULL"_s, id,
            QString(m_category.tableName)));
    std::vector<ScheduleEntry> entries;
    for (table->GoFirst(); !table->AtEnd(); table->GoNext()) {
        ScheduleEntry e;
        e.id = table->IntegerValue(0);
        e.cardId = table->IntegerValue(1);
        e.kind = text(*table, 2);
        e.description = text(*table, 3);
        e.dueText = text(*table, 4);
        e.due = ScheduleRules::ParseIso(e.dueText);
        e.repeatMonths = int(table->IntegerValue(5));
        e.note = text(*table, 6);
        e.lastDone = ScheduleRules::ParseIso(text(*table, 7));
        entries.push_back(std::move(e));
    }
    return entries;
}

std::vector<BookletRow> ScheduleBook::Booklet(qint64 cardId) const
{
    const ScheduleTables::State state = Inspect();
    if (state.kind == ScheduleTables::State::Kind::WrongColumns)
        throw ESQLiteException(state.problem);
    if (!m_db->HasTable(QString::fromLatin1(ScheduleTables::Treatments)) ||
        !m_db->HasTable(QString(m_category.tableName)))
        return {};
    const QString id = QString::number(cardId);
    const auto table = m_db->OpenQuery(
        u"SELECT ID, IDScheda, IDScadenza, Tipo, Descrizione, Data, Note FROM Trattamenti WHERE IDScheda = %1 "
        "AND EXISTS (SELECT 1 FROM %2 WHERE ID = %1) ORDER BY Data DESC, ID DESC"_s.arg(
            id, QString(m_category.tableName)));
    std::vector<BookletRow> rows;
    for (table->GoFirst(); !table->AtEnd(); table->GoNext()) {
        BookletRow r;
        r.id = table->IntegerValue(0);
        r.cardId = table->IntegerValue(1);
        if (!table->IsNull(2))
            r.entryId = table->IntegerValue(2);
        r.kind = text(*table, 3);
        r.description = text(*table, 4);
        r.dateText = text(*table, 5);
        r.date = ScheduleRules::ParseIso(r.dateText);
        r.note = text(*table, 6);
        rows.push_back(std::move(r));
    }
    return rows;
}

template <typename Work> void ScheduleBook::write(qint64 cardId, Work&& work)
{
    TSQLiteDatabase& db = *m_db;
    db.StartTransaction();
    try {
        // Once per book (a screen makes one for each showing): the tables are checked and made, and the
        // rows of cards deleted elsewhere removed.
        if (!m_prepared) {
            ScheduleTables::Ensure(db);
            ScheduleTables::RemoveOrphans(db, QString(m_category.tableName));
        }
        if (cardId >= 0) {
            const auto card = db.OpenQuery(u"SELECT ID FROM %1 WHERE ID = %2"_s.arg(
                QString(m_category.tableName), QString::number(cardId)));
            if (card->RowCount() == 0)
                throw ESQLiteException(CardGone);
        }
        work(db);
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

qint64 ScheduleBook::cardOfEntry(qint64 entryId) const
{
    // Inside a write: the tables exist and the orphans are gone, so a missing entry or card is one.
    const auto row = m_db->OpenQuery(u"SELECT IDScheda FROM Scadenze WHERE ID = %1"_s.arg(entryId));
    if (row->RowCount() == 0)
        throw ESQLiteException(EntryGone);
    return row->IntegerValue(0);
}

std::optional<QDate> ScheduleBook::lastDone(qint64 entryId) const
{
    const auto row =
        m_db->OpenQuery(u"SELECT MAX(Data) FROM Trattamenti WHERE IDScadenza = %1"_s.arg(entryId));
    return row->RowCount() ? ScheduleRules::ParseIso(text(*row, 0)) : std::nullopt;
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

void ScheduleBook::insertEntry(qint64 cardId, const EntryInput& entry)
{
    // A new identifier never used by an entry that booklet rows still name: the booklet of a deleted entry
    // must never count as done for a new one.
    m_db->ExecuteStatement(
        u"INSERT INTO Scadenze (ID, IDScheda, Tipo, Descrizione, Scadenza, RipetiMesi, Note) VALUES ("
        "1 + MAX(COALESCE((SELECT MAX(ID) FROM Scadenze), 0), COALESCE((SELECT MAX(IDScadenza) FROM "
        "Trattamenti), 0)), %1, ?, ?, ?, %2, ?)"_s.arg(cardId)
            .arg(entry.repeatMonths),
        {utf8(entry.kind), utf8(entry.description), utf8(ScheduleRules::Iso(entry.due)), utf8(entry.note)});
}

qint64 ScheduleBook::AddEntry(qint64 cardId, const EntryInput& entry)
{
    checkInput(entry);
    qint64 id = 0;
    write(cardId, [&](TSQLiteDatabase& db) {
        insertEntry(cardId, entry);
        id = db.LastRowId();
    });
    return id;
}

void ScheduleBook::UpdateEntry(qint64 entryId, const EntryInput& entry)
{
    checkInput(entry);
    write(-1, [&](TSQLiteDatabase& db) {
        cardOfEntry(entryId);
        const std::optional<QDate> done = lastDone(entryId);
        if (done && entry.due < *done)
            throw ESQLiteException(
                u"La data di scadenza (%1) \u00e8 precedente all'ultima esecuzione (%2)."_s.arg(
                    ScheduleRules::Italian(entry.due), ScheduleRules::Italian(*done)));
        db.ExecuteStatement(u"UPDATE Scadenze SET Tipo = ?, Descrizione = ?, Scadenza = ?, RipetiMesi = %1, "
                            "Note = ? WHERE ID = %2"_s.arg(entry.repeatMonths)
                                .arg(entryId),
                            {utf8(entry.kind), utf8(entry.description), utf8(ScheduleRules::Iso(entry.due)),
                             utf8(entry.note)});
    });
}

void ScheduleBook::DeleteEntry(qint64 entryId)
{
    write(-1, [&](TSQLiteDatabase& db) {
        cardOfEntry(entryId);
        db.ExecuteStatement(u"DELETE FROM Scadenze WHERE ID = %1"_s.arg(entryId));
    });
}

ScheduleBook::Done ScheduleBook::MarkDone(qint64 entryId, const QDate& date, const QString& note)
{
    if (!date.isValid())
        throw ESQLiteException(u"La data di esecuzione non \u00e8 valida."_s);
    Done done;
    write(-1, [&](TSQLiteDatabase& db) {
        const qint64 cardId = cardOfEntry(entryId);
        const std::optional<QDate> last = lastDone(entryId);
        if (last && date < *last)
            throw ESQLiteException(
                u"La data di esecuzione (%1) \u00e8 precedente all'ultima esecuzione registrata (%2)."_s.arg(
                    ScheduleRules::Italian(date), ScheduleRules::Italian(*last)));
        const auto entry =
            db.OpenQuery(u"SELECT Tipo, Descrizione, RipetiMesi FROM Scadenze WHERE ID = %1"_s.arg(entryId));
        const int months = int(entry->IntegerValue(2));
        db.ExecuteStatement(
            u"INSERT INTO Trattamenti (IDScheda, IDScadenza, Tipo, Descrizione, Data, Note) "
            "VALUES (%1, %2, ?, ?, ?, ?)"_s.arg(cardId)
                .arg(entryId),
            {entry->TextValue(0), entry->TextValue(1), utf8(ScheduleRules::Iso(date)), utf8(note)});
        done.bookletId = db.LastRowId();
        if (months > 0) {
            done.nextDue = ScheduleRules::NextDue(date, months);
            db.ExecuteStatement(u"UPDATE Scadenze SET Scadenza = ? WHERE ID = %1"_s.arg(entryId),
                                {utf8(ScheduleRules::Iso(*done.nextDue))});
        } else {
            db.ExecuteStatement(u"DELETE FROM Scadenze WHERE ID = %1"_s.arg(entryId));
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
    write(cardId, [&](TSQLiteDatabase& db) {
        db.ExecuteStatement(u"INSERT INTO Trattamenti (IDScheda, IDScadenza, Tipo, Descrizione, Data, Note) "
                            "VALUES (%1, NULL, ?, ?, ?, ?)"_s.arg(cardId),
                            {utf8(kind), utf8(description), utf8(ScheduleRules::Iso(date)), utf8(note)});
        id = db.LastRowId();
    });
    return id;
}

void ScheduleBook::DeleteBookletRow(qint64 rowId)
{
    write(-1, [&](TSQLiteDatabase& db) {
        db.ExecuteStatement(u"DELETE FROM Trattamenti WHERE ID = %1"_s.arg(rowId));
        if (db.Changes() == 0)
            throw ESQLiteException(u"La riga del libretto non \u00e8 pi\u00f9 presente in archivio."_s);
    });
}

int ScheduleBook::AddEntries(qint64 cardId, const std::vector<EntryInput>& entries)
{
    for (const EntryInput& e : entries)
        checkInput(e);
    int added = 0;
    write(cardId, [&](TSQLiteDatabase& db) {
        for (const EntryInput& e : entries) {
            const auto same = db.OpenQuery(
                u"SELECT 1 FROM Scadenze WHERE IDScheda = %1 AND Tipo = ? AND Descrizione = ?"_s.arg(cardId),
                {utf8(e.kind), utf8(e.description)});
            if (same->RowCount() > 0)
                continue;
            insertEntry(cardId, e);
            ++added;
        }
    });
    return added;
}
