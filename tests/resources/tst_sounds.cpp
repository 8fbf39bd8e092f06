// The two jingles ship inside the binary; check they are the clean, playable PCM we expect.
#include <QFile>
#include <QtEndian>
#include <QtTest>

#include <algorithm>
#include <cstdlib>

class TestSounds : public QObject
{
    Q_OBJECT

private slots:
    void wav_data();
    void wav();
};

void TestSounds::wav_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<int>("rate");
    QTest::addColumn<double>("seconds");

    QTest::newRow("drop") << QStringLiteral(":/sounds/drop.wav") << 44100 << 1.8;
    QTest::newRow("win") << QStringLiteral(":/sounds/win.wav") << 22050 << 7.8;
}

void TestSounds::wav()
{
    QFETCH(QString, path);
    QFETCH(int, rate);
    QFETCH(double, seconds);

    QFile file(path);
    QVERIFY2(file.open(QIODevice::ReadOnly), qPrintable(path));
    const QByteArray bytes = file.readAll();
    QVERIFY(bytes.size() > 44);
    const auto *raw = reinterpret_cast<const uchar *>(bytes.constData());
    const auto u16 = [raw](int at) { return qFromLittleEndian<quint16>(raw + at); };
    const auto u32 = [raw](int at) { return qFromLittleEndian<quint32>(raw + at); };

    QCOMPARE(bytes.mid(0, 4), QByteArray("RIFF"));
    QCOMPARE(bytes.mid(8, 4), QByteArray("WAVE"));
    QCOMPARE(bytes.mid(12, 4), QByteArray("fmt "));
    QCOMPARE(u32(16), 16u);
    QCOMPARE(u16(20), quint16(1)); // PCM
    QCOMPARE(u16(22), quint16(2)); // stereo
    QCOMPARE(u32(24), quint32(rate));
    QCOMPARE(u16(34), quint16(16));
    QCOMPARE(bytes.mid(36, 4), QByteArray("data"));
    const quint32 dataBytes = u32(40);
    QVERIFY(44 + qint64(dataBytes) <= bytes.size());

    const int samples = int(dataBytes / 2);
    const int frames = samples / 2;
    const double duration = double(frames) / rate;
    QVERIFY2(std::abs(duration - seconds) <= 0.05 * seconds, qPrintable(QString::number(duration)));

    const auto sample = [raw](int i) { return int(qFromLittleEndian<qint16>(raw + 44 + 2 * i)); };
    int peak = 0;
    for (int i = 0; i < samples; ++i)
        peak = std::max(peak, std::abs(sample(i)));
    QVERIFY2(peak < 32767, "clipped");
    QVERIFY2(peak > 23197, "too quiet"); // -3 dBFS

    // The first and last 2 ms must be near silence, or the sound clicks.
    const int edge = rate * 2 / 1000 * 2;
    for (int i = 0; i < edge; ++i) {
        QVERIFY2(std::abs(sample(i)) < 330, "click at the start");
        QVERIFY2(std::abs(sample(samples - 1 - i)) < 330, "click at the end");
    }
}

QTEST_MAIN(TestSounds)
#include "tst_sounds.moc"
