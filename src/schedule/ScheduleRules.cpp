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
    // Read digit by digit: the reminders read thousands of them at start-up.
    if (text.size() != 10 || text[4] != u'-' || text[7] != u'-')
        return std::nullopt;
    auto number = [&text](int from, int count) {
        int value = 0;
        for (int i = from; i < from + count; ++i) {
            const char16_t c = text[i].unicode();
            if (c < u'0' || c > u'9')
                return -1;
            value = value * 10 + (c - u'0');
        }
        return value;
    };
    const int year = number(0, 4), month = number(5, 2), day = number(8, 2);
    if (year < 0 || month < 0 || day < 0)
        return std::nullopt;
    const QDate date(year, month, day);
    if (!date.isValid())
        return std::nullopt;
    return date;
}

QString RepeatText(int months)
{
    if (months <= 0)
        return u"una volta"_s;
    if (months == 1)
        return u"ogni mese"_s;
    if (months == 12)
        return u"ogni anno"_s;
    if (months % 12 == 0)
        return u"ogni %1 anni"_s.arg(months / 12);
    return u"ogni %1 mesi"_s.arg(months);
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
