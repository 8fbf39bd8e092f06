// A progress file killed mid-write: whenever the game dies, the file holds a whole value.
#include "screens/results/progress.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QtTest>
#include <csignal>
#include <sys/types.h>
#include <sys/wait.h>
#include <thread>

class TestAtomicSave : public QObject
{
    Q_OBJECT
private slots:
    void killedAtRandomMoments()
    {
        QTemporaryDir dir;
        const progress::Store store(dir.path());
        const QString path = store.path(game::GameId::Vents);
        QRandomGenerator random(20261206);
        int twos = 0;
        int strays = 0;
        constexpr int kills = 200;
        for (int i = 0; i < kills; ++i) {
            QProcess writer;
            writer.start(QStringLiteral(PROGRESS_WRITER), {dir.path()});
            QVERIFY(writer.waitForStarted());
            QVERIFY2(writer.waitForReadyRead(10000), qPrintable(writer.readAllStandardError()));
            // Anywhere from at once to a few dozen writes later.
            std::this_thread::sleep_for(std::chrono::microseconds(random.bounded(3000)));
            ::kill(static_cast<pid_t>(writer.processId()), SIGKILL);
            QVERIFY(writer.waitForFinished());
            QCOMPARE(writer.exitStatus(), QProcess::CrashExit);

            QFile file(path);
            QVERIFY(file.open(QIODevice::ReadOnly));
            const QByteArray content = file.readAll();
            QVERIFY2(content == "2\r\n" || content == "3\r\n",
                     qPrintable(QStringLiteral("kill %1 left %2").arg(i).arg(QString::fromLatin1(content.toHex()))));
            twos += content == "2\r\n";
            // A kill between naming the new file and moving it in place leaves it beside the old.
            for (const QString &name : QDir(dir.path()).entryList(QDir::Files))
                if (name != QLatin1String("vents.nvl")) {
                    ++strays;
                    QFile::remove(dir.filePath(name));
                }
        }
        qInfo("%d kills: %d left 2, %d left 3, %d stray temporary files", kills, twos, kills - twos, strays);
    }
};

QTEST_GUILESS_MAIN(TestAtomicSave)
#include "tst_atomic_save.moc"
