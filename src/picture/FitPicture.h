// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QRect>
#include <QSize>

// Where every picture box of the program draws a picture of size picture inside an area of size area:
// never enlarged, scaled down keeping its proportions (sizes truncated) when larger, centred.
// The rectangle is in the area's coordinates; empty for an empty picture.
QRect FitPicture(QSize picture, QSize area);
