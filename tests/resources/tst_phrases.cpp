// SPDX-FileCopyrightText: 2026 Les Ateliers Calivento
//
// SPDX-License-Identifier: GPL-3.0-or-later

// The instruments' phrases as the sound engine gets them: one for each instrument, sounding in
// that instrument's range and above or below its neighbours as it should, all equally loud and
// clean at the edges. A phrase filed under the wrong instrument fails here.
#include "resources/sounds.h"
#include "resources/vorbis.h"
#include "screens/game/catalogue.h"

#include <QFile>
#include <QtTest>

#include <algorithm>
#include <cmath>
#include <complex>

namespace {

using resources::Pcm;
constexpr double rate = resources::pcmRate;

int rowOf(std::string_view file)
{
    for (int row = 0; row < game::instrumentCount; ++row)
        if (game::catalogue[std::size_t(row)].file == file)
            return row;
    return -1;
}

const Pcm &phraseOf(const QString &file)
{
    return resources::sound(200 + rowOf(file.toStdString()));
}

std::vector<double> mono(const Pcm &pcm)
{
    std::vector<double> x(std::size_t(pcm.frames()));
    for (std::size_t i = 0; i < x.size(); ++i)
        x[i] = (pcm.samples[2 * i] + pcm.samples[2 * i + 1]) / 65536.0;
    return x;
}

void fft(std::vector<std::complex<double>> &a, bool inverse = false)
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
        const std::complex<double> w = std::polar(1.0, (inverse ? 2 : -2) * M_PI / double(len));
        for (std::size_t i = 0; i < n; i += len) {
            std::complex<double> wk = 1;
            for (std::size_t k = 0; k < len / 2; ++k, wk *= w) {
                const std::complex<double> u = a[i + k], v = a[i + k + len / 2] * wk;
                a[i + k] = u + v;
                a[i + k + len / 2] = u - v;
            }
        }
    }
}

constexpr std::size_t frame = 4096;

// The median over the sounding frames of each frame's pitch in Hz, found as the first peak of
// the normalised square difference close to its highest (McLeod's method); 0 if none is clear.
double medianPitch(const Pcm &pcm)
{
    const std::vector<double> x = mono(pcm);
    double loudest = 0;
    for (std::size_t at = 0; at + frame <= x.size(); at += frame)
        loudest = std::max(loudest, std::inner_product(&x[at], &x[at] + frame, &x[at], 0.0));
    std::vector<double> pitches;
    for (std::size_t at = 0; at + frame <= x.size(); at += frame) {
        std::vector<double> squares{0};
        for (std::size_t j = 0; j < frame; ++j)
            squares.push_back(squares.back() + x[at + j] * x[at + j]);
        if (squares.back() < loudest / 100)
            continue;
        std::vector<std::complex<double>> a(2 * frame);
        std::copy(&x[at], &x[at] + frame, a.begin());
        fft(a);
        for (auto &c : a)
            c = std::norm(c);
        fft(a, true);
        const std::size_t lo = std::size_t(rate / 5000), hi = std::size_t(rate / 27);
        std::vector<double> nsdf(hi + 2);
        for (std::size_t t = lo; t < hi + 2; ++t)
            nsdf[t] = 2 * a[t].real() / double(2 * frame) / (squares[frame - t] + squares[frame] - squares[t]);
        std::vector<std::size_t> peaks; // the top of each positive lobe after the first dip
        for (std::size_t t = lo + 1; t <= hi; ++t) {
            if (nsdf[t] > 0 && nsdf[t - 1] <= 0)
                peaks.push_back(t);
            else if (nsdf[t] > 0 && !peaks.empty() && nsdf[t] > nsdf[peaks.back()])
                peaks.back() = t;
        }
        double best = 0;
        for (std::size_t t : peaks)
            best = std::max(best, nsdf[t]);
        if (best < 0.6)
            continue;
        const std::size_t t =
            *std::find_if(peaks.begin(), peaks.end(), [&](std::size_t p) { return nsdf[p] >= 0.8 * best; });
        const double l = nsdf[t - 1], c = nsdf[t], r = nsdf[t + 1];
        const double shift = (l - r) / (2 * (l - 2 * c + r));
        pitches.push_back(rate / (double(t) + (std::isfinite(shift) ? shift : 0)));
    }
    if (pitches.empty())
        return 0;
    std::nth_element(pitches.begin(), pitches.begin() + qsizetype(pitches.size() / 2), pitches.end());
    return pitches[pitches.size() / 2];
}

// Where the energy of the whole phrase lies, in Hz.
double centroid(const Pcm &pcm)
{
    const std::vector<double> x = mono(pcm);
    double weighted = 0, total = 0;
    for (std::size_t at = 0; at + frame <= x.size(); at += frame) {
        std::vector<std::complex<double>> a(frame);
        for (std::size_t j = 0; j < frame; ++j)
            a[j] = x[at + j] * (0.5 - 0.5 * std::cos(2 * M_PI * double(j) / frame));
        fft(a);
        for (std::size_t k = 1; k < frame / 2; ++k)
            weighted += std::norm(a[k]) * double(k) * rate / frame, total += std::norm(a[k]);
    }
    return weighted / total;
}

// RMS in dBFS over 50 ms windows within 30 dB of the loudest one: the sounding part.
double loudness(const Pcm &pcm)
{
    const qsizetype window = qsizetype(rate / 20) * 2;
    std::vector<double> windows;
    for (qsizetype at = 0; at + window <= qsizetype(pcm.samples.size()); at += window) {
        double sum = 0;
        for (qsizetype i = at; i < at + window; ++i)
            sum += double(pcm.samples[std::size_t(i)]) * pcm.samples[std::size_t(i)];
        windows.push_back(sum / double(window) / (32768.0 * 32768.0));
    }
    const double loudest = *std::max_element(windows.begin(), windows.end());
    double sum = 0;
    int kept = 0;
    for (double w : windows)
        if (w >= loudest / 1000)
            sum += w, ++kept;
    return 10 * std::log10(sum / kept);
}

double hz(int key)
{
    return 440 * std::pow(2.0, (key - 69) / 12.0);
}

} // namespace

class TestPhrases : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase() { Q_INIT_RESOURCE(calivento); }

    void phrase_data()
    {
        QTest::addColumn<int>("row");
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
            QTest::newRow(r.file) << rowOf(r.file) << r.lowest << r.highest;
    }
    void phrase()
    {
        QFETCH(int, row);
        QFETCH(int, lowest);
        QFETCH(int, highest);
        QVERIFY(row >= 0);
        const Pcm &pcm = resources::sound(200 + row);
        const double seconds = double(pcm.frames()) / rate;
        QVERIFY2(seconds >= 1.5 && seconds <= 4.0, qPrintable(QString::number(seconds)));
        const auto peak = std::abs(*std::max_element(pcm.samples.begin(), pcm.samples.end(),
                                                     [](qint16 a, qint16 b) { return std::abs(a) < std::abs(b); }));
        QVERIFY2(peak <= 29204, qPrintable(QString::number(peak))); // -1 dBFS
        const double db = loudness(pcm);
        QVERIFY2(std::abs(db + 20) <= 0.75, qPrintable(QString::number(db))); // all within 1.5 dB
        for (int i = 0; i < int(rate) * 2 / 1000 * 2; ++i) {
            QVERIFY2(std::abs(pcm.samples[std::size_t(i)]) < 330, "click at the start");
            QVERIFY2(std::abs(pcm.samples[pcm.samples.size() - 1 - std::size_t(i)]) < 330, "click at the end");
        }
        if (lowest) {
            const double pitch = medianPitch(pcm);
            QVERIFY2(pitch >= hz(lowest) * 0.97 && pitch <= hz(highest) * 1.03, qPrintable(QString::number(pitch)));
        }
    }

    // Each instrument against its neighbours: by pitch, and the drums by brightness.
    void order_data()
    {
        QTest::addColumn<QString>("higher");
        QTest::addColumn<QString>("lower");
        QTest::addColumn<bool>("pitched");
        const struct {
            const char *higher, *lower;
            bool pitched;
        } pairs[] = {
            {"piccolo", "flute", true},
            {"violon", "alto", true},
            {"alto", "violoncelle", true},
            {"violoncelle", "contrebasse", true},
            {"clarinette", "clarinette_basse", true},
            {"basson", "ct_basson", true},
            {"trompette", "trombone", true},
            {"trombone", "tuba", true},
            {"cymbales", "cclaire", false},
            {"cclaire", "gcaisse", false},
        };
        for (const auto &p : pairs)
            QTest::newRow(qPrintable(QStringLiteral("%1>%2").arg(p.higher, p.lower)))
                << p.higher << p.lower << p.pitched;
    }
    void order()
    {
        QFETCH(QString, higher);
        QFETCH(QString, lower);
        QFETCH(bool, pitched);
        const auto measure = pitched ? medianPitch : centroid;
        const double high = measure(phraseOf(higher)), low = measure(phraseOf(lower));
        QVERIFY2(low > 0 && high > low * 1.1, qPrintable(QStringLiteral("%1 / %2").arg(high).arg(low)));
    }

    void eachPhraseItsOwn()
    {
        QSet<QByteArray> seen;
        for (int row = 0; row < game::instrumentCount; ++row) {
            const Pcm &pcm = resources::sound(200 + row);
            seen.insert(
                QByteArray(reinterpret_cast<const char *>(pcm.samples.data()), qsizetype(pcm.samples.size()) * 2));
        }
        QCOMPARE(seen.size(), game::instrumentCount);
        QCOMPARE(&resources::sound(204), &resources::sound(204)); // decoded once
    }

    void badInputGivesSilence()
    {
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
