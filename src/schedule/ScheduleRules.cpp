// SPDX-License-Identifier: GPL-3.0-or-later
#include "ScheduleRules.h"

#include <QRegularExpression>

using namespace Qt::Literals::StringLiterals;

namespace ScheduleRules {

const QStringList& Kinds()
{
    static const QStringList kinds = {u"Vaccinazione"_s, u"Sverminazione"_s, u"Antiparassitario"_s,
                                      u"Visita"_s, u"Altro"_s};
    return kinds;
}

std::optional<QDate> ParseItalian(const QString& text)
{
    static const QRegularExpression form(u"^\\s*(\\d{1,2})/(\\d{1,2})/(\\d{4})\\s*$"_s);
    const QRegularExpressionMatch m = form.match(text);
    if (!m.hasMatch())
        return std::nullopt;
    // QDate refuses a day the month does not have (31/02) and the year 0.
    const QDate date(m.captured(3).toInt(), m.captured(2).toInt(), m.captured(1).toInt());
    if (!date.isValid() || date.year() < 1900)
        return std::nullopt;
    return date;
}

QString Italian(const QDate& date)
{
    return date.toString(u"dd/MM/yyyy"_s);
}

QString Iso(const QDate& date)
{
    return date.toString(u"yyyy-MM-dd"_s);
}

std::optional<QDate> ParseIso(const QString& text)
{
    static const QRegularExpression form(u"^(\\d{4})-(\\d{2})-(\\d{2})$"_s);
    const QRegularExpressionMatch m = form.match(text);
    if (!m.hasMatch())
        return std::nullopt;
    const QDate date(m.captured(1).toInt(), m.captured(2).toInt(), m.captured(3).toInt());
    if (!date.isValid())
        return std::nullopt;
    return date;
}

QDate NextDue(const QDate& done, int months)
{
    // QDate::addMonths keeps the day, or takes the month's last day when it has no such day.
    return done.addMonths(months);
}

DueState StateOf(const QDate& due, const QDate& today, int noticeDays)
{
    if (due < today)
        return DueState::Overdue;
    if (due <= today.addDays(noticeDays))
        return DueState::DueSoon;
    return DueState::Later;
}

} // namespace ScheduleRules
