// SPDX-License-Identifier: GPL-3.0-or-later
#include "ResultListPrinter.h"

#include <QFont>
#include <QFontMetricsF>
#include <QLocale>
#include <QPagedPaintDevice>
#include <QPainter>
#include <QTime>
#include <cmath>
#include <map>

using namespace Qt::Literals::StringLiterals;

QString PrintedTime(const QTime& time, const QLocale& locale)
{
    // Drop every unquoted 't' (the zone) with the blanks before it; quoted text stays as it is.
    const QString format = locale.timeFormat(QLocale::LongFormat);
    QString kept;
    bool quoted = false;
    for (const QChar c : format) {
        if (c == u'\'')
            quoted = !quoted;
        if (!quoted && c == u't') {
            while (kept.endsWith(u' '))
                kept.chop(1);
            continue;
        }
        kept += c;
    }
    return locale.toString(time, kept.trimmed());
}

int FontHeight(int pointSize, int dpiY)
{
    return int(std::lround(double(pointSize) * dpiY / 72.0));
}

std::vector<PrintedText> LayOutResultList(const QStringList& lines, const PrintedListTexts& texts, int dpiY,
                                          int pageHeight)
{
    const int h14 = FontHeight(14, dpiY);
    const int h12 = FontHeight(12, dpiY);
    const int h8 = FontHeight(8, dpiY);
    std::vector<PrintedText> out;
    out.reserve(std::size_t(lines.size()) + 5);
    int page = 0;
    int y = 2 * h14;
    out.push_back({page, y, 14, texts.dashLine});
    y += h12;
    out.push_back({page, y, 12, texts.title});
    y += h12;
    out.push_back({page, y, 14, texts.dashLine});
    y += 3 * h8;
    for (const QString& line : lines) {
        if (y >= pageHeight - 3 * h8) {
            ++page;
            y = 2 * h8;
        }
        out.push_back({page, y, 8, line});
        y += 2 * h8;
    }
    // The footer keeps the lines' bottom margin, and its two texts stay together.
    if (y + 150 >= pageHeight - 3 * h8) {
        ++page;
        y = 2 * h8;
    }
    out.push_back({page, y + 50, 8, u"____________________"_s});
    out.push_back(
        {page, y + 150, 8, "Stampa eseguita in data "_L1 + texts.date + " alle ore "_L1 + texts.time});
    return out;
}

bool PrintResultList(QPagedPaintDevice& device, const QStringList& lines, const PrintedListTexts& texts)
{
    const int dpiY = device.logicalDpiY();
    const std::vector<PrintedText> layout = LayOutResultList(lines, texts, dpiY, device.height());
    QPainter painter;
    if (!painter.begin(&device))
        return false;
    painter.setPen(Qt::black);

    // One font per size, sized in device pixels; a text's y is its top, drawText wants its baseline.
    struct SizedFont
    {
        QFont font;
        qreal ascent = 0;
    };
    std::map<int, SizedFont> fonts;
    auto fontFor = [&](int pointSize) -> const SizedFont& {
        auto it = fonts.find(pointSize);
        if (it == fonts.end()) {
            QFont font(u"Courier New"_s);
            font.setStyleHint(QFont::TypeWriter);
            font.setPixelSize(FontHeight(pointSize, dpiY));
            font.setBold(false);
            font.setUnderline(false);
            it = fonts.emplace(pointSize, SizedFont{font, QFontMetricsF(font, &device).ascent()}).first;
        }
        return it->second;
    };

    int page = 0;
    int currentSize = 0;
    qreal ascent = 0;
    for (const PrintedText& t : layout) {
        if (t.page != page) {
            if (!device.newPage()) {
                painter.end();
                return false;
            }
            page = t.page;
        }
        if (t.pointSize != currentSize) {
            const SizedFont& f = fontFor(t.pointSize);
            painter.setFont(f.font);
            ascent = f.ascent;
            currentSize = t.pointSize;
        }
        painter.drawText(QPointF(ResultListLeft, t.y + ascent), t.text);
    }
    return painter.end();
}
