// SPDX-FileCopyrightText: 2026 Les Ateliers Calivento
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "store/database.h"

#include <vector>

// A school year of play for the benchmarks: classes of children, each playing rounds from
// 1 September to the end of June on school days, a dozen answers a round, with instruments they
// know well and others they keep taking for a neighbour.
namespace bench {

struct YearSize {
    int children = 30;
    int roundsPerChild = 200;
    int answersPerRound = 12;
    int childrenPerClass = 30;
};

struct Year {
    std::vector<store::ClassRow> classes;
    std::vector<store::Child> children;
    qint64 rounds = 0;
    qint64 answers = 0;
};

// Fills the store (in transactions of a few thousand answers). The same seed gives the same year.
Year makeYear(store::Database &db, const YearSize &size, quint32 seed = 2026);

} // namespace bench
