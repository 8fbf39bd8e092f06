// SPDX-FileCopyrightText: 2026 Les Ateliers Calivento
//
// SPDX-License-Identifier: GPL-3.0-or-later

// Renders the game's two jingles: the right-answer chime and the win fanfare.
#include "synth.h"
#include "wav.h"

#include <cstdio>
#include <string>
#include <vector>

namespace {

// A quick rising C major arpeggio on the bell, landing on a soft octave.
std::vector<Note> dropScore()
{
    const double t0 = 0.01;
    return {
        {t0 + 0.000, 0.2, 84, Voice::Bell, 0.70, -0.40},
        {t0 + 0.065, 0.2, 88, Voice::Bell, 0.75, -0.15},
        {t0 + 0.130, 0.2, 91, Voice::Bell, 0.80, 0.15},
        {t0 + 0.195, 0.6, 96, Voice::Bell, 1.00, 0.40},
        {t0 + 0.195, 0.6, 72, Voice::Bell, 0.45, 0.00},
        {t0 + 0.195, 0.6, 79, Voice::Bell, 0.30, -0.20},
        {t0 + 0.300, 0.4, 100, Voice::Bell, 0.30, 0.55},
    };
}

// Four short phrases in C major, brass on the tune, bells answering in the gaps,
// plucked off-beat chords and a walking bass, then a held chord that fades.
std::vector<Note> winScore()
{
    const double beat = 0.4;
    const double t0 = 0.02;
    std::vector<Note> score;
    auto add = [&](double at, double len, int pitch, Voice v, double vel, double pan) {
        score.push_back({t0 + at * beat, len * beat, pitch, v, vel, pan});
    };

    // Tune: {beat, length, pitch}.
    const double tune[][3] = {
        {0, 0.5, 67}, {0.5, 0.5, 72}, {1, 0.5, 76}, {1.5, 1.5, 79}, {3, 0.5, 76}, {3.5, 0.5, 79},
        {4, 1, 81}, {5, 0.5, 79}, {5.5, 0.5, 77}, {6, 0.5, 76}, {6.5, 0.5, 74}, {7, 1, 76},
        {8, 0.5, 77}, {8.5, 0.5, 81}, {9, 0.5, 79}, {9.5, 0.5, 76}, {10, 0.5, 72}, {10.5, 0.5, 76}, {11, 1, 74},
        {12, 0.5, 67}, {12.5, 0.5, 72}, {13, 0.5, 76}, {13.5, 0.5, 79}, {14, 4.2, 84},
    };
    for (const auto &n : tune)
        add(n[0], n[1] * 0.92, static_cast<int>(n[2]), Voice::Brass, 0.85, -0.15);

    // Second brass: sustained inner line, then the final chord.
    const double inner[][3] = {
        {0, 2, 64}, {2, 2, 67}, {4, 1, 65}, {5, 1, 64}, {6, 1, 67}, {7, 1, 67},
        {8, 1, 65}, {9, 1, 64}, {10, 1, 64}, {11, 1, 67}, {12, 1, 64}, {13, 1, 67},
        {14, 4.2, 76}, {14, 4.2, 67}, {14, 4.2, 60},
    };
    for (const auto &n : inner)
        add(n[0], n[1] * 0.95, static_cast<int>(n[2]), Voice::Brass, 0.42, 0.3);

    // Bells fill the held notes with a rising arpeggio of the current chord.
    const double bells[][2] = {
        {2, 84}, {2.25, 88}, {2.5, 91}, {2.75, 96},
        {7, 79}, {7.25, 84}, {7.5, 88}, {7.75, 91},
        {11, 83}, {11.25, 86}, {11.5, 91}, {11.75, 95},
        {14, 84}, {14.2, 88}, {14.4, 91}, {14.6, 96}, {15, 100},
    };
    int side = 0;
    for (const auto &n : bells)
        add(n[0], 0.5, static_cast<int>(n[1]), Voice::Bell, 0.55, (side++ % 2) ? 0.45 : 0.25);

    // Off-beat chords, one chord per beat.
    const int chords[][3] = {
        {60, 64, 67}, {60, 64, 67}, {60, 64, 67}, {59, 62, 67},
        {60, 65, 69}, {60, 64, 67}, {59, 62, 67}, {60, 64, 67},
        {60, 65, 69}, {60, 64, 67}, {60, 64, 69}, {59, 62, 67},
        {60, 64, 67}, {59, 62, 67},
    };
    for (int b = 0; b < 14; ++b)
        for (int k = 0; k < 3; ++k)
            add(b + 0.5, 0.3, chords[b][k], Voice::Pluck, 0.32, -0.45 + 0.1 * k);

    const double bassLine[][3] = {
        {0, 1, 48}, {1, 1, 43}, {2, 1, 48}, {3, 1, 43},
        {4, 1, 41}, {5, 1, 48}, {6, 1, 43}, {7, 1, 48},
        {8, 1, 41}, {9, 1, 48}, {10, 1, 45}, {11, 1, 43},
        {12, 0.5, 48}, {12.5, 0.5, 52}, {13, 0.5, 55}, {13.5, 0.5, 43}, {14, 4.2, 36},
    };
    for (const auto &n : bassLine)
        add(n[0], n[1] * 0.85, static_cast<int>(n[2]), Voice::Bass, 0.75, 0.0);
    return score;
}

} // namespace

int main(int argc, char **argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s <output-dir>\n", argv[0]);
        return 2;
    }
    const std::string dir = argv[1];

    RenderOptions drop;
    drop.sampleRate = 44100;
    drop.length = 1.8;
    drop.reverbMix = 0.18;
    drop.fadeOut = 0.3;

    RenderOptions win;
    win.sampleRate = 22050;
    win.length = 7.8;
    win.reverbMix = 0.15;
    win.fadeOut = 0.9;

    bool ok = writeWav(dir + "/drop.wav", drop.sampleRate, render(dropScore(), drop));
    ok = writeWav(dir + "/win.wav", win.sampleRate, render(winScore(), win)) && ok;
    if (!ok) {
        std::fprintf(stderr, "could not write into %s\n", dir.c_str());
        return 1;
    }
    return 0;
}
