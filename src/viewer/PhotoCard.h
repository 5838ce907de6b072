// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QString>

class TSQLiteTable;

// A card as the photo screens show it: its identifier, name and caption, and its photo.
struct PhotoCard
{
    qint64 id = 0;
    QString name;       // without the characters of codes 0 to 32 at either end
    QString caption;    // likewise
    QByteArray picture; // the stored JPEG bytes; empty when the card has no photo

    // Reads the current row of a result set of a category's table. Raises ESQLiteException when a column
    // cannot be read.
    static PhotoCard FromRow(const TSQLiteTable& row);
};
