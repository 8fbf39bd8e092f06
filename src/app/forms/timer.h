// SPDX-FileCopyrightText: 2026 Les Ateliers Calivento
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QObject>
#include <QTimer>

namespace forms {

// The game's timer: Interval in ms (0 stops it), Enabled, a tick on the interface thread.
// Setting Interval restarts the wait. Waits are measured from when each tick was due, not
// from when it ran, so a run of waits lasts its nominal total however late single ticks are;
// after a stall it starts afresh from now.
class Timer : public QObject
{
    Q_OBJECT
public:
    Timer(QObject *parent, const QString &name, int interval, bool enabled = true);

    int Interval() const { return m_interval; }
    void setInterval(int ms);
    bool Enabled() const { return m_enabled; }
    void setEnabled(bool enabled);
    bool isRunning() const { return m_timer.isActive(); }

signals:
    void tick();

private:
    void restart();
    void setDeadline(qint64 base, qint64 now);
    void schedule();
    void fire();

    QTimer m_timer;
    int m_interval;
    bool m_enabled;
    qint64 m_deadlineNs = 0;
    bool m_inTick = false;
    qint64 m_dueNs = 0; // when the running tick was due
    unsigned m_restarts = 0;
};

} // namespace forms
