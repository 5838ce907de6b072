// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QPoint>
#include <functional>

class QWidget;

namespace TestGui {

// Runs inspect on the next modal window as soon as it is shown; inspect is expected to close it. Call
// before the action that opens the window. When no modal window appears within timeoutMs, or the one
// that appeared is still open timeoutMs after inspect ran, the current test fails (and such a window is
// closed), instead of waiting forever.
void WhenModal(std::function<void(QWidget*)> inspect, int timeoutMs = 5000);

// Moves the pointer to pos in widget as the window system would report it, and delivers the move, with
// the enter and leave events it implies, before returning. The system's own pointer stays where it is:
// QTest::mouseMove moves that one, and under X11 its events arrive whenever the server sends them.
void MovePointer(QWidget* widget, QPoint pos);
// Puts the system's pointer in the screen's top left corner, where no centred window lies, so that a
// window shown afterwards does not open under it.
void ParkPointer();

} // namespace TestGui
