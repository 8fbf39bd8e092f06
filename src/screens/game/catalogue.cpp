// SPDX-FileCopyrightText: 2026 Les Ateliers Calivento
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "catalogue.h"

#include <algorithm>

namespace game {

namespace {

constexpr std::array<LabelPlace, 24> tousPlaces{{
    {"L_piccolo", 200, 1800},    {"L_flute", 2000, 1800},        {"L_clarinette", 200, 2280},
    {"L_CBasse", 2000, 2280},    {"L_hautbois", 200, 2760},      {"L_CAnglais", 2000, 2760},
    {"L_basson", 200, 3240},     {"L_contrebasson", 2000, 3240}, {"L_saxophone", 200, 3720},
    {"L_trompette", 2000, 3720}, {"L_cor", 200, 4200},           {"L_trombone", 2000, 4200},
    {"L_tuba", 200, 4680},       {"L_harpe", 2000, 4680},        {"L_violon", 200, 5160},
    {"L_Alto", 2000, 5160},      {"L_Violoncelle", 200, 5640},   {"L_Contrebasse", 2000, 5640},
    {"L_piano", 200, 6120},      {"L_tambourin", 2000, 6120},    {"L_CClaire", 200, 6600},
    {"L_cymbales", 2000, 6600},  {"L_timbales", 200, 7080},      {"L_GCaisse", 2000, 7080},
}};

constexpr std::array<LabelPlace, 3> famillePlaces{{
    {"L_Aérophones", 1040, 2760},
    {"L_Cordophones", 1040, 4320},
    {"L_membranophones", 1040, 5880},
}};

constexpr std::array<LabelPlace, 13> ventsPlaces{{
    {"L_piccolo", 1040, 2160},
    {"L_flute", 200, 2880},
    {"L_hautbois", 2000, 2880},
    {"L_CAnglais", 200, 3600},
    {"L_clarinette", 2000, 3600},
    {"L_CBasse", 200, 4320},
    {"L_basson", 2000, 4320},
    {"L_contrebasson", 200, 5040},
    {"L_cor", 2000, 5040},
    {"L_trompette", 200, 5760},
    {"L_trombone", 2000, 5760},
    {"L_tuba", 200, 6480},
    {"L_saxophone", 2000, 6480},
}};

constexpr std::array<LabelPlace, 6> cordesPlaces{{
    {"L_harpe", 1040, 2280},
    {"L_piano", 1040, 3120},
    {"L_violon", 1040, 3960},
    {"L_Alto", 1040, 4800},
    {"L_Violoncelle", 1040, 5640},
    {"L_Contrebasse", 1040, 6480},
}};

constexpr std::array<LabelPlace, 5> percussionsPlaces{{
    {"L_tambourin", 1040, 2400},
    {"L_CClaire", 1040, 3360},
    {"L_cymbales", 1040, 4320},
    {"L_timbales", 1040, 5280},
    {"L_GCaisse", 1040, 6240},
}};

// The random places are drawn in these orders, Left before Top for each picture.
constexpr std::array<const char *, 24> allDrawOrder{
    "Piano",       "alto",     "Cor",       "Trompette", "Ct_Basson",        "Tambourin", "CClaire",
    "basson",      "Cymbales", "Saxophone", "tuba",      "contrebasse",      "GCaisse",   "violon",
    "Violoncelle", "Timbales", "harpe",     "Trombone",  "Clarinette_Basse", "Hautbois",  "Cor_anglais",
    "Clarinette",  "Flûte",    "Piccolo",
};

constexpr std::array<const char *, 13> ventsDrawOrder{
    "Cor",        "Trompette", "Ct_Basson",   "basson",           "Saxophone", "tuba",    "Trombone",
    "Clarinette", "Hautbois",  "Cor_anglais", "Clarinette_Basse", "Flûte",     "Piccolo",
};

constexpr std::array<const char *, 6> cordesDrawOrder{"harpe", "Piano", "alto", "contrebasse", "violon", "Violoncelle"};

constexpr std::array<const char *, 5> percussionsDrawOrder{"Cymbales", "Tambourin", "CClaire", "GCaisse", "Timbales"};

template <std::size_t N> constexpr bool allPictures(const std::array<const char *, N> &names)
{
    return std::all_of(names.begin(), names.end(), [](const char *n) { return indexOfPicture(n) >= 0; });
}
static_assert(allPictures(allDrawOrder) && allPictures(ventsDrawOrder) && allPictures(cordesDrawOrder) &&
              allPictures(percussionsDrawOrder));

const std::array<Board, 5> boards{{
    {GameId::Tous, tousPlaces, allDrawOrder},
    {GameId::Familles, famillePlaces, allDrawOrder},
    {GameId::Vents, ventsPlaces, ventsDrawOrder},
    {GameId::Cordes, cordesPlaces, cordesDrawOrder},
    {GameId::Percussions, percussionsPlaces, percussionsDrawOrder},
}};

} // namespace

const Board &board(GameId id)
{
    for (const Board &b : boards)
        if (b.game == id)
            return b;
    return boards.front();
}

bool plays(GameId id, int row)
{
    const std::string_view picture = catalogue[static_cast<std::size_t>(row)].picture;
    const auto order = board(id).drawOrder;
    return std::any_of(order.begin(), order.end(), [&](const char *p) { return picture == p; });
}

// The smallest and slenderest pictures lie over the others, the two largest under all of them,
// and the play-area box under every picture.
const std::array<const char *, 66> stackingOrder{
    "Command_aide",
    "Command_recommencer",
    "Command_son",
    "Command_retour",
    "Hautbois",
    "Piccolo",
    "violon",
    "Trompette",
    "Flûte",
    "CClaire",
    "Cor",
    "Clarinette",
    "Cor_anglais",
    "alto",
    "Saxophone",
    "Cymbales",
    "Clarinette_Basse",
    "basson",
    "Ct_Basson",
    "Trombone",
    "Violoncelle",
    "tuba",
    "GCaisse",
    "Timbales",
    "contrebasse",
    "harpe",
    "Label_facile",
    "Label_moyen",
    "Label_difficile",
    "L_Aérophones",
    "L_Cordophones",
    "L_membranophones",
    "L_timbales",
    "L_GCaisse",
    "L_piano",
    "L_cymbales",
    "L_tambourin",
    "L_CClaire",
    "L_piccolo",
    "L_flute",
    "L_CAnglais",
    "L_contrebasson",
    "L_hautbois",
    "L_basson",
    "L_CBasse",
    "L_clarinette",
    "L_saxophone",
    "L_trombone",
    "L_cor",
    "L_trompette",
    "L_tuba",
    "L_harpe",
    "L_violon",
    "L_Alto",
    "L_Violoncelle",
    "Metronome_gauche",
    "Metronome_droite",
    "Label_description",
    "Text_temps",
    "L_Contrebasse",
    "Tambourin",
    "Piano",
    "Text_points",
    "Text_0",
    "Label3",
    "Metronome_stop",
};

} // namespace game
