// SPDX-FileCopyrightText: 2026 Les Ateliers Calivento
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "rules.h"

#include "app/platform/platform.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace game {

namespace {
const QString timeFormat = QStringLiteral("HH:mm:ss");

// r * span rounded down; r < 1 keeps it below span.
int draw(platform::Random &random, int span)
{
    return static_cast<int>(std::floor(static_cast<double>(random.next()) * span));
}
} // namespace

std::vector<Placement> scatter(GameId id, platform::Random &random)
{
    std::vector<Placement> placed;
    for (const char *picture : board(id).drawOrder) {
        const int row = indexOfPicture(picture);
        const Instrument &instrument = catalogue[static_cast<std::size_t>(row)];
        const int left = playLeft + draw(random, instrument.spanLeft);
        const int top = scatterTop + (instrument.spanTop > 0 ? draw(random, instrument.spanTop) : 0);
        placed.push_back({row, left, top});
    }
    return placed;
}

DropVerdict judgeDrop(const QString &dragged, int row)
{
    const Instrument &instrument = catalogue[static_cast<std::size_t>(row)];
    return {.name = dragged == QString::fromUtf8(instrument.caption),
            .family = dragged == QString::fromUtf8(familyInfo(instrument.family).caption)};
}

int penalised(int interval)
{
    return std::max(interval - dropPenalty, 1);
}

Beat beat(int interval, bool bascule)
{
    if (interval <= lostAt)
        return {.lost = true, .bascule = bascule, .interval = interval, .points = QStringLiteral("0")};
    return {.rightPose = bascule,
            .bascule = !bascule,
            .interval = interval - 1,
            .points = QString::number(interval - 1 - lostAt)};
}

QString elapsedText(QTime now, QTime start)
{
    // Whole seconds of each, as a clock that shows seconds reads them.
    const int seconds = std::abs(now.msecsSinceStartOfDay() / 1000 - start.msecsSinceStartOfDay() / 1000);
    return QTime(0, 0).addSecs(seconds).toString(timeFormat);
}

QTime rebased(const QString &shown, QTime now, QTime start)
{
    const QTime read = QTime::fromString(shown, timeFormat);
    return read.isValid() ? read : QTime::fromString(elapsedText(now, start), timeFormat);
}

QString spokenTime(const QString &shown)
{
    const QTime time = shown == QLatin1String("0") ? QTime(0, 0) : QTime::fromString(shown, timeFormat);
    if (!time.isValid())
        return shown;
    // In French one, and zero, take the singular.
    const auto count = [](int n, const char *unit) {
        return QStringLiteral("%1 %2%3").arg(n).arg(QLatin1String(unit)).arg(n > 1 ? QStringLiteral("s") : QString());
    };
    QStringList parts;
    if (time.hour() > 0)
        parts << count(time.hour(), "heure");
    if (time.minute() > 0)
        parts << count(time.minute(), "minute");
    if (time.second() > 0 || parts.isEmpty())
        parts << count(time.second(), "seconde");
    return parts.join(QLatin1Char(' '));
}

QString spokenVerdict(const QString &dragged, bool right)
{
    if (!right)
        return QStringLiteral("Non, ce n'est pas cette image");
    return QStringLiteral("Bravo : ") + dragged.left(1).toLower() + dragged.mid(1);
}

} // namespace game
