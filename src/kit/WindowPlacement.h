// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QColor>
#include <QSize>
#include <QString>

class QScreen;
class QWidget;

// Where the program's windows go and how they look as windows.
namespace Kit {

// Gives a window its object name, title, icon and plain background colour.
void SetUpWindow(QWidget* window, const QString& objectName, const QString& title, const QColor& background);
// The outer size of a window: its frame and title bar included.
QSize OuterSize(const QWidget* window);
// The screen a window is on, or the one its owner is on, or the primary screen.
QScreen* ScreenOf(const QWidget* window, const QWidget* owner = nullptr);
// Centres a window on the desktop it is on.
void CentreOnDesktop(QWidget* window);
// Shows a window maximised (on the whole available desktop also where no window manager maximises it).
void ShowMaximised(QWidget* window);
// Makes a window cover the whole screen its owner is on, panels included; the geometry is set here, since
// without a window manager nobody else does it. Call before showing (or exec()).
void PrepareFullScreen(QWidget* window, const QWidget* owner);

} // namespace Kit
