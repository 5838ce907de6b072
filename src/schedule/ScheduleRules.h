// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QDate>
#include <QString>
#include <QStringList>
#include <optional>

// The rules of the health schedule that need no archive: its dates, the repetition, the state of an entry.
namespace ScheduleRules {

// The notice period, in days, when Codazzurra.ini says nothing: entries due within it are reminded.
inline constexpr int DefaultNoticeDays = 14;
inline constexpr int MaxNoticeDays = 365;
// The longest repetition an entry may have, in months.
inline constexpr int MaxRepeatMonths = 120;

// The kinds of entry, as stored in Tipo and shown.
const QStringList& Kinds();

// A date typed in the Italian form gg/mm/aaaa (day and month of one or two digits, a four-digit year,
// blanks around it ignored); empty when the text is not such a date or names none (31/02/2025).
std::optional<QDate> ParseItalian(const QString& text);
// dd/MM/yyyy.
QString Italian(const QDate& date);
// The stored form yyyy-MM-dd, and back; empty for anything else.
QString Iso(const QDate& date);
std::optional<QDate> ParseIso(const QString& text);

// The next due date of an entry repeated every months months and done on done: the same day of the month,
// or the last day of the month when it has no such day (done 31 January, one month: 28 or 29 February).
QDate NextDue(const QDate& done, int months);

// How often an entry repeats, as the screens and the calendar say it: "una volta", "ogni mese",
// "ogni 3 mesi", "ogni anno", "ogni 2 anni", "ogni 18 mesi".
QString RepeatText(int months);

enum class DueState { Overdue, DueSoon, Later };
// Overdue before today; DueSoon from today to noticeDays later; Later after that.
DueState StateOf(const QDate& due, const QDate& today, int noticeDays);

} // namespace ScheduleRules
