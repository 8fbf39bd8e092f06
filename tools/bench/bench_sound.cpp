// SPDX-FileCopyrightText: 2026 Les Ateliers Calivento
//
// SPDX-License-Identifier: GPL-3.0-or-later

// The sound engine's delay: from play() to the buffer that carries the sound's first sample
// being handed to the audio device, through a PulseAudio of our own with a null sink.
//   bench_sound [runs]
// Each run is three fresh processes:
// - plays: the first play right as the engine is made (the server still to connect to), the
//   first once the engine is up, then 200 later plays of the chime and the fanfare;
// - decoding: clicks on the chime and on a decoded phrase every 40 ms while the other 23 phrases
//   are decoded ahead (as a round starts, or as the pointer hovers pictures);
// - round: a game's round with "Entendre l'instrument trouvé dans les jeux" on: its 24 phrases
//   are decoded ahead as it starts, and the first right drop of each comes 1 s after the start,
//   then one every 300 ms (quicker than a child drags), in another order than their decoding.
#include "app/platform/sound_engine.h"
#include "resources/sounds.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QThread>
#include <algorithm>
#include <csignal>
#include <cstdio>
#include <map>
#include <vector>

namespace {

using platform::SoundEngine;

// Plays and waits until the sound went to the device; its delay in ms, or -1.
double timedPlay(SoundEngine &engine, int id)
{
    const int before = engine.stats().started;
    engine.play(id);
    QElapsedTimer clock;
    clock.start();
    while (engine.stats().started == before && clock.elapsed() < 5000)
        QThread::usleep(200);
    return engine.stats().started == before ? -1 : double(engine.stats().lastDelayNs) / 1e6;
}

void waitUntilUp(SoundEngine &engine)
{
    QElapsedTimer clock;
    clock.start();
    while (engine.state() == SoundEngine::State::Starting && clock.elapsed() < 10000)
        QThread::msleep(5);
    QThread::msleep(3000); // a null sink that was idle takes up to 2 s to start pulling
}

void print(const char *series, const std::vector<double> &delays)
{
    std::printf("%s", series);
    for (double d : delays)
        std::printf(" %.3f", d);
    std::printf("\n");
}

int plays()
{
    std::vector<double> cold, warm, later;
    {
        SoundEngine engine;
        cold.push_back(timedPlay(engine, 103));
    }
    SoundEngine engine;
    waitUntilUp(engine);
    warm.push_back(timedPlay(engine, 103));
    for (int i = 0; i < 200; ++i) {
        QThread::msleep(7 + i % 5 * 11); // a new sound cuts the one playing, at varied points
        later.push_back(timedPlay(engine, i % 9 == 8 ? 101 : 103));
    }
    print("cold", cold);
    print("warm", warm);
    print("later", later);
    return 0;
}

bool allDecoded(int from, int to)
{
    for (int id = from; id < to; ++id)
        if (!resources::decodedSound(id))
            return false;
    return true;
}

int decoding()
{
    SoundEngine engine;
    waitUntilUp(engine);
    resources::sound(103);
    resources::sound(200);
    std::vector<int> ahead;
    for (int id = 201; id < 224; ++id)
        ahead.push_back(id);
    resources::decodeAhead(ahead);
    std::vector<double> delays;
    for (int i = 0; !allDecoded(200, 224) && i < 500; ++i) {
        delays.push_back(timedPlay(engine, i % 2 ? 200 : 103));
        QThread::msleep(40);
    }
    print("decoding", delays);
    return 0;
}

int round()
{
    SoundEngine engine;
    waitUntilUp(engine);
    resources::sound(103);
    std::vector<int> phrases;
    for (int row = 0; row < 24; ++row)
        phrases.push_back(200 + (row * 7) % 24); // the scatter's order
    QElapsedTimer sinceStart;
    sinceStart.start();
    resources::decodeAhead(phrases);
    std::vector<double> drops;
    for (int i = 0; i < 24; ++i) {
        const qint64 due = 1000 + 300 * i;
        QThread::msleep(static_cast<unsigned long>(std::max<qint64>(0, due - sinceStart.elapsed())));
        drops.push_back(timedPlay(engine, 200 + (23 - i * 5 % 24 + 24) % 24));
    }
    print("drops", drops);
    return 0;
}

double percentile(std::vector<double> v, double p)
{
    std::sort(v.begin(), v.end());
    return v.empty() ? 0 : v[std::min(v.size() - 1, size_t(p * double(v.size())))];
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    if (argc == 2 && qstrcmp(argv[1], "--plays") == 0)
        return plays();
    if (argc == 2 && qstrcmp(argv[1], "--decoding") == 0)
        return decoding();
    if (argc == 2 && qstrcmp(argv[1], "--round") == 0)
        return round();
    const int runs = argc > 1 ? std::max(1, atoi(argv[1])) : 11;

    QTemporaryDir dir;
    const QString socket = dir.filePath(QStringLiteral("native"));
    QProcess server;
    QProcessEnvironment serverEnv = QProcessEnvironment::systemEnvironment();
    serverEnv.insert(QStringLiteral("XDG_RUNTIME_DIR"), dir.path());
    serverEnv.insert(QStringLiteral("HOME"), dir.path());
    server.setProcessEnvironment(serverEnv);
    server.start(QStandardPaths::findExecutable(QStringLiteral("pulseaudio")),
                 {QStringLiteral("-n"), QStringLiteral("--daemonize=no"), QStringLiteral("--exit-idle-time=-1"),
                  QStringLiteral("--log-level=error"), QStringLiteral("-L"), QStringLiteral("module-null-sink"),
                  QStringLiteral("-L"),
                  QStringLiteral("module-native-protocol-unix auth-anonymous=1 socket=") + socket});
    for (int i = 0; i < 500 && !QFile::exists(socket); ++i)
        QThread::msleep(20);
    if (!QFile::exists(socket)) {
        std::fprintf(stderr, "no PulseAudio could be started\n");
        return 1;
    }

    std::map<QByteArray, std::vector<double>> series;
    int failures = 0;
    for (int run = 0; run < runs; ++run) {
        for (const char *kind : {"--plays", "--decoding", "--round"}) {
            QProcess process;
            QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
            env.insert(QStringLiteral("PULSE_SERVER"), QStringLiteral("unix:") + socket);
            process.setProcessEnvironment(env);
            process.start(QCoreApplication::applicationFilePath(), {QString::fromLatin1(kind)});
            process.waitForFinished(120000);
            for (const QByteArray &line : process.readAllStandardOutput().split('\n')) {
                const QList<QByteArray> words = line.simplified().split(' ');
                for (qsizetype i = 1; i < words.size(); ++i) {
                    const double d = words[i].toDouble();
                    if (d < 0)
                        ++failures;
                    else
                        series[words[0]].push_back(d);
                }
            }
        }
    }
    server.terminate();
    server.waitForFinished();

    std::printf("delay from play() to the device, ms (%d runs; plays not started: %d)\n", runs, failures);
    std::printf("%-44s %8s %8s %8s\n", "", "median", "p95", "max");
    const auto row = [](const char *name, const std::vector<double> &v) {
        std::printf("%-44s %8.2f %8.2f %8.2f\n", name, percentile(v, 0.5), percentile(v, 0.95),
                    v.empty() ? 0.0 : *std::max_element(v.begin(), v.end()));
    };
    row("first play, as the engine is made", series["cold"]);
    row("first play, the engine up", series["warm"]);
    row("later plays", series["later"]);
    row("clicks while 23 phrases decode (target < 30)", series["decoding"]);
    row("first right drop of each (found heard, < 30)", series["drops"]);
    return failures == 0 ? 0 : 1;
}
