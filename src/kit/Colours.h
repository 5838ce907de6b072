// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QColor>

// The colours every screen of the program shares.
namespace Kit {

inline const QColor FocusYellow{255, 255, 0};  // an edit field while it has the focus
inline const QColor MoneyGreen{192, 220, 192}; // edit fields of the archive screens at rest
inline const QColor Silver{192, 192, 192};     // dialog backgrounds
inline const QColor Navy{0, 0, 128};           // status bars, guide screen
inline const QColor SkyBlue{166, 202, 240};

} // namespace Kit
