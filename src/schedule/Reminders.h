// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "storage/ScheduleSql.h"

#include <QDate>
#include <QString>
#include <QStringList>
#include <optional>
#include <utility>
#include <vector>

class TSQLiteDatabase;
struct CategoryDescriptor;

// One open entry of the schedule, as the reminder window, its printed list and the calendar show it.
struct Reminder
{
    int archive = 0; // index in Categories::All
    qint64 cardId = 0;
    qint64 entryId = 0;
    QString animal; // the card's name
    QString kind;
    QString description;
    QString note;
    QString dueText;          // as stored
    std::optional<QDate> due; // empty when the stored text is not a date (then it is always listed)
    int repeatMonths = 0;
};

// What a look through the ten archives found: the entries, and what could not be read (one line per
// archive, for the user).
struct ReminderScan
{
    std::vector<Reminder> reminders;
    QStringList problems;
    // The archives found damaged (their files, and SQLite's words), also among the problems: damage is
    // never passed over, so the screen offers their restore.
    std::vector<std::pair<QString, QString>> damaged;
};

namespace Reminders {

// The entries of one archive's schedule due on or before until (every entry when until is empty), on db.
// Entries of cards that no longer exist are left out. Nothing when the archive has no schedule; raises
// ESQLiteException when its tables have the wrong columns.
std::vector<Reminder> Find(ScheduleSql& tables, int archive, const std::optional<QDate>& until);
std::vector<Reminder> Find(TSQLiteDatabase& db, int archive, const std::optional<QDate>& until);

// The same through the ten archives of source, each opened read-only: nothing is created or written, an
// archive that does not exist has nothing due. Sorted: overdue first, then by due date.
ReminderScan FindAll(const ScheduleSource& source, const QDate& today, const std::optional<QDate>& until);
// The ten archive files of programFolder.
ReminderScan FindAll(const QString& programFolder, const QDate& today, const std::optional<QDate>& until);

// The entries due within noticeDays of today, or overdue.
inline ReminderScan FindDue(const ScheduleSource& source, const QDate& today, int noticeDays)
{
    return FindAll(source, today, today.addDays(noticeDays));
}
ReminderScan FindDue(const QString& programFolder, const QDate& today, int noticeDays);

// Overdue first (an unreadable date counts as overdue), then by date, archive, animal and entry.
void Sort(std::vector<Reminder>& reminders, const QDate& today);

// Days since the due date: positive when overdue, 0 on the day, negative before it.
int DaysOverdue(const Reminder& reminder, const QDate& today);

// The lines of the printed list: archive, animal, type, description, due date and delay, in columns.
QStringList PrintedLines(const std::vector<Reminder>& reminders, const QDate& today);

} // namespace Reminders
