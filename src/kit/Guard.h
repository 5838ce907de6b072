// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <exception>
#include <functional>
#include <utility>

class QWidget;
class ScreenHost;

namespace Kit {

// Runs action; a failure that escapes it is shown in the application's default error box (the message, a
// stop icon, OK, the application title), and a damaged archive goes to the damage host (HandleDamage).
// Slots run their work through it: an exception must never travel through Qt's event delivery.
void Guarded(QWidget* parent, const std::function<void()>& action);

// Where a damaged archive is reported: the program's ScreenHost, which names the archive and offers its
// newest good generation. nullptr (the start) reports damage as any other failure. Not owned.
void SetDamageHost(ScreenHost* host);
// When failure is a damaged archive's (ESQLiteException::IsDamage), reports it to the damage host, or in
// the default error box without one, and returns true; otherwise does nothing. For the places that pass
// other failures over in silence: damage is never silent.
bool HandleDamage(QWidget* parent, const std::exception& failure);

// A slot that runs action through Guarded, for connect().
template <typename F> auto GuardedSlot(QWidget* parent, F action)
{
    return [parent, action = std::move(action)](auto&&...) { Guarded(parent, action); };
}

} // namespace Kit
