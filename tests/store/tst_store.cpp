// SPDX-FileCopyrightText: 2026 Les Ateliers Calivento
//
// SPDX-License-Identifier: GPL-3.0-or-later

// The store on real SQLite files: who plays, what is kept, and the store's thread.
#include "store/database.h"
#include "store/french.h"
#include "store/player.h"
#include "store/worker.h"
#include "support/nobody.h"

#include <QProcess>
#include <QSqlQuery>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>
#include <csignal>
#include <sys/resource.h>
#include <unistd.h>

using namespace store;

namespace {
int count(Database &db, const QString &sql)
{
    QSqlQuery query(db.sql());
    return query.exec(sql) && query.next() ? query.value(0).toInt() : -1;
}

Child newChild(Database &db, const QString &name)
{
    return db.addChild({{}, db.defaultClass().id, name, QStringLiteral("violon"), {}, false}).value_or(Child{});
}

// Léa, added to the file through a connection of its own, closed before the game opens it.
Child leaIn(const QString &file)
{
    std::optional<Database> db = Database::open({file, {}}, QStringLiteral("setup"));
    return db ? newChild(*db, QStringLiteral("Léa")) : Child{};
}

// The child process of the kill test: a child plays a round, an answer every 2 ms, through the
// game's own Player; it says on stdout each answer posted and each answer known to be kept.
int writeAnswers(const QString &file)
{
    QCoreApplication::setApplicationName(QStringLiteral("tst_store"));
    const Child lea = leaIn(file);
    Player &player = Player::current();
    player.useStore({file, {}});
    player.play(lea);
    player.startRound(QStringLiteral("tous"), 3);
    QFile out;
    out.open(STDOUT_FILENO, QIODevice::WriteOnly | QIODevice::Unbuffered); // no buffer a kill could lose
    QTimer timer;
    int posted = 0;
    QObject::connect(&timer, &QTimer::timeout, [&] {
        player.answer(QStringLiteral("violon"), QStringLiteral("alto"), false, posted == 0);
        out.write("posted " + QByteArray::number(++posted) + '\n');
        player.worker().query<int>(
            [](Database &db) { return count(db, QStringLiteral("SELECT COUNT(*) FROM answers")); }, &timer,
            [&out](int kept) { out.write("kept " + QByteArray::number(kept) + '\n'); });
    });
    timer.start(2);
    return QCoreApplication::exec();
}
} // namespace

class TestStore : public QObject
{
    Q_OBJECT
    QTemporaryDir m_dir;
    std::unique_ptr<QTemporaryDir> m_case; // each case's own folder
    QString file() const { return m_case->filePath(QStringLiteral("calivento.sqlite")); }

private slots:
    void initTestCase() { QDir::setCurrent(m_dir.path()); }
    void init() { m_case = std::make_unique<QTemporaryDir>(); }
    void cleanup()
    {
        Player::current().leave();
        Player::current().close();
    }

    // At home the progress files keep the levels; a child's levels, setting and answers are her
    // own, a round she leaves is kept as abandoned, and removing her removes all she played.
    void onlyAChildIsRecorded()
    {
        Player &player = Player::current();
        player.useStore({file(), {}});
        player.useProgressFolder(m_dir.filePath(QStringLiteral("niveaux")));
        QVERIFY(player.recordWin(QStringLiteral("corde.nvl"), 1));
        QVERIFY(!player.hasStore());
        const Child lea = leaIn(file());
        player.play(lea);
        QCOMPARE(player.openLevels(QStringLiteral("corde.nvl")), 1); // her own, not the files'
        player.startRound(QStringLiteral("cordes"), 1);
        player.answer(QStringLiteral("alto"), QStringLiteral("violon"), false, true);
        player.endRound(QStringLiteral("gagné"), 12);
        QVERIFY(player.recordWin(QStringLiteral("corde.nvl"), 1));
        player.setHearsFoundInstrument(true);
        player.startRound(QStringLiteral("oreille"), 2);
        player.answer(QStringLiteral("cor"), QStringLiteral("tuba"), false, true);
        player.leave(); // mid-round
        player.close();

        std::optional<Database> db = Database::open({file(), {}}, QStringLiteral("test"));
        QVERIFY(db);
        QCOMPARE(
            count(*db, QStringLiteral("SELECT COUNT(*) FROM rounds WHERE game = 'oreille' AND outcome = 'abandonné'")),
            1);
        const std::optional<Child> kept = db->child(lea.id);
        QVERIFY(kept && kept->hearsFoundInstrument);
        QCOMPARE(kept->levels.at(QStringLiteral("cordes")), 2);
        QCOMPARE(db->answerCount(lea.id), 2);
        QVERIFY(db->removeChild(lea.id));
        QCOMPARE(count(*db, QStringLiteral("SELECT (SELECT COUNT(*) FROM answers) + (SELECT COUNT(*) FROM rounds)")),
                 0);
    }

    // The database held by another program (the adults' view writing, say): the game's drops
    // do not wait for it, and their answers are kept once it lets go.
    void aBusyDatabaseNeverHoldsUpPlay()
    {
        const QString path = file();
        std::optional<Database> other = Database::open({path, {}}, QStringLiteral("other"));
        const Child lea = newChild(*other, QStringLiteral("Léa"));
        Player &player = Player::current();
        player.useStore({path, {}});
        player.play(lea);
        player.worker().wait(); // opened
        QVERIFY(QSqlQuery(other->sql()).exec(QStringLiteral("BEGIN IMMEDIATE")));
        QElapsedTimer clock;
        clock.start();
        player.startRound(QStringLiteral("tous"), 1);
        for (int i = 0; i < 50; ++i)
            player.answer(QStringLiteral("cor"), QStringLiteral("cor"), true, true);
        player.endRound(QStringLiteral("gagné"), 50);
        QVERIFY2(clock.elapsed() < 500, qPrintable(QString::number(clock.elapsed())));
        QTest::qWait(1000);
        QVERIFY(QSqlQuery(other->sql()).exec(QStringLiteral("COMMIT")));
        player.close();
        QCOMPARE(count(*other, QStringLiteral("SELECT COUNT(*) FROM answers")), 50);
    }

    // A writer killed at any instant keeps every answer it had kept, and loses at most the last
    // second of them; the file is whole.
    void aKilledWriterLosesAtMostTheLastSecond_data()
    {
        QTest::addColumn<int>("afterMs");
        for (int ms : {150, 700, 1900})
            QTest::addRow("%d ms", ms) << ms;
    }
    void aKilledWriterLosesAtMostTheLastSecond()
    {
        QFETCH(int, afterMs);
        const QString path = file();
        QProcess writer;
        writer.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        QElapsedTimer clock;
        std::vector<std::pair<qint64, int>> posted; // when, how many
        int kept = 0;
        const auto readLines = [&] {
            while (writer.canReadLine()) {
                const QList<QByteArray> words = writer.readLine().trimmed().split(' ');
                if (words.size() == 2 && words[0] == "posted")
                    posted.emplace_back(clock.elapsed(), words[1].toInt());
                else if (words.size() == 2 && words[0] == "kept")
                    kept = std::max(kept, words[1].toInt());
            }
        };
        connect(&writer, &QProcess::readyReadStandardOutput, this, readLines);
        clock.start();
        writer.start(QCoreApplication::applicationFilePath(), {QStringLiteral("--writer"), path});
        QTRY_VERIFY_WITH_TIMEOUT(!posted.empty(), 20000);
        const qint64 killAt = posted.front().first + afterMs;
        QTRY_VERIFY_WITH_TIMEOUT(clock.elapsed() >= killAt, 20000);
        ::kill(static_cast<pid_t>(writer.processId()), SIGKILL);
        const qint64 killed = clock.elapsed();
        QVERIFY(writer.waitForFinished(10000));
        readLines();
        const auto lastSecond =
            std::find_if(posted.begin(), posted.end(), [&](const auto &p) { return p.first > killed - 1000; });
        const int mustHave = lastSecond == posted.begin() ? 0 : std::prev(lastSecond)->second;

        std::optional<Database> db = Database::open({path, {}}, QStringLiteral("test"));
        QVERIFY(db);
        QSqlQuery check(db->sql());
        QVERIFY(check.exec(QStringLiteral("PRAGMA integrity_check")) && check.next());
        QCOMPARE(check.value(0).toString(), QStringLiteral("ok"));
        const int found = count(*db, QStringLiteral("SELECT COUNT(*) FROM answers"));
        QCOMPARE(count(*db, QStringLiteral("SELECT MAX(seq) FROM answers")), found); // no hole
        QVERIFY2(found >= kept && found >= mustHave,
                 qPrintable(QStringLiteral("%1 kept, %2 posted a second before the kill, %3 found")
                                .arg(kept)
                                .arg(mustHave)
                                .arg(found)));
        QVERIFY(mustHave > 0 || afterMs < 1000);
    }

    // A store that cannot be written: the child plays on with her levels in memory, the terminal
    // is told once, and the adults' view can say since when; the next good write clears it.
    void playsOnWhenNothingCanBeKept_data()
    {
        QTest::addColumn<QString>("fault");
        QTest::newRow("read-only file") << QStringLiteral("file");
        QTest::newRow("full disk") << QStringLiteral("disk");
    }
    void playsOnWhenNothingCanBeKept()
    {
        QFETCH(QString, fault);
        const auto backToRoot = fakes::asNobody();
        if (geteuid() == 0)
            QSKIP("running as root and cannot act as an unprivileged user");
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("calivento.sqlite"));
        const Child lea = leaIn(path);
        const auto file = QFileDevice::ReadOwner | QFileDevice::WriteOwner;
        QFile::setPermissions(path, fault == QLatin1String("file") ? QFileDevice::ReadOwner : file);
        // A full disk: the store's files may not grow, a small settings file may.
        rlimit old{};
        getrlimit(RLIMIT_FSIZE, &old);
        const rlimit limit{fault == QLatin1String("disk") ? 1024 : old.rlim_cur, old.rlim_max};
        const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
        setrlimit(RLIMIT_FSIZE, &limit);
        const QRegularExpression told(QStringLiteral("ne peuvent pas être gardés"));
        QTest::ignoreMessage(QtWarningMsg, told);
        QTest::failOnWarning(told);

        const qint64 before = nowMs();
        Player &player = Player::current();
        player.useStore({path, {}});
        player.play(lea);
        player.startRound(QStringLiteral("vents"), 1);
        for (int i = 0; i < 5; ++i)
            player.answer(QStringLiteral("cor"), QStringLiteral("tuba"), false, true);
        player.endRound(QStringLiteral("gagné"), 5);
        QVERIFY(player.recordWin(QStringLiteral("vents.nvl"), 1));
        player.close();
        setrlimit(RLIMIT_FSIZE, &old);
        std::signal(SIGXFSZ, oldHandler);
        // Made writable again, with the journal files that SQLite made as the file was.
        for (const QString &name : QDir(dir.path()).entryList(QDir::Files))
            QFile::setPermissions(dir.filePath(name), file);

        QCOMPARE(player.openLevels(QStringLiteral("vents.nvl")), 2);
        const std::optional<QDateTime> since = failingSince(path);
        QVERIFY(since);
        QVERIFY(since->toMSecsSinceEpoch() >= before && since->toMSecsSinceEpoch() <= nowMs());
        player.startRound(QStringLiteral("vents"), 2);
        player.close();
        QCOMPARE(failingSince(path), std::nullopt);
    }

    // What an adult may type as a first name is kept exactly, whatever it holds, and read back
    // the same; a name already in the class is refused, whatever its case or accents' encoding.
    void firstNames_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("kept");  // empty: refused
        QTest::addColumn<QString>("error"); // the message, when refused
        const QString taken = QStringLiteral("Il y a déjà un enfant nommé « Léa » dans cette classe.");
        QTest::newRow("accents") << QStringLiteral("Zoé-Gaëlle") << QStringLiteral("Zoé-Gaëlle") << QString();
        QTest::newRow("apostrophes") << QStringLiteral("  N'Golo  ") << QStringLiteral("N'Golo") << QString();
        QTest::newRow("40 characters") << QStringLiteral("é").repeated(40) << QStringLiteral("é").repeated(40)
                                       << QString();
        QTest::newRow("SQL") << QStringLiteral("x'); DROP TABLE children;--")
                             << QStringLiteral("x'); DROP TABLE children;--") << QString();
        QTest::newRow("already there") << QStringLiteral("LÉA") << QString() << taken;
        QTest::newRow("accent written apart") << QStringLiteral("Le\u0301a") << QString() << taken;
    }
    void firstNames()
    {
        QFETCH(QString, typed);
        QFETCH(QString, kept);
        QFETCH(QString, error);
        const QString path = file();
        std::optional<Database> db = Database::open({path, {}}, QStringLiteral("test"));
        newChild(*db, QStringLiteral("Léa"));
        QString said;
        const std::optional<Child> added =
            db->addChild({{}, db->defaultClass().id, typed, QStringLiteral("cor"), {}, false}, &said);
        QCOMPARE(said, error);
        QCOMPARE(added.has_value(), !kept.isEmpty());
        db.reset();

        db = Database::open({path, {}}, QStringLiteral("again"));
        QStringList names;
        for (const Child &child : db->children())
            names << child.firstName;
        QCOMPARE(names.size(), kept.isEmpty() ? 1 : 2);
        QVERIFY(kept.isEmpty() || names.contains(kept));
    }

    void frenchOrder()
    {
        QStringList names{"Zoé", "émile", "Eva", "zoe", "Élodie", "eric", "Ève", "Anaïs", "Aaron", "Léa 10", "Léa 2"};
        sortFrench(names);
        QCOMPARE(names, (QStringList{"Aaron", "Anaïs", "Élodie", "émile", "eric", "Eva", "Ève", "Léa 2", "Léa 10",
                                     "zoe", "Zoé"}));
    }

    // A file made by the first version of the store takes the later columns and keeps its rows.
    void upgradesAnOlderFile()
    {
        const QString path = file();
        {
            std::optional<Database> db = Database::open({path, {}}, QStringLiteral("v1"), nullptr, 1);
            QCOMPARE(db->schemaVersion(), 1);
            const Child lea = newChild(*db, QStringLiteral("Léa"));
            const Round round{newUuid(), lea.id, "vue", "vents", 2, nowMs(), 900, "perdu", 3};
            QVERIFY(db->saveRound(round));
            const std::vector<Answer> answers{{round.id, 1, "cor", "tuba", false, true, 300},
                                              {round.id, 2, "cor", "cor", true, false, 800}};
            QVERIFY(db->addAnswers(answers));
            QVERIFY(db->setLevel(lea.id, QStringLiteral("vents"), 2));
        }
        std::optional<Database> db = Database::open({path, {}}, QStringLiteral("now"));
        QVERIFY(db);
        QCOMPARE(db->schemaVersion(), schema::version);
        QCOMPARE(count(*db, QStringLiteral("SELECT COUNT(*) FROM answers WHERE sent_ms IS NULL")), 2);
        QCOMPARE(count(*db, QStringLiteral("SELECT COUNT(*) FROM rounds WHERE sent_ms IS NULL AND points = 3")), 1);
        QCOMPARE(db->children().front().levels.at(QStringLiteral("vents")), 2);
    }
};

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    if (argc == 3 && qstrcmp(argv[1], "--writer") == 0)
        return writeAnswers(QString::fromLocal8Bit(argv[2]));
    // The failure notes go to a settings folder that "nobody" may write too.
    QTemporaryDir home;
    for (const QString folder : {"", "/.qttest", "/.qttest/config", "/.qttest/config/Calivento"}) {
        QDir().mkpath(home.path() + folder);
        QFile::setPermissions(home.path() + folder, QFileDevice::Permissions(0x7777));
    }
    qputenv("HOME", home.path().toLocal8Bit());
    QStandardPaths::setTestModeEnabled(true);
    TestStore test;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&test, argc, argv);
}
#include "tst_store.moc"
