// SPDX-FileCopyrightText: 2026 Les Ateliers Calivento
//
// SPDX-License-Identifier: GPL-3.0-or-later

// The sound engine's delay: from play() to the buffer that carries the sound's first sample
// being handed to the audio device, through a PulseAudio of our own with a null sink.
//   bench_sound [runs]
// Each run is a fresh process: its first play right as the engine is made (the server still
// to connect to), its first play once the engine is up, then 200 later plays.
#include "app/platform/sound_engine.h"

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

// One run: "cold warm later..." on one line.
int child()
{
    std::vector<double> delays;
    {
        SoundEngine cold;
        delays.push_back(timedPlay(cold, 103));
    }
    SoundEngine engine;
    QElapsedTimer clock;
    clock.start();
    while (engine.state() == SoundEngine::State::Starting && clock.elapsed() < 10000)
        QThread::msleep(5);
    QThread::msleep(3000); // a null sink that was idle takes up to 2 s to start pulling
    delays.push_back(timedPlay(engine, 103));
    for (int i = 0; i < 200; ++i) {
        QThread::msleep(7 + i % 5 * 11); // a new sound cuts the one playing, at varied points
        delays.push_back(timedPlay(engine, i % 9 == 8 ? 101 : 103));
    }
    for (double d : delays)
        std::printf("%.3f ", d);
    std::printf("\n");
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
    if (argc == 2 && qstrcmp(argv[1], "--child") == 0)
        return child();
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

    std::vector<double> cold, warm, later;
    int failures = 0;
    for (int run = 0; run < runs; ++run) {
        QProcess process;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("PULSE_SERVER"), QStringLiteral("unix:") + socket);
        process.setProcessEnvironment(env);
        process.start(QCoreApplication::applicationFilePath(), {QStringLiteral("--child")});
        process.waitForFinished(120000);
        const QList<QByteArray> numbers = process.readAllStandardOutput().simplified().split(' ');
        for (int i = 0; i < numbers.size(); ++i) {
            const double d = numbers[i].toDouble();
            if (d < 0)
                ++failures;
            else
                (i == 0 ? cold : i == 1 ? warm : later).push_back(d);
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
    row("first play, as the engine is made", cold);
    row("first play, the engine up", warm);
    row("later plays", later);
    return failures == 0 ? 0 : 1;
}
