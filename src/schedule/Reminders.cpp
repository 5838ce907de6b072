// SPDX-License-Identifier: GPL-3.0-or-later
#include "Reminders.h"

#include "ScheduleRules.h"
#include "storage/CategoryDescriptor.h"
#include "storage/ESQLiteException.h"
#include "storage/FileScheduleSql.h"
#include "storage/Win1252.h"

#include <algorithm>

using namespace Qt::Literals::StringLiterals;

namespace Reminders {

std::vector<Reminder> Find(ScheduleSql& tables, int archive, const std::optional<QDate>& until)
{
    const ScheduleTables::State state = tables.Inspect();
    if (state.kind == ScheduleTables::State::Kind::WrongColumns)
        throw ESQLiteException(state.problem);
    if (state.kind == ScheduleTables::State::Kind::Missing || !tables.HasCardTable())
        return {};
    // The join leaves out the rows of deleted cards. Two ranges of the index on Scadenza: the dates up to
    // until, and the texts after every date (a due date typed as words by another program), which are
    // listed so that they get corrected.
    QString sql =
        u"SELECT s.ID, s.IDScheda, s.Tipo, s.Descrizione, s.Note, s.Scadenza, s.RipetiMesi, c.varNome "
        "FROM %1 s JOIN %2 c ON c.ID = s.IDScheda"_s.arg(tables.EntriesTable(), tables.CardTable());
    std::vector<ScheduleSql::Value> values;
    if (until) {
        sql += u" WHERE s.Scadenza%1 <= ? OR s.Scadenza%1 > '9999-12-31'"_s.arg(tables.Bytewise());
        values.push_back(ScheduleSql::Text(ScheduleRules::Iso(*until)));
    }
    const auto rows = tables.Query(sql, values);
    auto text = [](const ScheduleSql::Row& row, std::size_t column) {
        return QString::fromUtf8(row.at(column).value_or(QByteArray()));
    };
    std::vector<Reminder> found;
    found.reserve(rows.size());
    for (const ScheduleSql::Row& row : rows) {
        Reminder r;
        r.archive = archive;
        r.entryId = row.at(0).value_or("0").toLongLong();
        r.cardId = row.at(1).value_or("0").toLongLong();
        r.kind = text(row, 2);
        r.description = text(row, 3);
        r.note = text(row, 4);
        r.dueText = text(row, 5);
        r.due = ScheduleRules::ParseIso(r.dueText);
        r.repeatMonths = int(row.at(6).value_or("0").toLongLong());
        r.animal = Win1252::Decode(row.at(7).value_or(QByteArray()));
        if (until && r.due && *r.due > *until)
            continue; // a text of the stored form that names no day
        found.push_back(std::move(r));
    }
    return found;
}

std::vector<Reminder> Find(TSQLiteDatabase& db, int archive, const std::optional<QDate>& until)
{
    FileScheduleSql tables(Categories::All.at(std::size_t(archive)), db);
    return Find(tables, archive, until);
}

ReminderScan FindAll(const ScheduleSource& source, const QDate& today, const std::optional<QDate>& until)
{
    ReminderScan scan;
    ScheduleOpener open;
    try {
        open = source();
    } catch (const ESQLiteException& e) {
        scan.problems << e.message();
        return scan;
    }
    for (std::size_t i = 0; i < Categories::All.size(); ++i) {
        const CategoryDescriptor& category = Categories::All[i];
        try {
            const std::unique_ptr<ScheduleSql> tables = open(category, true);
            if (!tables)
                continue;
            std::vector<Reminder> found = Find(*tables, int(i), until);
            std::move(found.begin(), found.end(), std::back_inserter(scan.reminders));
        } catch (const ESQLiteException& e) {
            scan.problems << u"Archivio %1: %2"_s.arg(QString(category.title), e.message());
            if (e.IsDamage())
                scan.damaged.emplace_back(e.DatabaseFile(), e.DamageDescription());
        }
    }
    Sort(scan.reminders, today);
    return scan;
}

ReminderScan FindAll(const QString& programFolder, const QDate& today, const std::optional<QDate>& until)
{
    return FindAll(FileScheduleSql::Source(programFolder), today, until);
}

ReminderScan FindDue(const QString& programFolder, const QDate& today, int noticeDays)
{
    return FindDue(FileScheduleSql::Source(programFolder), today, noticeDays);
}

int DaysOverdue(const Reminder& reminder, const QDate& today)
{
    return reminder.due ? int(reminder.due->daysTo(today)) : 0;
}

void Sort(std::vector<Reminder>& reminders, const QDate& today)
{
    auto before = [&today](const Reminder& a, const Reminder& b) {
        const bool aOverdue = !a.due || *a.due < today, bOverdue = !b.due || *b.due < today;
        if (aOverdue != bOverdue)
            return aOverdue;
        const QDate aDue = a.due.value_or(QDate()), bDue = b.due.value_or(QDate());
        if (aDue != bDue)
            return aDue < bDue;
        if (a.archive != b.archive)
            return a.archive < b.archive;
        if (const int names = a.animal.compare(b.animal))
            return names < 0;
        return a.entryId < b.entryId;
    };
    std::sort(reminders.begin(), reminders.end(), before);
}

QStringList PrintedLines(const std::vector<Reminder>& reminders, const QDate& today)
{
    auto cell = [](const QString& text, int width) { return text.left(width).leftJustified(width + 1); };
    QStringList lines;
    for (const Reminder& r : reminders) {
        const int days = DaysOverdue(r, today);
        const QString delay = !r.due      ? u"data non valida"_s
                              : days > 0  ? u"%1 gg di ritardo"_s.arg(days)
                              : days == 0 ? u"oggi"_s
                                          : u"fra %1 gg"_s.arg(-days);
        lines << cell(QString(Categories::All.at(std::size_t(r.archive)).title), 13) + cell(r.animal, 20) +
                     cell(r.kind, 16) + cell(r.description, 32) +
                     cell(r.due ? ScheduleRules::Italian(*r.due) : r.dueText, 10) + delay;
    }
    return lines;
}

} // namespace Reminders
