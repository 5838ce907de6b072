// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <functional>

class QWidget;

namespace TestGui {

// Runs inspect on the next modal window as soon as it is shown; inspect is expected to close it. Call
// before the action that opens the window. When no modal window appears within timeoutMs, or the one
// that appeared is still open timeoutMs after inspect ran, the current test fails (and such a window is
// closed), instead of waiting forever.
void WhenModal(std::function<void(QWidget*)> inspect, int timeoutMs = 5000);

} // namespace TestGui
