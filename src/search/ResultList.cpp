// SPDX-License-Identifier: GPL-3.0-or-later
#include "ResultList.h"

#include "ResultLine.h"
#include "storage/ArchiveStore.h"

#include <QCollator>
#include <QLocale>
#include <algorithm>
#include <numeric>

void ResultList::Fill(const std::vector<CardSummary>& cards)
{
    Clear();
    const int count = int(cards.size());
    QStringList lines;
    lines.reserve(count);
    for (const CardSummary& card : cards)
        lines.append(FormatResultLine(card));

    // Italian whatever the process locale. Comparing the lines directly stops at their first difference,
    // mostly within the name; sort keys would cover all 140-odd characters of every line.
    QCollator collator{QLocale(QLocale::Italian, QLocale::Italy)};
    collator.setCaseSensitivity(Qt::CaseInsensitive);
    std::vector<int> order(static_cast<std::size_t>(count));
    std::iota(order.begin(), order.end(), 0);
    std::stable_sort(order.begin(), order.end(),
                     [&](int a, int b) { return collator.compare(lines.at(a), lines.at(b)) < 0; });

    m_lines.reserve(count);
    m_ids.reserve(std::size_t(count));
    for (const int position : order) {
        m_lines.append(lines.at(position));
        m_ids.push_back(cards[std::size_t(position)].id);
    }
}

void ResultList::Clear()
{
    m_lines.clear();
    m_ids.clear();
}

std::optional<qint64> ResultList::ChosenCardId(int index) const
{
    if (index < 0 || index >= Count())
        return std::nullopt;
    return m_ids[std::size_t(index)];
}
