// SPDX-FileCopyrightText: 2026 Les Ateliers Calivento
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

// What is kept, in SQL that both SQLite and PostgreSQL take: text keys (UUIDs and stable names),
// integers for numbers and flags, times as milliseconds since 1970 UTC. One version number; each
// upgrade is a list of statements that takes a file from the version before it.
//
//   meta(key TEXT PRIMARY KEY, value TEXT)                 "schema" -> version
//   classes(id, name UNIQUE, created_ms)
//   children(id, class_id -> classes, first_name, picture, hears_found 0/1, created_ms,
//            UNIQUE(class_id, first_name))
//   levels(child_id -> children, game, open_levels, PRIMARY KEY(child_id, game))
//   rounds(id, child_id, game, level, started_ms, duration_ms, outcome, points)
//   answers(id, round_id, child_id, mode, game, level, instrument, answer, correct 0/1,
//           first_try 0/1, at_ms, elapsed_ms)
//   settings(key TEXT PRIMARY KEY, value TEXT)             this computer's own: code, class shown
//
// Keys kept in the rows:
//   game       "vents", "cordes", "percussions", "tous", "familles" (the five games), "oreille"
//   mode       "vue" (the five games) or "oreille" (the listening game)
//   instrument a catalogue row's drawing name ("violon", "cor_anglais")
//   answer     the same for an instrument; "famille:cordes", "famille:vents",
//              "famille:percussions" for a family dropped in the families game
//   outcome    "gagné", "perdu", "abandonné"; empty while the round is being played
namespace store::schema {

inline constexpr int version = 1;

} // namespace store::schema
