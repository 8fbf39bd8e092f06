// SPDX-FileCopyrightText: 2026 Les Ateliers Calivento
//
// SPDX-License-Identifier: GPL-3.0-or-later

// The progress files: garbage, files that fight back, and saves that leave the old content whole
// when they fail.
#include "store/progress.h"
#include "support/fakes.h"
#include "support/nobody.h"

#include <QTemporaryDir>
#include <QtTest>
#include <csignal>
#include <sys/resource.h>
#include <unistd.h>

using store::progress::Store;

namespace {
const QString percuFile = QStringLiteral("percu.nvl"), cordeFile = QStringLiteral("corde.nvl"),
              ventsFile = QStringLiteral("vents.nvl");
} // namespace

class TestProgress : public QObject
{
    Q_OBJECT
private slots:
    // Read as -3 it would pass unseen behind the level check ("-3" opens nothing), so the reader is asked.
    void aPlusThenAMinusIsNoNumber() { QCOMPARE(store::progress::firstNumber("+-3"), std::nullopt); }

    void garbageIsLeftAloneUntilAWinWritesTwo_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::newRow("noise") << QByteArray("\x89PNG\x00\x01\x02\xfe", 8);
        QTest::newRow("digits then letters") << QByteArray("2abc");
    }
    void garbageIsLeftAloneUntilAWinWritesTwo()
    {
        QFETCH(QByteArray, content);
        QTemporaryDir dir;
        const Store store(dir.path());
        const QString path = store.path(percuFile);
        QVERIFY(fakes::put(path, content));
        QCOMPARE(store.read(percuFile), std::nullopt);
        QCOMPARE(fakes::contentOf(path), content);
        QVERIFY(store.recordWin(percuFile, 1));
        QCOMPARE(fakes::contentOf(path), "2\r\n");
    }

    // corde.nvl holds 2 and vents.nvl is missing; both are read, then level 2 of corde is won.
    void filesThatFightBack_data()
    {
        QTest::addColumn<int>("folder"); // permissions
        QTest::addColumn<int>("file");
        QTest::addColumn<QByteArray>("after");  // "3": the win was saved
        QTest::addColumn<QStringList>("files"); // what the folder holds in the end
        const int r = QFileDevice::ReadOwner, w = QFileDevice::WriteOwner, x = QFileDevice::ExeOwner, rw = r | w,
                  rwx = r | w | x;
        const QByteArray two("2\r\n"), three("3\r\n");
        const QStringList both{QStringLiteral("corde.nvl"), QStringLiteral("vents.nvl")}, corde{both.first()};
        // A save killed before its commit left its temporary beside the file; the next read removes it.
        QTest::newRow("a stray temporary") << rwx << rw << three << both;
        // No room for a temporary beside it, nor for the missing file: the file itself is overwritten.
        QTest::newRow("read-only folder") << (r | x) << rw << three << corde;
        // A file the player made read-only stays as it is, even with the folder writable.
        QTest::newRow("read-only file") << rwx << r << two << both;
        // Nothing half-written is left, not even an empty file for the missing one.
        QTest::newRow("a full disk") << rwx << rw << two << corde;
    }
    void filesThatFightBack()
    {
        QFETCH(int, folder);
        QFETCH(int, file);
        QFETCH(QByteArray, after);
        QFETCH(QStringList, files);
        const auto backToRoot = fakes::asNobody();
        if (geteuid() == 0)
            QSKIP("running as root and cannot act as an unprivileged user");
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("niveaux"));
        const Store store(path);
        QVERIFY(fakes::put(store.path(cordeFile), "2\r\n"));
        if (QTest::currentDataTag() == QLatin1String("a stray temporary"))
            QVERIFY(fakes::put(store.path(cordeFile) + QStringLiteral(".aB3xYz"), "3"));
        QFile::setPermissions(store.path(cordeFile), QFileDevice::Permissions(file));
        QFile::setPermissions(path, QFileDevice::Permissions(folder));
        // A full disk: no file may grow past its size.
        rlimit old{};
        getrlimit(RLIMIT_FSIZE, &old);
        const rlimit limit{QTest::currentDataTag() == QLatin1String("a full disk") ? 0 : old.rlim_cur, old.rlim_max};
        const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
        setrlimit(RLIMIT_FSIZE, &limit);
        const std::optional<int> cordes = store.read(cordeFile), vents = store.read(ventsFile);
        const bool wrote = store.recordWin(cordeFile, 2);
        setrlimit(RLIMIT_FSIZE, &old);
        std::signal(SIGXFSZ, oldHandler);
        QFile::setPermissions(path, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
        QFile::setPermissions(store.path(cordeFile), QFileDevice::ReadOwner | QFileDevice::WriteOwner);

        QCOMPARE(cordes, std::optional<int>(2));
        QCOMPARE(vents, std::optional<int>(1)); // missing or not: level 1 is open
        QCOMPARE(wrote, after == "3\r\n");
        QCOMPARE(fakes::contentOf(store.path(cordeFile)), after);
        QCOMPARE(QDir(path).entryList(QDir::Files | QDir::Hidden), files);
        QCOMPARE(fakes::contentOf(store.path(ventsFile)), files.size() > 1 ? "1\r\n" : "<unreadable>");
    }

    // A file that is there but cannot be read may hold a higher level than a win would write:
    // it is left as it is.
    void anUnreadableFileIsNotWrittenOver()
    {
        const QString file = cordeFile;
        const auto backToRoot = fakes::asNobody();
        if (geteuid() == 0)
            QSKIP("running as root and cannot act as an unprivileged user");
        QTemporaryDir dir;
        const Store store(dir.path());
        QVERIFY(fakes::put(store.path(file), "3\r\n"));
        QFile::setPermissions(store.path(file), QFileDevice::WriteOwner);
        QCOMPARE(store.read(file), std::nullopt);
        const QRegularExpression told(QStringLiteral("ne peut pas être lu"));
        QTest::ignoreMessage(QtWarningMsg, told);
        QTest::failOnWarning(told);
        QVERIFY(!store.raise(file, 2));
        QVERIFY(!store.recordWin(file, 1)); // told once only
        QFile::setPermissions(store.path(file), QFileDevice::ReadOwner | QFileDevice::WriteOwner);
        QCOMPARE(fakes::contentOf(store.path(file)), "3\r\n");
    }
};

QTEST_GUILESS_MAIN(TestProgress)
#include "tst_progress.moc"
