// SPDX-FileCopyrightText: 2026 Les Ateliers Calivento
//
// SPDX-License-Identifier: GPL-3.0-or-later

// Saves killed at random moments: 200 times a child writes one progress file, 2 and 3 in turn,
// until it is killed; the file must hold a whole value each time.
//   soak_progress [--kills N]
//   soak_progress --writer <folder>   (the child)
#include "screens/game/games.h"
#include "store/progress.h"
#include "support/fakes.h"

#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QtTest>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <thread>

namespace {
int kills = 200;

int writeUntilKilled(const char *folder)
{
    const store::progress::Store store(QString::fromLocal8Bit(folder));
    for (int value = 2, n = 0;; value = 5 - value, ++n) {
        if (!store.write(QLatin1String(game::info(game::GameId::Vents).progressFile), value))
            return 1;
        if (n == 0) {
            std::puts("ready");
            std::fflush(stdout);
        }
    }
}
} // namespace

class SoakProgress : public QObject
{
    Q_OBJECT
private slots:
    void killedMidWriteLeavesAWholeValue()
    {
        QTemporaryDir dir;
        const QString path = store::progress::Store(dir.path()).path(QLatin1String(game::info(game::GameId::Vents).progressFile));
        QRandomGenerator random(20261206);
        int twos = 0;
        for (int i = 0; i < kills; ++i) {
            QProcess writer;
            writer.start(QCoreApplication::applicationFilePath(), {QStringLiteral("--writer"), dir.path()});
            QVERIFY2(writer.waitForReadyRead(10000), qPrintable(writer.readAllStandardError()));
            // Anywhere from at once to a few dozen writes later.
            std::this_thread::sleep_for(std::chrono::microseconds(random.bounded(3000)));
            ::kill(static_cast<pid_t>(writer.processId()), SIGKILL);
            QVERIFY(writer.waitForFinished());
            const QByteArray content = fakes::contentOf(path);
            QVERIFY2(content == "2\r\n" || content == "3\r\n",
                     qPrintable(QStringLiteral("kill %1 left %2").arg(i).arg(content.toHex())));
            twos += content == "2\r\n";
        }
        qInfo("%d kills: %d left 2, %d left 3", kills, twos, kills - twos);
    }
};

int main(int argc, char *argv[])
{
    if (argc == 3 && std::strcmp(argv[1], "--writer") == 0)
        return writeUntilKilled(argv[2]);
    if (argc >= 3 && std::strcmp(argv[1], "--kills") == 0) {
        kills = std::atoi(argv[2]);
        argv[2] = argv[0];
        argc -= 2;
        argv += 2;
    }
    QCoreApplication app(argc, argv);
    SoakProgress soak;
    return QTest::qExec(&soak, argc, argv);
}

#include "soak_progress.moc"
