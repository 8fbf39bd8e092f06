// SPDX-FileCopyrightText: 2026 Les Ateliers Calivento
//
// SPDX-License-Identifier: GPL-3.0-or-later

// The progress files: reading the first number, files that fight back, and
// saves that leave the old content whole when they fail.
#include "screens/results/progress.h"
#include "support/fakes.h"

#include <QScopeGuard>
#include <QTemporaryDir>
#include <QtTest>
#include <csignal>
#include <sys/resource.h>
#include <unistd.h>

using game::GameId;
using progress::Store;

class TestProgress : public QObject
{
    Q_OBJECT
private slots:
    void firstNumber_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<int>("expected"); // -999: no number
        QTest::newRow("spaces and blank lines first") << QByteArray("  \r\n\r\n 3  ") << 3;
        QTest::newRow("more lines after") << QByteArray("1\r\nhello\r\n3") << 1;
        QTest::newRow("comma ends it") << QByteArray("2,3") << 2;
        QTest::newRow("two signs") << QByteArray("+-3") << -999;
        QTest::newRow("digits then letters") << QByteArray("2abc") << -999;
        QTest::newRow("too big for 32 bits") << QByteArray("99999999999") << -999;
    }
    void firstNumber()
    {
        QFETCH(QByteArray, content);
        QFETCH(int, expected);
        QCOMPARE(progress::firstNumber(content).value_or(-999), expected);
    }

    void garbageIsLeftAloneUntilAWinWritesTwo_data()
    {
        QTest::addColumn<QByteArray>("content"); // null: a folder in place of the file, never written
        QTest::newRow("empty") << QByteArray("");
        QTest::newRow("noise") << QByteArray("\x89PNG\x00\x01\x02\xfe", 8);
        QTest::newRow("10 MB of text") << QByteArray(10 * 1024 * 1024, 'x');
        QTest::newRow("a folder") << QByteArray();
    }
    void garbageIsLeftAloneUntilAWinWritesTwo()
    {
        QFETCH(QByteArray, content);
        QTemporaryDir dir;
        const Store store(dir.path());
        const QString path = store.path(GameId::Percussions);
        QVERIFY(content.isNull() ? QDir().mkpath(path) : fakes::put(path, content));
        QCOMPARE(store.read(GameId::Percussions), std::nullopt);
        QCOMPARE(fakes::contentOf(path), content.isNull() ? "<unreadable>" : content);
        QCOMPARE(store.recordWin(GameId::Percussions, 1), !content.isNull());
        QCOMPARE(fakes::contentOf(path), content.isNull() ? "<unreadable>" : "2\r\n");
    }

    void aFileInPlaceOfTheFolder()
    {
        QTemporaryDir dir;
        QVERIFY(fakes::put(dir.filePath(QStringLiteral("niveaux")), "3\r\n"));
        const Store blocked(dir.filePath(QStringLiteral("niveaux")));
        QCOMPARE(blocked.read(GameId::Vents), std::optional<int>(1)); // nothing can be made: level 1 is open
        QVERIFY(!blocked.recordWin(GameId::Vents, 1));
    }

    // corde.nvl holds 2 and vents.nvl is missing; both are read, then level 2 of corde is won.
    void filesThatFightBack_data()
    {
        QTest::addColumn<int>("folder"); // permissions
        QTest::addColumn<int>("file");
        QTest::addColumn<int>("read"); // -999: nothing
        QTest::addColumn<bool>("saved");
        QTest::addColumn<QByteArray>("after");
        QTest::addColumn<QStringList>("files"); // what the folder holds in the end
        const int r = QFileDevice::ReadOwner, w = QFileDevice::WriteOwner, x = QFileDevice::ExeOwner, rw = r | w,
                  rwx = r | w | x;
        const QByteArray two("2\r\n"), three("3\r\n");
        const QStringList both{QStringLiteral("corde.nvl"), QStringLiteral("vents.nvl")}, corde{both.first()};
        // A save killed before its commit left its temporary beside the file; the next read removes it.
        QTest::newRow("a stray temporary") << rwx << rw << 2 << true << three << both;
        // No room for a temporary beside it: the file itself is overwritten.
        QTest::newRow("read-only folder") << (r | x) << rw << 2 << true << three << corde;
        // A file the player made read-only stays as it is, even with the folder writable.
        QTest::newRow("read-only file") << rwx << r << 2 << false << two << both;
        // Unreadable counts as fresh: the win of level 2 opens level 2.
        QTest::newRow("unreadable file") << rwx << w << -999 << true << two << both;
        // The file cannot even be seen: it is taken as missing, and cannot be created either.
        QTest::newRow("unreadable folder") << w << rw << 1 << false << two << corde;
        // Nothing half-written is left, not even an empty file for the missing one.
        QTest::newRow("a full disk") << rwx << rw << 2 << false << two << corde;
    }
    void filesThatFightBack()
    {
        QFETCH(int, folder);
        QFETCH(int, file);
        QFETCH(int, read);
        QFETCH(bool, saved);
        QFETCH(QByteArray, after);
        QFETCH(QStringList, files);
        // Root writes through any permission: each row runs as "nobody" (root stays saved, to come
        // back), in a folder of its own.
        const bool asNobody = geteuid() == 0;
        if (asNobody && setresuid(65534, 65534, 0) != 0)
            QSKIP("running as root and cannot act as an unprivileged user");
        const auto backToRoot = qScopeGuard([asNobody] {
            if (asNobody && setresuid(0, 0, 0) != 0)
                qFatal("cannot act as root again");
        });
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        const QString path = dir.filePath(QStringLiteral("niveaux"));
        const Store store(path);
        QVERIFY(fakes::put(store.path(GameId::Cordes), "2\r\n"));
        if (QTest::currentDataTag() == QLatin1String("a stray temporary"))
            QVERIFY(fakes::put(store.path(GameId::Cordes) + QStringLiteral(".aB3xYz"), "3"));
        QFile::setPermissions(store.path(GameId::Cordes), QFileDevice::Permissions(file));
        QFile::setPermissions(path, QFileDevice::Permissions(folder));
        // A full disk: no file may grow past its size.
        rlimit old{};
        getrlimit(RLIMIT_FSIZE, &old);
        const rlimit limit{QTest::currentDataTag() == QLatin1String("a full disk") ? 0 : old.rlim_cur, old.rlim_max};
        const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
        setrlimit(RLIMIT_FSIZE, &limit);
        const std::optional<int> cordes = store.read(GameId::Cordes), vents = store.read(GameId::Vents);
        const bool wrote = store.recordWin(GameId::Cordes, 2);
        setrlimit(RLIMIT_FSIZE, &old);
        std::signal(SIGXFSZ, oldHandler);
        QFile::setPermissions(path, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
        QFile::setPermissions(store.path(GameId::Cordes), QFileDevice::ReadOwner | QFileDevice::WriteOwner);

        QCOMPARE(cordes.value_or(-999), read);
        QCOMPARE(vents, std::optional<int>(1)); // missing or not: level 1 is open
        QCOMPARE(wrote, saved);
        QCOMPARE(fakes::contentOf(store.path(GameId::Cordes)), after);
        QCOMPARE(QDir(path).entryList(QDir::Files | QDir::Hidden), files);
        QCOMPARE(fakes::contentOf(store.path(GameId::Vents)), files.size() > 1 ? "1\r\n" : "<unreadable>");
    }
};

QTEST_GUILESS_MAIN(TestProgress)
#include "tst_progress.moc"
