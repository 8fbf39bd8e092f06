// SPDX-FileCopyrightText: 2026 Les Ateliers Calivento
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "platform.h"

#include <QDateTime>
#include <QMessageBox>
#include <cstdio>
#include <cstdlib>
#include <random>

namespace platform {

Services &services()
{
    static Services s{nativeSound(), nativeTaskbar(), nativeBrowser(), nativeLauncher(),
                      nativeClock(), nativeRandom(),  nativeDialogs()};
    return s;
}

void endProcess(int status)
{
    std::fflush(nullptr);
    std::_Exit(status);
}

QString stripQuotes(QString command)
{
    for (qsizetype quote = command.indexOf(QLatin1Char('"')); quote >= 0; quote = command.indexOf(QLatin1Char('"'))) {
        if (quote == 0)
            command.remove(0, 1);
        else
            command.truncate(quote);
    }
    return command;
}

namespace {

class SystemClock final : public Clock
{
public:
    QTime timeOfDay() override { return QTime::currentTime(); }
};

class Mt19937Random final : public Random
{
public:
    Mt19937Random() { reseed(); }
    void reseed() override { m_engine.seed(static_cast<std::uint32_t>(QDateTime::currentMSecsSinceEpoch())); }
    // 24 random bits scaled by 2^-24: every float in [0, 1) on the grid, never 1.
    float next() override { return static_cast<float>(m_engine() >> 8) * (1.0f / 16777216.0f); }

private:
    std::mt19937 m_engine;
};

class MessageBoxDialogs final : public Dialogs
{
public:
    void exclamation(QWidget *parent, const QString &title, const QString &text) override
    {
        QMessageBox box(QMessageBox::Warning, title, text, QMessageBox::Ok, parent);
        box.exec();
    }
};

} // namespace

std::unique_ptr<Clock> nativeClock()
{
    return std::make_unique<SystemClock>();
}
std::unique_ptr<Random> nativeRandom()
{
    return std::make_unique<Mt19937Random>();
}
std::unique_ptr<Dialogs> nativeDialogs()
{
    return std::make_unique<MessageBoxDialogs>();
}

} // namespace platform
