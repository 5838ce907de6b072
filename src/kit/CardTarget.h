// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

class TSQLiteTable;

// What other screens may do to a category's record card: the attachment dialogs write its hidden holders,
// the search screens show a chosen card on it. The record card implements it.
class CardTarget
{
public:
    virtual ~CardTarget() = default;

    // Writes one of the card's 36 values (the attachment holders, by CardFields index).
    virtual void SetValue(int field, const QString& text) = 0;
    // Shows a card read from the archive: the current row of a result set of the card's category, every
    // column included. The placeholder is shown when the card has no photo. Returns false, with the card
    // unchanged, when the row cannot be read (the reason has been shown to the user).
    virtual bool ShowChosenRow(const TSQLiteTable& row) = 0;
};
