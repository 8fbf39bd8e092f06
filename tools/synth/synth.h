// SPDX-FileCopyrightText: 2026 Les Ateliers Calivento
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <cstdint>
#include <vector>

enum class Voice { Bell, Brass, Pluck, Bass };

// One note of a score; times in seconds, pitch as a MIDI note number.
struct Note {
    double start;
    double duration;
    int pitch;
    Voice voice;
    double velocity; // 0..1
    double pan;      // -1 left .. +1 right
};

struct RenderOptions {
    int sampleRate = 44100;
    double length = 1.0;       // seconds, exact output length
    double reverbMix = 0.2;    // 0 = dry
    double fadeIn = 0.005;     // seconds
    double fadeOut = 0.1;      // seconds
    double peak = 0.89;        // target peak, fraction of full scale
};

// Mixes the score, adds the room, fades and normalises; returns interleaved L/R samples.
std::vector<std::int16_t> render(const std::vector<Note> &score, const RenderOptions &options);
