// SPDX-FileCopyrightText: 2026 Les Ateliers Calivento
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QString>
#include <array>

// The five games: one table that the menu, the game screen and the result screens share.
namespace game {

enum class GameId { Vents, Cordes, Percussions, Tous, Familles };

inline constexpr int levelCount = 3;

struct GameInfo {
    GameId id;
    const char *title;          // caption of the game screen's Label_description
    const char *modeButton;     // the game screen's mode button
    const char *progressFile;   // under the progress folder
    std::array<int, levelCount> startInterval;  // Timer1 at levels 1, 2, 3 (ms); all end in 41
    const char *menuHeading;    // the menu's heading label and its caption
    const char *menuHeadingCaption;
    const char *menuLevelPrefix;  // + "1", "2", "3": the menu's level labels
    const char *winText;
    const char *loseText;
};

// In the menu's order, left to right, which is also the order the menu reads the progress files.
inline constexpr std::array<GameInfo, 5> games{{
    {GameId::Vents, "Les instruments à vent", "Command_Aérophones", "vents.nvl", {841, 541, 291},
     "Label_vent", "Les instruments à vent", "Label_vent",
     "Tu as trouvé tous les instruments à vent en", "Tu n'as pas trouvé tous les instruments à vent"},
    {GameId::Cordes, "Les instruments à cordes", "Command_cordophones", "corde.nvl", {541, 341, 141},
     "Label_cordes", "Les instruments à cordes", "Label_cordes",
     "Tu as trouvé tous les instruments à cordes en", "Tu n'as pas trouvé tous les instruments à cordes"},
    {GameId::Percussions, "Les percussions", "Command_idiophones", "percu.nvl", {541, 341, 141},
     "Label_percussion", "Les percussions", "Label_percu",
     "Tu as trouvé tous les instruments à percussion en", "Tu n'as pas trouvé tous les instruments à percussion"},
    {GameId::Tous, "Les instruments de musique", "Command_tous", "tinstr.nvl", {1041, 741, 341},
     "Label_tous", "Tous les instruments", "Label_tous",
     "Tu as trouvé tous les instruments en", "Tu n'as pas trouvé tous les instruments"},
    {GameId::Familles, "Les familles d'instruments", "Command_famille", "finstr.nvl", {841, 541, 291},
     "Label_groupe", "Les familles d'instruments", "Label_groupes",
     "Tu as trouvé tous les instruments en", "Tu n'as pas trouvé tous les instruments"},
}};

const GameInfo &info(GameId id);

// The game whose title this is, or nullptr (exact comparison, accents and case count).
const GameInfo *byTitle(const QString &title);

// The level markers of the game screen, levels 1 to 3.
inline constexpr std::array<const char *, levelCount> levelMarkers{"Label_facile", "Label_moyen", "Label_difficile"};

inline int startInterval(GameId id, int level)
{
    return info(id).startInterval.at(static_cast<std::size_t>(level - 1));
}

} // namespace game
