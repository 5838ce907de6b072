// SPDX-License-Identifier: GPL-3.0-or-later
#include "TestGui.h"

#include <QApplication>
#include <QDeadlineTimer>
#include <QDialog>
#include <QPointer>
#include <QScreen>
#include <QTimer>
#include <QWidget>
#include <QWindow>
#include <QtTest>

namespace TestGui {

void WhenModal(std::function<void(QWidget*)> inspect, int timeoutMs)
{
    auto* timer = new QTimer(qApp);
    timer->setInterval(5);
    auto deadline = std::make_shared<QDeadlineTimer>(timeoutMs);
    auto inspected = std::make_shared<QPointer<QWidget>>();
    auto done = std::make_shared<bool>(false);
    QObject::connect(timer, &QTimer::timeout, timer, [=] {
        QWidget* modal = QApplication::activeModalWidget();
        if (!*done) {
            if (modal) {
                *done = true;
                *deadline = QDeadlineTimer(timeoutMs);
                *inspected = modal;
                inspect(modal);
                return;
            }
            if (deadline->hasExpired()) {
                timer->stop();
                timer->deleteLater();
                QTest::qFail("no modal window appeared in time", __FILE__, __LINE__);
            }
            return;
        }
        if (!*inspected || !(*inspected)->isVisible()) {
            timer->stop();
            timer->deleteLater();
            return;
        }
        if (deadline->hasExpired()) {
            timer->stop();
            timer->deleteLater();
            QWidget* stuck = *inspected;
            if (auto* dialog = qobject_cast<QDialog*>(stuck))
                dialog->reject();
            else
                stuck->close();
            QTest::qFail("a modal window stayed open after it was answered", __FILE__, __LINE__);
        }
    });
    timer->start();
}

void MovePointer(QWidget* widget, QPoint pos)
{
    // The window the pointer was last moved into: entering another one is an event of its own.
    static QPointer<QWindow> entered;
    QWindow* window = widget->window()->windowHandle();
    const QPoint local = window->mapFromGlobal(widget->mapToGlobal(pos));
    if (window != entered) {
        QEnterEvent enter(local, local, window->mapToGlobal(local));
        QCoreApplication::sendEvent(window, &enter);
        entered = window;
    }
    QTest::mouseMove(window, local);
}

void ParkPointer()
{
    QCursor::setPos(QGuiApplication::primaryScreen()->geometry().topLeft());
    QCoreApplication::processEvents();
}

} // namespace TestGui
