// The progress files: reading the first number, the rule of a win, and files that fight back.
#include "screens/results/progress.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>
#include <unistd.h>

using game::GameId;
using progress::Store;

namespace {
QByteArray contentOf(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<unreadable>");
}
void put(const QString &path, const QByteArray &content)
{
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(content);
}
bool runningAsRoot()
{
    return geteuid() == 0;
}
} // namespace

class TestProgress : public QObject
{
    Q_OBJECT
private slots:
    void firstNumber_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<int>("expected");  // -999: no number
        QTest::newRow("as written") << QByteArray("2\r\n") << 2;
        QTest::newRow("no line end") << QByteArray("3") << 3;
        QTest::newRow("spaces and blank lines first") << QByteArray("  \r\n\r\n 2  ") << 2;
        QTest::newRow("more lines after") << QByteArray("1\r\nhello\r\n3") << 1;
        QTest::newRow("comma ends it") << QByteArray("2,3") << 2;
        QTest::newRow("negative") << QByteArray("-1") << -1;
        QTest::newRow("plus sign") << QByteArray("+3") << 3;
        QTest::newRow("empty") << QByteArray() << -999;
        QTest::newRow("only spaces") << QByteArray(" \r\n ") << -999;
        QTest::newRow("letters") << QByteArray("abc") << -999;
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

    void winRule_data()
    {
        QTest::addColumn<int>("stored");
        QTest::addColumn<int>("level");
        QTest::addColumn<int>("written");
        QTest::newRow("1, any level") << 1 << 1 << 2;
        QTest::newRow("2, level 1 keeps 2") << 2 << 1 << 2;
        QTest::newRow("2, level 2 opens 3") << 2 << 2 << 3;
        QTest::newRow("2, level 3 never goes down") << 2 << 3 << 2;
        QTest::newRow("3 stays") << 3 << 2 << 3;
    }
    void winRule()
    {
        QFETCH(int, stored);
        QFETCH(int, level);
        QFETCH(int, written);
        QCOMPARE(progress::afterWin(stored, level), written);
    }

    void missingFolderAndFileAreCreatedHoldingOne()
    {
        QTemporaryDir dir;
        const Store store(dir.filePath(QStringLiteral("niveaux")));
        QCOMPARE(store.read(GameId::Cordes), std::optional<int>(1));
        QCOMPARE(contentOf(store.path(GameId::Cordes)), QByteArray("1\r\n"));
    }

    void winWritesExactlyThreeBytesAndDropsExtraText()
    {
        QTemporaryDir dir;
        const Store store(dir.path());
        put(store.path(GameId::Vents), "1\r\nsomething else\r\n");
        QVERIFY(store.recordWin(GameId::Vents, 1));
        QCOMPARE(contentOf(store.path(GameId::Vents)), QByteArray("2\r\n"));
        QVERIFY(store.recordWin(GameId::Vents, 2));
        QCOMPARE(contentOf(store.path(GameId::Vents)), QByteArray("3\r\n"));
        // Each game has its own file.
        QVERIFY(!QFile::exists(store.path(GameId::Tous)));
        QCOMPARE(store.path(GameId::Familles), dir.filePath(QStringLiteral("finstr.nvl")));
    }

    void garbageReadsAsNothingAndIsLeftAlone_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::newRow("empty") << QByteArray();
        QTest::newRow("zero") << QByteArray("0\r\n");
        QTest::newRow("four") << QByteArray("4\r\n");
        QTest::newRow("negative") << QByteArray("-2\r\n");
        QTest::newRow("huge") << QByteArray("123456789012345\r\n");
        QTest::newRow("2abc") << QByteArray("2abc");
        QTest::newRow("noise") << QByteArray("\x89PNG\x00\x01\x02\xfe", 8);
        QTest::newRow("10 MB of text") << QByteArray(10 * 1024 * 1024, 'x');
    }
    void garbageReadsAsNothingAndIsLeftAlone()
    {
        QFETCH(QByteArray, content);
        QTemporaryDir dir;
        const Store store(dir.path());
        put(store.path(GameId::Percussions), content);
        QCOMPARE(store.read(GameId::Percussions), std::nullopt);
        QCOMPARE(contentOf(store.path(GameId::Percussions)), content);
        // A win over a garbled file still opens the next level.
        QVERIFY(store.recordWin(GameId::Percussions, 1));
        QCOMPARE(contentOf(store.path(GameId::Percussions)), QByteArray("2\r\n"));
    }

    void aFolderInPlaceOfTheFile()
    {
        QTemporaryDir dir;
        const Store store(dir.path());
        QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("corde.nvl")));
        QCOMPARE(store.read(GameId::Cordes), std::nullopt);
        QVERIFY(!store.recordWin(GameId::Cordes, 1));
        QVERIFY(QFileInfo(store.path(GameId::Cordes)).isDir());
    }

    void readOnlyFolderNeverStopsPlay()
    {
        if (runningAsRoot())
            QSKIP("root writes through read-only permissions");
        QTemporaryDir dir;
        const Store store(dir.path());
        put(store.path(GameId::Tous), "2\r\n");
        QFile::setPermissions(dir.path(), QFileDevice::ReadOwner | QFileDevice::ExeOwner);
        QCOMPARE(store.read(GameId::Tous), std::optional<int>(2));
        QCOMPARE(store.read(GameId::Vents), std::optional<int>(1));  // cannot be created: level 1 only
        QVERIFY(!store.recordWin(GameId::Tous, 2));
        QCOMPARE(contentOf(store.path(GameId::Tous)), QByteArray("2\r\n"));
        QFile::setPermissions(dir.path(), QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    }

    void readOnlyFileKeepsItsContent()
    {
        if (runningAsRoot())
            QSKIP("root writes through read-only permissions");
        QTemporaryDir dir;
        const Store store(dir.path());
        put(store.path(GameId::Vents), "1\r\n");
        QFile::setPermissions(store.path(GameId::Vents), QFileDevice::ReadOwner);
        QCOMPARE(store.read(GameId::Vents), std::optional<int>(1));
        // The replacement is atomic: with the folder writable it still goes through.
        QVERIFY(store.recordWin(GameId::Vents, 1));
        QCOMPARE(contentOf(store.path(GameId::Vents)), QByteArray("2\r\n"));
    }
};

QTEST_GUILESS_MAIN(TestProgress)
#include "tst_progress.moc"
