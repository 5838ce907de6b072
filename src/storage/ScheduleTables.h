// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QString>
#include <array>
#include <optional>
#include <vector>

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

// The two tables' rows as they lie in the archive, every column as text (numbers in decimal), NULL kept
// apart: what moving, backing up and restoring an archive copy and compare. The columns are those of
// EntryColumns and TreatmentColumns, in that order.
using Row = std::array<std::optional<QByteArray>, 7>;
struct Rows
{
    std::vector<Row> entries;    // Scadenze, by ID
    std::vector<Row> treatments; // Trattamenti, by ID

    bool operator==(const Rows&) const = default;
    bool Empty() const noexcept { return entries.empty() && treatments.empty(); }
};
inline constexpr std::array<const char*, 7> EntryColumns = {"ID",       "IDScheda",   "Tipo", "Descrizione",
                                                            "Scadenza", "RipetiMesi", "Note"};
inline constexpr std::array<const char*, 7> TreatmentColumns = {
    "ID", "IDScheda", "IDScadenza", "Tipo", "Descrizione", "Data", "Note"};

// Every row of both tables; none when the archive has no schedule. Raises ESQLiteException when a table
// has the wrong columns.
Rows ReadAll(TSQLiteDatabase& db);
// Inside the caller's transaction: replaces every row of both tables by rows, with their identifiers,
// creating the tables when there are rows to write. An archive without the tables and without rows to
// write is left as it is, and so is one whose tables are not the program's.
void ReplaceAll(TSQLiteDatabase& db, const Rows& rows);

} // namespace ScheduleTables
