// SPDX-FileCopyrightText: 2026 Les Ateliers Calivento
//
// SPDX-License-Identifier: GPL-3.0-or-later

// The sounds as the engine gets them, in its one format: the chime, the fanfare and each
// instrument's phrase, unclipped and without a click, every phrase in its instrument's range; each
// phrase at the one loudness, ending by itself, playing the notes its table asks; a slower rate raised
// without distortion; bad files and unknown numbers silent.
#include "hearing.h"
#include "phrases.h"
#include "resources/sounds.h"
#include "resources/vorbis.h"
#include "screens/game/catalogue.h"
#include "support/fakes.h"

#include <QtEndian>
#include <QtTest>
#include <algorithm>
#include <cmath>
#include <ebur128.h>
#include <numbers>
#include <span>

namespace {
constexpr int rate = resources::pcmRate;

QByteArray le(quint32 value, int bytes)
{
    const quint32 little = qToLittleEndian(value);
    return QByteArray(reinterpret_cast<const char *>(&little), bytes);
}

// A WAVE file of 16-bit samples with the given format fields, and optional chunks before "data".
QByteArray wav(int format, int channels, int hz, const QList<qint16> &samples, const QByteArray &extra = {})
{
    QByteArray data;
    for (qint16 s : samples)
        data += le(quint16(s), 2);
    const QByteArray fmt = "fmt " + le(16, 4) + le(format, 2) + le(channels, 2) + le(hz, 4) + le(hz * channels * 2, 4) +
                           le(channels * 2, 2) + le(16, 2);
    const QByteArray body = "WAVE" + fmt + extra + "data" + le(data.size(), 4) + data;
    return "RIFF" + le(body.size(), 4) + body;
}

std::vector<double> mono(const resources::Pcm &pcm)
{
    std::vector<double> x(std::size_t(pcm.frames()));
    for (std::size_t i = 0; i < x.size(); ++i)
        x[i] = pcm.samples[2 * i] + pcm.samples[2 * i + 1];
    return x;
}

} // namespace

class TestSounds : public QObject
{
    Q_OBJECT
private slots:
    // The chime, the fanfare and each phrase unclipped and without a click; each phrase's table
    // written in its instrument's range (phrasesAsWritten hears the notes played).
    void cleanAndInItsRange_data()
    {
        QTest::addColumn<int>("id");
        QTest::addColumn<int>("lowest"); // the real instrument's sounding range, as keys; 0: no pitch
        QTest::addColumn<int>("highest");
        QTest::newRow("drop") << 103 << 0 << 0;
        QTest::newRow("win") << 101 << 0 << 0;
        const struct {
            const char *file;
            int lowest, highest;
        } ranges[] = {
            {"violon", 55, 105},  {"alto", 48, 88},        {"violoncelle", 36, 81}, {"contrebasse", 28, 55},
            {"harpe", 24, 103},   {"piano", 21, 108},      {"flute", 60, 96},       {"piccolo", 74, 108},
            {"hautbois", 58, 93}, {"cor_anglais", 52, 84}, {"clarinette", 52, 96},  {"clarinette_basse", 34, 79},
            {"basson", 34, 76},   {"ct_basson", 22, 55},   {"saxophone", 49, 80},   {"trompette", 54, 86},
            {"trombone", 40, 77}, {"cor", 35, 77},         {"tuba", 26, 65},        {"tambourin", 65, 108},
            {"timbales", 36, 60}, {"cclaire", 0, 0},       {"cymbales", 0, 0},      {"gcaisse", 0, 0},
        };
        QCOMPARE(std::size(ranges), std::size_t(game::instrumentCount));
        for (const auto &r : ranges) {
            const auto at = std::ranges::find(game::catalogue, std::string_view(r.file), &game::Instrument::file);
            QTest::newRow(r.file) << 200 + int(at - game::catalogue.begin()) << r.lowest << r.highest;
        }
    }
    void cleanAndInItsRange()
    {
        QFETCH(int, id);
        QFETCH(int, lowest);
        QFETCH(int, highest);
        const resources::Pcm &pcm = resources::sound(id);
        const std::span<const qint16> samples(pcm.samples);
        const auto loud = [](qint16 sample) { return std::abs(int(sample)); };
        const auto peak = [&](std::span<const qint16> part) { return loud(std::ranges::max(part, {}, loud)); };
        QVERIFY2(pcm.frames() > rate, qPrintable(QString::number(pcm.frames())));     // long enough to be told
        QVERIFY2(peak(samples) <= 29204, qPrintable(QString::number(peak(samples)))); // -1 dBFS
        // No click: the first and last 2 ms stay near silence.
        QVERIFY(peak(samples.first(rate / 250)) < 330 && peak(samples.last(rate / 250)) < 330);
        if (lowest)
            for (const phrases::Note &n : phrases::table[std::size_t(id - 200)].notes)
                QVERIFY2(n.key >= lowest && n.key <= highest, qPrintable(QString::number(n.key)));
    }

    // Each phrase as the ear meets it: at the one loudness (ITU-R BS.1770) with its true peak under
    // -1 dBFS; over by itself within 1.5 to 4 s, its last 50 ms already 40 dB under its peak (a
    // phrase cut short would be faded while still sounding); and each note its table writes heard
    // there, within a quarter tone (a wrong key, a sample out of tune or an octave astray fails).
    void phrasesAsWritten_data()
    {
        QTest::addColumn<int>("row");
        for (int row = 0; row < game::instrumentCount; ++row)
            QTest::newRow(phrases::table[std::size_t(row)].file) << row;
    }
    void phrasesAsWritten()
    {
        QFETCH(int, row);
        const phrases::Phrase &p = phrases::table[std::size_t(row)];
        QCOMPARE(std::string_view(p.file), std::string_view(game::catalogue[std::size_t(row)].file));
        const resources::Pcm &pcm = resources::sound(200 + row);
        const double seconds = double(pcm.frames()) / rate;
        QVERIFY2(seconds >= 1.5 && seconds <= 4.0, qPrintable(QString::number(seconds)));

        ebur128_state *st = ebur128_init(2, rate, EBUR128_MODE_I | EBUR128_MODE_TRUE_PEAK);
        ebur128_add_frames_short(st, pcm.samples.data(), std::size_t(pcm.frames()));
        double lufs = 0, left = 0, right = 0;
        ebur128_loudness_global(st, &lufs);
        ebur128_true_peak(st, 0, &left);
        ebur128_true_peak(st, 1, &right);
        ebur128_destroy(&st);
        QVERIFY2(std::abs(lufs - phrases::loudness) <= 1, qPrintable(QString::number(lufs)));
        QVERIFY2(20 * std::log10(std::max(left, right)) <= -1, qPrintable(QString::number(std::max(left, right))));

        const std::vector<double> x = mono(pcm);
        const auto loudest = [](std::span<const double> part) {
            return std::abs(*std::ranges::max_element(part, {}, [](double v) { return std::abs(v); }));
        };
        const double peak = loudest(x), end = loudest(std::span(x).last(rate / 20));
        QVERIFY2(end <= peak / 100, qPrintable(QStringLiteral("%1 dB").arg(20 * std::log10(end / peak))));

        for (const hearing::Listening &l : hearing::listenings(p)) {
            const auto at = [&](double s) { return std::min(x.size(), std::size_t(s * rate)); };
            const std::span<const double> part(x.data() + at(l.from), at(l.to) - at(l.from));
            const double heard = hearing::strongestPitch(part, rate, l.hz, l.others, hearing::harmonicsOf(p));
            const double cents = 1200 * std::log2(heard / l.hz);
            QVERIFY2(std::abs(cents) <= 50, qPrintable(QStringLiteral("key %1 at %2 s: %3 Hz, %4 cents")
                                                           .arg(l.key)
                                                           .arg(l.from, 0, 'f', 2)
                                                           .arg(heard, 0, 'f', 1)
                                                           .arg(cents, 0, 'f', 0)));
        }
    }

    void slowerRateIsRaisedCleanly()
    {
        // A 1 kHz tone at 22,050 Hz, the right channel upside down: raised to 44,100 Hz, the new
        // frames lie on the tone itself, where a straight line between samples would miss by far more.
        const auto tone = [](double seconds) { return 10000 * std::sin(2 * std::numbers::pi * 1000 * seconds); };
        QList<qint16> data;
        for (int i = 0; i < 2205; ++i)
            data << qint16(std::lround(tone(i / 22050.0))) << qint16(-std::lround(tone(i / 22050.0)));
        const resources::Pcm pcm = resources::decodeWav(wav(1, 2, 22050, data));
        QCOMPARE(pcm.frames(), qsizetype(4410));
        double worst = 0;
        for (qsizetype f = 64; f < pcm.frames() - 64; ++f) {
            QCOMPARE(pcm.samples[size_t(2 * f + 1)], -pcm.samples[size_t(2 * f)]);
            worst = std::max(worst, std::abs(pcm.samples[size_t(2 * f)] - tone(double(f) / rate)));
        }
        QVERIFY2(worst < 4, qPrintable(QString::number(worst)));
    }

    // A good file in full, a file cut short up to its last whole frame, anything else silent.
    void waveFile_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QList<qint16>>("expected");
        const QByteArray stereo = wav(1, 2, rate, {100, -100, 200, -200});
        QTest::newRow("mono, an odd chunk before the data")
            << wav(1, 1, rate, {100, -200}, "LIST" + le(3, 4) + QByteArray("abc\0", 4))
            << QList<qint16>{100, 100, -200, -200};
        QTest::newRow("cut short in a frame") << stereo.chopped(3) << QList<qint16>{100, -100};
        QTest::newRow("not a WAVE") << QByteArray("RIFF\x10\0\0\0AVI LIST\0\0\0\0", 20) << QList<qint16>();
        QTest::newRow("a chunk longer than the file")
            << stereo.left(36) + "LIST" + le(0xFFFFFFF0u, 4) << QList<qint16>();
    }
    void waveFile()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QList<qint16>, expected);
        const resources::Pcm pcm = resources::decodeWav(bytes);
        QCOMPARE(QList<qint16>(pcm.samples.begin(), pcm.samples.end()), expected);
    }

    // A stream whose headers cannot be read is silent; one cut short gives what it holds, one
    // damaged in the middle all but its damaged page: the phrase plays with a gap.
    void brokenPhrasesAndUnknownNumbers()
    {
        QCOMPARE(resources::decodeVorbis(QByteArray(5000, 'x')).frames(), qsizetype(0));
        const QByteArray bytes = fakes::contentOf(QStringLiteral(":/sounds/phrases/204.ogg"));
        const qsizetype whole = resources::sound(204).frames();
        const qsizetype cut = resources::decodeVorbis(bytes.left(bytes.size() / 2)).frames();
        QVERIFY2(cut > 0 && cut < whole, qPrintable(QString::number(cut)));
        QByteArray damaged = bytes;
        for (qsizetype i = bytes.size() / 2; i < bytes.size() / 2 + 40; ++i)
            damaged[i] = char(damaged[i] ^ 0x5a);
        const qsizetype kept = resources::decodeVorbis(damaged).frames();
        QVERIFY2(kept > whole * 8 / 10 && kept <= whole, qPrintable(QStringLiteral("%1 of %2").arg(kept).arg(whole)));
        for (int id : {102, 224})
            QCOMPARE(resources::sound(id).frames(), qsizetype(0));
    }
};

QTEST_GUILESS_MAIN(TestSounds)
#include "tst_sounds.moc"
