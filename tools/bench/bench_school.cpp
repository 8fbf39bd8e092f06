// SPDX-FileCopyrightText: 2026 Les Ateliers Calivento
//
// SPDX-License-Identifier: GPL-3.0-or-later

// A school's computer room against one PostgreSQL server on this machine: 30 computers (threads,
// each with its own local store and its own connection, through the game's store and sender
// code) record an answer every 100 ms for 2 minutes; the server is killed for 20 s in the middle.
// Then "La classe" for 30 children out of 300, over a school year, from the server.
//
// Reports: answers written and stored (each exactly once), the time from an answer to its
// commit on the server (p50, p99), the server's processor time, and "La classe"'s time.
// Environment: CALIVENTO_BENCH_SECONDS (120), CALIVENTO_BENCH_COMPUTERS (30).
#include "store/database.h"
#include "store/server.h"
#include "store/stats.h"
#include "store/sync.h"
#include "support/pg_server.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QThread>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <deque>
#include <mutex>
#include <thread>
#include <unistd.h>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

int setting(const char *name, int fallback)
{
    const int value = qEnvironmentVariableIntValue(name);
    return value > 0 ? value : fallback;
}

// Processor seconds of the server: the postmaster, the backends it reaped, and those alive.
double serverCpuSeconds(qint64 postmaster)
{
    const double tick = double(sysconf(_SC_CLK_TCK));
    double total = 0;
    const auto fields = [](const QString &path) {
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly))
            return QList<QByteArray>();
        const QByteArray text = file.readAll();
        return text.mid(text.lastIndexOf(')') + 2).split(' '); // from field 3 (state) on
    };
    const QList<QByteArray> own = fields(QStringLiteral("/proc/%1/stat").arg(postmaster));
    if (own.size() > 14)
        total += (own[11].toDouble() + own[12].toDouble() + own[13].toDouble() + own[14].toDouble()) / tick;
    for (const QString &pid : QDir(QStringLiteral("/proc")).entryList(QDir::Dirs)) {
        const QList<QByteArray> f = fields(QStringLiteral("/proc/") + pid + QStringLiteral("/stat"));
        if (f.size() > 12 && f[1].toLongLong() == postmaster)
            total += (f[11].toDouble() + f[12].toDouble()) / tick;
    }
    return total;
}

struct Shared {
    std::mutex lock;
    std::vector<double> latenciesMs;
    std::vector<double> quietMs; // answers written while the server was up and stayed up
    std::atomic<Clock::rep> downFrom{Clock::time_point::max().time_since_epoch().count()};
    std::atomic<Clock::rep> upAgain{Clock::time_point::max().time_since_epoch().count()};
    std::atomic<long> written{0};
    std::atomic<long> passesDown{0};
    std::atomic<bool> stop{false};
    std::atomic<int> ready{0};
    std::atomic<int> failures{0};
};

// One computer: its local store, its connection, a round of 12 answers every 1.2 s, a pass at
// each round's end and at least every 30 s, as the game's sender does.
void computer(int index, const QString &folder, const QString &url, Shared &shared)
{
    const QString localName = QStringLiteral("local-%1").arg(index);
    const QString serverName = QStringLiteral("server-%1").arg(index);
    {
        QString error;
        std::optional<store::Database> local =
            store::Database::open({folder + QStringLiteral("/poste%1.sqlite").arg(index), {}}, localName, &error);
        if (!local || !store::server::open(url, serverName, &error)) {
            std::fprintf(stderr, "poste %d : %s\n", index, qPrintable(error));
            ++shared.failures;
            ++shared.ready;
            return;
        }
        store::Fetched pulled;
        QSqlDatabase server = QSqlDatabase::database(serverName, false);
        store::syncPass(local->sql(), server, &pulled);
        const std::vector<store::Child> children = local->children();
        const QString childId = children.empty() ? QString() : children[index % children.size()].id;
        ++shared.ready;

        std::deque<Clock::time_point> unsent;
        auto lastPass = Clock::now();
        auto next = Clock::now();
        store::Round round;
        int seq = 0;
        const auto pass = [&] {
            if (!server.isOpen()) {
                server = QSqlDatabase();
                QSqlDatabase::removeDatabase(serverName);
                if (!store::server::open(url, serverName)) {
                    ++shared.passesDown;
                    lastPass = Clock::now();
                    return;
                }
                server = QSqlDatabase::database(serverName, false);
            }
            const std::size_t before = unsent.size();
            const store::PassResult result = store::syncPass(local->sql(), server, &pulled);
            lastPass = Clock::now();
            if (result.state != store::ServerState::Connected) {
                ++shared.passesDown;
                server.close();
                return;
            }
            const auto done = Clock::now();
            std::lock_guard guard(shared.lock);
            const Clock::time_point down{Clock::duration(shared.downFrom.load())};
            const Clock::time_point up{Clock::duration(shared.upAgain.load())};
            for (std::size_t i = 0; i < before; ++i) {
                const double ms = std::chrono::duration<double, std::milli>(done - unsent[i]).count();
                shared.latenciesMs.push_back(ms);
                if (unsent[i] + std::chrono::seconds(2) < down || unsent[i] > up)
                    shared.quietMs.push_back(ms);
            }
            unsent.erase(unsent.begin(), unsent.begin() + long(before));
        };
        while (!shared.stop) {
            if (seq == 0) {
                round = {store::newUuid(),
                         childId,
                         QStringLiteral("vue"),
                         QStringLiteral("cordes"),
                         1,
                         store::nowMs(),
                         0,
                         {},
                         0};
                local->saveRound(round);
            }
            ++seq;
            const store::Answer answer{round.id,     seq,  QStringLiteral("violon"),        QStringLiteral("alto"),
                                       seq % 2 == 0, true, store::nowMs() - round.startedMs};
            if (local->addAnswers({&answer, 1})) {
                unsent.push_back(Clock::now());
                ++shared.written;
            }
            if (seq == 12) {
                round.durationMs = store::nowMs() - round.startedMs;
                round.outcome = QStringLiteral("gagné");
                local->saveRound(round);
                seq = 0;
                pass();
            } else if (Clock::now() - lastPass > std::chrono::seconds(30)) {
                pass();
            }
            next += std::chrono::milliseconds(100);
            std::this_thread::sleep_until(next);
        }
        if (seq > 0) {
            round.durationMs = store::nowMs() - round.startedMs;
            round.outcome = QStringLiteral("abandonné");
            local->saveRound(round);
        }
        // The room closes: whatever waits goes now.
        for (int attempt = 0; attempt < 30 && (!unsent.empty() || store::pending(local->sql()).answers > 0);
             ++attempt) {
            pass();
            if (!unsent.empty())
                std::this_thread::sleep_for(std::chrono::seconds(1));
        }
        if (store::pending(local->sql()).answers > 0)
            ++shared.failures;
        server = QSqlDatabase();
    }
    QSqlDatabase::database(serverName, false).close();
    QSqlDatabase::removeDatabase(serverName);
}

double percentile(std::vector<double> values, double p)
{
    if (values.empty())
        return 0;
    std::sort(values.begin(), values.end());
    return values[std::min(values.size() - 1, std::size_t(p * double(values.size())))];
}

QString scalar(testsupport::PgServer &server, const QString &database, const QString &sql)
{
    QString out;
    server.psql(database, sql, &out);
    return out;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const int seconds = setting("CALIVENTO_BENCH_SECONDS", 120);
    const int computers = setting("CALIVENTO_BENCH_COMPUTERS", 30);
    const QString script = QStringLiteral(CALIVENTO_SOURCE_DIR "/data/postgresql/ecole.sql");

    testsupport::PgServer server;
    if (!server.start() || !server.createDatabase(QStringLiteral("ecole")) ||
        !server.psqlFile(QStringLiteral("ecole"), script)) {
        std::fprintf(stderr, "%s\n", qPrintable(server.error()));
        return 1;
    }
    server.psql(QStringLiteral("ecole"),
                QStringLiteral("INSERT INTO classes VALUES ('cm2', 'CM2', 0);"
                               "INSERT INTO children SELECT 'e' || i, 'cm2', 'Enfant ' || i, 'violon', 0, 0"
                               " FROM generate_series(1, 30) i"),
                nullptr, QStringLiteral("calivento_suivi"));
    QTemporaryDir folder;
    const QString url = server.url(QStringLiteral("ecole"), QStringLiteral("calivento_poste"));

    Shared shared;
    std::vector<std::thread> room;
    for (int i = 0; i < computers; ++i)
        room.emplace_back(computer, i, folder.path(), url, std::ref(shared));
    while (shared.ready < computers)
        QThread::msleep(50);
    std::printf("%d postes, une réponse toutes les 100 ms chacun, pendant %d s\n", computers, seconds);

    QElapsedTimer clock;
    clock.start();
    const int killAt = seconds / 2 - 10;
    double cpu = 0;
    bool killed = false, back = false;
    while (clock.elapsed() < qint64(seconds) * 1000) {
        if (!killed && clock.elapsed() >= qint64(killAt) * 1000) {
            cpu += serverCpuSeconds(server.postmasterPid());
            shared.downFrom = Clock::now().time_since_epoch().count();
            server.stop(QStringLiteral("immediate"));
            killed = true;
            std::printf("serveur arrêté net à %d s (%ld réponses écrites)\n", killAt, shared.written.load());
        }
        if (killed && !back && clock.elapsed() >= qint64(killAt + 20) * 1000) {
            if (!server.startAgain()) {
                std::fprintf(stderr, "%s\n", qPrintable(server.error()));
                return 1;
            }
            back = true;
            shared.upAgain = Clock::now().time_since_epoch().count();
            std::printf("serveur relancé à %d s\n", killAt + 20);
        }
        QThread::msleep(100);
    }
    shared.stop = true;
    for (std::thread &t : room)
        t.join();
    cpu += serverCpuSeconds(server.postmasterPid());

    const long stored =
        scalar(server, QStringLiteral("ecole"), QStringLiteral("SELECT count(*) FROM answers")).toLong();
    const long distinct =
        scalar(server, QStringLiteral("ecole"), QStringLiteral("SELECT count(DISTINCT (round, seq)) FROM answers"))
            .toLong();
    std::printf(
        "réponses écrites %ld, sur le serveur %ld (distinctes %ld), postes en défaut %d, passes sans serveur %ld\n",
        shared.written.load(), stored, distinct, shared.failures.load(), shared.passesDown.load());
    std::printf("réponse -> serveur : p50 %.0f ms, p99 %.0f ms (%zu mesures, la panne de 20 s comprise)\n",
                percentile(shared.latenciesMs, 0.5), percentile(shared.latenciesMs, 0.99), shared.latenciesMs.size());
    std::printf("réponse -> serveur hors panne : p50 %.0f ms, p99 %.0f ms (%zu mesures)\n",
                percentile(shared.quietMs, 0.5), percentile(shared.quietMs, 0.99), shared.quietMs.size());
    std::printf("processeur du serveur : %.1f s en %d s, soit %.1f %% d'un cœur\n", cpu, seconds,
                100.0 * cpu / seconds);
    const bool exact = stored == shared.written && distinct == stored && shared.failures == 0;

    // A school year: 300 children in 10 classes, 200 rounds of 12 answers each.
    server.createDatabase(QStringLiteral("annee"));
    server.psqlFile(QStringLiteral("annee"), script);
    QElapsedTimer filling;
    filling.start();
    const bool filled = server.psql(
        QStringLiteral("annee"),
        QStringLiteral("INSERT INTO classes SELECT 'k' || c, 'Classe ' || c, 0 FROM generate_series(1, 10) c;"
                       "INSERT INTO children SELECT 'e' || e, 'k' || ((e - 1) / 30 + 1), 'Enfant ' || e, 'violon', 0, 0"
                       " FROM generate_series(1, 300) e;"
                       "INSERT INTO rounds(id, child_id, mode, game, level, started_ms, duration_ms, outcome, points)"
                       " SELECT 'r' || e || '-' || r, 'e' || e, CASE WHEN r % 3 = 0 THEN 'oreille' ELSE 'vue' END,"
                       " CASE WHEN r % 3 = 0 THEN 'oreille' ELSE 'cordes' END, 1,"
                       " (extract(epoch FROM now()) * 1000)::bigint - r * 129600000::bigint, 60000, 'gagné', 10"
                       " FROM generate_series(1, 300) e, generate_series(1, 200) r;"
                       "INSERT INTO answers(round, seq, instrument, answer, correct, first_try, elapsed_ms)"
                       " SELECT n, s, 'instrument' || ((n + s) % 24), 'instrument' || ((n * s) % 24), (n + s) % 3 / 2,"
                       " CASE WHEN s <= 9 THEN 1 ELSE 0 END, s * 1000 FROM rounds, generate_series(1, 12) s;"
                       "ANALYZE;"));
    const long year = scalar(server, QStringLiteral("annee"), QStringLiteral("SELECT count(*) FROM answers")).toLong();
    std::printf("année scolaire : %ld réponses de 300 enfants, faites en %.1f s\n", year, filling.elapsed() / 1000.0);
    std::vector<double> times;
    {
        QString error;
        std::optional<store::Database> db =
            store::Database::open({{}, server.url(QStringLiteral("annee"), QStringLiteral("calivento_suivi"))},
                                  QStringLiteral("suivi"), &error);
        if (!filled || !db) {
            std::fprintf(stderr, "%s %s\n", qPrintable(error), qPrintable(server.error()));
            return 1;
        }
        for (int i = 0; i < 7; ++i) {
            QElapsedTimer timer;
            timer.start();
            const auto rows = store::stats::classGrid(db->sql(), QStringLiteral("k%1").arg(i % 10 + 1),
                                                      QStringLiteral("vue"), store::stats::Span{});
            times.push_back(timer.nsecsElapsed() / 1e6);
            if (rows.size() != 30)
                std::fprintf(stderr, "La classe : %zu enfants au lieu de 30\n", rows.size());
        }
    }
    std::printf("« La classe » (30 enfants sur 300, 720 000 réponses) depuis PostgreSQL : première %.0f ms,"
                " médiane %.0f ms, pire %.0f ms\n",
                times.front(), percentile(times, 0.5), *std::max_element(times.begin(), times.end()));
    std::printf(exact ? "chaque réponse est sur le serveur, une seule fois\n"
                      : "ÉCART : des réponses manquent ou sont en double\n");
    server.stop();
    return exact ? 0 : 1;
}
