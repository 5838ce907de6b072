// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QString>

struct ArchiveCard;

// A card as the photo screens show it: its identifier, name and caption, and its photo.
struct PhotoCard
{
    qint64 id = 0;
    QString name;       // without the characters of codes 0 to 32 at either end
    QString caption;    // likewise
    QByteArray picture; // the stored JPEG bytes; empty when the card has no photo

    // The photo screens' view of a card read from the archive; the photo's bytes stay shared with it.
    static PhotoCard FromCard(const ArchiveCard& card);
};
