// SPDX-FileCopyrightText: 2026 Les Ateliers Calivento
//
// SPDX-License-Identifier: GPL-3.0-or-later

// The store over a school year: how long a year takes to write, how large the file grows, how
// long the CSV export of 720,000 answers takes, and what recording an answer costs the
// interface thread. Figures only; no timing is asserted.
//   bench_store [folder]   (a folder of one's own keeps the years made, for the next run)
#include "store/csv.h"
#include "store/player.h"
#include "year.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <cstdio>
#include <ctime>

namespace {

// This process's processor time: the machine may be busy with other work.
qint64 cpuMs()
{
    timespec now{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return qint64(now.tv_sec) * 1000 + now.tv_nsec / 1'000'000;
}

double megabytes(const QString &file)
{
    return QFileInfo(file).size() / 1e6;
}

void year(const QString &folder, int children)
{
    const QString file = folder + QStringLiteral("/year-%1.sqlite").arg(children);
    const bool made = QFileInfo::exists(file); // a folder given on the command line keeps its years
    std::optional<store::Database> db = store::Database::open({file, {}}, QStringLiteral("bench"));
    QElapsedTimer clock;
    clock.start();
    if (!made) {
        const bench::Year year = bench::makeYear(*db, {children, 200, 12, 30});
        const qint64 writing = clock.elapsed();
        QSqlQuery(db->sql()).exec(QStringLiteral("PRAGMA wal_checkpoint(TRUNCATE)"));
        std::printf("%d children: %lld rounds, %lld answers written in %.1f s; file %.1f MB (%.0f bytes an answer)\n",
                    children, static_cast<long long>(year.rounds), static_cast<long long>(year.answers),
                    writing / 1000.0, megabytes(file), QFileInfo(file).size() / double(year.answers));
    }
    clock.restart();
    const qint64 cpu = cpuMs();
    const std::optional<qint64> rows = store::csv::exportAnswers(*db, folder + QStringLiteral("/export.csv"));
    std::printf("  CSV export: %lld rows in %lld ms (%lld ms of processor time; %.1f MB)\n",
                static_cast<long long>(rows.value_or(-1)), static_cast<long long>(clock.elapsed()),
                static_cast<long long>(cpuMs() - cpu), megabytes(folder + QStringLiteral("/export.csv")));
}

// What a drop costs the interface thread: the answer is only posted.
void recordingCost(const QString &folder)
{
    const QString file = folder + QStringLiteral("/play.sqlite");
    QFile::remove(file);
    store::Child lea;
    {
        std::optional<store::Database> db = store::Database::open({file, {}}, QStringLiteral("setup"));
        lea = *db->addChild({{}, db->defaultClass().id, QStringLiteral("Léa"), QStringLiteral("cor"), {}, false});
    }
    store::Player &player = store::Player::current();
    player.useStore({file, {}});
    player.play(lea);
    player.worker().wait(); // opened
    constexpr int answers = 20000;
    std::vector<qint64> costs;
    QElapsedTimer clock;
    for (int round = 0; round < answers / 12; ++round) {
        player.startRound(QStringLiteral("tous"), 2);
        for (int i = 0; i < 12; ++i) {
            clock.start();
            player.answer(QStringLiteral("cor"), QStringLiteral("tuba"), false, true);
            costs.push_back(clock.nsecsElapsed());
        }
        player.endRound(QStringLiteral("gagné"), 10);
    }
    clock.start();
    player.close();
    std::sort(costs.begin(), costs.end());
    std::printf("Recording an answer on the interface thread: median %.1f us, 99th percentile %.1f us, worst %.1f us; "
                "the store's thread caught up %lld ms after the last one\n",
                costs[costs.size() / 2] / 1e3, costs[costs.size() * 99 / 100] / 1e3, costs.back() / 1e3,
                static_cast<long long>(clock.elapsed()));
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QTemporaryDir temporary;
    const QString folder = argc > 1 ? QString::fromLocal8Bit(argv[1]) : temporary.path();
    std::setvbuf(stdout, nullptr, _IOLBF, 0);
    recordingCost(folder);
    year(folder, 30);
    year(folder, 300);
    return 0;
}
