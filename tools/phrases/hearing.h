// SPDX-FileCopyrightText: 2026 Les Ateliers Calivento
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

// What a listener hears of a rendered phrase, as plain functions on mono samples: the strongest
// pitch of a stretch of sound, and its brightness. The phrase renderer prints them and the sound
// tests check them, so both read a phrase the same way.
#include "phrases.h"

#include <algorithm>
#include <cmath>
#include <complex>
#include <numbers>
#include <span>
#include <vector>

namespace hearing {

inline void fft(std::vector<std::complex<double>> &a)
{
    const std::size_t n = a.size();
    for (std::size_t i = 1, j = 0; i < n; ++i) {
        std::size_t bit = n >> 1;
        for (; j & bit; bit >>= 1)
            j ^= bit;
        j ^= bit;
        if (i < j)
            std::swap(a[i], a[j]);
    }
    for (std::size_t len = 2; len <= n; len <<= 1) {
        const std::complex<double> step = std::polar(1.0, -2 * std::numbers::pi / double(len));
        for (std::size_t i = 0; i < n; i += len) {
            std::complex<double> w = 1;
            for (std::size_t k = 0; k < len / 2; ++k, w *= step) {
                const std::complex<double> u = a[i + k], v = a[i + k + len / 2] * w;
                a[i + k] = u + v;
                a[i + k + len / 2] = u - v;
            }
        }
    }
}

// The magnitude spectrum of a Hann-windowed stretch, zero-padded to at least `size` points.
struct Spectrum {
    std::vector<double> magnitude;
    double hzPerBin = 0;

    Spectrum(std::span<const double> x, double rate, std::size_t size = 1 << 16)
    {
        std::size_t n = 1;
        while (n < std::max(size, x.size()))
            n <<= 1;
        std::vector<std::complex<double>> a(n);
        for (std::size_t i = 0; i < x.size(); ++i)
            a[i] = x[i] * (0.5 - 0.5 * std::cos(2 * std::numbers::pi * double(i) / double(x.size())));
        fft(a);
        magnitude.resize(n / 2);
        for (std::size_t i = 0; i < n / 2; ++i)
            magnitude[i] = std::abs(a[i]);
        hzPerBin = rate / double(n);
    }
    // The magnitude at a frequency, read between the two nearest bins.
    double at(double hz) const
    {
        const double bin = hz / hzPerBin;
        const auto i = std::size_t(bin);
        if (i + 1 >= magnitude.size())
            return 0;
        return magnitude[i] + (bin - double(i)) * (magnitude[i + 1] - magnitude[i]);
    }
};

// The pitch a listener hears most strongly near `asked` Hz, within an octave and a semitone either
// way: the candidate whose first harmonics (15 unless told) weigh most (subharmonic summation, each harmonic
// weighing 0.84 of the one before), among candidates whose fundamental is itself heard (within
// 30 dB of the loudest partial: a drum's overtones do not make a pitch an octave under its tone).
// Candidates within a quarter tone of `others` (the notes still sounding) or of their harmonics
// are passed over, unless they are the note asked.
inline double strongestPitch(std::span<const double> x, double rate, double asked, std::span<const double> others = {},
                             int harmonics = 15, double semitones = 13, double stepCents = 5)
{
    const Spectrum s(x, rate);
    const auto salience = [&](double f) {
        double sum = 0, w = 1;
        for (int h = 1; h <= harmonics && h * f < rate / 2; ++h, w *= 0.84)
            sum += s.at(h * f) * w;
        return sum;
    };
    const auto close = [](double a, double b) { return std::abs(std::log2(a / b)) < 1.0 / 24; };
    const double floor = 0.03 * *std::max_element(s.magnitude.begin(), s.magnitude.end());
    double best = 0, at = 0;
    const double span = std::pow(2.0, semitones / 12);
    for (double f = asked / span; f <= asked * span; f *= std::pow(2.0, stepCents / 1200)) {
        if (!close(f, asked) && std::ranges::any_of(others, [&](double o) {
                for (int h = 1; h <= 6; ++h)
                    if (close(f, o * h))
                        return true;
                return false;
            }))
            continue;
        if (s.at(f) < floor)
            continue;
        if (const double v = salience(f); v > best)
            best = v, at = f;
    }
    return at;
}

// Brightness: the spectral centroid, the magnitude-weighted mean frequency of 2048-point frames,
// each frame weighted by its energy, in Hz.
inline double centroid(std::span<const double> x, double rate)
{
    constexpr std::size_t frame = 2048;
    double weighted = 0, energy = 0;
    for (std::size_t at = 0; at + frame <= x.size(); at += frame) {
        const Spectrum s(x.subspan(at, frame), rate, frame);
        double sum = 0, moment = 0, e = 0;
        for (std::size_t i = 0; i < s.magnitude.size(); ++i) {
            sum += s.magnitude[i];
            moment += s.magnitude[i] * double(i) * s.hzPerBin;
            e += s.magnitude[i] * s.magnitude[i];
        }
        if (sum > 0)
            weighted += e * moment / sum, energy += e;
    }
    return energy > 0 ? weighted / energy : 0;
}

// A kettledrum's overtones are not harmonic (1.5 and 2 times its note, and more): summed as
// harmonics they make a pitch an octave under the one heard. Its pitch is its strongest partial,
// the principal tone.
inline int harmonicsOf(const phrases::Phrase &p)
{
    return p.program == 48 ? 1 : 15;
}

inline double hz(int key)
{
    return 440 * std::pow(2.0, (key - 69) / 12.0);
}

// Where to listen for one note of a phrase: the middle of the time it sounds alone or with the
// notes struck with it, up to the next note struck (at most 0.4 s of it), where no slide moves it;
// the pitch asked there, and the other notes held then or let go less than half a second before.
struct Listening {
    double from, to; // seconds
    int key;
    double hz; // the key, moved by the slide
    std::vector<double> others; // Hz
};

// The slide's offset in semitones at a beat.
inline double bendAt(const phrases::Phrase &p, double beat)
{
    if (p.bends.empty() || beat <= p.bends.front().beat)
        return p.bends.empty() ? 0 : p.bends.front().semitones;
    for (std::size_t i = 0; i + 1 < p.bends.size(); ++i)
        if (beat <= p.bends[i + 1].beat)
            return p.bends[i].semitones + (p.bends[i + 1].semitones - p.bends[i].semitones) *
                                              (beat - p.bends[i].beat) / (p.bends[i + 1].beat - p.bends[i].beat);
    return p.bends.back().semitones;
}

// The notes a listener can pick out: those left at least 0.12 s before the next note comes in
// (the strings of a glissando or the strokes of a trill pass too quickly).
inline std::vector<Listening> listenings(const phrases::Phrase &p)
{
    std::vector<Listening> list;
    if (p.percussion)
        return list;
    for (const phrases::Note &n : p.notes) {
        double start = n.beat, end = n.beat + n.length;
        for (const phrases::Note &o : p.notes)
            if (o.beat > n.beat)
                end = std::min(end, o.beat);
        // The longest stretch where the slide stands still.
        double steadyFrom = start, steadyTo = start;
        std::vector<double> marks{start, end};
        for (const phrases::Bend &b : p.bends)
            if (b.beat > start && b.beat < end)
                marks.push_back(b.beat);
        std::ranges::sort(marks);
        for (std::size_t i = 0; i + 1 < marks.size(); ++i)
            if (bendAt(p, marks[i]) == bendAt(p, marks[i + 1]) && marks[i + 1] - marks[i] > steadyTo - steadyFrom)
                steadyFrom = marks[i], steadyTo = marks[i + 1];
        const double on = p.seconds(steadyFrom), off = p.seconds(steadyTo);
        if (off - on < 0.12)
            continue;
        const double middle = (on + off) / 2, half = std::min(0.2, 0.3 * (off - on));
        Listening l{middle - half, middle + half, n.key, hz(n.key) * std::pow(2.0, bendAt(p, steadyFrom) / 12), {}};
        for (const phrases::Note &o : p.notes)
            if (o.key != n.key && p.seconds(o.beat) <= middle && p.seconds(o.beat + o.length) + 0.5 > l.from)
                l.others.push_back(hz(o.key));
        list.push_back(std::move(l));
    }
    return list;
}

} // namespace hearing
