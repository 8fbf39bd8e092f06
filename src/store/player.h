// SPDX-FileCopyrightText: 2026 Les Ateliers Calivento
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "records.h"
#include "worker.h"

#include <QElapsedTimer>
#include <memory>
#include <optional>

// Who plays in this run: nobody, at home, and the progress is the files under niveaux/; or a
// child picked in "Qui joue ?", whose levels and setting are in the database. Used on the
// interface thread only: reads come from memory, writes are posted to the store's thread, so a
// drop never waits for the disk.
namespace store {

// The key kept in rows for a game's progress file ("corde.nvl" -> "cordes"); empty if unknown.
QString gameKey(const QString &progressFile);

class Player
{
public:
    static Player &current();

    // Where the children are kept: calivento.sqlite in the current folder unless told before
    // first use (--base, tests). The folder of the progress files, "niveaux" unless told.
    void useStore(const Location &where);
    void useProgressFolder(const QString &folder);
    // Whether there is a store to look in, without making one: at home there is none.
    bool hasStore() const;
    // The store's thread, started on first use.
    Worker &worker();
    // Ends a round in play as abandoned, lets the posted writes finish and stops the thread.
    void close();

    const Child *child() const { return m_child ? &*m_child : nullptr; }
    void play(const Child &child); // as read from the store
    void leave();                  // back to nobody; a round in play is abandoned

    // The open levels of a game by its progress file ("vents.nvl", "oreille.nvl").
    std::optional<int> openLevels(const QString &progressFile);
    // A won round of the five games; false when it could not be kept.
    bool recordWin(const QString &progressFile, int levelWon);
    // Opens levels up to open (the listening game's own rule decides when), never closing any.
    bool raiseLevels(const QString &progressFile, int open);

    // The progress of play without a child, by game key, for "Reprendre la progression
    // actuelle" when the first child is made: only what is above level 1.
    std::map<QString, int> levelsInFiles() const;

    // "Entendre l'instrument trouvé dans les jeux".
    bool hearsFoundInstrument();
    bool setHearsFoundInstrument(bool on); // false when it could not be kept: it holds all the same

    // What a child does; nothing is recorded at home. Ids, child, mode and times are filled in
    // here. A round started while another is in play ends that one as abandoned.
    void startRound(const QString &game, int level);
    void answer(const QString &instrument, const QString &answer, bool correct, bool firstTry);
    void endRound(const QString &outcome, int points);
    bool inRound() const { return m_round.has_value(); }
    const Round *round() const { return m_round ? &*m_round : nullptr; }

private:
    Player() = default;

    Location m_where;
    QString m_folder = QStringLiteral("niveaux");
    std::unique_ptr<Worker> m_worker;
    std::optional<Child> m_child;
    std::optional<Round> m_round;
    QElapsedTimer m_clock;
    int m_seq = 0;
};

} // namespace store
