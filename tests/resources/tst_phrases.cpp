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

namespace {
using resources::Pcm;
constexpr int rate = resources::pcmRate;

const Pcm &phraseOf(const char *file)
{
    for (int row = 0; row < game::instrumentCount; ++row)
        if (game::catalogue[std::size_t(row)].file == std::string_view(file))
            return resources::sound(200 + row);
    return resources::sound(-1);
}

std::vector<double> mono(const Pcm &pcm)
{
    std::vector<double> x(std::size_t(pcm.frames()));
    for (std::size_t i = 0; i < x.size(); ++i)
        x[i] = pcm.samples[2 * i] + pcm.samples[2 * i + 1];
    return x;
}

double energy(const double *x, int n)
{
    return std::inner_product(x, x + n, x, 0.0);
}

// The median pitch in Hz of nine frames spread over the sounding part: per frame, the shortest
// lag whose normalised autocorrelation comes within 20 % of the best one (27 Hz to 5 kHz).
double medianPitch(const Pcm &pcm)
{
    constexpr int window = 2048, lo = rate / 5000, hi = rate / 27;
    const std::vector<double> x = mono(pcm);
    std::vector<int> sounding;
    for (int at = 0; at + window + hi < int(x.size()); at += window / 2)
        sounding.push_back(at);
    const double loudest = std::ranges::max(sounding, {}, [&](int at) { return energy(&x[at], window); });
    std::erase_if(sounding, [&](int at) { return energy(&x[at], window) < energy(&x[loudest], window) / 100; });
    std::vector<double> pitches;
    for (int k = 1; k <= 9 && !sounding.empty(); ++k) {
        const double *f = &x[sounding[sounding.size() * k / 10]];
        std::vector<double> r(hi + 1);
        for (int t = lo; t <= hi; ++t)
            r[t] = std::inner_product(f, f + window, f + t, 0.0) / std::sqrt(energy(f, window) * energy(f + t, window));
        const auto dip = std::find_if(r.begin() + lo, r.end(), [](double v) { return v < 0; });
        if (dip == r.end())
            continue;
        const double best = *std::max_element(dip, r.end());
        for (int t = int(dip - r.begin()); t < hi; ++t)
            if (best > 0.5 && r[t] >= 0.8 * best && r[t] >= r[t + 1]) {
                pitches.push_back(double(rate) / t);
                break;
            }
    }
    if (pitches.empty())
        return 0;
    std::ranges::nth_element(pitches, pitches.begin() + qsizetype(pitches.size() / 2));
    return pitches[pitches.size() / 2];
}

// Brightness: the spectral centroid of the power spectrum's second moment, which by Parseval is
// the energy of the signal's slope against its own, in Hz.
double centroid(const Pcm &pcm)
{
    const std::vector<double> x = mono(pcm);
    double slope = 0;
    for (std::size_t i = 1; i < x.size(); ++i)
        slope += (x[i] - x[i - 1]) * (x[i] - x[i - 1]);
    return rate / (2 * M_PI) * std::sqrt(slope / energy(x.data(), int(x.size())));
}

// RMS in dBFS over 50 ms windows within 30 dB of the loudest one: the sounding part.
double loudness(const Pcm &pcm)
{
    std::vector<double> windows;
    for (std::size_t at = 0; at + rate / 10 <= pcm.samples.size(); at += rate / 10)
        windows.push_back(std::inner_product(&pcm.samples[at], &pcm.samples[at] + rate / 10, &pcm.samples[at], 0.0) /
                          (rate / 10) / (32768.0 * 32768.0));
    const double loudest = std::ranges::max(windows);
    std::erase_if(windows, [&](double w) { return w < loudest / 1000; });
    return 10 * std::log10(std::accumulate(windows.begin(), windows.end(), 0.0) / double(windows.size()));
}
} // namespace

class TestPhrases : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase() { Q_INIT_RESOURCE(calivento); }

    void phrase_data()
    {
        QTest::addColumn<int>("lowest"); // the real instrument's sounding range, as keys; 0: no pitch
        QTest::addColumn<int>("highest");
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
        for (const auto &r : ranges)
            QTest::newRow(r.file) << r.lowest << r.highest;
    }
    void phrase()
    {
        QFETCH(int, lowest);
        QFETCH(int, highest);
        const Pcm &pcm = phraseOf(QTest::currentDataTag());
        const double seconds = double(pcm.frames()) / rate;
        QVERIFY2(seconds >= 1.5 && seconds <= 4.0, qPrintable(QString::number(seconds)));
        QVERIFY2(fakes::peak(pcm) <= 29204, qPrintable(QString::number(fakes::peak(pcm))));         // -1 dBFS
        QVERIFY2(std::abs(loudness(pcm) + 20) <= 0.75, qPrintable(QString::number(loudness(pcm)))); // all within 1.5 dB
        QVERIFY(fakes::quietEdges(pcm));
        const auto hz = [](int key) { return 440 * std::pow(2.0, (key - 69) / 12.0); };
        const double pitch = medianPitch(pcm);
        QVERIFY2(!lowest || (pitch >= hz(lowest) * 0.97 && pitch <= hz(highest) * 1.03),
                 qPrintable(QString::number(pitch)));
    }

    // Each instrument against its neighbours: by pitch, and the drums by brightness.
    void order_data()
    {
        QTest::addColumn<QByteArray>("higher");
        QTest::addColumn<QByteArray>("lower");
        for (const char *pair : {"piccolo>flute", "violon>alto", "alto>violoncelle", "violoncelle>contrebasse",
                                 "clarinette>clarinette_basse", "basson>ct_basson", "trompette>trombone",
                                 "trombone>tuba", "cymbales>cclaire", "cclaire>gcaisse"}) {
            const QList<QByteArray> two = QByteArray(pair).split('>');
            QTest::newRow(pair) << two[0] << two[1];
        }
    }
    void order()
    {
        QFETCH(QByteArray, higher);
        QFETCH(QByteArray, lower);
        const bool drums = higher == "cymbales" || higher == "cclaire";
        const auto measure = drums ? centroid : medianPitch;
        const double high = measure(phraseOf(higher)), low = measure(phraseOf(lower));
        QVERIFY2(low > 0 && high > low * 1.1, qPrintable(QStringLiteral("%1 / %2").arg(high).arg(low)));
    }

    void eachPhraseItsOwnAndBadInputGivesSilence()
    {
        QSet<QByteArray> seen;
        for (int row = 0; row < game::instrumentCount; ++row)
            seen << QByteArray::fromRawData(reinterpret_cast<const char *>(resources::sound(200 + row).samples.data()),
                                            qsizetype(resources::sound(200 + row).samples.size()) * 2);
        QCOMPARE(seen.size(), game::instrumentCount);
        QCOMPARE(&resources::sound(204), &resources::sound(204)); // decoded once
        for (int id : {-1, 0, 199, 224, 100000})
            QVERIFY(resources::sound(id).samples.empty());
        QFile file(QStringLiteral(":/sounds/phrases/204.ogg"));
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QByteArray bytes = file.readAll();
        QByteArray damaged = bytes;
        for (qsizetype i = 4000; i < damaged.size(); i += 7)
            damaged[i] = char(damaged[i] ^ 0x5a);
        for (const QByteArray &data :
             {QByteArray(), QByteArray(5000, 'x'), bytes.left(60), damaged, bytes.left(bytes.size() / 2)})
            QVERIFY(resources::decodeVorbis(data).frames() < resources::sound(204).frames());
    }
};

QTEST_MAIN(TestPhrases)
#include "tst_phrases.moc"
