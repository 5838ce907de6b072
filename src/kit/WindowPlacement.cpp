// SPDX-License-Identifier: GPL-3.0-or-later
#include "WindowPlacement.h"

#include "Artwork.h"
#include "Controls.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>
#include <QWindow>

namespace Kit {

void SetUpWindow(QWidget* window, const QString& objectName, const QString& title, const QColor& background)
{
    window->setObjectName(objectName);
    window->setWindowTitle(title);
    window->setWindowIcon(Picture(QStringLiteral("app_icon")));
    FillBackground(window, background);
}

QSize OuterSize(const QWidget* window)
{
    const QRect frame = window->frameGeometry();
    return frame.isValid() && frame.size() != QSize(0, 0) ? frame.size() : window->size();
}

QScreen* ScreenOf(const QWidget* window, const QWidget* owner)
{
    if (owner && owner->isVisible() && owner->screen())
        return owner->screen();
    if (window && window->screen())
        return window->screen();
    return QGuiApplication::primaryScreen();
}

void CentreOnDesktop(QWidget* window)
{
    QScreen* screen = ScreenOf(window);
    if (!screen)
        return;
    const QRect area = screen->availableGeometry();
    window->move(area.center() -
                 QPoint(window->frameGeometry().width() / 2, window->frameGeometry().height() / 2));
}

void ShowMaximised(QWidget* window)
{
    if (!window->isVisible()) {
        if (QScreen* screen = window->screen())
            window->setGeometry(screen->availableGeometry());
    }
    window->showMaximized();
}

void PrepareFullScreen(QWidget* window, const QWidget* owner)
{
    QScreen* screen = ScreenOf(window, owner);
    if (!screen)
        return;
    window->setAttribute(Qt::WA_DontShowOnScreen, false);
    if (!window->windowHandle())
        window->winId(); // creates the native window, so that it can be placed on the right screen
    if (QWindow* handle = window->windowHandle())
        handle->setScreen(screen);
    window->setGeometry(screen->geometry());
    window->setWindowState(window->windowState() | Qt::WindowFullScreen);
}

} // namespace Kit
