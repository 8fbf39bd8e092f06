// SPDX-FileCopyrightText: 2026 Les Ateliers Calivento
//
// SPDX-License-Identifier: GPL-3.0-or-later

// Renders the instruments' phrases with FluidSynth and the FluidR3 General MIDI soundfont,
// matches their loudness and writes them as Ogg Vorbis. Everything is fixed (no audio driver,
// no dither, one stream serial per file), so the same libraries give the same bytes.
//   calivento-phrases OUTDIR [WAVDIR]
#include "hearing.h"
#include "phrases.h"
#include "screens/game/catalogue.h"

#include "../synth/wav.h"

#include <ebur128.h>
#include <fluidsynth.h>
#include <vorbis/vorbisenc.h>
#include <vorbis/vorbisfile.h>

#include <algorithm>
#include <array>
#include <climits>
#include <cstdint>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <deque>
#include <fstream>
#include <random>
#include <string>
#include <vector>

namespace {

constexpr int rate = 44100;
constexpr double longest = 4.0;  // seconds, release included
constexpr double shortest = 1.5;
constexpr double silent = 0.0079; // what a fade may take away: 42 dB under the peak, 2 dB kept for the encoder
constexpr double ceilingDb = -1.0; // true peak, once decoded
constexpr double quality = 0.4;  // Vorbis VBR quality
constexpr int hands = 4;         // a roll's strokes go round this many channels, so none cuts the last
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
    int channel;
    int key;
    int value;
};

long frameAt(double seconds)
{
    return std::lround(seconds * rate);
}

std::vector<Event> events(const phrases::Phrase &p)
{
    const int first = p.percussion ? 9 : 0;
    struct Stroke {
        long on, off;
        int channel, key, velocity;
    };
    std::vector<Stroke> strokes;
    for (const phrases::Note &n : p.notes) {
        const int count = n.rollEvery > 0 ? std::max(1, int(std::lround(n.length / n.rollEvery))) : 1;
        const double step = n.rollEvery > 0 ? n.rollEvery : n.length;
        // A roll's strokes are not a machine's: each comes up to a quarter step early or late and a
        // little softer or louder (strokes exactly in time would ring as a buzz at their own rate).
        std::minstd_rand hand(1);
        for (int s = 0; s < count; ++s) {
            const double t = count > 1 ? double(s) / (count - 1) : 0.0;
            const double early = count > 1 && s > 0 ? (double(hand() % 1001) / 1000 - 0.5) / 2 : 0.0;
            const int nudge = count > 1 ? int(hand() % 13) - 6 : 0;
            const int velocity =
                std::clamp(int(std::lround(n.velocity + t * (n.rollTo - n.velocity))) + nudge, 1, 127);
            // A roll's stroke lets the others ring on: the stick does not damp the head.
            const long off = count > 1 ? frameAt(p.seconds(n.beat + n.length)) : frameAt(p.seconds(n.beat + step));
            strokes.push_back({frameAt(p.seconds(n.beat + (s + early) * step)), off, first + (count > 1 ? s % hands : 0),
                               n.key, velocity});
        }
    }
    std::vector<Event> list;
    for (const Stroke &a : strokes) {
        list.push_back({a.on, 2, a.channel, a.key, a.velocity});
        // A string struck again while it rings goes on sounding from the new stroke.
        const bool struckAgain = std::any_of(strokes.begin(), strokes.end(), [&](const Stroke &b) {
            return b.channel == a.channel && b.key == a.key && b.on > a.on && b.on < a.off;
        });
        if (!struckAgain)
            list.push_back({a.off, 0, a.channel, a.key, 0});
    }
    // The slide moves the wheel every 5 ms along the bend points.
    for (std::size_t i = 0; i + 1 < p.bends.size(); ++i) {
        const phrases::Bend &a = p.bends[i], &b = p.bends[i + 1];
        const long from = frameAt(p.seconds(a.beat)), to = frameAt(p.seconds(b.beat));
        for (long f = from; f <= to; f += rate / 200) {
            const double s =
                a.semitones + (b.semitones - a.semitones) * double(f - from) / double(std::max(1L, to - from));
            list.push_back({f, 1, first, 0, std::clamp(int(std::lround(8192 + s / 12.0 * 8192)), 0, 16383)});
        }
    }
    std::stable_sort(list.begin(), list.end(), [](const Event &x, const Event &y) {
        return x.frame != y.frame ? x.frame < y.frame : x.type < y.type;
    });
    return list;
}

// One FluidSynth with the soundfont, the phrase's instrument on every channel it uses.
class Synth
{
public:
    Synth(const phrases::Phrase &p, bool reverb, int vibrato)
    {
        settings = new_fluid_settings();
        fluid_settings_setnum(settings, "synth.sample-rate", rate);
        fluid_settings_setint(settings, "synth.chorus.active", 0);
        fluid_settings_setint(settings, "synth.reverb.active", reverb ? 1 : 0);
        fluid_settings_setnum(settings, "synth.reverb.room-size", 0.45);
        fluid_settings_setnum(settings, "synth.reverb.damp", 0.4);
        fluid_settings_setnum(settings, "synth.reverb.width", 0.8);
        fluid_settings_setnum(settings, "synth.reverb.level", 0.6);
        fluid_settings_setnum(settings, "synth.gain", 0.5);
        fluid_settings_setint(settings, "synth.cpu-cores", 1);
        synth = new_fluid_synth(settings);
        const int font = fluid_synth_sfload(synth, soundfont, 1);
        if (font == FLUID_FAILED) {
            std::fprintf(stderr, "cannot load %s (Debian: fluid-soundfont-gm)\n", soundfont);
            std::exit(1);
        }
        const int first = p.percussion ? 9 : 0;
        for (int ch = first; ch < first + hands; ++ch) {
            fluid_synth_program_select(synth, ch, font, p.percussion ? 128 : 0, p.program - 1);
            fluid_synth_cc(synth, ch, 7, 100);
            fluid_synth_cc(synth, ch, 11, 127);
            fluid_synth_cc(synth, ch, 91, 40);
            fluid_synth_cc(synth, ch, 93, 0);
            fluid_synth_cc(synth, ch, 1, vibrato);
            fluid_synth_pitch_wheel_sens(synth, ch, 12);
            if (p.damping)
                fluid_synth_set_gen(synth, ch, GEN_VOLENVRELEASE, float(p.damping));
            if (p.darkening)
                fluid_synth_set_gen(synth, ch, GEN_FILTERFC, float(-p.darkening));
        }
    }
    ~Synth()
    {
        delete_fluid_synth(synth);
        delete_fluid_settings(settings);
    }
    Synth(const Synth &) = delete;
    Synth &operator=(const Synth &) = delete;

    // Each key sounds `cents[key]` away from equal temperament, on the phrase's channels.
    void retune(const phrases::Phrase &p, const std::array<double, 128> &cents)
    {
        std::array<double, 128> pitch;
        for (int k = 0; k < 128; ++k)
            pitch[std::size_t(k)] = 100.0 * k + cents[std::size_t(k)];
        fluid_synth_activate_key_tuning(synth, 0, 0, "phrase", pitch.data(), 0);
        const int first = p.percussion ? 9 : 0;
        for (int ch = first; ch < first + hands; ++ch)
            fluid_synth_activate_tuning(synth, ch, 0, 0, 0);
    }

    void play(Stereo &out, long frames)
    {
        std::vector<float> l(1024), r(1024);
        while (frames > 0) {
            const int n = int(std::min<long>(frames, 1024));
            fluid_synth_write_float(synth, n, l.data(), 0, 1, r.data(), 0, 1);
            out.left.insert(out.left.end(), l.begin(), l.begin() + n);
            out.right.insert(out.right.end(), r.begin(), r.begin() + n);
            frames -= n;
        }
    }
    void apply(const Event &e)
    {
        if (e.type == 2)
            fluid_synth_noteon(synth, e.channel, e.key, e.value);
        else if (e.type == 0)
            fluid_synth_noteoff(synth, e.channel, e.key);
        else
            fluid_synth_pitch_bend(synth, e.channel, e.value);
    }

private:
    fluid_settings_t *settings;
    fluid_synth_t *synth;
};

std::vector<double> monoOf(const Stereo &s, std::size_t from = 0, std::size_t to = SIZE_MAX)
{
    to = std::min(to, s.frames());
    std::vector<double> x;
    for (std::size_t i = from; i < to; ++i)
        x.push_back((s.left[i] + s.right[i]) / 2);
    return x;
}

// How far in cents a steady stretch of sound is from `hz`, vibrato aside: the median over short
// frames of the period found near the expected one by autocorrelation. (A spectrum of the whole
// stretch would be smeared by the vibrato.)
double centsFrom(std::span<const double> x, double hz)
{
    const double expected = rate / hz;
    const int times = std::max(1, int(256 / expected)); // a short period is read over several
    const std::size_t frame = std::max<std::size_t>(1024, std::size_t(3 * expected));
    const long lo = long(times * expected * 0.965), hi = long(std::ceil(times * expected * 1.036)) + 1;
    std::vector<double> cents;
    for (std::size_t at = 0; at + frame + std::size_t(hi) + 1 < x.size(); at += frame / 2) {
        const auto r = [&](long t) {
            double xy = 0, xx = 0, yy = 0;
            for (std::size_t i = at; i < at + frame; ++i)
                xy += x[i] * x[i + std::size_t(t)], xx += x[i] * x[i], yy += x[i + std::size_t(t)] * x[i + std::size_t(t)];
            return xy / std::sqrt(xx * yy + 1e-30);
        };
        long best = lo;
        for (long t = lo; t <= hi; ++t)
            if (r(t) > r(best))
                best = t;
        const double a = r(best - 1), b = r(best), c = r(best + 1), d = a - 2 * b + c;
        const double period = (double(best) + (d < 0 ? 0.5 * (a - c) / d : 0.0)) / times;
        cents.push_back(1200 * std::log2(expected / period));
    }
    if (cents.empty())
        return NAN;
    std::ranges::sort(cents);
    return cents[cents.size() / 2];
}

// FluidR3's samples are not all in tune (its violin's A5 sounds 13 cents flat, its pizzicato
// strings' E2 8): each key the phrase plays is heard alone for a second, at its velocity and
// vibrato, without the room, and retuned by what it missed.
std::array<double, 128> tuning(const phrases::Phrase &p)
{
    std::array<double, 128> cents{};
    // Not the piano, whose stiff strings are tuned stretched, nor the kettledrums, which have no period.
    if (p.percussion || p.program <= 8 || p.program == 48)
        return cents;
    for (const phrases::Note &n : p.notes) {
        if (cents[std::size_t(n.key)] != 0)
            continue;
        Synth synth(p, false, p.vibrato);
        Stereo probe;
        synth.apply({0, 2, 0, n.key, n.velocity});
        synth.play(probe, rate * 6 / 5);
        const double off = centsFrom(monoOf(probe, rate / 5, rate * 6 / 5), hearing::hz(n.key));
        cents[std::size_t(n.key)] = std::isnan(off) ? 0 : std::clamp(-off, -50.0, 50.0);
        if (std::getenv("PHRASES_VERBOSE"))
            std::printf("  %s key %d sounds %+.1f cents alone\n", p.file, n.key, off);
    }
    return cents;
}

// Plays the phrase and keeps rendering until its tail has died away 60 dB, or up to the longest.
Stereo render(const phrases::Phrase &p)
{
    Synth synth(p, true, p.vibrato);
    synth.retune(p, tuning(p));
    Stereo out;
    for (const Event &e : events(p)) {
        synth.play(out, e.frame - long(out.frames()));
        synth.apply(e);
    }
    double peak = 0;
    for (std::size_t i = 0; i < out.frames(); ++i)
        peak = std::max({peak, std::abs(out.left[i]), std::abs(out.right[i])});
    const long limit = std::lround(longest * rate);
    while (long(out.frames()) < limit) {
        const std::size_t from = out.frames();
        synth.play(out, std::min(2048L, limit - long(from)));
        double block = 0;
        for (std::size_t i = from; i < out.frames(); ++i)
            block = std::max({block, std::abs(out.left[i]), std::abs(out.right[i])});
        if (block < peak * 1e-3)
            break;
    }
    return out;
}

struct Loudness {
    double lufs, truePeakDb;
};

// Integrated loudness (ITU-R BS.1770) and true peak of the sound as the game plays it: the same
// signal on both speakers.
Loudness loudnessOf(const Stereo &s)
{
    ebur128_state *st = ebur128_init(2, rate, EBUR128_MODE_I | EBUR128_MODE_TRUE_PEAK);
    std::vector<double> frames;
    for (std::size_t i = 0; i < s.frames(); ++i)
        frames.push_back(s.left[i]), frames.push_back(s.right[i]);
    ebur128_add_frames_double(st, frames.data(), s.frames());
    Loudness l{};
    double left = 0, right = 0;
    ebur128_loudness_global(st, &l.lufs);
    ebur128_true_peak(st, 0, &left);
    ebur128_true_peak(st, 1, &right);
    l.truePeakDb = 20 * std::log10(std::max({left, right, 1e-9}));
    ebur128_destroy(&st);
    return l;
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

// The last moment the phrase is within 40 dB of its peak: what comes after may be faded.
std::size_t lastHeard(const Stereo &s)
{
    const double floor = peakOf(s) * silent;
    std::size_t last = 0;
    for (std::size_t i = 0; i < s.frames(); ++i)
        if (std::max(std::abs(s.left[i]), std::abs(s.right[i])) > floor)
            last = i;
    return last;
}

// A 2 ms fade-in, and a fade-out over what follows the last heard moment (30 ms at least).
void fade(Stereo &s, std::size_t from)
{
    const std::size_t in = rate * 2 / 1000;
    const std::size_t out = std::max<std::size_t>(rate * 3 / 100, s.frames() - std::min(from, s.frames()));
    for (std::size_t i = 0; i < in; ++i) {
        const double g = 0.5 - 0.5 * std::cos(M_PI * double(i) / double(in));
        s.left[i] *= g, s.right[i] *= g;
    }
    for (std::size_t i = 0; i < out && i < s.frames(); ++i) {
        const double g = 0.5 - 0.5 * std::cos(M_PI * double(i) / double(out));
        s.left[s.frames() - 1 - i] *= g, s.right[s.frames() - 1 - i] *= g;
    }
}

// To the target loudness, the peaks held `margin` dB under the ceiling by the limiter.
void normalise(Stereo &s, double margin)
{
    const double ceiling = std::pow(10.0, (ceilingDb - margin) / 20);
    for (int pass = 0; pass < 8; ++pass) {
        scale(s, std::pow(10.0, (phrases::loudness - loudnessOf(s).lufs) / 20));
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

struct Heard {
    double worstNote = 0;   // cents from the table, the strongest pitch of each note
    double worstTuning = 0; // cents from equal temperament, notes heard alone
    double slowestSpeak = 0; // seconds a note takes to come within 3 dB of its loudest
    double shortestNote = 1e9;
    double deepestDip = 0; // dB, within a roll
};

// What the phrase sounds like, read from the decoded file: the figures the summary prints.
Heard listen(const phrases::Phrase &p, const std::vector<double> &x)
{
    Heard h;
    const auto at = [&](double seconds) { return std::min(x.size(), std::size_t(std::max(0.0, seconds) * rate)); };
    for (const hearing::Listening &l : hearing::listenings(p)) {
        const std::span<const double> part(x.data() + at(l.from), at(l.to) - at(l.from));
        const double asked = l.hz;
        const double heard = hearing::strongestPitch(part, rate, asked, l.others, hearing::harmonicsOf(p));
        const double off = 1200 * std::log2(heard / asked);
        if (std::abs(off) > std::abs(h.worstNote))
            h.worstNote = off;
        if (std::getenv("PHRASES_VERBOSE"))
            std::printf("  %s key %d at %.2f s: %.1f Hz, %+.0f cents%s\n", p.file, l.key, l.from, heard, off, std::abs(off) > 50 ? " WRONG" : "");
        // Held notes (bowed, blown) heard for 0.15 s at least, alone: a struck string's pitch wanders.
        const bool held = (p.program >= 41 && p.program <= 44) || (p.program >= 57 && p.program <= 80);
        const bool chord = std::ranges::any_of(p.notes, [&](const phrases::Note &o) {
            return o.key != l.key && p.seconds(o.beat) <= l.to && p.seconds(o.beat + o.length) > l.from;
        });
        if (held && !chord && p.bends.empty() && l.to - l.from >= 0.15) {
            const double tune = centsFrom(part, asked);
            if (!std::isnan(tune) && std::abs(tune) > std::abs(h.worstTuning))
                h.worstTuning = tune;
            if (std::getenv("PHRASES_VERBOSE"))
                std::printf("  %s key %d at %.2f s: period %+.1f cents over %.2f s\n", p.file, l.key, l.from, tune,
                            l.to - l.from);
        }
    }
    const auto envelope = [&](double from, double to, double step) {
        std::vector<double> e;
        for (std::size_t i = at(from); i + std::size_t(step * rate) <= at(to); i += std::size_t(step * rate)) {
            double sum = 0;
            for (std::size_t j = i; j < i + std::size_t(step * rate); ++j)
                sum += x[j] * x[j];
            e.push_back(std::sqrt(sum / (step * rate)));
        }
        return e;
    };
    for (const phrases::Note &n : p.notes) {
        const double on = p.seconds(n.beat), off = p.seconds(n.beat + n.length);
        if (n.rollEvery > 0) {
            const double step = n.rollEvery * 60 / p.bpm;
            for (double t = on + 0.3 * (off - on); t + step <= off; t += step) {
                const std::vector<double> e = envelope(t, t + step, 0.005);
                if (e.size() > 1)
                    h.deepestDip = std::max(h.deepestDip, 20 * std::log10(std::ranges::max(e) / (std::ranges::min(e) + 1e-9)));
            }
            continue;
        }
        if (p.percussion)
            continue;
        h.shortestNote = std::min(h.shortestNote, off - on);
        const std::vector<double> e = envelope(on, off, 0.01);
        if (e.empty())
            continue;
        const double loudest = std::ranges::max(e);
        const auto first = std::ranges::find_if(e, [&](double v) { return v >= loudest * 0.708; });
        h.slowestSpeak = std::max(h.slowestSpeak, 0.01 * double(first - e.begin()));
    }
    return h;
}

int main(int argc, char **argv)
{
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s OUTDIR [WAVDIR]\n", argv[0]);
        return 2;
    }
    fluid_set_log_function(FLUID_WARN, nullptr, nullptr);
    fluid_set_log_function(FLUID_INFO, nullptr, nullptr);
    // Keeps the soundfont's samples loaded from one phrase to the next.
    const Synth keeper(phrases::table[0], false, 0);
    bool ok = true;
    std::size_t total = 0;
    std::printf("%-16s %3s %-9s %5s %5s %6s %6s %6s %6s %5s %5s %5s %5s %5s %6s\n", "file", "GM", "register", "s", "ends",
                "LUFS", "dBTP", "centr", "tail", "note", "tune", "speak", "short", "dip", "bytes");
    for (std::size_t row = 0; row < phrases::table.size(); ++row) {
        const phrases::Phrase &p = phrases::table[row];
        Stereo s = render(p);
        if (s.frames() < std::size_t(shortest * rate)) {
            s.left.resize(std::size_t(shortest * rate));
            s.right.resize(std::size_t(shortest * rate));
        }
        // Stored in mono: smaller, and a third of the decoding time of stereo.
        for (std::size_t i = 0; i < s.frames(); ++i)
            s.left[i] = s.right[i] = (s.left[i] + s.right[i]) / 2;
        std::size_t heard = 0;
        const std::string path = std::string(argv[1]) + "/" + p.file + ".ogg";
        Stereo back;
        std::vector<unsigned char> bytes;
        Loudness measured{};
        // The encoder moves peaks a little: the limiter's margin grows until the file is under the ceiling.
        for (double margin = 0.3; margin < 4; margin += 0.3) {
            Stereo t = s;
            normalise(t, margin);
            heard = lastHeard(t); // once the limiter has lowered the peaks
            fade(t, heard + 1);
            bytes = encode(t, 0x43610000 + int(row), game::catalogue[row].caption);
            std::ofstream(path, std::ios::binary | std::ios::trunc)
                .write(reinterpret_cast<const char *>(bytes.data()), std::streamsize(bytes.size()));
            back = decode(path);
            measured = back.frames() ? loudnessOf(back) : Loudness{-999, 0};
            if (argc > 2 && margin == 0.3) {
                std::vector<std::int16_t> pcm;
                for (std::size_t i = 0; i < t.frames(); ++i) {
                    pcm.push_back(std::int16_t(std::lround(t.left[i] * 32767)));
                    pcm.push_back(std::int16_t(std::lround(t.right[i] * 32767)));
                }
                writeWav(std::string(argv[2]) + "/" + p.file + ".wav", rate, pcm);
            }
            if (measured.truePeakDb <= ceilingDb - 0.05)
                break;
        }
        if (heard + rate * 3 / 100 > s.frames()) {
            std::fprintf(stderr, "%s: still sounding at %.2f s, the phrase must end by itself\n", p.file,
                         double(s.frames()) / rate);
            ok = false;
        }
        total += bytes.size();
        const std::vector<double> x = monoOf(back);
        double tail = 0;
        for (std::size_t i = heard + 1; i < x.size(); ++i)
            tail = std::max(tail, std::abs(x[i]));
        const Heard h = listen(p, x);
        std::printf("%-16s %3d %-9s %5.2f %5.2f %6.2f %6.2f %6.0f %6.1f %5.0f %5.1f %5.2f %5.2f %5.1f %6zu\n", p.file,
                    p.program, p.register_, double(x.size()) / rate, double(heard) / rate, measured.lufs, measured.truePeakDb,
                    hearing::centroid(x, rate), 20 * std::log10(tail / peakOf(back) + 1e-9), h.worstNote,
                    h.worstTuning, h.slowestSpeak, h.shortestNote < 1e8 ? h.shortestNote : 0, h.deepestDip,
                    bytes.size());
        if (back.frames() != s.frames() || measured.truePeakDb > ceilingDb ||
            std::abs(measured.lufs - phrases::loudness) > 0.3 || double(x.size()) / rate > longest) {
            std::fprintf(stderr, "%s: out of bounds after encoding\n", p.file);
            ok = false;
        }
    }
    std::printf("total %zu bytes\n", total);
    return ok ? 0 : 1;
}
