// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "Manifest.h"

#include <QDateTime>
#include <vector>

// Which generations a destination keeps: the newest `keep` ones, the newest of each of the last twelve
// months (the current one included), and the newest made before a restore.
namespace Rotation {

struct Item
{
    QDateTime date;
    Manifest::Reason reason;
};

// Indexes (into items, in any order) of the generations to remove.
std::vector<std::size_t> ToRemove(const std::vector<Item>& items, const QDateTime& now, int keep);

} // namespace Rotation
