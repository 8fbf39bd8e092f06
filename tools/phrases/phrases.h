// SPDX-FileCopyrightText: 2026 Les Ateliers Calivento
//
// SPDX-License-Identifier: CC-BY-SA-4.0

#pragma once

#include <array>
#include <span>
#include <string_view>

// The 24 instruments' phrases, as a player would play them: one row per instrument of the
// catalogue, in its order. Times are in beats at the phrase's tempo.
namespace phrases {

constexpr double lead = 0.01;     // seconds of silence before the first note
// LUFS, every phrase as the game plays it: on both speakers (-20 LUFS for the mono file alone)
constexpr double loudness = -17;

// A key by its name in scientific pitch, C4 = middle C = 60; a bad name does not compile.
consteval int n(const char *name)
{
    constexpr int steps[] = {9, 11, 0, 2, 4, 5, 7}; // A B C D E F G
    if (name[0] < 'A' || name[0] > 'G')
        throw "note letter";
    int key = steps[name[0] - 'A'];
    int i = 1;
    if (name[i] == '#')
        key += 1, ++i;
    else if (name[i] == 'b')
        key -= 1, ++i;
    if (name[i] < '0' || name[i] > '8' || name[i + 1] != '\0')
        throw "octave";
    return key + 12 * (name[i] - '0' + 1);
}

struct Note {
    double beat;
    double length;
    int key;              // on the percussion channel, the General MIDI drum key
    int velocity;         // 1 to 127
    double rollEvery = 0; // > 0: the stroke repeats at this step over the length (a roll)
    int rollTo = 0;       // the velocity the roll swells to
};

// A slide: the pitch, in semitones from the written key, at a beat; straight lines between points.
struct Bend {
    double beat;
    double semitones;
};

struct Phrase {
    const char *file; // the instrument's file name in the catalogue
    int program;      // General MIDI program, 1-based; on the percussion channel, the drum kit
    bool percussion;  // played on channel 10
    double bpm;
    int vibrato;           // modulation wheel, 0 to 127
    const char *register_; // where the phrase lies, for the record
    std::span<const Note> notes;
    std::span<const Bend> bends = {};
    int damping = 0;   // timecents added to the release: a hand damping the strings (negative)
    int darkening = 0; // cents taken off the soundfont's filter cutoff: a darker colour

    constexpr double seconds(double beat) const { return lead + beat * 60.0 / bpm; }
};

namespace score {

constexpr double roll = 1.0 / 32; // a closed snare roll: over fifty strokes a second at 100 bpm

// A warm line in the viola's middle, rising to A4 and settling back on D4.
inline constexpr Note alto[] = {
    {0, 1, n("D4"), 76},      {1, .5, n("F4"), 82}, {1.5, .5, n("A4"), 90}, {2, .75, n("G4"), 86},
    {2.75, .25, n("F4"), 78}, {3, .5, n("E4"), 76}, {3.5, .8, n("D4"), 72},
};
// A walking line plucked, pizzicato, from the dominant down to the tonic: each note speaks at once.
inline constexpr Note contrebasse[] = {
    {0, .9, n("A1"), 110}, {1, .9, n("C#2"), 100}, {2, .9, n("E2"), 104}, {3, .9, n("G2"), 100},
    {4, .9, n("F#2"), 100}, {5, 1.5, n("D2"), 112},
};
// A sweeping glissando up the C major scale, then a chord rolled from the bass.
inline constexpr Note harpe[] = {
    {0.00, 1, n("C3"), 60},  {0.04, 1, n("D3"), 62},  {0.08, 1, n("E3"), 64}, {0.12, 1, n("F3"), 66},
    {0.16, 1, n("G3"), 68},  {0.20, 1, n("A3"), 70},  {0.24, 1, n("B3"), 72}, {0.28, 1, n("C4"), 74},
    {0.32, 1, n("D4"), 76},  {0.36, 1, n("E4"), 78},  {0.40, 1, n("F4"), 80}, {0.44, 1, n("G4"), 82},
    {0.48, 1, n("A4"), 84},  {0.52, 1, n("B4"), 86},  {0.56, 1, n("C5"), 88}, {0.60, 1, n("D5"), 90},
    {0.64, 1, n("E5"), 92},  {0.68, 1, n("F5"), 94},  {0.72, 1, n("G5"), 96}, {0.76, 1, n("A5"), 98},
    {0.80, 1, n("B5"), 100}, {0.84, 1, n("C6"), 104}, {0.95, 1.2, n("C2"), 80}, {1.00, 1.2, n("G2"), 84},
    {1.05, 1.2, n("C3"), 90},  {1.10, 1.2, n("E3"), 94},  {1.15, 1.2, n("G3"), 98}, {1.20, 1.2, n("C4"), 104},
    {1.25, 1.2, n("E4"), 110},
};
// Four bars: a tune in the right hand over broken chords in the left, ending on a full chord.
inline constexpr Note piano[] = {
    {0, 1, n("E5"), 84},    {1, .5, n("G5"), 88},   {1.5, .5, n("F5"), 80}, {2, .5, n("E5"), 82},
    {2.5, .5, n("D5"), 78}, {3, .5, n("C5"), 78},   {3.5, .5, n("D5"), 80}, {4, 1, n("B4"), 82},
    {5, 1, n("D5"), 86},    {6, 2, n("C5"), 90},    {6, 2, n("E5"), 80},    {6, 2, n("G4"), 74},
    {0, .5, n("C3"), 70},   {.5, .5, n("G3"), 58},  {1, .5, n("E3"), 62},   {1.5, .5, n("G3"), 58},
    {2, .5, n("F2"), 70},   {2.5, .5, n("C3"), 58}, {3, .5, n("A2"), 62},   {3.5, .5, n("C3"), 58},
    {4, .5, n("G2"), 70},   {4.5, .5, n("D3"), 58}, {5, .5, n("B2"), 62},   {5.5, .5, n("D3"), 58},
    {6, 2, n("C3"), 76},    {6, 2, n("G3"), 66},    {6, 2, n("C2"), 70},
};
// A singing line up the A major chord to C#6 and back, with a little vibrato.
inline constexpr Note violon[] = {
    {0, .5, n("A4"), 80},  {.5, .5, n("C#5"), 84}, {1, .5, n("E5"), 88}, {1.5, 1.5, n("A5"), 98},
    {3, .5, n("C#6"), 94}, {3.5, .5, n("B5"), 88}, {4, 1, n("A5"), 84},
};
// A rich low melody, bowed, from C3 up a fifth and down to E3.
inline constexpr Note violoncelle[] = {
    {0, 1, n("C3"), 84}, {1, 1, n("G3"), 92}, {2, .5, n("A3"), 88}, {2.5, .5, n("G3"), 84}, {3, 1.2, n("E3"), 82},
};
// Playful staccato quavers around C3.
inline constexpr Note basson[] = {
    {0, .3, n("C3"), 92}, {.5, .3, n("G2"), 86},  {1, .3, n("C3"), 90}, {1.5, .3, n("E3"), 90},
    {2, .3, n("G3"), 96}, {2.5, .3, n("E3"), 86}, {3, .3, n("F3"), 90}, {3.5, .3, n("D3"), 86},
    {4, .3, n("G2"), 90}, {4.5, .3, n("B2"), 88}, {5, .9, n("C3"), 96},
};
// A smooth arpeggio from the low chalumeau into the middle register.
inline constexpr Note clarinette[] = {
    {0, .5, n("G3"), 78}, {.5, .5, n("C4"), 80}, {1, .5, n("E4"), 82},   {1.5, .5, n("G4"), 84},
    {2, 1, n("C5"), 90},  {3, .5, n("E5"), 88},  {3.5, .5, n("D5"), 84}, {4, 1.2, n("C5"), 86},
};
// The clarinet an octave and more lower: deep and woody around D2.
inline constexpr Note clarinette_basse[] = {
    {0, 1, n("D2"), 96},  {1, .5, n("A2"), 90},    {1.5, .5, n("F2"), 90},
    {2, .5, n("E2"), 88}, {2.5, .5, n("C#2"), 86}, {3, 1.2, n("D2"), 94},
};
// A noble call up the B flat chord and back.
inline constexpr Note cor[] = {
    {0, .5, n("F3"), 86},   {.5, .5, n("Bb3"), 90},   {1, 1, n("D4"), 96},
    {2, .75, n("F4"), 100}, {2.75, .25, n("D4"), 88}, {3, 1.2, n("Bb3"), 92},
};
// A slow, lyrical line of its own, low in the cor anglais's range, where it is darkest.
inline constexpr Note cor_anglais[] = {
    {0, 1.5, n("A3"), 80}, {1.5, .5, n("Bb3"), 84}, {2, .75, n("G3"), 78}, {2.75, .25, n("F3"), 72},
    {3, 1, n("E3"), 76},
};
// Slow growling notes under the bassoon's lowest, down to B flat 0, where only it can go.
inline constexpr Note ct_basson[] = {
    {0, .9, n("F1"), 104},
    {1, .9, n("D1"), 100},
    {2, 1.4, n("Bb0"), 110},
};
// Light runs up to D6, landing on G5.
inline constexpr Note flute[] = {
    {0, .25, n("D5"), 80},   {.25, .25, n("E5"), 82},  {.5, .25, n("F#5"), 84}, {.75, .25, n("G5"), 86},
    {1, .5, n("A5"), 90},    {1.5, .5, n("F#5"), 84},  {2, .25, n("G5"), 84},   {2.25, .25, n("A5"), 86},
    {2.5, .25, n("B5"), 88}, {2.75, .25, n("C6"), 90}, {3, .5, n("D6"), 94},    {3.5, .5, n("B5"), 86},
    {4, 1.2, n("G5"), 88},
};
// A slow expressive melody around A4.
inline constexpr Note hautbois[] = {
    {0, 1, n("A4"), 82},  {1, .5, n("D5"), 88},   {1.5, .5, n("C5"), 84},
    {2, .5, n("A4"), 82}, {2.5, .5, n("G4"), 78}, {3, 1.2, n("A4"), 84},
};
// A bright march line above the flute, with a trill.
inline constexpr Note piccolo[] = {
    {0, .5, n("D6"), 88},       {.5, .25, n("G6"), 90},   {.75, .25, n("A6"), 92},    {1, .5, n("B6"), 98},
    {1.5, .5, n("G6"), 90},     {2, .125, n("A6"), 92},   {2.125, .125, n("B6"), 88}, {2.25, .125, n("A6"), 90},
    {2.375, .125, n("B6"), 86}, {2.5, .125, n("A6"), 90}, {2.625, .125, n("B6"), 86}, {2.75, .125, n("A6"), 90},
    {2.875, .125, n("B6"), 86}, {3, 1.2, n("G6"), 96},
};
// A swung, bluesy line climbing to C5.
inline constexpr Note saxophone[] = {
    {0, .6, n("D4"), 86}, {.67, .3, n("F4"), 80},  {1, .6, n("G4"), 90},  {1.67, .3, n("G#4"), 82},
    {2, .6, n("A4"), 92}, {2.67, .3, n("C5"), 88}, {3, 1.5, n("A4"), 90},
};
// A broad line, then the slide carries C3 up to F3.
inline constexpr Note trombone[] = {
    {0, .95, n("Bb2"), 90},
    {1, .95, n("F3"), 94},
    {2, 1.7, n("C3"), 96},
};
inline constexpr Bend tromboneSlide[] = {{2.3, 0}, {2.9, 5}};
// A bright fanfare: three G4s, up the C major chord and home.
inline constexpr Note trompette[] = {
    {0, .3, n("G4"), 92},    {.33, .3, n("G4"), 86}, {.67, .3, n("G4"), 88}, {1, .45, n("C5"), 98},
    {1.5, .45, n("E5"), 98}, {2, .9, n("G5"), 104},  {3, .45, n("E5"), 94},  {3.5, 1.4, n("C5"), 98},
};
// Oom-pah, heavy and low: the tonic and the fifth, each note held long enough to speak in full.
inline constexpr Note tuba[] = {
    {0, .8, n("Bb1"), 110}, {1, .8, n("F2"), 100}, {2, .8, n("D2"), 104}, {3, 1.2, n("Bb1"), 112},
};
// Strokes, a roll that swells, and a last accent (concert snare).
inline constexpr Note cclaire[] = {
    {0, .1, 38, 112}, {.5, .1, 38, 80}, {.75, .1, 38, 86}, {1, .1, 38, 106}, {1.5, 1.5, 38, 48, roll, 104},
    {3, .1, 38, 124},
};
// One crash left ringing (concert cymbal).
inline constexpr Note cymbales[] = {
    {0, .2, 57, 124},
};
// A few deep booms (concert bass drum).
inline constexpr Note gcaisse[] = {
    {0, .2, 36, 100},
    {1, .2, 36, 92},
    {2, .2, 36, 126},
};
// A quick tune of short wooden notes.
inline constexpr Note tambourin[] = {
    {0, .5, n("G5"), 100},   {.5, .5, n("C6"), 104},  {1, .5, n("E6"), 106},   {1.5, .5, n("G6"), 110},
    {2, .5, n("E6"), 100},   {2.5, .5, n("C6"), 100}, {3, .25, n("D6"), 96},   {3.25, .25, n("E6"), 100},
    {3.5, .5, n("D6"), 104}, {4, .5, n("B5"), 100},   {4.5, .5, n("G5"), 100}, {5, 1, n("C6"), 112},
};
// A roll on the tonic that swells, then the fifth below and the tonic, on the low kettles whose
// samples ring true (FluidR3's kettle above F#2 sounds its overtones louder than its note).
inline constexpr Note timbales[] = {
    {0, 2, n("F2"), 30, 1.0 / 12, 112},
    {2.5, .5, n("C2"), 112},
    {3, .5, n("F2"), 124},
};

} // namespace score

// In the catalogue's order.
inline constexpr std::array<Phrase, 24> table{{
    {"alto", 42, false, 80, 20, "D4-A4", score::alto},
    {"contrebasse", 46, false, 112, 0, "A1-G2", score::contrebasse},
    {"harpe", 47, false, 72, 0, "C2-C6", score::harpe, {}, -1800},
    {"piano", 1, false, 160, 0, "C2-G5", score::piano},
    {"violon", 41, false, 96, 28, "A4-C#6", score::violon},
    {"violoncelle", 43, false, 80, 24, "C3-A3", score::violoncelle},
    {"basson", 71, false, 132, 0, "G2-G3", score::basson},
    {"clarinette", 72, false, 100, 0, "G3-E5", score::clarinette},
    {"clarinette_basse", 72, false, 88, 0, "C#2-A2", score::clarinette_basse},
    {"cor", 61, false, 92, 0, "F3-F4", score::cor},
    {"cor_anglais", 70, false, 84, 16, "E3-Bb3", score::cor_anglais},
    {"ct_basson", 71, false, 72, 0, "Bb0-F1", score::ct_basson, {}, 0, 3600},
    {"flute", 74, false, 120, 0, "D5-D6", score::flute},
    {"hautbois", 69, false, 80, 14, "G4-D5", score::hautbois},
    {"piccolo", 73, false, 112, 0, "D6-B6", score::piccolo},
    {"saxophone", 66, false, 108, 20, "D4-C5", score::saxophone},
    {"trombone", 58, false, 80, 0, "Bb2-F3", score::trombone, score::tromboneSlide},
    {"trompette", 57, false, 120, 0, "G4-G5", score::trompette},
    {"tuba", 59, false, 100, 0, "Bb1-F2", score::tuba},
    {"cclaire", 49, true, 100, 0, "snare", score::cclaire},
    {"cymbales", 49, true, 60, 0, "crash", score::cymbales},
    {"gcaisse", 49, true, 80, 0, "bass drum", score::gcaisse},
    {"tambourin", 14, false, 140, 0, "G5-G6", score::tambourin},
    {"timbales", 48, false, 100, 0, "C2-F2", score::timbales},
}};

} // namespace phrases
