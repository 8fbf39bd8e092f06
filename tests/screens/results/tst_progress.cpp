// SPDX-FileCopyrightText: 2026 Les Ateliers Calivento
//
// SPDX-License-Identifier: GPL-3.0-or-later

// The progress files: reading the first number, files that fight back, and
// saves that leave the old content whole when they fail.
#include "screens/results/progress.h"
#include "support/fakes.h"

#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>
#include <csignal>
#include <sys/resource.h>
#include <unistd.h>

using game::GameId;
using progress::Store;

namespace {
// Root writes through read-only permissions, so as root a permission case runs again in a child
// as the unprivileged "nobody": its QtTest output, or nothing when that cannot be done here.
QString asNobody()
{
    const QString setpriv = QStandardPaths::findExecutable(QStringLiteral("setpriv"));
    const QStringList drop{QStringLiteral("--reuid=65534"), QStringLiteral("--regid=65534"),
                           QStringLiteral("--clear-groups")};
    const QString self = QCoreApplication::applicationFilePath();
    if (setpriv.isEmpty() ||
        QProcess::execute(setpriv, drop + QStringList{QStringLiteral("test"), QStringLiteral("-x"), self}))
        return {}; // no setpriv, or the test program lies where nobody cannot reach it
    QProcess child;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("TMPDIR"), QStringLiteral("/tmp"));
    env.remove(QStringLiteral("XDG_RUNTIME_DIR"));
    child.setProcessEnvironment(env);
    child.setProcessChannelMode(QProcess::MergedChannels);
    child.start(setpriv, drop + QStringList{self, QStringLiteral("permissions:") + QTest::currentDataTag()});
    child.waitForFinished(120000);
    return QString::fromLocal8Bit(child.readAll());
}

// No file may grow past its current size in this process while it lives.
struct NoFileGrowth {
    rlimit old{};
    void (*oldHandler)(int) = std::signal(SIGXFSZ, SIG_IGN);
    NoFileGrowth()
    {
        getrlimit(RLIMIT_FSIZE, &old);
        const rlimit none{0, old.rlim_max};
        setrlimit(RLIMIT_FSIZE, &none);
    }
    ~NoFileGrowth()
    {
        setrlimit(RLIMIT_FSIZE, &old);
        std::signal(SIGXFSZ, oldHandler);
    }
};
} // namespace

class TestProgress : public QObject
{
    Q_OBJECT
private slots:
    void firstNumber_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<int>("expected"); // -999: no number
        QTest::newRow("as written") << QByteArray("2\r\n") << 2;
        QTest::newRow("spaces and blank lines first") << QByteArray("  \r\n\r\n 3  ") << 3;
        QTest::newRow("more lines after") << QByteArray("1\r\nhello\r\n3") << 1;
        QTest::newRow("comma ends it") << QByteArray("2,3") << 2;
        QTest::newRow("two signs") << QByteArray("+-3") << -999;
        QTest::newRow("digits then letters") << QByteArray("2abc") << -999;
        QTest::newRow("too big for 32 bits") << QByteArray("99999999999") << -999;
        QTest::newRow("binary") << QByteArray("\x00\xff\x02", 3) << -999;
    }
    void firstNumber()
    {
        QFETCH(QByteArray, content);
        QFETCH(int, expected);
        QCOMPARE(progress::firstNumber(content).value_or(-999), expected);
    }

    void missingAndMisplacedFiles()
    {
        QTemporaryDir dir;
        const Store store(dir.filePath(QStringLiteral("niveaux")));
        QCOMPARE(store.read(GameId::Cordes), std::optional<int>(1));
        QCOMPARE(fakes::contentOf(store.path(GameId::Cordes)), QByteArray("1\r\n"));
        // A file where the folder should be: nothing can be made, level 1 is open all the same.
        const Store blocked(store.path(GameId::Cordes));
        QCOMPARE(blocked.read(GameId::Vents), std::optional<int>(1));
        QVERIFY(!blocked.recordWin(GameId::Vents, 1));
        // A folder in place of the file reads as nothing and is left alone.
        QVERIFY(QDir().mkpath(store.path(GameId::Vents)));
        QCOMPARE(store.read(GameId::Vents), std::nullopt);
        QVERIFY(!store.recordWin(GameId::Vents, 1));
        QVERIFY(QFileInfo(store.path(GameId::Vents)).isDir());
    }

    void garbageIsLeftAloneUntilAWinWritesTwo_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::newRow("empty") << QByteArray("");
        QTest::newRow("noise") << QByteArray("\x89PNG\x00\x01\x02\xfe", 8);
        QTest::newRow("10 MB of text") << QByteArray(10 * 1024 * 1024, 'x');
    }
    void garbageIsLeftAloneUntilAWinWritesTwo()
    {
        QFETCH(QByteArray, content);
        QTemporaryDir dir;
        const Store store(dir.path());
        QVERIFY(fakes::put(store.path(GameId::Percussions), content));
        QCOMPARE(store.read(GameId::Percussions), std::nullopt);
        QCOMPARE(fakes::contentOf(store.path(GameId::Percussions)), content);
        QVERIFY(store.recordWin(GameId::Percussions, 1));
        QCOMPARE(fakes::contentOf(store.path(GameId::Percussions)), QByteArray("2\r\n"));
    }

    void permissions_data()
    {
        QTest::addColumn<int>("folder");
        QTest::addColumn<int>("file");
        QTest::addColumn<int>("read"); // -999: nothing
        QTest::addColumn<bool>("saved");
        QTest::addColumn<QByteArray>("after");
        const int r = QFileDevice::ReadOwner, w = QFileDevice::WriteOwner, x = QFileDevice::ExeOwner;
        // No room for a temporary beside it: the file itself is overwritten.
        QTest::newRow("read-only folder") << (r | x) << (r | w) << 2 << true << QByteArray("3\r\n");
        // A file the player made read-only stays as it is, even with the folder writable.
        QTest::newRow("read-only file") << (r | w | x) << r << 2 << false << QByteArray("2\r\n");
        // Unreadable counts as fresh: the win of level 2 opens level 2.
        QTest::newRow("unreadable file") << (r | w | x) << w << -999 << true << QByteArray("2\r\n");
        // The file cannot even be seen: it is taken as missing, and cannot be created either.
        QTest::newRow("unreadable folder") << w << (r | w) << 1 << false << QByteArray("2\r\n");
    }
    void permissions()
    {
        if (geteuid() == 0) {
            const QString output = asNobody();
            if (output.isEmpty())
                QSKIP("running as root and cannot switch to an unprivileged user");
            QVERIFY2(output.contains(QLatin1String(" 0 failed")) && !output.contains(QLatin1String("SKIP")),
                     qPrintable(output));
            return;
        }
        QFETCH(int, folder);
        QFETCH(int, file);
        QFETCH(int, read);
        QFETCH(bool, saved);
        QFETCH(QByteArray, after);
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("niveaux"));
        const Store store(path);
        QVERIFY(fakes::put(store.path(GameId::Cordes), "2\r\n"));
        QFile::setPermissions(store.path(GameId::Cordes), QFileDevice::Permissions(file));
        QFile::setPermissions(path, QFileDevice::Permissions(folder));
        QCOMPARE(store.read(GameId::Cordes).value_or(-999), read);
        QCOMPARE(store.read(GameId::Vents), std::optional<int>(1)); // missing or not: level 1 is open
        QCOMPARE(store.recordWin(GameId::Cordes, 2), saved);
        QFile::setPermissions(path, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
        QFile::setPermissions(store.path(GameId::Cordes), QFileDevice::ReadOwner | QFileDevice::WriteOwner);
        QCOMPARE(fakes::contentOf(store.path(GameId::Cordes)), after);
    }

    void aFullDiskKeepsTheOldContent()
    {
        QTemporaryDir dir;
        const Store store(dir.path());
        QVERIFY(fakes::put(store.path(GameId::Tous), "2\r\n"));
        const NoFileGrowth full;
        QVERIFY(!store.recordWin(GameId::Tous, 2));
        QCOMPARE(store.read(GameId::Tous), std::optional<int>(2));
        // A missing file cannot be created: level 1 is open all the same, and no empty file is left
        // for the next start to stumble on; nothing half-written lies about either.
        QCOMPARE(store.read(GameId::Familles), std::optional<int>(1));
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList{QStringLiteral("tinstr.nvl")});
        QCOMPARE(fakes::contentOf(store.path(GameId::Tous)), QByteArray("2\r\n"));
    }

    void aStrayTemporaryGoesAtTheNextRead()
    {
        QTemporaryDir dir;
        const Store store(dir.path());
        QVERIFY(fakes::put(store.path(GameId::Vents) + QStringLiteral(".aB3xYz"), "3"));
        QVERIFY(fakes::put(store.path(GameId::Vents), "2\r\n"));
        QCOMPARE(store.read(GameId::Vents), std::optional<int>(2));
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList{QStringLiteral("vents.nvl")});
    }
};

QTEST_GUILESS_MAIN(TestProgress)
#include "tst_progress.moc"
