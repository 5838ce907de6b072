// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "kit/Ticker.h"

#include <QList>
#include <QPointer>

// Time that passes only when a test says so. The tickers of the screens created while it is installed
// tick as the test advances it, in time order, never by waiting.
class FakeClock final
{
public:
    class FakeTicker final : public Ticker
    {
    public:
        FakeTicker(QObject* owner, FakeClock& clock)
            : Ticker(owner)
            , m_clock(clock)
        {}
        void Start(int intervalMs) override
        {
            m_interval = qMax(1, intervalMs);
            m_active = true;
            m_due = m_clock.m_now + m_interval;
        }
        void Stop() override { m_active = false; }
        bool IsActive() const override { return m_active; }
        int Interval() const override { return m_interval; }

    private:
        friend class FakeClock;
        FakeClock& m_clock;
        int m_interval = 0;
        bool m_active = false;
        qint64 m_due = 0;
    };

    FakeClock()
    {
        Kit::SetTickerMaker([this](QObject* owner, const QString&) -> Ticker* {
            auto* ticker = new FakeTicker(owner, *this);
            m_tickers.append(ticker);
            return ticker;
        });
    }
    ~FakeClock() { Kit::SetTickerMaker({}); }
    FakeClock(const FakeClock&) = delete;
    FakeClock& operator=(const FakeClock&) = delete;

    qint64 Now() const noexcept { return m_now; }

    // Lets ms milliseconds pass: every running ticker ticks as often as it would have meanwhile. A tick
    // may start, stop or restart tickers (or advance the clock again, as a nested event loop would).
    void Advance(qint64 ms)
    {
        const qint64 end = m_now + ms;
        for (;;) {
            FakeTicker* next = nullptr;
            for (const QPointer<FakeTicker>& t : m_tickers) {
                if (t && t->m_active && t->m_due <= end && (!next || t->m_due < next->m_due))
                    next = t;
            }
            if (!next)
                break;
            m_now = qMax(m_now, next->m_due);
            next->m_due += next->m_interval;
            emit next->Tick();
        }
        m_now = qMax(m_now, end);
    }

private:
    qint64 m_now = 0;
    QList<QPointer<FakeTicker>> m_tickers;
};
