// SPDX-FileCopyrightText: 2026 Les Ateliers Calivento
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QByteArrayView>
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
// Safe to call from any thread; the reference stays valid until the program ends. Decodes the
// sound here unless it is decoded already, or waits for the thread that is decoding it.
const Pcm &sound(int id);

// The sound if it is decoded already, else null. Never waits and takes no lock: the sound
// device's own thread asks. Each sound has its own decoding, so one being decoded holds up no other.
const Pcm *decodedSound(int id);

// Both return at once. decodeSoon decodes the sound on a thread of its own now, unless it is
// decoded or being decoded: for a sound wanted at once. decodeAhead decodes the sounds one after
// the other on one background thread, in the order given: for sounds wanted later.
void decodeSoon(int id);
void decodeAhead(const std::vector<int> &ids);

// A RIFF WAVE file of 16-bit PCM, mono or stereo, at up to pcmRate samples a second, in the
// engine's format. Anything else, or a file cut short before its first sample, gives an empty
// sound; a file cut short later gives the whole frames it holds.
Pcm decodeWav(QByteArrayView bytes);

} // namespace resources
