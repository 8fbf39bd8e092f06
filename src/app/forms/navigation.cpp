// SPDX-FileCopyrightText: 2026 Les Ateliers Calivento
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "navigation.h"

#include <cstdlib>

namespace forms::nav {

int nextInOrder(const QList<bool> &reachable, int current, bool forward)
{
    const int count = static_cast<int>(reachable.size());
    if (count == 0)
        return -1;
    if (current < 0 || current >= count)
        current = forward ? -1 : count;
    for (int step = 1; step <= count; ++step) {
        const int i = ((current + (forward ? step : -step)) % count + count) % count;
        if (reachable[i])
            return i;
    }
    return -1;
}

int nearestInDirection(const QList<QPoint> &candidates, QPoint from, Direction direction)
{
    int best = -1;
    long bestScore = 0;
    for (int i = 0; i < candidates.size(); ++i) {
        const QPoint d = candidates[i] - from;
        long along = 0;
        long across = 0;
        switch (direction) {
        case Direction::Left:
            along = -d.x(), across = d.y();
            break;
        case Direction::Right:
            along = d.x(), across = d.y();
            break;
        case Direction::Up:
            along = -d.y(), across = d.x();
            break;
        case Direction::Down:
            along = d.y(), across = d.x();
            break;
        }
        if (along <= 0)
            continue;
        const long score = along + 2 * std::labs(across);
        if (best < 0 || score < bestScore) {
            best = i;
            bestScore = score;
        }
    }
    return best;
}

QList<QRegion> uncoveredParts(const QList<QRect> &topmostFirst)
{
    QList<QRegion> parts;
    QRegion above;
    for (const QRect &r : topmostFirst) {
        parts.append(QRegion(r).subtracted(above));
        above += r;
    }
    return parts;
}

std::optional<QPoint> aimPoint(const QRegion &region)
{
    std::optional<QRect> largest;
    for (const QRect &r : region) {
        if (!largest || r.width() * r.height() > largest->width() * largest->height())
            largest = r;
    }
    if (!largest)
        return std::nullopt;
    return largest->center();
}

} // namespace forms::nav
