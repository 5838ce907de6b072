// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QApplication>
#include <QTimer>
#include <functional>

namespace TestGui {

// Runs inspect on the next modal window as soon as it is shown (inspect is expected to close it).
// Call before the action that opens the window.
inline void WhenModal(std::function<void(QWidget*)> inspect)
{
    auto* timer = new QTimer(qApp);
    timer->setInterval(5);
    QObject::connect(timer, &QTimer::timeout, timer, [timer, inspect] {
        if (QWidget* modal = QApplication::activeModalWidget()) {
            timer->stop();
            timer->deleteLater();
            inspect(modal);
        }
    });
    timer->start();
}

} // namespace TestGui
