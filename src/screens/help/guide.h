// SPDX-FileCopyrightText: 2026 Les Ateliers Calivento
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QString>

namespace help {

// The parents' and teachers' guide ships with the game as one HTML page, installed in this
// folder relative to the game's own (set by the build from the install layout).
inline constexpr const char *guideFileName = "guide.html";
inline constexpr const char *guideFromGame = CALIVENTO_GUIDE_FROM_GAME;

// Where the help screen's link leads, as a URL for the browser: the guide installed beside the
// game (guideFromGame of an installed tree, or the game's own folder in a build folder),
// else the home page if the build names one, else the installed guide's place, so that the
// browser says which file is missing rather than nothing happening.
QString guideUrl(const QString &gameFolder, const QString &homepage);

// The home page given to the build, or empty.
QString homepage();

} // namespace help
