// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <functional>
#include <utility>

class QWidget;

namespace Kit {

// Runs action; a failure that escapes it is shown in the application's default error box (the message, a
// stop icon, OK, the application title). Slots run their work through it: an exception must never travel
// through Qt's event delivery.
void Guarded(QWidget* parent, const std::function<void()>& action);

// A slot that runs action through Guarded, for connect().
template <typename F> auto GuardedSlot(QWidget* parent, F action)
{
    return [parent, action = std::move(action)](auto&&...) { Guarded(parent, action); };
}

} // namespace Kit
