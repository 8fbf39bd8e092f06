// SPDX-FileCopyrightText: 2026 Les Ateliers Calivento
//
// SPDX-License-Identifier: GPL-3.0-or-later

// The sound engine: the mixer sample by sample, then the real audio device through a sound
// server of our own, one that is stopped, and none at all.
#include "app/platform/mixer.h"
#include "app/platform/sound_engine.h"

#include <QElapsedTimer>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>
#include <csignal>

using platform::Mixer;
using resources::Pcm;

namespace {

constexpr int ch = resources::pcmChannels;

// A sound whose every sample is different and never silent, so any shift or left-over shows.
Pcm ramp(qsizetype frames, int base)
{
    Pcm pcm;
    for (qsizetype i = 0; i < frames * ch; ++i)
        pcm.samples.push_back(static_cast<qint16>(base + i % 4000));
    return pcm;
}

// Renders in uneven pieces, as a device asks.
std::vector<qint16> render(Mixer &mixer, qsizetype frames)
{
    std::vector<qint16> out(static_cast<size_t>(frames * ch), qint16(12345));
    for (qsizetype done = 0; done < frames;) {
        const qsizetype n = std::min<qsizetype>(frames - done, 1 + (done * 7919) % 613);
        mixer.render(out.data() + done * ch, n);
        done += n;
    }
    return out;
}

// A PulseAudio of our own with a null sink; up() is false when none can be started here.
class Server
{
public:
    Server()
    {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("XDG_RUNTIME_DIR"), m_dir.path());
        env.insert(QStringLiteral("HOME"), m_dir.path());
        m_process.setProcessEnvironment(env);
        m_process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        m_process.start(
            QStringLiteral("pulseaudio"),
            QStringLiteral("-n --daemonize=no --exit-idle-time=-1 --log-level=error -L module-null-sink -L").split(' ')
                << "module-native-protocol-unix auth-anonymous=1 socket=" + socket());
        for (int i = 0; m_process.waitForStarted() && !up() && i < 500; ++i)
            QThread::msleep(20);
    }
    ~Server()
    {
        m_process.kill(); // stopped or not
        m_process.waitForFinished();
    }
    bool up() const { return m_process.state() == QProcess::Running && QFile::exists(socket()); }
    QString address() const { return "unix:" + socket(); }
    void freeze() { ::kill(static_cast<pid_t>(m_process.processId()), SIGSTOP); }

private:
    QString socket() const { return m_dir.filePath(QStringLiteral("native")); }
    QTemporaryDir m_dir;
    QProcess m_process;
};

enum { Own, None, Stopped };

} // namespace

class TestSound : public QObject
{
    Q_OBJECT
private slots:
    void playsAreWholeAndAlike()
    {
        const Pcm empty;
        const Pcm a = ramp(3000, 1000);
        Mixer mixer;
        mixer.play(&empty); // nothing to play is silence, and leaves nothing behind
        QCOMPARE(render(mixer, 50), std::vector<qint16>(50 * ch));
        mixer.stop();
        std::vector<qint16> whole = a.samples; // from the first sample to the last, then silence
        whole.resize(whole.size() + 1000 * ch);
        for (int play = 0; play < 3; ++play) {
            mixer.play(&a);
            QCOMPARE(render(mixer, a.frames() + 1000), whole);
            QVERIFY(mixer.silent());
        }
    }

    void cutFadesOut_data()
    {
        QTest::addColumn<bool>("toSilence");
        QTest::addColumn<bool>("twice");
        QTest::newRow("by another sound") << false << false;
        QTest::newRow("by a stop") << true << false;
        QTest::newRow("twice during the fade") << false << true;
    }
    void cutFadesOut()
    {
        QFETCH(bool, toSilence);
        QFETCH(bool, twice);
        const qint16 full = 30000;
        const Pcm loud{std::vector<qint16>(10000 * ch, full)};
        const Pcm next = ramp(2000, 500);
        const Pcm other = ramp(2000, -20000);
        Mixer mixer;
        mixer.play(&loud);
        QCOMPARE(render(mixer, 777).back(), full);

        mixer.play(twice ? &other : toSilence ? nullptr : &next);
        std::vector<qint16> out = render(mixer, Mixer::fadeFrames / 2);
        if (twice)
            mixer.play(&next); // the latest wins; the fade goes on where it was
        const std::vector<qint16> rest = render(mixer, Mixer::fadeFrames / 2 + Mixer::fadeFrames % 2 + 3000);
        out.insert(out.end(), rest.begin(), rest.end());

        // Down to silence by steps no bigger than one fade step, starting from where it was.
        const int step = full / Mixer::fadeFrames + 1;
        int previous = full;
        for (qsizetype f = 0; f < Mixer::fadeFrames; ++f) {
            const int s = out[static_cast<size_t>(f * ch)];
            QVERIFY2(s <= previous && previous - s <= step, qPrintable(QStringLiteral("frame %1: %2").arg(f).arg(s)));
            previous = s;
        }
        QVERIFY(previous <= step);
        // Then the new sound from its very first sample, or silence.
        const std::vector<qint16> after(out.begin() + Mixer::fadeFrames * ch,
                                        out.begin() + (Mixer::fadeFrames + 2000) * ch);
        QCOMPARE(after, toSilence ? std::vector<qint16>(after.size(), 0) : next.samples);
    }

    // Through the audio device, played as a game plays (the soak run makes it 200 plays): with a
    // server of our own every play reaches the device. With none, or one stopped (SIGSTOP) before
    // the game connects, the engine goes silent with one line at most and the program ends at once.
    // Plays always return at once.
    void theDeviceNeverHoldsTheGame_data()
    {
        QTest::addColumn<int>("server");
        QTest::newRow("own server") << int(Own);
        QTest::newRow("no server") << int(None);
        QTest::newRow("server stopped") << int(Stopped);
    }
    void theDeviceNeverHoldsTheGame()
    {
        QFETCH(int, server);
        Server pulse;
        if (server != None && !pulse.up())
            QSKIP("no PulseAudio to start here");
        if (server == Stopped)
            pulse.freeze();
        const int plays = server == Own ? std::max(10, qEnvironmentVariableIntValue("CALIVENTO_SOUND_PLAYS")) : 50;
        QProcess child;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("PULSE_SERVER"), server == None ? "unix:/nonexistent" : pulse.address());
        child.setProcessEnvironment(env);
        QElapsedTimer clock;
        clock.start();
        child.start(QCoreApplication::applicationFilePath(),
                    {"--child", QString::number(plays), server == Own ? "5000" : "0"});
        QVERIFY(child.waitForFinished(120000));
        QVERIFY2(server == Own || clock.elapsed() < 5000, qPrintable(QString::number(clock.elapsed())));
        // Qt's own device listing may race with a fresh server and say so; the engine says at most its one line.
        const QStringList err = QString::fromUtf8(child.readAllStandardError())
                                    .split('\n', Qt::SkipEmptyParts)
                                    .filter(QRegularExpression(QStringLiteral("^(?!PulseAudioService:)")));
        const bool crashed = child.exitStatus() == QProcess::CrashExit;
        QVERIFY2(!crashed && err.size() <= (server == Own ? 0 : 1),
                 qPrintable((crashed ? "crashed\n" : "") + err.join('\n')));
        QCOMPARE(child.readAllStandardOutput(),
                 QStringLiteral("started %1, dropped 0, slow plays 0\n").arg(server == Own ? plays : 0).toUtf8());
    }
};

// Plays as a game would, sounds cut short at varied points, each play waited for until its first
// sample went to the device (up to waitMs). A play is slow when it holds the game up noticeably.
int child(int plays, int waitMs)
{
    platform::SoundEngine engine;
    int slow = 0;
    for (int i = 0; i < plays; ++i) {
        const int before = engine.stats().started;
        QElapsedTimer clock;
        clock.start();
        engine.play(i % 7 == 6 ? 101 : 103);
        slow += clock.elapsed() > 50;
        while (engine.stats().started == before && engine.state() != platform::SoundEngine::State::Silent &&
               clock.elapsed() < waitMs)
            QThread::msleep(1);
        QCoreApplication::processEvents();
        QThread::msleep(i % 3 * 15);
    }
    std::printf("started %d, dropped %d, slow plays %d\n", engine.stats().started, engine.stats().dropped, slow);
    return 0;
}

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    if (argc == 4 && qstrcmp(argv[1], "--child") == 0)
        platform::endProcess(child(atoi(argv[2]), atoi(argv[3])));
    TestSound test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_sound.moc"
