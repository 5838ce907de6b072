// SPDX-License-Identifier: GPL-3.0-or-later
#include "PhotoCard.h"

#include "storage/ArchiveStore.h"
#include "storage/Win1252.h"

PhotoCard PhotoCard::FromCard(const ArchiveCard& card)
{
    PhotoCard photo;
    photo.id = card.id;
    photo.name = Win1252::Decode(Win1252::Trimmed(card.stored.texts.value(CardFields::Nome)));
    photo.caption = Win1252::Decode(Win1252::Trimmed(card.stored.texts.value(CardFields::Didascalia)));
    photo.picture = card.stored.picture; // shared, not copied
    return photo;
}
