// SPDX-License-Identifier: GPL-3.0-or-later
#include "Ticker.h"

#include <QTimer>

namespace {

// The event loop's timer.
class QtTicker final : public Ticker
{
public:
    explicit QtTicker(QObject* owner)
        : Ticker(owner)
    {
        // A coarse timer may drift by 5 % of its interval: 300 ms on a six-second slide.
        m_timer.setTimerType(Qt::PreciseTimer);
        connect(&m_timer, &QTimer::timeout, this, &Ticker::Tick);
    }

    void Start(int intervalMs) override { m_timer.start(intervalMs); }
    void Stop() override { m_timer.stop(); }
    bool IsActive() const override { return m_timer.isActive(); }
    int Interval() const override { return m_timer.interval(); }

private:
    QTimer m_timer;
};

Kit::TickerMaker& maker()
{
    static Kit::TickerMaker current;
    return current;
}

} // namespace

namespace Kit {

Ticker* MakeTicker(QObject* owner, const QString& name)
{
    Ticker* ticker = maker() ? maker()(owner, name) : new QtTicker(owner);
    ticker->setObjectName(name);
    return ticker;
}

void SetTickerMaker(TickerMaker replacement)
{
    maker() = std::move(replacement);
}

} // namespace Kit
