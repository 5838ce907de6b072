// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QPixmap>
#include <QString>

class QWidget;

namespace Kit {

// A picture from the program's artwork (":/art/<name>.png" unless name has a suffix).
QPixmap Picture(const QString& name);
// Tiles the background of a window with a pattern.
void TileBackground(QWidget* window, const QPixmap& pattern);

} // namespace Kit
