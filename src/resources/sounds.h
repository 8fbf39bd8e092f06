// SPDX-FileCopyrightText: 2026 Les Ateliers Calivento
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QtGlobal>
#include <vector>

// The sounds carried inside the program, decoded once into memory at their first use.
namespace resources {

// Every sound is handed out in the one format the sound engine plays.
inline constexpr int pcmRate = 44100;
inline constexpr int pcmChannels = 2;

struct Pcm {
    std::vector<qint16> samples; // interleaved, pcmChannels per frame, at pcmRate
    qsizetype frames() const { return static_cast<qsizetype>(samples.size()) / pcmChannels; }
};

// A sound by its resource number (the numbers of platform::SoundId): 101 the win fanfare,
// 103 the drop chime, 200 + row the phrase of the catalogue's instrument at that row.
// An unknown number gives an empty sound.
const Pcm &sound(int id);

} // namespace resources
