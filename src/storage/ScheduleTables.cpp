// SPDX-License-Identifier: GPL-3.0-or-later
#include "ScheduleTables.h"

#include "ESQLiteException.h"
#include "SqlStatement.h"
#include "TSQLiteDatabase.h"
#include "TSQLiteTable.h"

#include <QStringList>
#include <memory>
#include <sqlite3.h>

using namespace Qt::Literals::StringLiterals;

namespace ScheduleTables {

namespace {

const QStringList& entryColumns()
{
    static const QStringList columns = {u"ID"_s,       u"IDScheda"_s,   u"Tipo"_s, u"Descrizione"_s,
                                        u"Scadenza"_s, u"RipetiMesi"_s, u"Note"_s};
    return columns;
}

const QStringList& treatmentColumns()
{
    static const QStringList columns = {u"ID"_s,          u"IDScheda"_s, u"IDScadenza"_s, u"Tipo"_s,
                                        u"Descrizione"_s, u"Data"_s,     u"Note"_s};
    return columns;
}

// The table's columns in lower case; empty when there is no such table.
QStringList columnsOf(TSQLiteDatabase& db, const QString& table)
{
    const auto info = db.OpenQuery(u"PRAGMA table_info(\"%1\")"_s.arg(table));
    QStringList names;
    if (info->RowCount() == 0)
        return names;
    const int name = info->ColumnIndexOf(u"name"_s);
    for (info->GoFirst(); !info->AtEnd(); info->GoNext())
        names << QString::fromUtf8(info->TextValue(name)).toLower();
    return names;
}

// Empty when the table is missing or has every needed column; otherwise what is wrong with it.
QString problemOf(TSQLiteDatabase& db, const QString& table, const QStringList& needed, bool* exists)
{
    const QStringList present = columnsOf(db, table);
    *exists = !present.isEmpty();
    QStringList missing;
    for (const QString& column : needed) {
        if (*exists && !present.contains(column.toLower()))
            missing << column;
    }
    if (missing.isEmpty())
        return {};
    return u"la tabella %1 dell'archivio non ha le colonne %2"_s.arg(table, missing.join(u", "_s));
}

} // namespace

State Inspect(TSQLiteDatabase& db)
{
    bool entries = false, treatments = false;
    QString problem = problemOf(db, QString::fromLatin1(Entries), entryColumns(), &entries);
    if (problem.isEmpty())
        problem = problemOf(db, QString::fromLatin1(Treatments), treatmentColumns(), &treatments);
    if (!problem.isEmpty())
        return {State::Kind::WrongColumns, problem};
    return {entries ? State::Kind::Ready : State::Kind::Missing, {}, treatments};
}

void Ensure(TSQLiteDatabase& db)
{
    const State state = Inspect(db);
    if (state.kind == State::Kind::WrongColumns)
        throw ESQLiteException(state.problem);
    // IF NOT EXISTS: another copy of the program may have created them meanwhile.
    db.ExecuteStatement(u"CREATE TABLE IF NOT EXISTS Scadenze (ID INTEGER PRIMARY KEY, IDScheda INTEGER NOT "
                        "NULL, Tipo TEXT NOT NULL, Descrizione TEXT, Scadenza TEXT NOT NULL, RipetiMesi "
                        "INTEGER NOT NULL DEFAULT 0, Note TEXT)"_s);
    db.ExecuteStatement(u"CREATE INDEX IF NOT EXISTS Scadenze_Scadenza ON Scadenze (Scadenza)"_s);
    db.ExecuteStatement(u"CREATE INDEX IF NOT EXISTS Scadenze_IDScheda ON Scadenze (IDScheda)"_s);
    db.ExecuteStatement(u"CREATE TABLE IF NOT EXISTS Trattamenti (ID INTEGER PRIMARY KEY, IDScheda INTEGER "
                        "NOT NULL, IDScadenza INTEGER, Tipo TEXT, Descrizione TEXT, Data TEXT, Note TEXT)"_s);
    db.ExecuteStatement(u"CREATE INDEX IF NOT EXISTS Trattamenti_IDScheda ON Trattamenti (IDScheda)"_s);
    db.ExecuteStatement(u"CREATE INDEX IF NOT EXISTS Trattamenti_IDScadenza ON Trattamenti (IDScadenza)"_s);
}

void RemoveCardRows(TSQLiteDatabase& db, qint64 cardId)
{
    bool entries = false, treatments = false;
    const QString id = QString::number(cardId);
    if (problemOf(db, QString::fromLatin1(Entries), entryColumns(), &entries).isEmpty() && entries)
        db.ExecuteStatement(u"DELETE FROM Scadenze WHERE IDScheda = "_s + id);
    if (problemOf(db, QString::fromLatin1(Treatments), treatmentColumns(), &treatments).isEmpty() &&
        treatments)
        db.ExecuteStatement(u"DELETE FROM Trattamenti WHERE IDScheda = "_s + id);
}

void RemoveOrphans(TSQLiteDatabase& db, const QString& cardTable)
{
    for (const char* table : {Entries, Treatments}) {
        db.ExecuteStatement(u"DELETE FROM %1 WHERE IDScheda NOT IN (SELECT ID FROM %2)"_s.arg(
            QString::fromLatin1(table), cardTable));
    }
}

namespace {

QString joined(const std::array<const char*, 7>& columns)
{
    QStringList names;
    for (const char* c : columns)
        names << QString::fromLatin1(c);
    return names.join(u", "_s);
}

std::vector<Row> readTable(TSQLiteDatabase& db, const char* table, const std::array<const char*, 7>& columns)
{
    const QString sql = u"SELECT %1 FROM %2 ORDER BY ID"_s.arg(joined(columns), QString::fromLatin1(table));
    const SqlStatement statement(db, sql, "Error preparing SQL statement");
    std::vector<Row> rows;
    int rc = SQLITE_ROW;
    while ((rc = sqlite3_step(statement.get())) == SQLITE_ROW) {
        Row row;
        for (int c = 0; c < int(row.size()); ++c) {
            if (sqlite3_column_type(statement.get(), c) == SQLITE_NULL)
                continue;
            const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(statement.get(), c));
            row[std::size_t(c)] = QByteArray(text ? text : "", sqlite3_column_bytes(statement.get(), c));
        }
        rows.push_back(std::move(row));
    }
    if (rc != SQLITE_DONE)
        db.RaiseSqlError(u"Cannot read the schedule's rows"_s, sql);
    return rows;
}

void writeTable(TSQLiteDatabase& db, const char* table, const std::array<const char*, 7>& columns,
                const std::vector<Row>& rows)
{
    const QString sql = u"INSERT INTO %1 (%2) VALUES (?, ?, ?, ?, ?, ?, ?)"_s.arg(QString::fromLatin1(table),
                                                                                  joined(columns));
    const SqlStatement statement(db, sql, "Error preparing SQL statement");
    for (const Row& row : rows) {
        sqlite3_reset(statement.get());
        for (int c = 0; c < int(row.size()); ++c) {
            const auto& value = row[std::size_t(c)];
            if (value)
                sqlite3_bind_text(statement.get(), c + 1, value->constData(), int(value->size()),
                                  SQLITE_STATIC);
            else
                sqlite3_bind_null(statement.get(), c + 1);
        }
        if (sqlite3_step(statement.get()) != SQLITE_DONE)
            db.RaiseSqlError(u"Cannot write the schedule's rows"_s, sql);
    }
}

} // namespace

Rows ReadAll(TSQLiteDatabase& db)
{
    const State state = Inspect(db);
    if (state.kind == State::Kind::WrongColumns)
        throw ESQLiteException(state.problem);
    Rows rows;
    if (state.kind == State::Kind::Missing)
        return rows;
    rows.entries = readTable(db, Entries, EntryColumns);
    if (state.booklet)
        rows.treatments = readTable(db, Treatments, TreatmentColumns);
    return rows;
}

void ReplaceAll(TSQLiteDatabase& db, const Rows& rows)
{
    if (rows.Empty() && Inspect(db).kind != State::Kind::Ready)
        return;
    Ensure(db);
    db.ExecuteStatement(u"DELETE FROM Scadenze"_s);
    db.ExecuteStatement(u"DELETE FROM Trattamenti"_s);
    writeTable(db, Entries, EntryColumns, rows.entries);
    writeTable(db, Treatments, TreatmentColumns, rows.treatments);
}

} // namespace ScheduleTables
