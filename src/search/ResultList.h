// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QStringList>
#include <optional>
#include <vector>

struct CardSummary;

// The lines of a result list in the order the list shows them, with the card behind each line.
class ResultList
{
public:
    // Replaces the list with one FormatResultLine per card, sorted once in Italian alphabetical order of
    // the whole line without regard to case. Identical lines are all kept, in the order of cards.
    void Fill(const std::vector<CardSummary>& cards);
    void Clear();

    int Count() const noexcept { return int(m_lines.size()); }
    bool IsEmpty() const noexcept { return m_lines.isEmpty(); }
    const QStringList& Lines() const noexcept { return m_lines; }

    // The card that a double-click on line index shows: the card of that very line, even when other
    // lines read the same. Nothing for an index outside the list.
    std::optional<qint64> ChosenCardId(int index) const;

private:
    QStringList m_lines;
    std::vector<qint64> m_ids; // the card of each line
};
