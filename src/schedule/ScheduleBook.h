// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "storage/CategoryDescriptor.h"
#include "storage/ScheduleSql.h"

#include <QDate>
#include <QString>
#include <memory>
#include <optional>
#include <vector>

class TSQLiteDatabase;

// What is due for a card: one row of Scadenze, with the date its newest booklet row was done.
struct ScheduleEntry
{
    qint64 id = 0;
    qint64 cardId = 0;
    QString kind;
    QString description;
    QString dueText;          // as stored
    std::optional<QDate> due; // empty when the stored text is not a date
    int repeatMonths = 0;     // 0: once
    QString note;
    std::optional<QDate> lastDone;
};

// What an entry is made of when it is added or changed.
struct EntryInput
{
    QString kind;
    QString description;
    QDate due;
    int repeatMonths = 0;
    QString note;
};

// One row of the booklet, Trattamenti: what was done, and the entry it fulfilled (none for a row added by
// hand).
struct BookletRow
{
    qint64 id = 0;
    qint64 cardId = 0;
    std::optional<qint64> entryId;
    QString kind;
    QString description;
    QString dateText;
    std::optional<QDate> date;
    QString note;
};

// The health schedule and booklet of the cards of one archive, on one connection to its file or to the
// archives' server (ScheduleSql: the same statements on both). Reads never create
// anything: an archive without the tables has no entries. Each write is one transaction that checks that
// the card (and the entry) still exist, and either stores everything or nothing; the book's first write also
// creates the tables when missing and removes the rows of cards another program deleted. Failures, and rules
// broken by the values given, are raised as ESQLiteException with a message for the user.
class ScheduleBook
{
public:
    // On a connection of its own to the category's archive in programFolder.
    ScheduleBook(const CategoryDescriptor& category, const QString& programFolder);
    // On a connection the caller keeps open.
    ScheduleBook(const CategoryDescriptor& category, TSQLiteDatabase& db);
    // On the schedule's tables wherever they are.
    ScheduleBook(const CategoryDescriptor& category, std::unique_ptr<ScheduleSql> tables);
    ~ScheduleBook();
    ScheduleBook(const ScheduleBook&) = delete;
    ScheduleBook& operator=(const ScheduleBook&) = delete;

    // The archive file's connection; only for a book on a file.
    TSQLiteDatabase& Database() const;
    ScheduleTables::State Inspect() const;

    // The card's entries, by due date; empty when the card no longer exists.
    std::vector<ScheduleEntry> Entries(qint64 cardId) const;
    // The card's booklet, newest first; empty when the card no longer exists.
    std::vector<BookletRow> Booklet(qint64 cardId) const;

    qint64 AddEntry(qint64 cardId, const EntryInput& entry);
    // Refuses a due date before the entry's last done date.
    void UpdateEntry(qint64 entryId, const EntryInput& entry);
    // The entry leaves the schedule; the booklet keeps what was done for it.
    void DeleteEntry(qint64 entryId);

    struct Done
    {
        qint64 bookletId = 0;
        std::optional<QDate> nextDue; // empty: a one-off entry, which left the schedule
    };
    // The entry was done on date: a booklet row linked to it is added; a repeating entry becomes due the
    // date plus its interval (month ends clamped), a one-off one leaves the schedule. Refuses a date before
    // the entry's last done date.
    Done MarkDone(qint64 entryId, const QDate& date, const QString& note = {});

    // A booklet row added by hand, linked to no entry.
    qint64 AddBookletRow(qint64 cardId, const QString& kind, const QString& description, const QDate& date,
                         const QString& note);
    void DeleteBookletRow(qint64 rowId);

    // Adds the entries whose kind and description the card does not have yet, in one transaction. Returns
    // how many were added.
    int AddEntries(qint64 cardId, const std::vector<EntryInput>& entries);

private:
    // Runs work in a write transaction after the common checks; rolled back when anything fails.
    void write(qint64 cardId, const std::function<void()>& work);
    // The statement with the tables' names put in: {S} the entries, {T} the booklet, {C} the cards, {B}
    // what makes a text column compare byte by byte.
    QString sql(QString text) const;
    qint64 cardOfEntry(qint64 entryId) const;
    std::optional<QDate> lastDone(qint64 entryId) const;
    qint64 insertEntry(qint64 cardId, const EntryInput& entry);
    static void checkInput(const EntryInput& entry);

    const CategoryDescriptor& m_category;
    std::unique_ptr<ScheduleSql> m_sql;
};
