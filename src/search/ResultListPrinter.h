// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QLatin1StringView>
#include <QString>
#include <QStringList>
#include <vector>

class QLocale;
class QPagedPaintDevice;
class QTime;

// The dash lines above and below the printed title.
inline constexpr QLatin1StringView FindDashLine("-----------------------");     // find dialog
inline constexpr QLatin1StringView AdvancedSearchDashLine("-----------------"); // advanced search

// What a printed result list shows besides its lines, formatted by the caller.
struct PrintedListTexts
{
    QString dashLine; // FindDashLine or AdvancedSearchDashLine
    QString title;    // "Archivio anagrafico " + the category's plural noun
    QString date;     // the day of printing, dd/MM/yyyy
    QString time;     // the time of printing in the system's long format, without a time-zone name
};

// time as the locale's long time format writes it, without the time-zone name that Qt's long format
// ends with ("09:05:07" in Italian, "9:05:07 AM" in American English).
QString PrintedTime(const QTime& time, const QLocale& locale);

// One text of the printed list: on page (0-based), its top at y device pixels from the top of the
// printable area, its left edge at ResultListLeft, in Courier New of pointSize.
struct PrintedText
{
    int page = 0;
    int y = 0;
    int pointSize = 8;
    QString text;
};

inline constexpr int ResultListLeft = 150;

// The height in device pixels of a font of pointSize at a vertical resolution of dpiY dots per inch.
int FontHeight(int pointSize, int dpiY);

// Where every text of the printed list goes: the dash line (14 pt) at 2 × H(14), the title (12 pt) H(12)
// below it, the dash line again H(12) lower, then the lines (8 pt) from 3 × H(8) lower on, 2 × H(8) apart.
// A line whose top would be at or below pageHeight − 3 × H(8) starts a new page at 2 × H(8), without the
// heading. The footer follows the last line: "____________________" 50 pixels below where the next line
// would go and "Stampa eseguita in data " + date + " alle ore " + time 150 pixels below it. When the
// second of them would start at or below the same threshold as the lines, both go to a new page, below
// 2 × H(8).
std::vector<PrintedText> LayOutResultList(const QStringList& lines, const PrintedListTexts& texts, int dpiY,
                                          int pageHeight);

// Prints the list on device (a printer, or a PDF writer in tests), whose page size, orientation and
// colour mode the caller has set: black Courier New, neither bold nor underlined, laid out by
// LayOutResultList for the device's vertical resolution and printable height. Returns false when the
// device cannot be painted on or cannot start a new page.
bool PrintResultList(QPagedPaintDevice& device, const QStringList& lines, const PrintedListTexts& texts);
