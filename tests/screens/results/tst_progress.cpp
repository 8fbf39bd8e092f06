// The progress files: reading the first number, the rule of a win, and files that fight back.
#include "screens/results/progress.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>
#include <csignal>
#include <sys/mount.h>
#include <sys/resource.h>
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

// Root writes through read-only permissions, so as root a permission case runs again in a child
// as the unprivileged "nobody". Returns false when that cannot be done here.
bool runAsNobody(const char *testFunction, QString *output)
{
    const QString setpriv = QStandardPaths::findExecutable(QStringLiteral("setpriv"));
    if (setpriv.isEmpty())
        return false;
    const QStringList drop{QStringLiteral("--reuid=65534"), QStringLiteral("--regid=65534"),
                           QStringLiteral("--clear-groups")};
    const QString self = QCoreApplication::applicationFilePath();
    QProcess probe;
    probe.start(setpriv, drop + QStringList{QStringLiteral("test"), QStringLiteral("-x"), self});
    if (!probe.waitForFinished() || probe.exitStatus() != QProcess::NormalExit || probe.exitCode() != 0)
        return false;  // the test program lies where nobody cannot reach it
    QProcess child;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("TMPDIR"), QStringLiteral("/tmp"));
    env.remove(QStringLiteral("XDG_RUNTIME_DIR"));
    child.setProcessEnvironment(env);
    child.setProcessChannelMode(QProcess::MergedChannels);
    child.start(setpriv, drop + QStringList{self, QString::fromLatin1(testFunction)});
    child.waitForFinished(120000);
    *output = QString::fromLocal8Bit(child.readAll());
    return true;
}

#define UNPRIVILEGED_ONLY()                                                                          \
    do {                                                                                             \
        if (runningAsRoot()) {                                                                       \
            QString output;                                                                          \
            if (!runAsNobody(QTest::currentTestFunction(), &output))                                 \
                QSKIP("running as root and cannot switch to an unprivileged user");                  \
            QVERIFY2(output.contains(QLatin1String("Totals: ")) && output.contains(QLatin1String(" 0 failed")) \
                         && !output.contains(QLatin1String("SKIP")),                                \
                     qPrintable(output));                                                            \
            return;                                                                                  \
        }                                                                                            \
    } while (false)

// A tiny file system that fills up, mounted over a folder while the test needs it.
class TinyDisk
{
public:
    explicit TinyDisk(const QString &where)
        : m_where(where.toLocal8Bit())
    {
        m_mounted = mount("calivento-test", m_where.constData(), "tmpfs", MS_NOSUID | MS_NODEV,
                          "size=64k,nr_inodes=64") == 0;
    }
    ~TinyDisk()
    {
        if (m_mounted)
            umount2(m_where.constData(), MNT_DETACH);
    }
    bool mounted() const { return m_mounted; }

    // Writes filler until the disk refuses another byte.
    static void fill(const QString &folder)
    {
        QFile filler(folder + QStringLiteral("/filler"));
        if (!filler.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
            return;
        const QByteArray block(512, 'x');
        while (filler.write(block) > 0) {
        }
        const QByteArray byte(1, 'x');
        while (filler.write(byte) > 0) {
        }
    }

private:
    QByteArray m_where;
    bool m_mounted = false;
};

// No file may grow past its current size in this process while it lives.
class NoFileGrowth
{
public:
    NoFileGrowth()
    {
        getrlimit(RLIMIT_FSIZE, &m_old);
        m_oldHandler = std::signal(SIGXFSZ, SIG_IGN);
        rlimit none = m_old;
        none.rlim_cur = 0;
        setrlimit(RLIMIT_FSIZE, &none);
    }
    ~NoFileGrowth()
    {
        setrlimit(RLIMIT_FSIZE, &m_old);
        std::signal(SIGXFSZ, m_oldHandler);
    }

private:
    rlimit m_old{};
    void (*m_oldHandler)(int) = nullptr;
};
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
        QTest::newRow("two signs") << QByteArray("+-3") << -999;
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
        UNPRIVILEGED_ONLY();
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
        UNPRIVILEGED_ONLY();
        QTemporaryDir dir;
        const Store store(dir.path());
        put(store.path(GameId::Vents), "1\r\n");
        QFile::setPermissions(store.path(GameId::Vents), QFileDevice::ReadOwner);
        QCOMPARE(store.read(GameId::Vents), std::optional<int>(1));
        // A file the player made read-only stays as it is, even with the folder writable.
        QVERIFY(!store.recordWin(GameId::Vents, 1));
        QCOMPARE(contentOf(store.path(GameId::Vents)), QByteArray("1\r\n"));
        QCOMPARE(store.read(GameId::Vents), std::optional<int>(1));
    }

    void unreadableFileReadsAsNothingAndSurvivesAWin()
    {
        UNPRIVILEGED_ONLY();
        QTemporaryDir dir;
        const Store store(dir.path());
        put(store.path(GameId::Percussions), "3\r\n");
        QFile::setPermissions(store.path(GameId::Percussions), QFileDevice::WriteOwner);
        QCOMPARE(store.read(GameId::Percussions), std::nullopt);
        // Unreadable counts as fresh: the win opens level 2; the file keeps its permissions.
        QVERIFY(store.recordWin(GameId::Percussions, 1));
        QCOMPARE(contentOf(store.path(GameId::Percussions)), QByteArray("<unreadable>"));
        QFile::setPermissions(store.path(GameId::Percussions), QFileDevice::ReadOwner);
        QCOMPARE(contentOf(store.path(GameId::Percussions)), QByteArray("2\r\n"));
    }

    void unreadableFolderLeavesLevelOneOpen()
    {
        UNPRIVILEGED_ONLY();
        QTemporaryDir dir;
        const Store store(dir.filePath(QStringLiteral("niveaux")));
        QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("niveaux")));
        put(store.path(GameId::Cordes), "3\r\n");
        QFile::setPermissions(dir.filePath(QStringLiteral("niveaux")), QFileDevice::WriteOwner);
        // The file cannot even be seen: it is taken as missing, and cannot be created either.
        QCOMPARE(store.read(GameId::Cordes), std::optional<int>(1));
        QVERIFY(!store.recordWin(GameId::Cordes, 1));
        QFile::setPermissions(dir.filePath(QStringLiteral("niveaux")),
                              QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
        QCOMPARE(contentOf(store.path(GameId::Cordes)), QByteArray("3\r\n"));
    }

    void aWriteThatCannotBeDoneKeepsTheOldContent_data()
    {
        QTest::addColumn<bool>("tinyDisk");
        QTest::newRow("full disk") << true;
        QTest::newRow("no room to grow a file") << false;
    }
    void aWriteThatCannotBeDoneKeepsTheOldContent()
    {
        QFETCH(bool, tinyDisk);
        QTemporaryDir dir;
        std::optional<TinyDisk> disk;
        if (tinyDisk) {
            disk.emplace(dir.path());
            if (!disk->mounted())
                QSKIP("cannot mount a tiny file system here (needs root)");
        }
        const Store store(dir.path());
        put(store.path(GameId::Tous), "2\r\n");
        std::optional<NoFileGrowth> limit;
        if (tinyDisk)
            TinyDisk::fill(dir.path());
        else
            limit.emplace();

        QVERIFY(!store.recordWin(GameId::Tous, 2));
        QCOMPARE(contentOf(store.path(GameId::Tous)), QByteArray("2\r\n"));
        QCOMPARE(store.read(GameId::Tous), std::optional<int>(2));
        // A missing file cannot be created: level 1 is open all the same, and no empty file is left
        // for the next start to stumble on.
        QCOMPARE(store.read(GameId::Familles), std::optional<int>(1));
        QVERIFY(!QFile::exists(store.path(GameId::Familles)));
        // Nothing half-written lies about.
        const QStringList left = QDir(dir.path()).entryList(QDir::Files);
        QCOMPARE(left, tinyDisk ? QStringList({QStringLiteral("filler"), QStringLiteral("tinstr.nvl")})
                                : QStringList{QStringLiteral("tinstr.nvl")});
    }
};

QTEST_GUILESS_MAIN(TestProgress)
#include "tst_progress.moc"
