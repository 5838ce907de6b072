// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "ScheduleBook.h"

#include <QDate>
#include <vector>

struct CategoryDescriptor;

// A starting schedule for each kind of animal, added to a card in one step and then edited freely. These
// are common intervals, not veterinary advice (the guide says so): each entry falls due first one interval
// after today, and the user sets the real dates.
namespace SuggestedSets {

std::vector<EntryInput> For(const CategoryDescriptor& category, const QDate& today);

} // namespace SuggestedSets
