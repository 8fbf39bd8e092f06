// SPDX-FileCopyrightText: 2026 Les Ateliers Calivento
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QCoreApplication>
#include <QEvent>
#include <QFile>
#include <QObject>
#include <QWidget>
#include <cstdio>

// A memory figure of this process from /proc/self/status, in kB ("VmRSS", "VmHWM"), or -1.
inline long statusKilobytes(const char *field)
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray &line : status.readAll().split('\n'))
        if (line.startsWith(field) && line.mid(qstrlen(field), 1) == ":")
            return line.mid(qstrlen(field) + 1).trimmed().split(' ').value(0).toLong();
    return -1;
}

// Ends the process at the first paint of the named window, printing its peak memory (kB).
class FirstPaintProbe : public QObject
{
public:
    explicit FirstPaintProbe(QString window)
        : m_window(std::move(window))
    {
    }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::Paint && watched->objectName() == m_window) {
            std::printf("painted %ld\n", statusKilobytes("VmHWM"));
            std::fflush(stdout);
            std::_Exit(0);
        }
        return false;
    }

private:
    QString m_window;
};
