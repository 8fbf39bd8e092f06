// SPDX-FileCopyrightText: 2026 Les Ateliers Calivento
//
// SPDX-License-Identifier: GPL-3.0-or-later

// The sound engine: the mixer sample by sample, then the real audio device through a sound
// server of our own, one that is stopped, and none at all; a decode that holds up nothing else.
#include "app/platform/mixer.h"
#include "app/platform/sound_engine.h"
#include "support/fakes.h"

#include <QElapsedTimer>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>
#include <atomic>
#include <csignal>
#include <ctime>
#include <pthread.h>
#include <thread>

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
            QStringLiteral(
                "-n --daemonize=no --exit-idle-time=-1 --enable-memfd=no --log-level=error -L module-null-sink -L")
                    .split(' ')
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
    QProcessEnvironment environment() const
    {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("PULSE_SERVER"), address());
        return env;
    }
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
    // A sound cut short fades to silence from where it was, then the next one plays from its very
    // first sample; a stop, or a sound with nothing in it, leaves silence.
    void cutFadesOut_data()
    {
        QTest::addColumn<QString>("by");
        for (const char *by : {"another sound", "a stop", "an empty sound", "twice during the fade"})
            QTest::newRow(by) << by;
    }
    void cutFadesOut()
    {
        QFETCH(QString, by);
        const bool twice = by.startsWith(QLatin1String("twice")), toSilence = !twice && by != "another sound";
        const qint16 full = 30000;
        const Pcm loud{std::vector<qint16>(10000 * ch, full)};
        const Pcm next = ramp(2000, 500);
        const Pcm other = ramp(2000, -20000);
        Mixer mixer;
        mixer.play(&loud);
        QCOMPARE(render(mixer, 777).back(), full);

        const Pcm empty;
        mixer.play(twice ? &other : by == QLatin1String("a stop") ? nullptr : toSilence ? &empty : &next);
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
        QVERIFY(std::all_of(out.begin() + (Mixer::fadeFrames + 2000) * ch, out.end(), [](qint16 s) { return !s; }));
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
        QProcessEnvironment env = pulse.environment();
        if (server == None)
            env.insert(QStringLiteral("PULSE_SERVER"), QStringLiteral("unix:/nonexistent"));
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

    // A thread frozen in the middle of decoding one phrase: a phrase decoded before still starts
    // at once, the device goes on pulling, and the frozen phrase starts once its decoding ends.
    void aDecodeHoldsUpNothingElse()
    {
        Server pulse;
        if (!pulse.up())
            QSKIP("no PulseAudio to start here");
        QProcess child;
        child.setProcessEnvironment(pulse.environment());
        child.start(QCoreApplication::applicationFilePath(), {"--decoding"});
        QVERIFY(child.waitForFinished(60000));
        QCOMPARE(child.readAllStandardOutput(),
                 QByteArray("decoded one started, the device pulled, the other waited, then started\n"));
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

namespace {

// A thread sent this signal stays where it was until thawed, locks and all.
std::atomic<bool> frozen{false};
void freezeHere(int)
{
    const timespec pause{0, 1'000'000};
    while (frozen.load())
        nanosleep(&pause, nullptr);
}

// Waits up to ms for the engine to start one more play than before; whether it did.
bool startedSince(const platform::SoundEngine &engine, int before, int ms)
{
    QElapsedTimer clock;
    clock.start();
    while (engine.stats().started == before && clock.elapsed() < ms)
        QThread::msleep(1);
    return engine.stats().started > before;
}

void waitReady(const platform::SoundEngine &engine)
{
    QElapsedTimer clock;
    clock.start();
    while (engine.state() == platform::SoundEngine::State::Starting && clock.elapsed() < 10000)
        QThread::msleep(5);
}

int decodingChild()
{
    platform::SoundEngine engine;
    waitReady(engine);
    const int decoded = 200;
    resources::sound(decoded);
    std::signal(SIGUSR1, freezeHere);
    // A phrase nobody decoded yet, caught in the middle of its decoding.
    for (int held = 201; held < 224; ++held) {
        std::atomic<bool> inside{false};
        std::thread decoder([&] {
            inside = true;
            resources::sound(held);
        });
        while (!inside)
            QThread::usleep(100);
        QThread::msleep(2);
        frozen = true;
        pthread_kill(decoder.native_handle(), SIGUSR1);
        QThread::msleep(20);
        if (resources::decodedSound(held)) { // too quick to be caught: another phrase
            frozen = false;
            decoder.join();
            continue;
        }
        const int before = engine.stats().started;
        engine.play(decoded);
        const bool decodedStarted = startedSince(engine, before, 2000);
        const qint64 handed = engine.stats().framesHanded;
        engine.play(held);
        const bool heldWaited = !startedSince(engine, before + 1, 300);
        const bool pulled = engine.stats().framesHanded > handed;
        frozen = false;
        const bool heldStarted = startedSince(engine, before + 1, 2000);
        decoder.join();
        std::printf("decoded one %s, the device %s, the other %s, then %s\n",
                    decodedStarted ? "started" : "did not start", pulled ? "pulled" : "stopped pulling",
                    heldWaited ? "waited" : "did not wait", heldStarted ? "started" : "never started");
        return 0;
    }
    std::printf("no decode could be caught\n");
    return 0;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    if (argc == 4 && qstrcmp(argv[1], "--child") == 0)
        platform::endProcess(child(atoi(argv[2]), atoi(argv[3])));
    if (argc == 2 && qstrcmp(argv[1], "--decoding") == 0)
        platform::endProcess(decodingChild());
    TestSound test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_sound.moc"
