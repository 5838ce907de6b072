// SPDX-License-Identifier: GPL-3.0-or-later
#include "Reminders.h"

#include "ScheduleRules.h"
#include "storage/CategoryDescriptor.h"
#include "storage/ESQLiteException.h"
#include "storage/ScheduleTables.h"
#include "storage/TSQLiteDatabase.h"
#include "storage/TSQLiteTable.h"
#include "storage/Win1252.h"

#include <QDir>
#include <QFileInfo>
#include <algorithm>

using namespace Qt::Literals::StringLiterals;

namespace Reminders {

std::vector<Reminder> Find(TSQLiteDatabase& db, int archive, const std::optional<QDate>& until)
{
    const CategoryDescriptor& category = Categories::All.at(std::size_t(archive));
    const ScheduleTables::State state = ScheduleTables::Inspect(db);
    if (state.kind == ScheduleTables::State::Kind::WrongColumns)
        throw ESQLiteException(state.problem);
    if (state.kind == ScheduleTables::State::Kind::Missing || !db.HasTable(QString(category.tableName)))
        return {};
    // The join leaves out the rows of deleted cards. Two ranges of the index on Scadenza: the dates up to
    // until, and the texts after every date (a due date typed as words by another program), which are
    // listed so that they get corrected.
    QString sql =
        u"SELECT s.ID, s.IDScheda, s.Tipo, s.Descrizione, s.Note, s.Scadenza, s.RipetiMesi, c.varNome "
        "FROM Scadenze s JOIN %1 c ON c.ID = s.IDScheda"_s.arg(QString(category.tableName));
    QList<QByteArray> values;
    if (until) {
        sql += u" WHERE s.Scadenza <= ? OR s.Scadenza > '9999-12-31'"_s;
        values << ScheduleRules::Iso(*until).toUtf8();
    }
    const auto table = db.OpenQuery(sql, values);
    std::vector<Reminder> found;
    found.reserve(table->RowCount());
    for (table->GoFirst(); !table->AtEnd(); table->GoNext()) {
        Reminder r;
        r.archive = archive;
        r.entryId = table->IntegerValue(0);
        r.cardId = table->IntegerValue(1);
        r.kind = QString::fromUtf8(table->TextValue(2));
        r.description = QString::fromUtf8(table->TextValue(3));
        r.note = QString::fromUtf8(table->TextValue(4));
        r.dueText = QString::fromUtf8(table->TextValue(5));
        r.due = ScheduleRules::ParseIso(r.dueText);
        r.repeatMonths = int(table->IntegerValue(6));
        r.animal = Win1252::Decode(table->TextValue(7));
        if (until && r.due && *r.due > *until)
            continue; // a text of the stored form that names no day
        found.push_back(std::move(r));
    }
    return found;
}

ReminderScan FindAll(const QString& programFolder, const QDate& today, const std::optional<QDate>& until)
{
    ReminderScan scan;
    for (std::size_t i = 0; i < Categories::All.size(); ++i) {
        const CategoryDescriptor& category = Categories::All[i];
        const QString path = QDir(programFolder).filePath(QString(category.databaseFileName));
        if (!QFileInfo(path).isFile())
            continue;
        try {
            TSQLiteDatabase db(path, TSQLiteDatabase::DefaultBusyTimeoutMs,
                               TSQLiteDatabase::Access::ReadOnly);
            std::vector<Reminder> found = Find(db, int(i), until);
            std::move(found.begin(), found.end(), std::back_inserter(scan.reminders));
        } catch (const ESQLiteException& e) {
            scan.problems << u"Archivio %1: %2"_s.arg(QString(category.title), e.message());
        }
    }
    Sort(scan.reminders, today);
    return scan;
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
