// SPDX-FileCopyrightText: 2026 Les Ateliers Calivento
//
// SPDX-License-Identifier: GPL-3.0-or-later

// The instruments' phrases as the sound engine gets them: one for each instrument, sounding in
// that instrument's range and above or below its neighbours as it should, all equally loud and
// clean at the edges. A phrase filed under the wrong instrument fails here.
#include "resources/sounds.h"
#include "resources/vorbis.h"
#include "screens/game/catalogue.h"
#include "support/fakes.h"

#include <QFile>
#include <QtTest>
#include <algorithm>
#include <cmath>
#include <numbers>
#include <numeric>

namespace {
using resources::Pcm;
constexpr int rate = resources::pcmRate;

const Pcm &phraseOf(std::string_view file)
{
    const auto row = std::ranges::find(game::catalogue, file, &game::Instrument::file) - game::catalogue.begin();
    return resources::sound(200 + int(row));
}

std::vector<double> mono(const Pcm &pcm)
{
    std::vector<double> x(std::size_t(pcm.frames()));
    for (std::size_t i = 0; i < x.size(); ++i)
        x[i] = pcm.samples[2 * i] + pcm.samples[2 * i + 1];
    return x;
}

// The median pitch in Hz of nine frames spread over the sounding part: per frame, past the first
// dip of the normalised autocorrelation, the shortest lag that peaks within 20 % of the best one
// (27 Hz to 5 kHz). 0 when no frame has a pitch.
double medianPitch(const Pcm &pcm)
{
    constexpr int window = 2048, lo = rate / 5000, hi = rate / 27;
    const std::vector<double> x = mono(pcm);
    const auto energy = [&](int at) { return std::inner_product(&x[at], &x[at] + window, &x[at], 0.0); };
    std::vector<int> sounding;
    for (int at = 0; at + window + hi < int(x.size()); at += window / 2)
        sounding.push_back(at);
    if (sounding.empty())
        return 0;
    const double loudest = energy(std::ranges::max(sounding, {}, energy));
    std::erase_if(sounding, [&](int at) { return energy(at) < loudest / 100; });
    std::vector<double> pitches;
    for (int k = 1; k <= 9; ++k) {
        const int at = sounding[sounding.size() * k / 10];
        std::vector<double> r(hi + 1);
        for (int t = lo; t <= hi; ++t)
            r[t] =
                std::inner_product(&x[at], &x[at] + window, &x[at + t], 0.0) / std::sqrt(energy(at) * energy(at + t));
        const auto dip = std::find_if(r.begin() + lo, r.end(), [](double v) { return v < 0; });
        const double best = dip == r.end() ? 0 : *std::max_element(dip, r.end());
        const auto peak =
            std::adjacent_find(dip, r.end(), [&](double v, double next) { return v >= 0.8 * best && v >= next; });
        if (best > 0.5 && peak != r.end())
            pitches.push_back(double(rate) / double(peak - r.begin()));
    }
    std::ranges::sort(pitches);
    return pitches.empty() ? 0 : pitches[pitches.size() / 2];
}

// Brightness: the spectral centroid of the power spectrum's second moment, which by Parseval is
// the energy of the signal's slope against its own, in Hz.
double centroid(const Pcm &pcm)
{
    const std::vector<double> x = mono(pcm);
    const double slope = std::transform_reduce(x.begin() + 1, x.end(), x.begin(), 0.0, std::plus<>(),
                                               [](double a, double b) { return (a - b) * (a - b); });
    return rate / (2 * std::numbers::pi) * std::sqrt(slope / std::inner_product(x.begin(), x.end(), x.begin(), 0.0));
}

// RMS in dBFS over 50 ms windows within 30 dB of the loudest one: the sounding part.
double loudness(const Pcm &pcm)
{
    constexpr int n = rate / 10; // samples of both channels
    std::vector<double> windows;
    for (auto at = pcm.samples.begin(); pcm.samples.end() - at >= n; at += n)
        windows.push_back(std::inner_product(at, at + n, at, 0.0) / n / (32768.0 * 32768.0));
    const double loudest = std::ranges::max(windows);
    std::erase_if(windows, [&](double w) { return w < loudest / 1000; });
    return 10 * std::log10(std::reduce(windows.begin(), windows.end()) / double(windows.size()));
}
} // namespace

class TestPhrases : public QObject
{
    Q_OBJECT
private slots:
    // Each phrase as its instrument sounds, and above its lower neighbour: by pitch, the drums
    // (which have none) by brightness.
    void phrase_data()
    {
        QTest::addColumn<int>("lowest"); // the real instrument's sounding range, as keys; 0: no pitch
        QTest::addColumn<int>("highest");
        QTest::addColumn<QByteArray>("below");
        const struct {
            const char *file;
            int lowest, highest;
        } ranges[] = {
            {"violon", 55, 105},  {"alto", 48, 88},        {"violoncelle", 36, 81}, {"contrebasse", 28, 55},
            {"harpe", 24, 103},   {"piano", 21, 108},      {"flute", 60, 96},       {"piccolo", 74, 108},
            {"hautbois", 58, 93}, {"cor_anglais", 52, 84}, {"clarinette", 52, 96},  {"clarinette_basse", 34, 79},
            {"basson", 34, 76},   {"ct_basson", 22, 55},   {"saxophone", 49, 80},   {"trompette", 54, 86},
            {"trombone", 40, 77}, {"cor", 35, 77},         {"tuba", 26, 65},        {"tambourin", 65, 108},
            {"timbales", 38, 60}, {"cclaire", 0, 0},       {"cymbales", 0, 0},      {"gcaisse", 0, 0},
        };
        QCOMPARE(std::size(ranges), std::size_t(game::instrumentCount));
        QHash<QByteArray, QByteArray> below;
        for (const char *pair : {"piccolo>flute", "violon>alto", "alto>violoncelle", "violoncelle>contrebasse",
                                 "clarinette>clarinette_basse", "basson>ct_basson", "trompette>trombone",
                                 "trombone>tuba", "cymbales>cclaire", "cclaire>gcaisse"})
            below.insert(QByteArray(pair).split('>')[0], QByteArray(pair).split('>')[1]);
        for (const auto &r : ranges)
            QTest::newRow(r.file) << r.lowest << r.highest << below.value(r.file);
    }
    void phrase()
    {
        QFETCH(int, lowest);
        QFETCH(int, highest);
        QFETCH(QByteArray, below);
        const Pcm &pcm = phraseOf(QTest::currentDataTag());
        const double seconds = double(pcm.frames()) / rate;
        QVERIFY2(seconds >= 1.5 && seconds <= 4.0, qPrintable(QString::number(seconds)));
        QVERIFY2(fakes::peak(pcm) <= 29204, qPrintable(QString::number(fakes::peak(pcm))));         // -1 dBFS
        QVERIFY2(std::abs(loudness(pcm) + 20) <= 0.75, qPrintable(QString::number(loudness(pcm)))); // all within 1.5 dB
        QVERIFY(fakes::quietEdges(pcm));
        const auto measure = lowest ? medianPitch : centroid;
        const double value = measure(pcm), lower = below.isEmpty() ? 0 : measure(phraseOf(below.constData()));
        const auto hz = [](int key) { return 440 * std::pow(2.0, (key - 69) / 12.0); };
        QVERIFY2(!lowest || (value >= hz(lowest) * 0.97 && value <= hz(highest) * 1.03),
                 qPrintable(QString::number(value)));
        QVERIFY2(value > lower * 1.1, qPrintable(QStringLiteral("%1 / %2").arg(value).arg(lower)));
    }

    void eachInstrumentHasItsOwnPhrase()
    {
        QSet<size_t> seen;
        for (int row = 0; row < game::instrumentCount; ++row)
            seen << qHashRange(resources::sound(200 + row).samples.begin(), resources::sound(200 + row).samples.end());
        QCOMPARE(seen.size(), game::instrumentCount);
    }

    void damagedStreamsAreSilentCutOnesShort()
    {
        QFile file(QStringLiteral(":/sounds/phrases/204.ogg"));
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QByteArray bytes = file.readAll();
        QByteArray damaged = bytes;
        for (qsizetype i = 4000; i < damaged.size(); i += 7)
            damaged[i] = char(damaged[i] ^ 0x5a);
        for (const QByteArray &data : {QByteArray(), QByteArray(5000, 'x'), bytes.left(60), damaged})
            QCOMPARE(resources::decodeVorbis(data).frames(), qsizetype(0));
        QVERIFY(resources::decodeVorbis(bytes.left(bytes.size() / 2)).frames() < resources::sound(204).frames());
    }
};

QTEST_MAIN(TestPhrases)
#include "tst_phrases.moc"
