// SPDX-FileCopyrightText: 2026 Les Ateliers Calivento
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "resources/sounds.h"

namespace platform {

// The game's one voice, rendered into the engine's stream (resources::pcmRate, stereo, int16).
// A new sound cuts the one playing: that one fades out over fadeFrames, then the new one starts
// at its first sample and plays to its last, followed by silence. Nothing else is kept between
// plays, so every play of a sound renders the same samples. Plain code, no device, one thread.
class Mixer
{
public:
    static constexpr qsizetype fadeFrames = resources::pcmRate * 5 / 1000;

    // The sound stays owned by the caller and must outlive its play; null or empty is silence.
    void play(const resources::Pcm *sound);
    void stop() { play(nullptr); }

    // Fills frames whole frames of out, silence where no sound plays.
    void render(qint16 *out, qsizetype frames);

    // Nothing sounds now, nothing waits to start.
    bool silent() const { return !m_voice; }

private:
    void start(const resources::Pcm *sound);

    const resources::Pcm *m_voice = nullptr;
    qsizetype m_frame = 0; // next frame of m_voice
    bool m_cut = false;
    qsizetype m_fadeLeft = 0;               // frames of the cut's fade still to go
    const resources::Pcm *m_next = nullptr; // what starts once the cut has faded
};

} // namespace platform
