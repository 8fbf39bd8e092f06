// SPDX-FileCopyrightText: 2026 Les Ateliers Calivento
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "records.h"

#include <optional>

// Who plays in this run: nobody, at home, and the progress is the files under niveaux/; or a
// child picked in "Qui joue ?", whose levels and setting are in the database. Used on the
// interface thread only: reads come from memory, writes are posted to the store's thread.
// (Contract sketch.)
namespace store {

class Player
{
public:
    static Player &current();

    const Child *child() const; // nullptr at home
    void play(const Child &child);
    void leave();

    // The open levels of a game by its progress file ("vents.nvl", "oreille.nvl").
    std::optional<int> openLevels(const QString &progressFile);
    bool recordWin(const QString &progressFile, int levelWon);
    bool hearsFoundInstrument();
    bool setHearsFoundInstrument(bool on);

    // What a child does; nothing is recorded at home. Ids, child and times are filled in here.
    void startRound(const QString &game, int level);
    void answer(Answer answer);
    void endRound(const QString &outcome, int points);
};

} // namespace store
