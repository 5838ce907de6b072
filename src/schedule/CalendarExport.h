// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "Reminders.h"

#include <QByteArray>
#include <QDateTime>
#include <QString>
#include <vector>

// The open entries of the schedule as an iCalendar file, for the calendar of a phone or a mail program.
namespace CalendarExport {

inline constexpr QLatin1StringView FileName{"Scadenze.ics"};

// The event's UID of an entry: the same at every export, so that importing a newer file updates the
// calendar's event instead of adding a second one.
QString Uid(const Reminder& reminder);

// An iCalendar (RFC 5545) calendar with one all-day event per entry on its due date, with a display alarm
// the day before, stamped stamp. No recurrence rule: the program moves a repeating entry when it is done.
// Entries whose due date cannot be read are left out; skipped, when given, receives how many.
QByteArray Calendar(const std::vector<Reminder>& reminders, const QDateTime& stamp, int* skipped = nullptr);

struct Written
{
    QString path;    // Scadenze.ics in the export folder
    int events = 0;  // entries written
    int skipped = 0; // entries left out for an unreadable due date
};

// Writes every open entry of the ten archives of source (read-only) to Scadenze.ics in exportFolder
// (created when missing), replacing the
// earlier file only once the new one is whole. Raises std::runtime_error, with a message for the user,
// when the file cannot be written (the earlier one then stays) or an archive cannot be read.
Written Export(const ScheduleSource& source, const QString& exportFolder, const QDateTime& now);
// The same from the archive files of programFolder.
Written Export(const QString& programFolder, const QString& exportFolder, const QDateTime& now);

} // namespace CalendarExport
