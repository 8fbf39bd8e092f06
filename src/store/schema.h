// SPDX-FileCopyrightText: 2026 Les Ateliers Calivento
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QString>
#include <QStringList>
#include <vector>

// What is kept, in SQL that both SQLite and PostgreSQL take: text keys (UUIDs and stable names),
// integers for numbers and flags, times as milliseconds since 1970 UTC. One version number; each
// upgrade is a list of statements that takes a file from the version before it.
//
//   meta(key PRIMARY KEY, value)                          "schema" -> version
//   classes(id, name UNIQUE, created_ms)
//   children(id, class_id, first_name, picture, hears_found 0/1, created_ms,
//            UNIQUE(class_id, first_name))
//   levels(child_id, game, open_levels, PRIMARY KEY(child_id, game))
//   rounds(n, id UNIQUE, child_id, mode, game, level, started_ms, duration_ms, outcome, points)
//   answers(round -> rounds.n, seq, instrument, answer, correct 0/1, first_try 0/1, elapsed_ms,
//           PRIMARY KEY(round, seq))
//   settings(key PRIMARY KEY, value)                      this computer's own: code, class shown
//   answer_rows                                           a view: each answer with its round's
//                                                         child, mode, game, level and at_ms
//
// A year of a school's answers must stay small, so an answer row holds no text key of its own:
// it points at its round by the round's local number `n`, and its key is (round, seq). Its UUID
// is derived from the round's UUID and seq (store::answerUuid), the same on every computer.
// Version 2 adds sent_ms (NULL until sent to the school's server) on rounds and answers.
//
// Keys kept in the rows:
//   game       "vents", "cordes", "percussions", "tous", "familles" (the five games), "oreille"
//   mode       "vue" (the five games) or "oreille" (the listening game)
//   instrument a catalogue row's drawing name ("violon", "cor_anglais")
//   answer     the same for an instrument; "famille:cordes", "famille:vents",
//              "famille:percussions" for a family dropped in the families game
//   outcome    "gagné", "perdu", "abandonné"; empty while the round is being played
namespace store::schema {

inline constexpr int version = 2;

// The statements that take a store from version n to n + 1, for the driver ("QSQLITE",
// "QPSQL"): element 0 makes version 1.
std::vector<QStringList> upgrades(const QString &driver);

} // namespace store::schema
