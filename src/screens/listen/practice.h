// SPDX-FileCopyrightText: 2026 Les Ateliers Calivento
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "app/platform/platform.h"

#include <QString>
#include <span>
#include <vector>

namespace store {
class Database;
}

// "Devine" for a child with a profile: the instruments this child recently missed come back more
// often. Each instrument sits in one of three boxes: a miss sends it to the first, a round where
// it was always found at the first try moves it up one. A round asks every instrument of the level
// once when they fit, the ones waiting longest first when they do not, and spends what is left on
// the first two boxes.
namespace listen::practice {

// One question as the child answered it: the instrument heard (a catalogue row) and whether the
// first picture chosen was that instrument.
struct Asked {
    int row = -1;
    bool rightFirstTry = true;
};

// A child's recent rounds of "Devine", oldest first.
using History = std::vector<std::vector<Asked>>;

inline constexpr int boxes = 3;
// How many of the child's last rounds are worth fetching.
inline constexpr int roundsKept = 12;

// The instrument's box, 1 (to practise) to 3 (known); an instrument never asked is known.
int box(const History &history, int row);

// A round's questions from the level's rows. Never the same row twice in a row, nor first the row
// that ended the last round of the history.
std::vector<int> drawQuestions(std::span<const int> rows, const History &history, int count, platform::Random &random);

// The child's last rounds of "Devine" as kept, oldest first: the first picture chosen for each
// question. Runs on the store's thread.
History recentRounds(store::Database &db, const QString &childId);

} // namespace listen::practice
