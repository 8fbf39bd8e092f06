// SPDX-FileCopyrightText: 2026 Les Ateliers Calivento
//
// SPDX-License-Identifier: GPL-3.0-or-later

// Runs the bare window and the game in turn, from process start to first paint of the menu,
// and prints the median times and peak memory of each.
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

struct Run {
    double ms;
    long peakKb;
};

Run runOnce(const QString &program, const QString &folder)
{
    QProcess process;
    process.setWorkingDirectory(folder);
    QElapsedTimer clock;
    clock.start();
    process.start(program, {});
    process.waitForFinished(30000);
    const double ms = clock.nsecsElapsed() / 1e6;
    const QByteArray out = process.readAllStandardOutput();
    if (!out.startsWith("painted "))
        return {-1, -1};
    return {ms, out.mid(8).trimmed().toLong()};
}

template <class T>
T median(std::vector<T> v)
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

    std::vector<double> bareMs, gameMs;
    std::vector<long> bareKb, gameKb;
    runOnce(bare, folder.path());  // warm the caches for both
    runOnce(game, folder.path());
    for (int i = 0; i < runs; ++i) {
        const Run b = runOnce(bare, folder.path());
        const Run g = runOnce(game, folder.path());
        if (b.ms < 0 || g.ms < 0) {
            std::fprintf(stderr, "a run did not reach its first paint\n");
            return 1;
        }
        bareMs.push_back(b.ms);
        gameMs.push_back(g.ms);
        bareKb.push_back(b.peakKb);
        gameKb.push_back(g.peakKb);
    }
    const double b = median(bareMs), g = median(gameMs);
    const long bk = median(bareKb), gk = median(gameKb);
    std::printf("start-up to first paint, median of %d runs (platform %s)\n", runs,
                qgetenv("QT_QPA_PLATFORM").isEmpty() ? "default" : qgetenv("QT_QPA_PLATFORM").constData());
    std::printf("  bare window          %7.1f ms   peak %6ld kB\n", b, bk);
    std::printf("  game menu            %7.1f ms   peak %6ld kB\n", g, gk);
    std::printf("  game - 55 ms ticks   %7.1f ms   ratio %.2f (target <= 1.30)\n", g - 55, (g - 55) / b);
    std::printf("  peak memory ratio                       %.2f (target <= 1.50)\n", double(gk) / double(bk));
    return 0;
}
