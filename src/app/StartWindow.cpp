// SPDX-License-Identifier: GPL-3.0-or-later
#include "StartWindow.h"

StartWindow::StartWindow(QWidget* parent)
    : QWidget(parent)
{
    setWindowTitle(QStringLiteral("Codazzurra"));
}
