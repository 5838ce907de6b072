// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

class QLabel;
class QWidget;

namespace Kit {

// The status bar of a screen: a navy band with white text showing hover hints.
QLabel* MakeStatusBar(QWidget* parent);
// Shows hint in statusBar while the pointer is on widget (for controls that are not command pictures).
void InstallHint(QWidget* widget, const QString& hint, QLabel* statusBar);

} // namespace Kit
