// SPDX-License-Identifier: GPL-3.0-or-later
#include "CalendarExport.h"

#include "ScheduleRules.h"
#include "automation/EAutomationError.h"
#include "automation/ExportFolder.h"
#include "storage/AtomicFile.h"
#include "storage/CategoryDescriptor.h"
#include "storage/FileScheduleSql.h"

#include <QDir>
#include <libical/ical.h>
#include <memory>
#include <stdexcept>

using namespace Qt::Literals::StringLiterals;

namespace CalendarExport {

namespace {

icaltimetype dateOf(const QDate& date)
{
    icaltimetype t = icaltime_null_date();
    t.year = date.year();
    t.month = date.month();
    t.day = date.day();
    return t;
}

icaltimetype utcOf(const QDateTime& moment)
{
    const QDateTime utc = moment.toUTC();
    icaltimetype t = icaltime_null_time();
    t.year = utc.date().year();
    t.month = utc.date().month();
    t.day = utc.date().day();
    t.hour = utc.time().hour();
    t.minute = utc.time().minute();
    t.second = utc.time().second();
    t.zone = icaltimezone_get_utc_timezone();
    return t;
}

QString summaryOf(const Reminder& r)
{
    // "Sverminazione", not "Sverminazione: Sverminazione", when the description only repeats the type.
    QString what = r.kind;
    if (!r.description.isEmpty() && r.description.compare(r.kind, Qt::CaseInsensitive) != 0)
        what += u": "_s + r.description;
    return u"%1 \u2013 %2 (%3)"_s.arg(what, r.animal,
                                      QString(Categories::All.at(std::size_t(r.archive)).title));
}

QString descriptionOf(const Reminder& r)
{
    QString text =
        r.repeatMonths > 0
            ? u"Si ripete %1 dalla data di esecuzione."_s.arg(ScheduleRules::RepeatText(r.repeatMonths))
            : u"Da eseguire una volta."_s;
    if (!r.note.isEmpty())
        text += u"\n"_s + r.note;
    return text;
}

struct ComponentFree
{
    void operator()(icalcomponent* c) const { icalcomponent_free(c); }
};

} // namespace

QString Uid(const Reminder& reminder)
{
    return u"scadenza-%1-%2@%3.codazzurra"_s.arg(reminder.entryId)
        .arg(reminder.cardId)
        .arg(QString(Categories::All.at(std::size_t(reminder.archive)).tableName));
}

QByteArray Calendar(const std::vector<Reminder>& reminders, const QDateTime& stamp, int* skipped)
{
    std::unique_ptr<icalcomponent, ComponentFree> calendar(icalcomponent_new_vcalendar());
    icalcomponent_add_property(calendar.get(), icalproperty_new_version("2.0"));
    icalcomponent_add_property(calendar.get(), icalproperty_new_prodid("-//Codazzurra//Scadenze//IT"));
    icalcomponent_add_property(calendar.get(), icalproperty_new_calscale("GREGORIAN"));
    const icaltimetype now = utcOf(stamp);
    int left = 0;
    for (const Reminder& r : reminders) {
        if (!r.due) {
            ++left;
            continue;
        }
        icalcomponent* event = icalcomponent_new_vevent();
        icalcomponent_add_property(event, icalproperty_new_uid(Uid(r).toUtf8().constData()));
        icalcomponent_add_property(event, icalproperty_new_dtstamp(now));
        icalcomponent_add_property(event, icalproperty_new_lastmodified(now));
        icalcomponent_add_property(event, icalproperty_new_dtstart(dateOf(*r.due)));
        icalcomponent_add_property(event, icalproperty_new_dtend(dateOf(r.due->addDays(1))));
        const QByteArray summary = summaryOf(r).toUtf8();
        icalcomponent_add_property(event, icalproperty_new_summary(summary.constData()));
        icalcomponent_add_property(event,
                                   icalproperty_new_description(descriptionOf(r).toUtf8().constData()));
        icalcomponent_add_property(event, icalproperty_new_transp(ICAL_TRANSP_TRANSPARENT));

        icalcomponent* alarm = icalcomponent_new_valarm();
        icalcomponent_add_property(alarm, icalproperty_new_action(ICAL_ACTION_DISPLAY));
        icaltriggertype trigger = icaltriggertype_from_int(0);
        trigger.duration = icaldurationtype_from_string("-P1D");
        icalcomponent_add_property(alarm, icalproperty_new_trigger(trigger));
        icalcomponent_add_property(alarm, icalproperty_new_description(summary.constData()));
        icalcomponent_add_component(event, alarm);
        icalcomponent_add_component(calendar.get(), event);
    }
    if (skipped)
        *skipped = left;
    char* text = icalcomponent_as_ical_string_r(calendar.get());
    QByteArray bytes(text);
    icalmemory_free_buffer(text);
    return bytes;
}

Written Export(const QString& programFolder, const QString& exportFolder, const QDateTime& now)
{
    return Export(FileScheduleSql::Source(programFolder), exportFolder, now);
}

Written Export(const ScheduleSource& source, const QString& exportFolder, const QDateTime& now)
{
    const ReminderScan scan = Reminders::FindAll(source, now.date(), std::nullopt);
    if (!scan.problems.isEmpty())
        throw std::runtime_error(scan.problems.join(u'\n').toStdString());
    Written written;
    QString folder;
    try {
        folder = ExportFolder::Ensure(exportFolder);
    } catch (const EAutomationError& e) {
        throw std::runtime_error(e.message().toStdString());
    }
    written.path = QDir(folder).filePath(QString(FileName));
    const QByteArray bytes = Calendar(scan.reminders, now, &written.skipped);
    written.events = int(scan.reminders.size()) - written.skipped;
    QString error;
    if (!AtomicFile::Write(written.path, bytes, &error))
        throw std::runtime_error(
            u"Impossibile scrivere il file %1: %2."_s.arg(QDir::toNativeSeparators(written.path), error)
                .toStdString());
    return written;
}

} // namespace CalendarExport
