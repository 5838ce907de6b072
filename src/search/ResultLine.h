// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

struct CardSummary;

// value trimmed of the characters of codes 0 to 32, then blank-padded or cut to exactly width characters.
QString PadField(const QString& value, int width);

// The fixed-width line that stands for a card in the result lists: name (30), "  Razza: ", breed (30),
// "  ", sex (7), "  Nato il ", birth date (18), "  Tel. ", telephone (15), "  Prezzo: ", and the price
// trimmed, whole. So 138 characters, then the price.
QString FormatResultLine(const QString& nome, const QString& razza, const QString& sesso,
                         const QString& dataNasc, const QString& telefono, const QString& prezzo);
QString FormatResultLine(const CardSummary& card);
