// SPDX-License-Identifier: GPL-3.0-or-later
#include "Artwork.h"

#include <QBrush>
#include <QPalette>
#include <QWidget>

namespace Kit {

QPixmap Picture(const QString& name)
{
    return QPixmap(name.contains(QLatin1Char('.'))
                       ? QStringLiteral(":/art/") + name
                       : QStringLiteral(":/art/") + name + QStringLiteral(".png"));
}

void TileBackground(QWidget* window, const QPixmap& pattern)
{
    QPalette p = window->palette();
    p.setBrush(QPalette::Window, QBrush(pattern));
    window->setPalette(p);
    window->setAutoFillBackground(true);
}

} // namespace Kit
