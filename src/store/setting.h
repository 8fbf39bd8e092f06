// SPDX-FileCopyrightText: 2026 Les Ateliers Calivento
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QString>

// "Entendre l'instrument trouvé dans les jeux" at home: when on, a right drop in the games plays
// the found instrument's phrase instead of the chime. Off unless chosen; kept in the progress
// folder as "1" (on) or "0", and anything else there reads as off. A child's own choice is kept
// in the database (store::Player).
namespace store {

inline constexpr const char *settingFile = "ecoute.cfg";

// As last chosen in this run, or else as kept in the folder.
bool hearsFoundInstrument(const QString &folder = QStringLiteral("niveaux"));

// Chooses it and keeps it. Returns false when it could not be kept: it holds for this run all
// the same.
bool setHearsFoundInstrument(bool on, const QString &folder = QStringLiteral("niveaux"));

} // namespace store
