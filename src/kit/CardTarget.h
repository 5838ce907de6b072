// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

struct ArchiveCard;

// What other screens may do to a category's record card: the attachment dialogs write its hidden holders,
// the search screens show a chosen card on it. The record card implements it.
class CardTarget
{
public:
    virtual ~CardTarget() = default;

    // Writes one of the card's 36 values (the attachment holders, by CardFields index).
    virtual void SetValue(int field, const QString& text) = 0;
    // Shows a card of the card's category, read whole from the archive. The placeholder is shown when the
    // card has no photo. Returns false, with the card unchanged, when it cannot be shown (the reason has
    // been shown to the user).
    virtual bool ShowChosenCard(const ArchiveCard& card) = 0;
};
