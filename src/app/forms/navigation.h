// SPDX-FileCopyrightText: 2026 Les Ateliers Calivento
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QList>
#include <QPoint>
#include <QRegion>
#include <optional>

// How the keyboard moves over a screen, free of any widget: the Tab order, the nearest target
// in an arrow's direction, and which part of each overlapping control can be seen and aimed at.
namespace forms::nav {

enum class Direction { Left, Right, Up, Down };

// The next entry that can be reached after `current` (before it when going back), wrapping
// round; from no entry (-1) the first or the last. -1 when none can be reached.
int nextInOrder(const QList<bool> &reachable, int current, bool forward);

// Of the candidates' anchor points, the one nearest to `from` in the direction: strictly
// beyond it along the arrow's axis, the distance along the axis plus twice the distance across
// it, the earlier candidate on a tie. -1 when nothing lies that way.
int nearestInDirection(const QList<QPoint> &candidates, QPoint from, Direction direction);

// What can be seen of each rectangle when the earlier ones lie over the later ones.
QList<QRegion> uncoveredParts(const QList<QRect> &topmostFirst);

// A point inside a region where a pointer would hit it: the centre of its largest rectangle.
std::optional<QPoint> aimPoint(const QRegion &region);

} // namespace forms::nav
