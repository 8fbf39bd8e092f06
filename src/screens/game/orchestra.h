// SPDX-FileCopyrightText: 2026 Les Ateliers Calivento
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "catalogue.h"

#include <array>
#include <string_view>

// Where each instrument of the catalogue sits in the orchestra, and how it makes its sound, in
// words a child can read. The game's three families put the piano and the harp with the
// strings; the orchestra splits the winds into woodwinds and brass.
namespace game {

enum class Section { Cordes, Bois, Cuivres, Percussions };

struct SectionInfo {
    Section section;
    const char *caption; // over its row of pictures
    const char *family;  // after an instrument's name
};

// In the order the listening screen lays them out, top to bottom.
inline constexpr std::array<SectionInfo, 4> sections{{
    {Section::Cordes, "Les cordes", "Famille des cordes"},
    {Section::Bois, "Les bois", "Famille des bois"},
    {Section::Cuivres, "Les cuivres", "Famille des cuivres"},
    {Section::Percussions, "Les percussions", "Famille des percussions"},
}};

struct Voice {
    const char *picture; // the catalogue row's picture, in catalogue order
    Section section;
    const char *howItSounds;
};

inline constexpr std::array<Voice, instrumentCount> voices{{
    {"alto", Section::Cordes,
     "On frotte ses quatre cordes avec un archet ; il chante un peu plus grave que le violon."},
    {"contrebasse", Section::Cordes, "On frotte ou on pince ses grosses cordes : c'est la plus grave des cordes."},
    {"harpe", Section::Cordes, "On pince ses nombreuses cordes avec les doigts ; chaque corde donne une note."},
    {"Piano", Section::Cordes, "Quand on appuie sur une touche, un petit marteau frappe une corde tendue."},
    {"violon", Section::Cordes, "On frotte ses quatre cordes avec un archet, ou on les pince avec un doigt."},
    {"Violoncelle", Section::Cordes, "On le tient entre les genoux et on frotte ses cordes avec un archet."},
    {"basson", Section::Bois, "On souffle dans une anche double, deux lamelles de roseau qui vibrent ensemble."},
    {"Clarinette", Section::Bois, "On souffle dans un bec où vibre une anche, une fine lamelle de roseau."},
    {"Clarinette_Basse", Section::Bois, "Une grande clarinette : son anche vibre dans un long tube, le son est grave."},
    {"Cor", Section::Cuivres, "Les lèvres vibrent dans l'embouchure, et l'air tourne dans un long tube enroulé."},
    {"Cor_anglais", Section::Bois, "On souffle dans une anche double ; son pavillon rond rend le son doux."},
    {"Ct_Basson", Section::Bois, "Une anche double et un très long tube replié : il joue les notes les plus graves."},
    {"Flûte", Section::Bois, "On souffle au bord d'un trou, comme sur le goulot d'une bouteille."},
    {"Hautbois", Section::Bois, "On souffle dans une anche double, deux lamelles de roseau serrées entre les lèvres."},
    {"Piccolo", Section::Bois, "Une petite flûte : on souffle au bord d'un trou et elle joue très aigu."},
    {"Saxophone", Section::Bois, "Il est en métal, mais on souffle dans un bec avec une anche, comme la clarinette."},
    {"Trombone", Section::Cuivres, "Les lèvres vibrent dans l'embouchure, et on fait glisser la coulisse."},
    {"Trompette", Section::Cuivres, "Les lèvres vibrent dans l'embouchure, et les doigts appuient sur trois pistons."},
    {"tuba", Section::Cuivres, "Les lèvres vibrent dans une grande embouchure ; son gros tube sonne très grave."},
    {"CClaire", Section::Percussions,
     "On frappe sa peau avec deux baguettes ; des fils de métal dessous la font grésiller."},
    {"Cymbales", Section::Percussions, "On frappe deux grands disques de métal l'un contre l'autre."},
    {"GCaisse", Section::Percussions, "On frappe sa grande peau avec une mailloche, une baguette à grosse tête molle."},
    {"Tambourin", Section::Percussions, "On frappe des lames de bois avec des baguettes ; chaque lame donne une note."},
    {"Timbales", Section::Percussions, "On frappe la peau tendue avec des baguettes ; une pédale change la note."},
}};

constexpr bool voicesFollowTheCatalogue()
{
    for (int i = 0; i < instrumentCount; ++i)
        if (std::string_view(voices[static_cast<std::size_t>(i)].picture) !=
            catalogue[static_cast<std::size_t>(i)].picture)
            return false;
    return true;
}
static_assert(voicesFollowTheCatalogue());

constexpr const Voice &voice(int row)
{
    return voices[static_cast<std::size_t>(row)];
}

constexpr const SectionInfo &sectionInfo(Section section)
{
    for (const SectionInfo &s : sections)
        if (s.section == section)
            return s;
    return sections[0];
}

} // namespace game
