// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

// How the cells of a workbook become card texts.
namespace CellText {

// A workbook's text with its escapes decoded: "_xHHHH_" is the character of code HHHH ("_x005F_" the
// underscore, which keeps a following "_x0041_" as typed).
QString DecodeEscapes(const QString& text);
// A number's plain value with a decimal comma: "12.5" -> "12,5", "1E-3" -> "0,001".
QString Number(const QString& raw);
// A date as the card writes it, gg/mm/aaaa, from a spreadsheet's serial day number (whole days since
// 30 December 1899, or since 1 January 1904 in a workbook of that system); the raw text when it is not one.
QString SerialDate(const QString& raw, bool system1904);
// The time of day, hh:mm, of a serial number's fraction.
QString SerialTime(const QString& raw);
// gg/mm/aaaa from an ISO date ("2020-03-12" or "2020-03-12T10:00:00"); the raw text when it is not one.
QString IsoDate(const QString& raw);

} // namespace CellText
