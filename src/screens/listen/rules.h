// SPDX-FileCopyrightText: 2026 Les Ateliers Calivento
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "app/platform/platform.h"
#include "screens/game/orchestra.h"

#include <QRect>
#include <span>
#include <vector>

// The listening screen's rules: which instruments a level plays, the questions of a round, when a
// level opens, and where the pictures go. Rows are rows of the instrument catalogue.
namespace listen {

inline constexpr int questionsPerRound = 10;
// Right at the first try, out of ten, to open the next level.
inline constexpr int rightToOpen = 8;
// Under the progress folder, with the same format and rules as the games' files.
inline constexpr const char *progressFile = "oreille.nvl";

// The instruments of a level: 1, four far apart (one per section); 2, eight; 3, all of them.
std::vector<int> levelRows(int level);

// A round's questions from the given rows: every row as often as the others (give or take one),
// never the same twice in a row when there is a choice, all different when there are enough.
std::vector<int> drawQuestions(std::span<const int> rows, int count, platform::Random &random);

// The stored number of open levels after a round of the given level.
int afterRound(int stored, int level, int rightFirstTry);

struct Cell {
    int row;
    QRect cell;    // twips
    QRect picture; // inside the cell, with the drawing's proportions
};

struct SectionBand {
    game::Section section;
    QRect caption;
    std::vector<Cell> cells;
};

// One band per section that has any of the rows, top to bottom, each with its caption on the
// left and its instruments from the highest voice to the lowest.
std::vector<SectionBand> layoutByFamily(std::span<const int> rows, const QRect &area);

} // namespace listen
