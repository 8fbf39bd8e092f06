// SPDX-FileCopyrightText: 2026 Les Ateliers Calivento
//
// SPDX-License-Identifier: GPL-3.0-or-later

// The sounds decoded into the engine's one format: the embedded ones sample for sample, a
// slower rate raised without distortion, and every kind of bad WAVE file.
#include "resources/sounds.h"

#include <QFile>
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
    void embedded_data()
    {
        QTest::addColumn<int>("id");
        QTest::addColumn<QString>("path");
        QTest::addColumn<int>("rate");
        QTest::newRow("drop") << 103 << QStringLiteral(":/sounds/drop.wav") << 44100;
        QTest::newRow("win") << 101 << QStringLiteral(":/sounds/win.wav") << 22050;
    }
    void embedded()
    {
        QFETCH(int, id);
        QFETCH(QString, path);
        QFETCH(int, rate);
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QByteArray bytes = file.readAll();
        const qsizetype frames = qFromLittleEndian<quint32>(bytes.constData() + 40) / 4;
        const auto *raw = reinterpret_cast<const uchar *>(bytes.constData() + 44);

        const resources::Pcm &pcm = resources::sound(id);
        QCOMPARE(&resources::sound(id), &pcm); // decoded once
        const int factor = resources::pcmRate / rate;
        QCOMPARE(pcm.frames(), frames * factor);
        // Every source frame is kept as it is; the frames in between are new.
        for (qsizetype i = 0; i < frames * 2; ++i)
            QCOMPARE(pcm.samples[size_t(i / 2 * factor * 2 + i % 2)], qFromLittleEndian<qint16>(raw + 2 * i));
    }

    void slowerRateIsRaisedCleanly()
    {
        // A 1 kHz tone at 22,050 Hz, mono: raised to 44,100 Hz stereo, the new frames lie on
        // the tone itself, where a straight line between samples would miss by far more.
        const int rate = 22050;
        const double amplitude = 10000;
        QByteArray data;
        for (int i = 0; i < rate / 10; ++i)
            data += samples({qint16(std::lround(amplitude * std::sin(2 * std::numbers::pi * 1000 * i / rate)))});
        const resources::Pcm pcm = resources::decodeWav(wav(1, 1, rate, 16, data));
        QCOMPARE(pcm.frames(), qsizetype(rate / 10 * 2));
        double worst = 0;
        for (qsizetype f = 64; f < pcm.frames() - 64; ++f) {
            const double truth = amplitude * std::sin(2 * std::numbers::pi * 1000 * double(f) / resources::pcmRate);
            QCOMPARE(pcm.samples[size_t(2 * f)], pcm.samples[size_t(2 * f + 1)]);
            worst = std::max(worst, std::abs(pcm.samples[size_t(2 * f)] - truth));
        }
        QVERIFY2(worst < 4, qPrintable(QString::number(worst)));
    }

    void badFiles_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QList<qint16>>("expected");
        const QByteArray two = samples({100, -100, 200, -200});
        QTest::newRow("whole") << wav(1, 2, 44100, 16, two) << QList<qint16>{100, -100, 200, -200};
        QTest::newRow("an odd chunk before the data")
            << wav(1, 2, 44100, 16, two, "LIST" + le(3, 4) + QByteArray("abc\0", 4))
            << QList<qint16>{100, -100, 200, -200};
        QTest::newRow("cut short in a frame") << wav(1, 2, 44100, 16, two).chopped(3) << QList<qint16>{100, -100};
        QTest::newRow("cut short in the header") << wav(1, 2, 44100, 16, two).left(30) << QList<qint16>{};
        QTest::newRow("empty") << QByteArray() << QList<qint16>{};
        QTest::newRow("not a WAVE") << QByteArray("RIFF\x10\0\0\0AVI LIST\0\0\0\0", 20) << QList<qint16>{};
        QTest::newRow("8 bits") << wav(1, 2, 44100, 8, "\x80\x80") << QList<qint16>{};
        QTest::newRow("floating point") << wav(3, 2, 44100, 16, two) << QList<qint16>{};
        QTest::newRow("three channels") << wav(1, 3, 44100, 16, samples({1, 2, 3})) << QList<qint16>{};
        QTest::newRow("faster than the engine") << wav(1, 2, 48000, 16, two) << QList<qint16>{};
        QTest::newRow("no rate") << wav(1, 2, 0, 16, two) << QList<qint16>{};
        QTest::newRow("a chunk longer than the file")
            << wav(1, 2, 44100, 16, two).left(36) + "LIST" + le(0xFFFFFFF0u, 4) << QList<qint16>{};
    }
    void badFiles()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QList<qint16>, expected);
        const resources::Pcm pcm = resources::decodeWav(bytes);
        QCOMPARE(QList<qint16>(pcm.samples.begin(), pcm.samples.end()), expected);
    }

    void unknownIdsAreSilent()
    {
        for (int id : {-1, 0, 102, 104, 105, 199})
            QCOMPARE(resources::sound(id).frames(), qsizetype(0));
    }
};

QTEST_GUILESS_MAIN(TestSounds)
#include "tst_sounds.moc"
