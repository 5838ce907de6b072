// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QObject>
#include <QString>
#include <functional>

// A repeating event-loop timer, behind an interface so that tests can step time themselves instead of
// waiting for it. Screens get theirs from Kit::MakeTicker.
class Ticker : public QObject
{
    Q_OBJECT
public:
    using QObject::QObject;

    // Starts, or starts again: the first Tick comes intervalMs from now, then one every intervalMs.
    virtual void Start(int intervalMs) = 0;
    virtual void Stop() = 0;
    virtual bool IsActive() const = 0;
    virtual int Interval() const = 0;

signals:
    void Tick();
};

namespace Kit {

// A ticker owned by owner; name tells it apart from the owner's other tickers (tests find it by it).
Ticker* MakeTicker(QObject* owner, const QString& name);

// Makes the tickers of the screens created from now on; an empty maker restores the event loop's timers.
using TickerMaker = std::function<Ticker*(QObject* owner, const QString& name)>;
void SetTickerMaker(TickerMaker maker);

} // namespace Kit
