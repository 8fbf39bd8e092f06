// SPDX-FileCopyrightText: 2026 Les Ateliers Calivento
//
// SPDX-License-Identifier: GPL-3.0-or-later

// The sounds decoded into the engine's one format: the embedded ones clean and of their length,
// a slower rate raised without distortion, every kind of bad WAVE file and unknown number.
#include "resources/sounds.h"
#include "support/fakes.h"

#include <QtEndian>
#include <QtTest>
#include <cmath>
#include <numbers>

namespace {

QByteArray le(quint32 value, int bytes)
{
    QByteArray out(bytes, '\0');
    for (int i = 0; i < bytes; ++i)
        out[i] = char(value >> (8 * i));
    return out;
}

// A WAVE file with the given format fields and samples, and optional chunks before "data".
QByteArray wav(int format, int channels, int rate, int bits, const QByteArray &data, const QByteArray &extra = {})
{
    const QByteArray fmt = "fmt " + le(16, 4) + le(format, 2) + le(channels, 2) + le(rate, 4) +
                           le(rate * channels * bits / 8, 4) + le(channels * bits / 8, 2) + le(bits, 2);
    const QByteArray body = "WAVE" + fmt + extra + "data" + le(data.size(), 4) + data;
    return "RIFF" + le(body.size(), 4) + body;
}

QByteArray samples(std::initializer_list<qint16> values)
{
    QByteArray out;
    for (qint16 v : values)
        out += le(quint16(v), 2);
    return out;
}

} // namespace

class TestSounds : public QObject
{
    Q_OBJECT
private slots:
    // The chime and the fanfare as the engine gets them: of their length, loud, unclipped, no click.
    void embedded_data()
    {
        QTest::addColumn<int>("id");
        QTest::addColumn<double>("seconds");
        QTest::newRow("drop") << 103 << 1.8;
        QTest::newRow("win") << 101 << 7.8;
    }
    void embedded()
    {
        QFETCH(int, id);
        QFETCH(double, seconds);
        const resources::Pcm &pcm = resources::sound(id);
        const double duration = double(pcm.frames()) / resources::pcmRate;
        QVERIFY2(std::abs(duration - seconds) <= 0.05 * seconds, qPrintable(QString::number(duration)));
        QVERIFY2(fakes::peak(pcm) < 32767 && fakes::peak(pcm) > 23197, "clipped or under -3 dBFS");
        QVERIFY2(fakes::quietEdges(pcm), "clicks");
    }

    void slowerRateIsRaisedCleanly()
    {
        // A 1 kHz tone at 22,050 Hz, the right channel upside down: raised to 44,100 Hz, the new
        // frames lie on the tone itself, where a straight line between samples would miss by far more.
        const auto tone = [](double seconds) { return 10000 * std::sin(2 * std::numbers::pi * 1000 * seconds); };
        QByteArray data;
        for (int i = 0; i < 2205; ++i) {
            const auto v = qint16(std::lround(tone(i / 22050.0)));
            data += samples({v, qint16(-v)});
        }
        const resources::Pcm pcm = resources::decodeWav(wav(1, 2, 22050, 16, data));
        QCOMPARE(pcm.frames(), qsizetype(4410));
        double worst = 0;
        for (qsizetype f = 64; f < pcm.frames() - 64; ++f) {
            QCOMPARE(pcm.samples[size_t(2 * f + 1)], -pcm.samples[size_t(2 * f)]);
            worst = std::max(worst, std::abs(pcm.samples[size_t(2 * f)] - tone(double(f) / resources::pcmRate)));
        }
        QVERIFY2(worst < 4, qPrintable(QString::number(worst)));
    }

    // A good file in full, a file cut short up to its last whole frame, anything else silent.
    void waveFile_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QList<qint16>>("expected");
        const QByteArray two = samples({100, -100, 200, -200}), stereo = wav(1, 2, 44100, 16, two);
        const QList<qint16> whole{100, -100, 200, -200}, none;
        QTest::newRow("whole") << stereo << whole;
        QTest::newRow("mono") << wav(1, 1, 44100, 16, samples({100, -200})) << QList<qint16>{100, 100, -200, -200};
        QTest::newRow("an odd chunk before the data")
            << wav(1, 2, 44100, 16, two, "LIST" + le(3, 4) + QByteArray("abc\0", 4)) << whole;
        QTest::newRow("cut short in a frame") << stereo.chopped(3) << QList<qint16>{100, -100};
        QTest::newRow("cut short in the header") << stereo.left(30) << none;
        QTest::newRow("empty") << QByteArray() << none;
        QTest::newRow("not a WAVE") << QByteArray("RIFF\x10\0\0\0AVI LIST\0\0\0\0", 20) << none;
        QTest::newRow("8 bits") << wav(1, 2, 44100, 8, "\x80\x80") << none;
        QTest::newRow("floating point") << wav(3, 2, 44100, 16, two) << none;
        QTest::newRow("three channels") << wav(1, 3, 44100, 16, samples({1, 2, 3})) << none;
        QTest::newRow("faster than the engine") << wav(1, 2, 48000, 16, two) << none;
        QTest::newRow("no rate") << wav(1, 2, 0, 16, two) << none;
        QTest::newRow("a chunk longer than the file") << stereo.left(36) + "LIST" + le(0xFFFFFFF0u, 4) << none;
    }
    void waveFile()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QList<qint16>, expected);
        const resources::Pcm pcm = resources::decodeWav(bytes);
        QCOMPARE(QList<qint16>(pcm.samples.begin(), pcm.samples.end()), expected);
    }

    void unknownIdsAreSilentKnownOnesDecodedOnce()
    {
        for (int id : {-1, 0, 102, 104, 199, 224, 100000})
            QCOMPARE(resources::sound(id).frames(), qsizetype(0));
        for (int id : {101, 103, 204})
            QCOMPARE(&resources::sound(id), &resources::sound(id));
    }
};

QTEST_GUILESS_MAIN(TestSounds)
#include "tst_sounds.moc"
