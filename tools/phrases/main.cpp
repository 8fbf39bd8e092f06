// SPDX-FileCopyrightText: 2026 Les Ateliers Calivento
//
// SPDX-License-Identifier: GPL-3.0-or-later

// Renders the instruments' phrases with FluidSynth and the FluidR3 General MIDI soundfont,
// matches their loudness and writes them as Ogg Vorbis. Everything is fixed (no audio driver,
// no dither, one stream serial per file), so the same libraries give the same bytes.
//   calivento-phrases OUTDIR [WAVDIR]
#include "phrases.h"
#include "screens/game/catalogue.h"

#include "../synth/wav.h"

#include <fluidsynth.h>
#include <vorbis/vorbisenc.h>
#include <vorbis/vorbisfile.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <deque>
#include <fstream>
#include <string>
#include <vector>

namespace {

constexpr int rate = 44100;
constexpr double lead = 0.01;   // seconds of silence before the first note
constexpr double longest = 3.9; // seconds, tail included
constexpr double shortest = 1.6;
constexpr double targetDb = -20.0; // gated RMS
constexpr double ceilingDb = -1.5; // the limiter's ceiling, under the -1 dBFS promised
constexpr double quality = 0.4;    // Vorbis VBR quality
constexpr const char *soundfont = "/usr/share/sounds/sf2/FluidR3_GM.sf2";

constexpr bool sameOrder()
{
    for (std::size_t i = 0; i < phrases::table.size(); ++i)
        if (std::string_view(phrases::table[i].file) != game::catalogue[i].file)
            return false;
    return true;
}
static_assert(sameOrder(), "one phrase per catalogue row, in its order");

struct Stereo {
    std::vector<double> left, right;
    std::size_t frames() const { return left.size(); }
};

struct Event {
    long frame;
    int type; // at the same frame: 0 note-off, then 1 bend, then 2 note-on
    int key;
    int value;
};

std::vector<Event> events(const phrases::Phrase &p)
{
    const double secondsPerBeat = 60.0 / p.bpm;
    const auto at = [&](double beat) { return std::lround((lead + beat * secondsPerBeat) * rate); };
    struct Stroke {
        long on, off;
        int key, velocity;
    };
    std::vector<Stroke> strokes;
    for (const phrases::Note &n : p.notes) {
        const int count = n.rollEvery > 0 ? std::max(1, int(std::lround(n.length / n.rollEvery))) : 1;
        const double step = n.rollEvery > 0 ? n.rollEvery : n.length;
        for (int s = 0; s < count; ++s) {
            const double t = count > 1 ? double(s) / (count - 1) : 0.0;
            const int velocity = std::clamp(int(std::lround(n.velocity + t * (n.rollTo - n.velocity))), 1, 127);
            strokes.push_back({at(n.beat + s * step), at(n.beat + (s + 1) * step), n.key, velocity});
        }
    }
    std::vector<Event> list;
    for (const Stroke &a : strokes) {
        list.push_back({a.on, 2, a.key, a.velocity});
        // A string struck again while it rings goes on sounding from the new stroke.
        const bool struckAgain = std::any_of(strokes.begin(), strokes.end(), [&](const Stroke &b) {
            return b.key == a.key && b.on > a.on && b.on < a.off;
        });
        if (!struckAgain)
            list.push_back({a.off, 0, a.key, 0});
    }
    // The slide moves the wheel every 5 ms along the bend points.
    for (std::size_t i = 0; i + 1 < p.bends.size(); ++i) {
        const phrases::Bend &a = p.bends[i], &b = p.bends[i + 1];
        const long from = at(a.beat), to = at(b.beat);
        for (long f = from; f <= to; f += rate / 200) {
            const double s =
                a.semitones + (b.semitones - a.semitones) * double(f - from) / double(std::max(1L, to - from));
            list.push_back({f, 1, 0, std::clamp(int(std::lround(8192 + s / 12.0 * 8192)), 0, 16383)});
        }
    }
    std::stable_sort(list.begin(), list.end(), [](const Event &x, const Event &y) {
        return x.frame != y.frame ? x.frame < y.frame : x.type < y.type;
    });
    return list;
}

// Plays the phrase into a new synthesiser and keeps rendering until its tail has died away.
Stereo render(const phrases::Phrase &p, bool &cut)
{
    fluid_settings_t *settings = new_fluid_settings();
    fluid_settings_setnum(settings, "synth.sample-rate", rate);
    fluid_settings_setint(settings, "synth.chorus.active", 0);
    fluid_settings_setint(settings, "synth.reverb.active", 1);
    fluid_settings_setnum(settings, "synth.reverb.room-size", 0.45);
    fluid_settings_setnum(settings, "synth.reverb.damp", 0.4);
    fluid_settings_setnum(settings, "synth.reverb.width", 0.8);
    fluid_settings_setnum(settings, "synth.reverb.level", 0.6);
    fluid_settings_setnum(settings, "synth.gain", 0.5);
    fluid_settings_setint(settings, "synth.cpu-cores", 1);
    fluid_synth_t *synth = new_fluid_synth(settings);
    const int font = fluid_synth_sfload(synth, soundfont, 1);
    if (font == FLUID_FAILED) {
        std::fprintf(stderr, "cannot load %s (Debian: fluid-soundfont-gm)\n", soundfont);
        std::exit(1);
    }
    const int ch = p.percussion ? 9 : 0;
    fluid_synth_program_select(synth, ch, font, p.percussion ? 128 : 0, p.program - 1);
    fluid_synth_cc(synth, ch, 7, 100);
    fluid_synth_cc(synth, ch, 11, 127);
    fluid_synth_cc(synth, ch, 91, 40);
    fluid_synth_cc(synth, ch, 93, 0);
    fluid_synth_cc(synth, ch, 1, p.vibrato);
    fluid_synth_pitch_wheel_sens(synth, ch, 12);

    Stereo out;
    std::vector<float> l(1024), r(1024);
    const auto play = [&](long frames) {
        while (frames > 0) {
            const int n = int(std::min<long>(frames, 1024));
            fluid_synth_write_float(synth, n, l.data(), 0, 1, r.data(), 0, 1);
            out.left.insert(out.left.end(), l.begin(), l.begin() + n);
            out.right.insert(out.right.end(), r.begin(), r.begin() + n);
            frames -= n;
        }
    };
    for (const Event &e : events(p)) {
        play(e.frame - long(out.frames()));
        if (e.type == 2)
            fluid_synth_noteon(synth, ch, e.key, e.value);
        else if (e.type == 0)
            fluid_synth_noteoff(synth, ch, e.key);
        else
            fluid_synth_pitch_bend(synth, ch, e.value);
    }
    // The tail: until a block is 60 dB under the loudest moment, or the phrase is long enough.
    double peak = 0;
    for (std::size_t i = 0; i < out.frames(); ++i)
        peak = std::max({peak, std::abs(out.left[i]), std::abs(out.right[i])});
    const long limit = std::lround(longest * rate);
    cut = true;
    while (long(out.frames()) < limit) {
        const std::size_t from = out.frames();
        play(std::min(2048L, limit - long(from)));
        double block = 0;
        for (std::size_t i = from; i < out.frames(); ++i)
            block = std::max({block, std::abs(out.left[i]), std::abs(out.right[i])});
        if (block < peak * 1e-3) {
            cut = false;
            break;
        }
    }
    delete_fluid_synth(synth);
    delete_fluid_settings(settings);
    return out;
}

double meanSquare(const Stereo &s, std::size_t from, std::size_t to)
{
    double sum = 0;
    for (std::size_t i = from; i < to; ++i)
        sum += s.left[i] * s.left[i] + s.right[i] * s.right[i];
    return sum / double(2 * std::max<std::size_t>(1, to - from));
}

// RMS over the sounding part: 50 ms windows within 30 dB of the loudest one. The game's tests
// measure the same way.
double loudnessDb(const Stereo &s)
{
    const std::size_t window = rate / 20;
    std::vector<double> windows;
    for (std::size_t at = 0; at + window <= s.frames(); at += window)
        windows.push_back(meanSquare(s, at, at + window));
    const double loudest = *std::max_element(windows.begin(), windows.end());
    double sum = 0;
    int kept = 0;
    for (double w : windows)
        if (w >= loudest * 1e-3)
            sum += w, ++kept;
    return 10 * std::log10(sum / kept);
}

double peakOf(const Stereo &s)
{
    double peak = 0;
    for (std::size_t i = 0; i < s.frames(); ++i)
        peak = std::max({peak, std::abs(s.left[i]), std::abs(s.right[i])});
    return peak;
}

void scale(Stereo &s, double gain)
{
    for (std::size_t i = 0; i < s.frames(); ++i)
        s.left[i] *= gain, s.right[i] *= gain;
}

// A look-ahead peak limiter: the gain is the lowest needed within 3 ms either side, averaged over
// 3 ms and let back up over 60 ms, so a drum stroke is tamed without a click.
void limit(Stereo &s, double ceiling)
{
    const long n = long(s.frames());
    const long reach = rate * 3 / 1000;
    std::vector<double> need(static_cast<std::size_t>(n)), low(static_cast<std::size_t>(n));
    for (long i = 0; i < n; ++i) {
        const double a = std::max(std::abs(s.left[std::size_t(i)]), std::abs(s.right[std::size_t(i)]));
        need[std::size_t(i)] = a > ceiling ? ceiling / a : 1.0;
    }
    std::deque<long> window; // indices of rising need, the front the lowest
    for (long i = 0, next = 0; i < n; ++i) {
        for (; next <= std::min(n - 1, i + reach); ++next) {
            while (!window.empty() && need[std::size_t(window.back())] >= need[std::size_t(next)])
                window.pop_back();
            window.push_back(next);
        }
        while (window.front() < i - reach)
            window.pop_front();
        low[std::size_t(i)] = need[std::size_t(window.front())];
    }
    // Each averaged value is at most the need at the middle of its span, so no peak gets through.
    const long half = reach / 2;
    const double release = 1.0 / (0.060 * rate);
    double sum = 0, held = 1.0;
    for (long k = 0; k <= std::min(n - 1, half); ++k)
        sum += low[std::size_t(k)];
    for (long i = 0; i < n; ++i) {
        const long from = std::max(0L, i - half), to = std::min(n - 1, i + half);
        held = std::min(sum / double(to - from + 1), held + release);
        s.left[std::size_t(i)] *= held, s.right[std::size_t(i)] *= held;
        if (i + half + 1 < n)
            sum += low[std::size_t(i + half + 1)];
        if (i - half >= 0)
            sum -= low[std::size_t(i - half)];
    }
}

void fade(Stereo &s, bool cut)
{
    const std::size_t in = rate * 2 / 1000;
    const std::size_t out = cut ? rate * 6 / 10 : rate * 3 / 100;
    for (std::size_t i = 0; i < in; ++i) {
        const double g = 0.5 - 0.5 * std::cos(M_PI * double(i) / double(in));
        s.left[i] *= g, s.right[i] *= g;
    }
    for (std::size_t i = 0; i < out; ++i) {
        const double g = 0.5 - 0.5 * std::cos(M_PI * double(i) / double(out));
        s.left[s.frames() - 1 - i] *= g, s.right[s.frames() - 1 - i] *= g;
    }
}

void normalise(Stereo &s)
{
    const double ceiling = std::pow(10.0, ceilingDb / 20);
    for (int pass = 0; pass < 8; ++pass) {
        scale(s, std::pow(10.0, (targetDb - loudnessDb(s)) / 20));
        if (peakOf(s) > ceiling)
            limit(s, ceiling);
    }
}

std::vector<unsigned char> encode(const Stereo &s, int serial, const char *title)
{
    vorbis_info vi;
    vorbis_info_init(&vi);
    if (vorbis_encode_init_vbr(&vi, 1, rate, float(quality)) != 0) {
        std::fprintf(stderr, "vorbis encoder refused its settings\n");
        std::exit(1);
    }
    vorbis_comment vc;
    vorbis_comment_init(&vc);
    vorbis_comment_add_tag(&vc, "TITLE", title);
    vorbis_comment_add_tag(&vc, "COPYRIGHT", "2026 Les Ateliers Calivento; soundfont FluidR3 GM by Frank Wen (MIT)");
    vorbis_comment_add_tag(&vc, "LICENSE", "CC-BY-SA-4.0 AND MIT");
    vorbis_dsp_state vd;
    vorbis_block vb;
    vorbis_analysis_init(&vd, &vi);
    vorbis_block_init(&vd, &vb);
    ogg_stream_state os;
    ogg_stream_init(&os, serial);

    std::vector<unsigned char> bytes;
    ogg_page page;
    const auto keep = [&](ogg_page &pg) {
        bytes.insert(bytes.end(), pg.header, pg.header + pg.header_len);
        bytes.insert(bytes.end(), pg.body, pg.body + pg.body_len);
    };
    ogg_packet header, comments, code;
    vorbis_analysis_headerout(&vd, &vc, &header, &comments, &code);
    ogg_stream_packetin(&os, &header);
    ogg_stream_packetin(&os, &comments);
    ogg_stream_packetin(&os, &code);
    while (ogg_stream_flush(&os, &page))
        keep(page);

    const auto drain = [&] {
        ogg_packet packet;
        while (vorbis_analysis_blockout(&vd, &vb) == 1) {
            vorbis_analysis(&vb, nullptr);
            vorbis_bitrate_addblock(&vb);
            while (vorbis_bitrate_flushpacket(&vd, &packet)) {
                ogg_stream_packetin(&os, &packet);
                while (ogg_stream_pageout(&os, &page))
                    keep(page);
            }
        }
    };
    for (std::size_t at = 0; at < s.frames(); at += 1024) {
        const int n = int(std::min<std::size_t>(1024, s.frames() - at));
        float **buffer = vorbis_analysis_buffer(&vd, n);
        for (int i = 0; i < n; ++i)
            buffer[0][i] = float(s.left[at + std::size_t(i)]);
        vorbis_analysis_wrote(&vd, n);
        drain();
    }
    vorbis_analysis_wrote(&vd, 0);
    drain();
    while (ogg_stream_flush(&os, &page))
        keep(page);

    ogg_stream_clear(&os);
    vorbis_block_clear(&vb);
    vorbis_dsp_clear(&vd);
    vorbis_comment_clear(&vc);
    vorbis_info_clear(&vi);
    return bytes;
}

// Reads the file back as the game will, to check what the encoder did to length and peaks.
Stereo decode(const std::string &path)
{
    OggVorbis_File vf;
    Stereo s;
    if (ov_fopen(path.c_str(), &vf) != 0)
        return s;
    int section = 0;
    float **pcm = nullptr;
    long n;
    while ((n = ov_read_float(&vf, &pcm, 4096, &section)) > 0)
        for (long i = 0; i < n; ++i) {
            s.left.push_back(std::round(double(pcm[0][i]) * 32767) / 32767);
            s.right.push_back(s.left.back());
        }
    ov_clear(&vf);
    return s;
}

} // namespace

int main(int argc, char **argv)
{
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s OUTDIR [WAVDIR]\n", argv[0]);
        return 2;
    }
    fluid_set_log_function(FLUID_WARN, nullptr, nullptr);
    fluid_set_log_function(FLUID_INFO, nullptr, nullptr);
    bool ok = true;
    std::size_t total = 0;
    std::printf("%-18s %4s %-10s %6s %8s %8s %8s\n", "file", "GM", "register", "s", "RMS dB", "peak dB", "bytes");
    for (std::size_t row = 0; row < phrases::table.size(); ++row) {
        const phrases::Phrase &p = phrases::table[row];
        bool cut = false;
        Stereo s = render(p, cut);
        if (s.frames() < std::size_t(shortest * rate)) {
            s.left.resize(std::size_t(shortest * rate));
            s.right.resize(std::size_t(shortest * rate));
        }
        // Stored in mono: smaller, and a third of the decoding time of stereo.
        for (std::size_t i = 0; i < s.frames(); ++i)
            s.left[i] = s.right[i] = (s.left[i] + s.right[i]) / 2;
        fade(s, cut);
        normalise(s);
        fade(s, false); // the limiter may have lifted the last samples off zero

        const std::string path = std::string(argv[1]) + "/" + p.file + ".ogg";
        const std::vector<unsigned char> bytes = encode(s, 0x43610000 + int(row), game::catalogue[row].caption);
        std::ofstream(path, std::ios::binary | std::ios::trunc)
            .write(reinterpret_cast<const char *>(bytes.data()), std::streamsize(bytes.size()));
        total += bytes.size();
        if (argc > 2) {
            std::vector<std::int16_t> pcm;
            for (std::size_t i = 0; i < s.frames(); ++i) {
                pcm.push_back(std::int16_t(std::lround(s.left[i] * 32767)));
                pcm.push_back(std::int16_t(std::lround(s.right[i] * 32767)));
            }
            writeWav(std::string(argv[2]) + "/" + p.file + ".wav", rate, pcm);
        }

        const Stereo back = decode(path);
        const double seconds = double(back.frames()) / rate;
        const double loud = back.frames() ? loudnessDb(back) : -999;
        const double peak = back.frames() ? 20 * std::log10(peakOf(back)) : 0;
        std::printf("%-18s %4d %-10s %6.2f %8.2f %8.2f %8zu%s\n", p.file, p.program, p.register_, seconds, loud, peak,
                    bytes.size(), cut ? " (faded)" : "");
        if (back.frames() != s.frames() || peak > -1.0 || std::abs(loud - targetDb) > 0.5) {
            std::fprintf(stderr, "%s: out of bounds after encoding\n", p.file);
            ok = false;
        }
    }
    std::printf("total %zu bytes\n", total);
    return ok ? 0 : 1;
}
