// SPDX-FileCopyrightText: 2026 Les Ateliers Calivento
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "games.h"

#include <array>
#include <span>
#include <string_view>

// The 24 instruments of the game screen and the places their controls take in each game.
// Positions and sizes are in twips, exactly as the screen is designed.
namespace game {

enum class Family { Cordes, Vents, Percussions };

struct Instrument {
    const char *picture; // the image control
    const char *file;    // its drawing
    int pixelWidth;      // size of the drawing, stretched to the control
    int pixelHeight;
    int width; // the control
    int height;
    const char *nameLabel;
    const char *caption; // the right answer for this picture
    int labelLeft;       // where the name label waits at creation, below the screen
    int labelTop;
    Family family;
    int spanLeft; // Left = 3960 + floor(r * spanLeft)
    int spanTop;  // Top = 160 + floor(r * spanTop); 0: Top is always 160, nothing drawn
};

inline constexpr int instrumentCount = 24;

inline constexpr std::array<Instrument, instrumentCount> catalogue{{
    {"alto", "alto", 84, 196, 1290, 2970, "L_Alto", "L'alto", 3120, 10200, Family::Cordes, 6480, 4440},
    {"contrebasse", "contrebasse", 210, 491, 3180, 7395, "L_Contrebasse", "La contrebasse", 3120, 10560, Family::Cordes,
     4560, 0},
    {"harpe", "harpe", 221, 461, 3345, 6945, "L_harpe", "La harpe", 3120, 9960, Family::Cordes, 4440, 480},
    {"Piano", "piano", 427, 494, 6435, 7440, "L_piano", "Le piano", 3120, 9600, Family::Cordes, 1320, 0},
    {"violon", "violon", 76, 172, 1170, 2610, "L_violon", "Le violon", 3120, 9480, Family::Cordes, 6600, 4800},
    {"Violoncelle", "violoncelle", 149, 392, 2265, 5910, "L_Violoncelle", "Le violoncelle", 3120, 9840, Family::Cordes,
     5520, 1440},
    {"basson", "basson", 81, 331, 1245, 4995, "L_basson", "Le basson", 2280, 10200, Family::Vents, 6480, 2400},
    {"Clarinette", "clarinette", 40, 208, 630, 3150, "L_clarinette", "La clarinette", 840, 10200, Family::Vents, 7080,
     4200},
    {"Clarinette_Basse", "clarinette_basse", 126, 266, 1920, 4020, "L_CBasse", "La clarinette basse", 2280, 9120,
     Family::Vents, 5880, 3360},
    {"Cor", "cor", 130, 137, 1980, 2085, "L_cor", "Le cor", 840, 9480, Family::Vents, 5760, 5280},
    {"Cor_anglais", "cor_anglais", 42, 257, 660, 3885, "L_CAnglais", "Le cor anglais", 1800, 10440, Family::Vents, 7080,
     3480},
    {"Ct_Basson", "ct_basson", 80, 351, 1230, 5295, "L_contrebasson", "Le contrebasson", 840, 10560, Family::Vents,
     6600, 2160},
    {"Flûte", "flute", 222, 35, 3360, 555, "L_flute", "La flûte traversière", 2280, 10560, Family::Vents, 4440, 6840},
    {"Hautbois", "hautbois", 39, 205, 615, 3105, "L_hautbois", "Le hautbois", 1800, 9960, Family::Vents, 7200, 4320},
    {"Piccolo", "piccolo", 152, 37, 2310, 585, "L_piccolo", "Le piccolo", 1800, 9480, Family::Vents, 5520, 6840},
    {"Saxophone", "saxophone", 115, 197, 1755, 2985, "L_saxophone", "Le saxophone", 2280, 9480, Family::Vents, 6000,
     4440},
    {"Trombone", "trombone", 378, 120, 5700, 1830, "L_trombone", "Le trombone", 840, 9840, Family::Vents, 2040, 5520},
    {"Trompette", "trompette", 187, 71, 2835, 1095, "L_trompette", "La trompette", 2280, 9840, Family::Vents, 4920,
     6240},
    {"tuba", "tuba", 218, 324, 3300, 4890, "L_tuba", "Le tuba", 1800, 9120, Family::Vents, 4440, 2520},
    {"CClaire", "cclaire", 126, 126, 1920, 1920, "L_CClaire", "Le tambour", 5160, 9360, Family::Percussions, 5880,
     5520},
    {"Cymbales", "cymbales", 193, 126, 2925, 1920, "L_cymbales", "Les cymbales", 5160, 10200, Family::Percussions, 4800,
     5520},
    {"GCaisse", "gcaisse", 161, 232, 2445, 3510, "L_GCaisse", "La grosse caisse", 5160, 10560, Family::Percussions,
     5280, 3840},
    // The picture is named after the tambourine but shows a xylophone, and is named so.
    {"Tambourin", "tambourin", 433, 390, 6525, 5880, "L_tambourin", "Le xylophone", 5160, 9840, Family::Percussions,
     1200, 1560},
    {"Timbales", "timbales", 342, 346, 5160, 5220, "L_timbales", "Les timbales", 5160, 9720, Family::Percussions, 2640,
     2280},
}};

struct FamilyInfo {
    Family family;
    const char *label;
    const char *caption;
    unsigned colorRef; // back colour, 0x00BBGGRR
    int left;          // where it waits at creation, below the screen
    int top;
};

inline constexpr std::array<FamilyInfo, 3> families{{
    {Family::Cordes, "L_Cordophones", "Les instruments à cordes", 0x0080C0FF, 7680, 9720},
    {Family::Vents, "L_Aérophones", "Les instruments à vent", 0x00C0E0FF, 7680, 10200},
    {Family::Percussions, "L_membranophones", "Les percussions", 0x000040C0, 7680, 9240},
}};

// The play area: every picture of a game lies wholly inside it.
inline constexpr int playLeft = 3960;
inline constexpr int playTop = 120;
inline constexpr int playWidth = 7935;
inline constexpr int playHeight = 7575;
// Scattered pictures start a little inside its top edge.
inline constexpr int scatterTop = 160;

constexpr int indexOfPicture(std::string_view picture)
{
    for (int i = 0; i < instrumentCount; ++i)
        if (picture == catalogue[static_cast<std::size_t>(i)].picture)
            return i;
    return -1;
}

// The row whose drawing this is, the name kept in the store ("cor_anglais"), or -1.
constexpr int indexOfFile(std::string_view file)
{
    for (int i = 0; i < instrumentCount; ++i)
        if (file == catalogue[static_cast<std::size_t>(i)].file)
            return i;
    return -1;
}

constexpr const FamilyInfo &familyInfo(Family family)
{
    for (const FamilyInfo &f : families)
        if (f.family == family)
            return f;
    return families[0];
}

// Where a game puts one of its draggable labels.
struct LabelPlace {
    const char *label;
    int left;
    int top;
};

// What a game lays out: its labels and, in the order the places are drawn, its pictures.
struct Board {
    GameId game;
    std::span<const LabelPlace> places;
    std::span<const char *const> drawOrder;
};

const Board &board(GameId id);

// Which rows a game plays, in catalogue order.
bool plays(GameId id, int row);

// Controls that overlap: the first is drawn over the later ones and receives the drop.
// Controls not listed (the buttons pressed in code) lie out of sight.
extern const std::array<const char *, 66> stackingOrder;

} // namespace game
