// SPDX-FileCopyrightText: 2026 Les Ateliers Calivento
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "catalogue.h"

#include <QString>
#include <QTime>
#include <vector>

namespace platform {
class Random;
}

// The rules of a round, free of any window: where pictures go, how a drop is judged, what a
// beat does and what the stopwatch shows.
namespace game {

struct Placement {
    int row; // in the catalogue
    int left;
    int top;
};

// Random places for the game's pictures, drawn in the game's draw order.
std::vector<Placement> scatter(GameId id, platform::Random &random);

// A drop of a label with the caption `dragged` on a picture of the catalogue.
struct DropVerdict {
    bool name = false;   // its name: the picture and the name label go
    bool family = false; // its family: the picture goes, the family label stays for the others
    bool right() const { return name || family; }
};
DropVerdict judgeDrop(const QString &dragged, int row);

// Timer1 after a wrong drop. It never reaches 0, which would stop the timer and leave the round
// unlosable: the next tick still finds it at 40 or less and ends the round.
int penalised(int interval);
inline constexpr int dropPenalty = 20;

// Timer1's interval at which the round is lost; the points are always interval - lostAt.
inline constexpr int lostAt = 40;

// One tick of the countdown, from the interval read at its start.
struct Beat {
    bool lost = false;
    bool rightPose = false; // which metronome picture to show
    bool bascule = false;   // the phase for the next tick
    int interval = 0;
    QString points;
};
Beat beat(int interval, bool bascule);

// The stopwatch: how far apart two times of day are, as "HH:mm:ss". Only times of day are
// compared, so a round across midnight shows 24 hours less the time really played.
QString elapsedText(QTime now, QTime start);

// The new origin when the stopwatch is re-based on the time it shows. A text that is not a time
// (the "0" shown before the first second has passed) stands for what the stopwatch would show now.
QTime rebased(const QString &shown, QTime now, QTime start);

// The stopwatch's text as it is read out: "00:01:42" is "1 minute 42 secondes". The "0" shown
// before the first second is "0 seconde"; any other text is read as it is.
QString spokenTime(const QString &shown);

// What a screen reader says after a drop of the label with the caption `dragged`.
QString spokenVerdict(const QString &dragged, bool right);

} // namespace game
