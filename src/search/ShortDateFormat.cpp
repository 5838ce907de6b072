// SPDX-License-Identifier: GPL-3.0-or-later
#include "ShortDateFormat.h"

#include <QDate>
#include <QLocale>

namespace ShortDateFormat {

namespace {
bool g_dayMonthYear = false;
}

QString Current()
{
    return g_dayMonthYear ? QStringLiteral("dd/MM/yyyy") : QLocale::system().dateFormat(QLocale::ShortFormat);
}

void UseDayMonthYear()
{
    g_dayMonthYear = true;
}

QString Format(const QDate& date)
{
    return QLocale::system().toString(date, Current());
}

void Reset()
{
    g_dayMonthYear = false;
}

} // namespace ShortDateFormat
