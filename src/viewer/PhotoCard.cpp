// SPDX-License-Identifier: GPL-3.0-or-later
#include "PhotoCard.h"

#include "storage/TSQLiteTable.h"
#include "storage/Win1252.h"

using namespace Qt::Literals::StringLiterals;

PhotoCard PhotoCard::FromRow(const TSQLiteTable& row)
{
    PhotoCard card;
    card.id = row.IntegerValue(row.ColumnIndexOf(u"ID"_s));
    card.name = Win1252::Decode(Win1252::Trimmed(row.BlobText(row.ColumnIndexOf(u"varNome"_s))));
    card.caption = Win1252::Decode(Win1252::Trimmed(row.BlobText(row.ColumnIndexOf(u"varDidascalia"_s))));
    // The bytes stay shared with the result set: nothing is copied.
    card.picture = row.BlobText(row.ColumnIndexOf(u"Picture"_s));
    return card;
}
