// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

class TSQLiteDatabase;

// The two tables of the health schedule that an archive may hold beside its card table: Scadenze (what is
// due for each card) and Trattamenti (the booklet of what was done). Their texts are UTF-8 and their dates
// ISO text (yyyy-MM-dd). An archive written by a program that knows only the card table has neither, and
// is read as having nothing due; they are created by the first write of the schedule.
namespace ScheduleTables {

inline constexpr const char* Entries = "Scadenze";
inline constexpr const char* Treatments = "Trattamenti";

struct State
{
    enum class Kind {
        Missing,     // no Scadenze table: nothing is due
        Ready,       // both tables, or Scadenze alone (Trattamenti is created at the next write)
        WrongColumns // a table of that name without the columns the program needs: left alone
    };
    Kind kind = Kind::Missing;
    QString problem;      // for WrongColumns: which table lacks which column
    bool booklet = false; // Trattamenti exists
};

// What the archive on db holds.
State Inspect(TSQLiteDatabase& db);

// Creates whichever of the two tables (and their indexes) is missing. Runs inside the caller's write
// transaction, so that the tables appear together with the first row written to them. Raises
// ESQLiteException when a table exists with the wrong columns.
void Ensure(TSQLiteDatabase& db);

// Removes the rows of the card with that identifier from both tables, when they exist with the right
// columns (otherwise they are not the program's and are left alone). Runs inside the caller's transaction:
// when the card is deleted, and when a new card takes an identifier that rows of a card deleted by another
// program still carry.
void RemoveCardRows(TSQLiteDatabase& db, qint64 cardId);

// Removes the rows whose card is no longer in cardTable (deleted by another program). Runs inside the
// caller's transaction, on tables known to be Ready.
void RemoveOrphans(TSQLiteDatabase& db, const QString& cardTable);

} // namespace ScheduleTables
