// SPDX-FileCopyrightText: 2026 Les Ateliers Calivento
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QSqlDatabase>
#include <QString>

// Results carried by hand from computer to computer, for schools without a server: a
// "….calivento" file is a SQLite file in the store's own schema, holding one computer's classes,
// children, levels, rounds and answers (never its access code or its settings). Importing merges
// by key: the UUIDs of rounds and answers make a second import add nothing, and classes and
// children are matched by name, so that two computers' "Léa" of "Ma classe" are one child.
//
// A database file is never opened by two computers at once: the export is a fresh copy, written
// beside its destination and renamed into place, and an import reads the file and closes it.
namespace store::carry {

inline constexpr auto suffix = ".calivento";

struct Outcome {
    bool ok = false;
    QString message; // in French, for the adult or the script's log
    int answersAdded = 0;
    int answersKnown = 0;
    int roundsAdded = 0;
    int childrenAdded = 0;
};

// Copies this computer's store into `file` (a consistent snapshot, even while the game writes).
Outcome exportStore(const QString &storeFile, const QString &file);

// Merges `file` into the open store (the local SQLite file, or the school's server), in one
// transaction. Refuses a file that is not one of ours, or that a newer game wrote, saying which.
Outcome importInto(QSqlDatabase &target, const QString &file);

} // namespace store::carry
