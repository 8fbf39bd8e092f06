// SPDX-FileCopyrightText: 2026 Les Ateliers Calivento
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "synth.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <numbers>

namespace {

constexpr double twoPi = 2.0 * std::numbers::pi;

double midiToHz(int pitch)
{
    return 440.0 * std::pow(2.0, (pitch - 69) / 12.0);
}

// Linear attack, exponential-ish decay to sustain, linear release after the note ends.
struct Adsr {
    double attack, decay, sustain, release;

    double at(double t, double duration) const
    {
        double level;
        if (t < attack)
            level = t / attack;
        else
            level = sustain + (1.0 - sustain) * std::exp(-(t - attack) / decay);
        if (t > duration) {
            const double r = (t - duration) / release;
            level *= r >= 1.0 ? 0.0 : (1.0 - r) * (1.0 - r);
        }
        return level;
    }
    double tail() const { return release; }
};

// Glockenspiel-like bar: inharmonic partials that die away faster the higher they are,
// plus a light FM shimmer on the fundamental for the strike.
double bell(double t, double f, double nyquist)
{
    static constexpr double ratios[] = {1.0, 2.76, 5.40, 8.93};
    static constexpr double amps[] = {1.0, 0.32, 0.12, 0.05};
    static constexpr double decays[] = {0.55, 0.22, 0.09, 0.05};
    const double attack = std::min(1.0, t / 0.0015);
    double out = 0.0;
    for (std::size_t i = 0; i < std::size(ratios); ++i) {
        if (f * ratios[i] > nyquist * 0.9)
            continue;
        out += amps[i] * std::exp(-t / decays[i]) * std::sin(twoPi * f * ratios[i] * t);
    }
    const double index = 0.9 * std::exp(-t / 0.04);
    out += 0.25 * std::exp(-t / 0.3) * std::sin(twoPi * f * t + index * std::sin(twoPi * f * 4.0 * t));
    return attack * out;
}

// Brass: one-to-one FM whose brightness follows the loudness, with a late gentle vibrato.
double brass(double t, double f, double duration, double nyquist)
{
    static constexpr Adsr env{0.035, 0.12, 0.72, 0.09};
    const double a = env.at(t, duration);
    const double vib = 1.0 + 0.004 * std::min(1.0, std::max(0.0, (t - 0.25) / 0.3)) * std::sin(twoPi * 5.2 * t);
    // Keep the upper sidebands under the Nyquist limit on the high notes.
    const double maxIndex = std::clamp(nyquist / (f * 6.0), 0.8, 3.2);
    const double index = maxIndex * (0.35 + 0.65 * a);
    const double phase = twoPi * f * vib * t;
    return a * std::sin(phase + index * std::sin(phase));
}

// Plucked string: harmonics falling off as 1/n, the high ones fading first.
double pluck(double t, double f, double duration, double nyquist)
{
    double out = 0.0;
    for (int n = 1; n <= 8; ++n) {
        if (f * n > nyquist * 0.9)
            break;
        out += std::exp(-t * (4.0 + 3.0 * n)) / n * std::sin(twoPi * f * n * t);
    }
    const double attack = std::min(1.0, t / 0.002);
    const double release = t > duration ? std::max(0.0, 1.0 - (t - duration) / 0.05) : 1.0;
    return attack * release * out;
}

// Round bass: a few soft harmonics with a small bounce at the start.
double bass(double t, double f, double duration)
{
    static constexpr Adsr env{0.012, 0.25, 0.55, 0.08};
    const double a = env.at(t, duration);
    const double w = twoPi * f * t;
    return a * (std::sin(w) + 0.35 * std::sin(2.0 * w) + 0.12 * std::sin(3.0 * w));
}

double tailOf(Voice v)
{
    switch (v) {
    case Voice::Bell: return 2.5;
    case Voice::Brass: return 0.09;
    case Voice::Pluck: return 0.05;
    case Voice::Bass: return 0.08;
    }
    return 0.0;
}

// Small Schroeder room: parallel damped combs into two all-passes, one set per side.
class Room {
public:
    Room(int rate, int spread)
    {
        static constexpr int combs[] = {1116, 1188, 1277, 1356};
        static constexpr int passes[] = {556, 441};
        const double scale = rate / 44100.0;
        for (int c : combs)
            m_combs.push_back({std::vector<double>(static_cast<std::size_t>((c + spread) * scale), 0.0), 0, 0.0});
        for (int p : passes)
            m_passes.push_back({std::vector<double>(static_cast<std::size_t>((p + spread) * scale), 0.0), 0, 0.0});
    }

    double process(double in)
    {
        double out = 0.0;
        for (Line &c : m_combs) {
            const double y = c.buffer[c.pos];
            c.state = y * 0.7 + c.state * 0.3;
            c.buffer[c.pos] = in + c.state * 0.78;
            c.pos = (c.pos + 1) % c.buffer.size();
            out += y;
        }
        out *= 0.25;
        for (Line &p : m_passes) {
            const double y = p.buffer[p.pos];
            p.buffer[p.pos] = out + y * 0.5;
            p.pos = (p.pos + 1) % p.buffer.size();
            out = y - out;
        }
        return out;
    }

private:
    struct Line {
        std::vector<double> buffer;
        std::size_t pos;
        double state;
    };
    std::vector<Line> m_combs;
    std::vector<Line> m_passes;
};

} // namespace

std::vector<std::int16_t> render(const std::vector<Note> &score, const RenderOptions &options)
{
    const int rate = options.sampleRate;
    const auto frames = static_cast<std::size_t>(std::llround(options.length * rate));
    const double nyquist = rate / 2.0;
    std::vector<double> left(frames, 0.0), right(frames, 0.0);

    for (const Note &note : score) {
        const double f = midiToHz(note.pitch);
        // Equal-power pan so a note keeps its loudness wherever it sits.
        const double angle = (std::clamp(note.pan, -1.0, 1.0) + 1.0) * std::numbers::pi / 4.0;
        const double gl = std::cos(angle) * note.velocity;
        const double gr = std::sin(angle) * note.velocity;
        const auto first = static_cast<std::size_t>(std::llround(note.start * rate));
        const auto count = static_cast<std::size_t>(std::llround((note.duration + tailOf(note.voice)) * rate));
        for (std::size_t i = 0; i < count && first + i < frames; ++i) {
            const double t = static_cast<double>(i) / rate;
            double s = 0.0;
            switch (note.voice) {
            case Voice::Bell: s = 0.55 * bell(t, f, nyquist); break;
            case Voice::Brass: s = 0.5 * brass(t, f, note.duration, nyquist); break;
            case Voice::Pluck: s = 0.45 * pluck(t, f, note.duration, nyquist); break;
            case Voice::Bass: s = 0.6 * bass(t, f, note.duration); break;
            }
            left[first + i] += s * gl;
            right[first + i] += s * gr;
        }
    }

    Room roomL(rate, 0), roomR(rate, 23);
    for (std::size_t i = 0; i < frames; ++i) {
        const double mono = 0.5 * (left[i] + right[i]);
        left[i] = left[i] * (1.0 - options.reverbMix) + roomL.process(mono) * options.reverbMix * 2.0;
        right[i] = right[i] * (1.0 - options.reverbMix) + roomR.process(mono) * options.reverbMix * 2.0;
    }

    // Raised-cosine fades so neither end clicks.
    const auto fadeInFrames = static_cast<std::size_t>(options.fadeIn * rate);
    const auto fadeOutFrames = static_cast<std::size_t>(options.fadeOut * rate);
    for (std::size_t i = 0; i < frames; ++i) {
        double g = 1.0;
        if (i < fadeInFrames)
            g *= 0.5 - 0.5 * std::cos(std::numbers::pi * static_cast<double>(i) / fadeInFrames);
        const std::size_t fromEnd = frames - 1 - i;
        if (fromEnd < fadeOutFrames)
            g *= 0.5 - 0.5 * std::cos(std::numbers::pi * static_cast<double>(fromEnd) / fadeOutFrames);
        left[i] *= g;
        right[i] *= g;
    }

    double peak = 1e-9;
    for (std::size_t i = 0; i < frames; ++i)
        peak = std::max({peak, std::abs(left[i]), std::abs(right[i])});
    const double gain = options.peak * 32767.0 / peak;

    std::vector<std::int16_t> out(frames * 2);
    for (std::size_t i = 0; i < frames; ++i) {
        out[2 * i] = static_cast<std::int16_t>(std::lround(std::clamp(left[i] * gain, -32766.0, 32766.0)));
        out[2 * i + 1] = static_cast<std::int16_t>(std::lround(std::clamp(right[i] * gain, -32766.0, 32766.0)));
    }
    return out;
}
