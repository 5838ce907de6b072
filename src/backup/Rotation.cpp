// SPDX-License-Identifier: GPL-3.0-or-later
#include "Rotation.h"

#include <algorithm>
#include <map>
#include <numeric>

namespace Rotation {

std::vector<std::size_t> ToRemove(const std::vector<Item>& items, const QDateTime& now, int keep)
{
    std::vector<std::size_t> order(items.size());
    std::iota(order.begin(), order.end(), 0);
    std::stable_sort(order.begin(), order.end(),
                     [&](std::size_t a, std::size_t b) { return items[a].date > items[b].date; });
    std::vector<bool> kept(items.size(), false);
    for (std::size_t i = 0; i < order.size() && int(i) < keep; ++i)
        kept[order[i]] = true;
    // Months counted as year * 12 + month, the current one and the eleven before it.
    const int thisMonth = now.date().year() * 12 + now.date().month() - 1;
    std::map<int, bool> monthSeen;
    bool beforeRestoreSeen = false;
    for (const std::size_t i : order) {
        const int month = items[i].date.date().year() * 12 + items[i].date.date().month() - 1;
        if (month <= thisMonth && month > thisMonth - 12 && !monthSeen[month]) {
            monthSeen[month] = true;
            kept[i] = true;
        }
        if (items[i].reason == Manifest::Reason::BeforeRestore && !beforeRestoreSeen) {
            beforeRestoreSeen = true;
            kept[i] = true;
        }
    }
    std::vector<std::size_t> remove;
    for (std::size_t i = 0; i < items.size(); ++i) {
        if (!kept[i])
            remove.push_back(i);
    }
    return remove;
}

} // namespace Rotation
