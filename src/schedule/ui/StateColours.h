// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "schedule/ScheduleRules.h"

#include <QColor>

// The background of an entry by its state, on both schedule screens.
namespace StateColours {

inline QColor Of(ScheduleRules::DueState state)
{
    switch (state) {
    case ScheduleRules::DueState::Overdue:
        return {255, 196, 196};
    case ScheduleRules::DueState::DueSoon:
        return {255, 236, 160};
    case ScheduleRules::DueState::Later:
        break;
    }
    return {214, 240, 214};
}

} // namespace StateColours
