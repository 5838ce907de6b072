// SPDX-License-Identifier: GPL-3.0-or-later
#include "CellText.h"

#include <QDate>
#include <cmath>

using namespace Qt::Literals::StringLiterals;

namespace CellText {

namespace {

int hexValue(QChar c)
{
    if (c >= u'0' && c <= u'9')
        return c.unicode() - u'0';
    if (c >= u'a' && c <= u'f')
        return c.unicode() - u'a' + 10;
    if (c >= u'A' && c <= u'F')
        return c.unicode() - u'A' + 10;
    return -1;
}

} // namespace

QString DecodeEscapes(const QString& text)
{
    if (!text.contains(u"_x"_s))
        return text;
    QString out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i] == u'_' && i + 6 < text.size() && text[i + 1] == u'x' && text[i + 6] == u'_') {
            int code = 0;
            bool hex = true;
            for (int k = 2; k < 6 && hex; ++k) {
                const int v = hexValue(text[i + k]);
                hex = v >= 0;
                code = code * 16 + v;
            }
            if (hex) {
                out += QChar(char16_t(code));
                i += 6;
                continue;
            }
        }
        out += text[i];
    }
    return out;
}

QString Number(const QString& raw)
{
    QString text = raw.trimmed();
    bool plain = !text.isEmpty();
    for (qsizetype i = 0; i < text.size() && plain; ++i) {
        const QChar c = text[i];
        plain = c.isDigit() || c == u'.' || (i == 0 && c == u'-');
    }
    if (!plain) {
        bool ok = false;
        const double value = text.toDouble(&ok);
        if (!ok || !std::isfinite(value))
            return raw;
        text = QString::number(value, 'f', 15);
        if (text.contains(u'.')) {
            while (text.endsWith(u'0'))
                text.chop(1);
            if (text.endsWith(u'.'))
                text.chop(1);
        }
    }
    text.replace(u'.', u',');
    return text;
}

QString SerialDate(const QString& raw, bool system1904)
{
    bool ok = false;
    const double serial = raw.toDouble(&ok);
    if (!ok || !std::isfinite(serial) || serial < 0 || serial > 2958465)
        return raw;
    auto days = qint64(std::floor(serial));
    QDate base(1899, 12, 30);
    if (system1904)
        base = QDate(1904, 1, 1);
    else if (days < 61)
        ++days; // the 1900 system counts a 29 February 1900 that never was
    return base.addDays(days).toString(u"dd/MM/yyyy"_s);
}

QString SerialTime(const QString& raw)
{
    bool ok = false;
    const double serial = raw.toDouble(&ok);
    if (!ok || !std::isfinite(serial))
        return raw;
    const auto minutes = qint64(std::llround((serial - std::floor(serial)) * 24 * 60)) % (24 * 60);
    return u"%1:%2"_s.arg(int(minutes / 60), 2, 10, QChar(u'0')).arg(int(minutes % 60), 2, 10, QChar(u'0'));
}

QString IsoDate(const QString& raw)
{
    const QDate date = QDate::fromString(raw.left(10), u"yyyy-MM-dd"_s);
    return date.isValid() ? date.toString(u"dd/MM/yyyy"_s) : raw;
}

} // namespace CellText
