// SPDX-FileCopyrightText: 2026 Les Ateliers Calivento
//
// SPDX-License-Identifier: GPL-3.0-or-later

// Runs the bare window, the game and the game in its large mode in turn, from process start to
// first paint of the menu, and prints the median times and peak memory of each.
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>
#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

struct Run {
    double ms;
    long peakKb;
};

Run runOnce(const QString &program, const QString &folder, const QStringList &arguments = {})
{
    // The X server still tears down the last run's windows for a while after it ends: a run
    // started at once would pay for that (about 90 ms after a game run, nothing after a bare one).
    QThread::msleep(400);
    QProcess process;
    process.setWorkingDirectory(folder);
    QElapsedTimer clock;
    clock.start();
    process.start(program, arguments);
    process.waitForFinished(30000);
    const double ms = clock.nsecsElapsed() / 1e6;
    const QByteArray out = process.readAllStandardOutput();
    if (!out.startsWith("painted "))
        return {-1, -1};
    return {ms, out.mid(8).trimmed().toLong()};
}

template <class T> T median(std::vector<T> v)
{
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    if (argc < 3) {
        std::fprintf(stderr, "usage: bench_startup <bare window> <game probe> [runs]\n");
        return 2;
    }
    const QString bare = QFileInfo(QString::fromLocal8Bit(argv[1])).absoluteFilePath();
    const QString game = QFileInfo(QString::fromLocal8Bit(argv[2])).absoluteFilePath();
    const int runs = argc > 3 ? std::atoi(argv[3]) : 21;
    QTemporaryDir folder;

    const QStringList largeMode{QStringLiteral("--grand-ecran")};
    std::vector<double> bareMs, gameMs, largeMs;
    std::vector<long> bareKb, gameKb, largeKb;
    runOnce(bare, folder.path()); // warm the caches for all three
    runOnce(game, folder.path());
    runOnce(game, folder.path(), largeMode);
    for (int i = 0; i < runs; ++i) {
        const Run b = runOnce(bare, folder.path());
        const Run g = runOnce(game, folder.path());
        const Run l = runOnce(game, folder.path(), largeMode);
        if (b.ms < 0 || g.ms < 0 || l.ms < 0) {
            std::fprintf(stderr, "a run did not reach its first paint\n");
            return 1;
        }
        bareMs.push_back(b.ms);
        gameMs.push_back(g.ms);
        largeMs.push_back(l.ms);
        bareKb.push_back(b.peakKb);
        gameKb.push_back(g.peakKb);
        largeKb.push_back(l.peakKb);
    }
    const double b = median(bareMs), g = median(gameMs), l = median(largeMs);
    const long bk = median(bareKb), gk = median(gameKb), lk = median(largeKb);
    std::printf("start-up to first paint, median of %d runs (platform %s)\n", runs,
                qgetenv("QT_QPA_PLATFORM").isEmpty() ? "default" : qgetenv("QT_QPA_PLATFORM").constData());
    std::printf("  bare window          %7.1f ms   peak %6ld kB\n", b, bk);
    std::printf("  game menu            %7.1f ms   peak %6ld kB\n", g, gk);
    std::printf("  game - 55 ms ticks   %7.1f ms   ratio %.2f (target <= 1.30)\n", g - 55, (g - 55) / b);
    std::printf("  peak memory ratio                       %.2f (target <= 1.50)\n", double(gk) / double(bk));
    std::printf("  large mode menu      %7.1f ms   peak %6ld kB\n", l, lk);
    std::printf("  large / normal time                     %.2f (target <= 1.30)\n", l / g);
    std::printf("  large / normal peak memory              %.2f (target <= 2.00)\n", double(lk) / double(gk));
    return 0;
}
