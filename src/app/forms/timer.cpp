// SPDX-FileCopyrightText: 2026 Les Ateliers Calivento
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "timer.h"

#include <QElapsedTimer>
#include <algorithm>

namespace forms {

namespace {
qint64 nowNs()
{
    static const QElapsedTimer clock = [] {
        QElapsedTimer c;
        c.start();
        return c;
    }();
    return clock.nsecsElapsed();
}
constexpr qint64 nsPerMs = 1'000'000;
// A tick that the event loop delivers this much early is put back to its due time.
constexpr qint64 earlyToleranceNs = 200'000;
// A wait due longer ago than one interval, and than this, means the process was stalled (a
// suspended machine, a stopped process) rather than a tick ran late: the timer then starts
// afresh from now instead of firing a burst of catch-up ticks.
constexpr qint64 stallNs = 500 * nsPerMs;
} // namespace

Timer::Timer(QObject *parent, const QString &name, int interval, bool enabled)
    : QObject(parent)
    , m_interval(interval)
    , m_enabled(enabled)
{
    setObjectName(name);
    m_timer.setSingleShot(true);
    m_timer.setTimerType(Qt::PreciseTimer);
    connect(&m_timer, &QTimer::timeout, this, &Timer::fire);
    restart();
}

void Timer::setInterval(int ms)
{
    m_interval = ms;
    restart();
}

void Timer::setEnabled(bool enabled)
{
    m_enabled = enabled;
    restart();
}

void Timer::restart()
{
    ++m_restarts;
    if (!m_enabled || m_interval <= 0) {
        m_timer.stop();
        return;
    }
    // Inside a tick the new wait runs from when that tick was due.
    const qint64 now = nowNs();
    setDeadline(m_inTick ? m_dueNs : now, now);
    schedule();
}

void Timer::schedule()
{
    const qint64 remaining = m_deadlineNs - nowNs();
    const qint64 ms = remaining <= 0 ? 0 : (remaining + nsPerMs - 1) / nsPerMs;
    m_timer.start(static_cast<int>(ms));
}

void Timer::fire()
{
    const qint64 now = nowNs();
    if (now < m_deadlineNs - earlyToleranceNs) {
        schedule();
        return;
    }
    const unsigned restartsBefore = m_restarts;
    m_inTick = true;
    m_dueNs = m_deadlineNs;
    emit tick();
    m_inTick = false;
    if (m_restarts != restartsBefore || !m_enabled || m_interval <= 0)
        return;
    setDeadline(m_deadlineNs, nowNs());
    schedule();
}

void Timer::setDeadline(qint64 base, qint64 now)
{
    const qint64 wait = m_interval * nsPerMs;
    m_deadlineNs = base + wait < now - std::max(wait, stallNs) ? now + wait : base + wait;
}

} // namespace forms
