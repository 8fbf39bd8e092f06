// SPDX-FileCopyrightText: 2026 Les Ateliers Calivento
//
// SPDX-License-Identifier: GPL-3.0-or-later

// The store against a real PostgreSQL server that the test starts itself: the same store on both
// engines, the school's script against the game's own upgrades, the game's role, a server that
// crashes mid-play or never answers, and results carried by hand into the server.
#include "school_fill.h"
#include "store/carry.h"
#include "store/csv.h"
#include "store/player.h"
#include "store/server.h"
#include "store/sync.h"
#include "suivi/base_ecole.h"
#include "support/pg_server.h"

#include <QBuffer>
#include <QElapsedTimer>
#include <QLabel>
#include <QPushButton>
#include <QSignalSpy>
#include <QSqlError>
#include <QTemporaryDir>
#include <QtTest>

#include <arpa/inet.h>
#include <atomic>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>

using namespace store;
using schoolfill::count;

namespace {

const QString poste = QStringLiteral("calivento_poste");
const QString suiviRole = QStringLiteral("calivento_suivi");

// A TCP listener that takes connections and never says a word.
class SilentServer
{
public:
    SilentServer()
    {
        m_fd = ::socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t length = sizeof address;
        ::bind(m_fd, reinterpret_cast<sockaddr *>(&address), sizeof address);
        ::listen(m_fd, 8);
        ::getsockname(m_fd, reinterpret_cast<sockaddr *>(&address), &length);
        m_port = ntohs(address.sin_port);
        m_thread = std::thread([this] {
            std::vector<int> held;
            while (!m_stop) {
                pollfd waiting{m_fd, POLLIN, 0};
                if (::poll(&waiting, 1, 50) > 0) {
                    held.push_back(::accept(m_fd, nullptr, nullptr));
                    ++m_accepted;
                }
            }
            for (int fd : held)
                ::close(fd);
        });
    }
    ~SilentServer()
    {
        m_stop = true;
        m_thread.join();
        ::close(m_fd);
    }
    int port() const { return m_port; }
    int accepted() const { return m_accepted; }

private:
    int m_fd = -1;
    int m_port = 0;
    std::atomic_bool m_stop{false};
    std::atomic_int m_accepted{0};
    std::thread m_thread;
};

QStringList lines(const QString &text)
{
    QStringList list = text.split(u'\n', Qt::SkipEmptyParts);
    list.sort();
    return list;
}

} // namespace

class TestPostgres : public QObject
{
    Q_OBJECT

    testsupport::PgServer m_server;
    QTemporaryDir m_dir;

    bool script(const QString &database)
    {
        return m_server.createDatabase(database) &&
               m_server.psqlFile(database, QStringLiteral(CALIVENTO_SOURCE_DIR "/data/postgresql/ecole.sql"));
    }
    QString describeSchema(const QString &database)
    {
        QString columns, constraints, indexes;
        m_server.psql(database,
                      QStringLiteral("SELECT table_name, column_name, data_type, is_nullable, is_identity,"
                                     " coalesce(column_default, '') FROM information_schema.columns"
                                     " WHERE table_schema = 'public' ORDER BY 1, 2"),
                      &columns);
        m_server.psql(database,
                      QStringLiteral("SELECT conrelid::regclass, contype, pg_get_constraintdef(oid) FROM pg_constraint"
                                     " WHERE connamespace = 'public'::regnamespace ORDER BY 1, 2, 3"),
                      &constraints);
        m_server.psql(database,
                      QStringLiteral("SELECT indexdef FROM pg_indexes WHERE schemaname = 'public' ORDER BY 1"),
                      &indexes);
        return columns + u'\n' + constraints + u'\n' + indexes;
    }

private slots:
    void initTestCase() { QVERIFY2(m_server.start(), qPrintable(m_server.error())); }

    void address_data()
    {
        QTest::addColumn<QString>("base");
        QTest::addColumn<QString>("conninfo"); // empty: refused
        QTest::newRow("url") << QStringLiteral("postgresql://poste@ecole.lan:5433/calivento?sslmode=verify-full")
                             << QStringLiteral("host='ecole.lan' port='5433' dbname='calivento' user='poste'"
                                               " sslmode='verify-full' connect_timeout=3");
        QTest::newRow("socket") << QStringLiteral("postgresql:///calivento?host=/run/postgresql")
                                << QStringLiteral("dbname='calivento' host='/run/postgresql' connect_timeout=3");
        QTest::newRow("service") << QStringLiteral("service=ecole")
                                 << QStringLiteral("service=ecole connect_timeout=3");
        QTest::newRow("own timeout") << QStringLiteral("service=ecole connect_timeout=10")
                                     << QStringLiteral("service=ecole connect_timeout=10 keepalives_idle");
        QTest::newRow("quote in a name") << QStringLiteral("postgresql://h/it's")
                                         << QStringLiteral("host='h' dbname='it\\'s'");
        QTest::newRow("password in url") << QStringLiteral("postgresql://poste:secret@h/db") << QString();
        QTest::newRow("password parameter") << QStringLiteral("postgresql://h/db?password=secret") << QString();
        QTest::newRow("password keyword") << QStringLiteral("host=h password=secret") << QString();
        QTest::newRow("not an address") << QStringLiteral("ecole.lan") << QString();
    }
    void address()
    {
        QFETCH(QString, base);
        QFETCH(QString, conninfo);
        QString error;
        const std::optional<QString> made = server::connectionString(base, &error);
        QCOMPARE(made.has_value(), !conninfo.isEmpty());
        if (made)
            QVERIFY2(made->startsWith(conninfo.section(u' ', 0, 0)) && made->contains(conninfo.section(u' ', -1)),
                     qPrintable(*made));
        else
            QVERIFY(!error.contains(QStringLiteral("secret")));
        QVERIFY(!server::describe(base).contains(QStringLiteral("secret")));
    }

    // The school's script and the game's own upgrades make the same tables, columns, keys and
    // indexes; and the game's role can use a store the script made.
    void scriptMatchesTheGame()
    {
        QVERIFY2(script(QStringLiteral("ecole")), qPrintable(m_server.error()));
        QVERIFY(m_server.createDatabase(QStringLiteral("jeu")));
        QString error;
        {
            std::optional<Database> game =
                Database::open({{}, m_server.url(QStringLiteral("jeu"))}, QStringLiteral("jeu"), &error);
            QVERIFY2(game, qPrintable(error));
            QCOMPARE(game->schemaVersion(), schema::version);
        }
        const QString made = describeSchema(QStringLiteral("jeu"));
        QVERIFY(made.contains(QStringLiteral("answers|sent_ms")));
        QCOMPARE(describeSchema(QStringLiteral("ecole")), made);
        std::optional<Database> asPoste =
            Database::open({{}, m_server.url(QStringLiteral("ecole"), poste)}, QStringLiteral("poste"), &error);
        QVERIFY2(asPoste, qPrintable(error));
        QCOMPARE(asPoste->schemaVersion(), schema::version);
        QSqlQuery read(asPoste->sql());
        QVERIFY(!read.exec(QStringLiteral("SELECT * FROM answers")));
        QVERIFY(read.lastError().text().contains(QStringLiteral("permission denied")));

        // This computer's own settings stay in its own file.
        const QString computerFile = m_dir.filePath(QStringLiteral("poste.sqlite"));
        {
            std::optional<Database> both = Database::open({computerFile, m_server.url(QStringLiteral("ecole"), poste)},
                                                          QStringLiteral("both"), &error);
            QVERIFY2(both, qPrintable(error));
            QVERIFY(both->setSetting(QStringLiteral("classe_du_poste"), QStringLiteral("cm1")));
            QCOMPARE(both->setting(QStringLiteral("classe_du_poste")), QStringLiteral("cm1"));
        }
        QString onServer;
        QVERIFY(m_server.psql(QStringLiteral("ecole"), QStringLiteral("SELECT count(*) FROM settings"), &onServer));
        QCOMPARE(onServer, QStringLiteral("0"));
        std::optional<Database> computer = Database::open({computerFile, {}}, QStringLiteral("computer"));
        QCOMPARE(computer->setting(QStringLiteral("classe_du_poste")), QStringLiteral("cm1"));
    }

    // The store's own cases, on both engines.
    void sameStore_data()
    {
        QTest::addColumn<bool>("server");
        QTest::newRow("SQLite") << false;
        QTest::newRow("PostgreSQL") << true;
    }
    void sameStore()
    {
        QFETCH(bool, server);
        Location where{m_dir.filePath(QStringLiteral("same.sqlite")), {}};
        if (server) {
            QVERIFY(m_server.createDatabase(QStringLiteral("same")));
            where = {{}, m_server.url(QStringLiteral("same"))};
        }
        QString error;
        std::optional<Database> db = Database::open(where, QStringLiteral("same"), &error);
        QVERIFY2(db, qPrintable(error));
        const std::optional<ClassRow> ce2 = db->classNamed(QStringLiteral("CE2 B"));
        QVERIFY(ce2);
        QVERIFY(!db->addClass(QStringLiteral("ce2 b")));
        const QString nasty = QStringLiteral("Robert'); DROP TABLE enfants;--");
        std::optional<Child> robert = db->addChild({{}, ce2->id, nasty, QStringLiteral("tuba"), {}, false});
        QVERIFY(robert);
        QVERIFY(db->addChild({{}, ce2->id, QStringLiteral("Émile"), QStringLiteral("cor"), {}, false}));
        QVERIFY(db->addChild({{}, ce2->id, QStringLiteral("zoé"), QStringLiteral("harpe"), {}, false}));
        QVERIFY(!db->addChild({{}, ce2->id, QStringLiteral("ZOÉ"), QStringLiteral("harpe"), {}, false}, &error));
        QVERIFY(error.contains(QStringLiteral("déjà")));
        QVERIFY(db->setLevel(robert->id, QStringLiteral("cordes"), 3));
        QVERIFY(db->setHearsFoundInstrument(robert->id, true));
        QStringList names;
        for (const Child &child : db->children(ce2->id))
            names << child.firstName;
        QCOMPARE(names, (QStringList{QStringLiteral("Émile"), nasty, QStringLiteral("zoé")}));
        robert = db->child(robert->id);
        QCOMPARE(robert->levels.at(QStringLiteral("cordes")), 3);
        QVERIFY(robert->hearsFoundInstrument);

        QVERIFY(schoolfill::play(*db, robert->id, 2, 5));
        QCOMPARE(db->answerCount(robert->id), 10);
        // The same answers again add nothing.
        QSqlQuery rounds(db->sql());
        QVERIFY(rounds.exec(QStringLiteral("SELECT id FROM rounds")));
        QVERIFY(rounds.next());
        const Answer again{
            rounds.value(0).toString(), 1, QStringLiteral("violon"), QStringLiteral("alto"), false, true, 5};
        QVERIFY(db->addAnswers({&again, 1}));
        QCOMPARE(db->answerCount(robert->id), 10);
        QVERIFY(db->setSetting(QStringLiteral("classe_du_poste"), ce2->id));
        QVERIFY(db->setSetting(QStringLiteral("classe_du_poste"), ce2->id));
        QCOMPARE(db->setting(QStringLiteral("classe_du_poste")), ce2->id);
        QVERIFY(db->removeChild(robert->id));
        QCOMPARE(count(db->sql(), QStringLiteral("SELECT count(*) FROM answers")), 0);
        QCOMPARE(db->children().size(), size_t(2));
    }

    // Answers are kept locally while the server is down, and every one arrives exactly once
    // after its restart; a round in play goes again with its end.
    void serverCrashesMidPlay()
    {
        QVERIFY2(script(QStringLiteral("crash")), qPrintable(m_server.error()));
        QString error;
        QString leaId;
        {
            std::optional<Database> teacher = Database::open({{}, m_server.url(QStringLiteral("crash"), suiviRole)},
                                                             QStringLiteral("teacher"), &error);
            QVERIFY2(teacher, qPrintable(error));
            const std::optional<Child> lea = teacher->addChild({{},
                                                                teacher->classNamed(QStringLiteral("CM1"))->id,
                                                                QStringLiteral("Léa"),
                                                                QStringLiteral("violon"),
                                                                {},
                                                                false});
            QVERIFY(lea);
            leaId = lea->id;
        }
        const QString localFile = m_dir.filePath(QStringLiteral("crash.sqlite"));
        std::optional<Database> local = Database::open({localFile, {}}, QStringLiteral("local"), &error);
        QVERIFY2(local, qPrintable(error));
        QVERIFY2(server::open(m_server.url(QStringLiteral("crash"), poste), QStringLiteral("poste"), &error),
                 qPrintable(error));
        QSqlDatabase remote = QSqlDatabase::database(QStringLiteral("poste"), false);
        Fetched pulled;

        PassResult pass = syncPass(local->sql(), remote, &pulled);
        QCOMPARE(pass.state, ServerState::Connected);
        QVERIFY(pass.classChanged);
        QCOMPARE(local->children().size(), size_t(1));
        QCOMPARE(local->children().front().firstName, QStringLiteral("Léa"));

        QVERIFY(schoolfill::play(*local, leaId, 3, 10));
        QVERIFY(local->setLevel(leaId, QStringLiteral("cordes"), 2));
        pass = syncPass(local->sql(), remote, &pulled);
        QCOMPARE(pass.answersSent, 30);
        QCOMPARE(pending(local->sql()).answers, 0);

        QVERIFY(schoolfill::play(*local, leaId, 2, 10));
        QVERIFY(m_server.stop(QStringLiteral("immediate")));
        pass = syncPass(local->sql(), remote, &pulled);
        QCOMPARE(pass.state, ServerState::Unreachable);
        QVERIFY(schoolfill::play(*local, leaId, 2, 10, true)); // the last round still in play
        const Pending waiting = pending(local->sql());
        QCOMPARE(waiting.answers, 40);
        QVERIFY(waiting.since && waiting.since->secsTo(QDateTime::currentDateTimeUtc()) < 60);
        remote = QSqlDatabase();
        QSqlDatabase::removeDatabase(QStringLiteral("poste"));

        // The game's own sender, on its thread, once the server is back.
        QVERIFY2(m_server.restart(), qPrintable(m_server.error()));
        {
            Sync sync(localFile, m_server.url(QStringLiteral("crash"), poste));
            QSignalSpy passed(&sync, &Sync::passed);
            QTRY_VERIFY_WITH_TIMEOUT(!passed.isEmpty(), 15000);
            const auto result = passed.takeFirst().at(0).value<PassResult>();
            QVERIFY2(result.state == ServerState::Connected, qPrintable(result.error));
            QCOMPARE(result.answersSent, 40);
            QCOMPARE(pending(local->sql()).answers, 0);

            // The round in play ends: it goes at once, with its outcome.
            QSqlQuery open(local->sql());
            QVERIFY(open.exec(QStringLiteral("SELECT id, child_id, started_ms FROM rounds WHERE outcome = ''")));
            QVERIFY(open.next());
            QVERIFY(local->saveRound({open.value(0).toString(), leaId, QStringLiteral("vue"), QStringLiteral("cordes"),
                                      1, open.value(2).toLongLong(), 1000, QStringLiteral("perdu"), 1}));
            sync.sendSoon();
            QTRY_VERIFY_WITH_TIMEOUT(!passed.isEmpty(), 15000);
        }
        QString onServer, outcomes, level;
        QVERIFY(m_server.psql(QStringLiteral("crash"), QStringLiteral("SELECT round_id || ':' || seq FROM answer_rows"),
                              &onServer));
        QStringList kept;
        QSqlQuery here(local->sql());
        QVERIFY(here.exec(QStringLiteral("SELECT round_id || ':' || seq FROM answer_rows")));
        while (here.next())
            kept << here.value(0).toString();
        kept.sort();
        QCOMPARE(kept.size(), 70);
        QCOMPARE(lines(onServer), kept);
        QVERIFY(m_server.psql(
            QStringLiteral("crash"),
            QStringLiteral("SELECT count(*) || ' ' || count(*) FILTER (WHERE outcome = '') FROM rounds"), &outcomes));
        QCOMPARE(outcomes, QStringLiteral("7 0"));
        QVERIFY(m_server.psql(QStringLiteral("crash"), QStringLiteral("SELECT open_levels FROM levels"), &level));
        QCOMPARE(level, QStringLiteral("2"));
    }

    // A child plays: the round's end sends its answers, without waiting for the 30 s.
    void roundEndSends()
    {
        QVERIFY2(script(QStringLiteral("manche")), qPrintable(m_server.error()));
        QString error;
        QString childId;
        {
            std::optional<Database> teacher = Database::open({{}, m_server.url(QStringLiteral("manche"), suiviRole)},
                                                             QStringLiteral("teacher"), &error);
            QVERIFY2(teacher, qPrintable(error));
            childId =
                teacher
                    ->addChild(
                        {{}, teacher->defaultClass().id, QStringLiteral("Inès"), QStringLiteral("cor"), {}, false})
                    ->id;
        }
        const QString localFile = m_dir.filePath(QStringLiteral("manche.sqlite"));
        Sync sync(localFile, m_server.url(QStringLiteral("manche"), poste));
        QSignalSpy passed(&sync, &Sync::passed);
        QSignalSpy changed(&sync, &Sync::classChanged);
        QTRY_VERIFY_WITH_TIMEOUT(!changed.isEmpty(), 10000); // Inès came down from the server
        passed.clear();
        Player &player = Player::current();
        player.useStore({localFile, {}});
        std::optional<Child> ines;
        {
            std::optional<Database> local = Database::open({localFile, {}}, QStringLiteral("manche-local"));
            ines = local->child(childId);
        }
        QVERIFY(ines);
        player.play(*ines);
        player.startRound(QStringLiteral("vents"), 1);
        for (int i = 0; i < 5; ++i)
            player.answer(QStringLiteral("flute"), QStringLiteral("hautbois"), false, i == 0);
        player.endRound(QStringLiteral("perdu"), 0);
        QTRY_VERIFY_WITH_TIMEOUT(!passed.isEmpty(), 10000);
        player.leave();
        player.close();
        QString kept;
        QVERIFY(m_server.psql(QStringLiteral("manche"),
                              QStringLiteral("SELECT count(*) || ' ' || min(r.outcome) FROM answers a"
                                             " JOIN rounds r ON r.n = a.round"),
                              &kept));
        QCOMPARE(kept, QStringLiteral("5 perdu"));
    }

    // A server of another version: the game sends nothing, keeps its answers, and never
    // upgrades the server itself.
    void serverOfAnotherVersion_data()
    {
        QTest::addColumn<int>("version");
        QTest::addColumn<ServerState>("state");
        QTest::newRow("newer") << schema::version + 1 << ServerState::Newer;
        QTest::newRow("older") << schema::version - 1 << ServerState::Older;
    }
    void serverOfAnotherVersion()
    {
        QFETCH(int, version);
        QFETCH(ServerState, state);
        const QString database = QStringLiteral("version%1").arg(version);
        QVERIFY2(script(database), qPrintable(m_server.error()));
        QVERIFY(m_server.psql(database, QStringLiteral("UPDATE meta SET value = '%1'").arg(version)));
        std::optional<Database> local = Database::open({m_dir.filePath(database + ".sqlite"), {}}, QStringLiteral("v"));
        QVERIFY(local);
        QVERIFY(schoolfill::play(*local, newUuid(), 1, 4));
        QString error;
        QVERIFY2(server::open(m_server.url(database, poste), QStringLiteral("v-server"), &error), qPrintable(error));
        {
            QSqlDatabase remote = QSqlDatabase::database(QStringLiteral("v-server"), false);
            const PassResult pass = syncPass(local->sql(), remote);
            QCOMPARE(pass.state, state);
            QCOMPARE(pass.schemaOnServer, version);
            remote.close();
        }
        QSqlDatabase::removeDatabase(QStringLiteral("v-server"));
        QCOMPARE(pending(local->sql()).answers, 4);
        QString kept;
        QVERIFY(m_server.psql(
            database, QStringLiteral("SELECT value || ' ' || (SELECT count(*) FROM answers) FROM meta"), &kept));
        QCOMPARE(kept, QStringLiteral("%1 0").arg(version));
    }

    // A server that takes the connection and then never answers: the interface thread goes on
    // ticking, and the sender gives up after the connection timeout.
    void silentServer()
    {
        SilentServer silent;
        const QString localFile = m_dir.filePath(QStringLiteral("silent.sqlite"));
        int longestGap = 0;
        QElapsedTimer sinceTick;
        QTimer ticker;
        ticker.setInterval(10);
        connect(&ticker, &QTimer::timeout, this, [&] { longestGap = std::max(longestGap, int(sinceTick.restart())); });
        sinceTick.start();
        ticker.start();
        QElapsedTimer calls;
        calls.start();
        auto sync = std::make_unique<Sync>(
            localFile, QStringLiteral("postgresql://%1@127.0.0.1:%2/ecole").arg(poste).arg(silent.port()));
        QSignalSpy passed(sync.get(), &Sync::passed);
        sync->sendSoon();
        QVERIFY(calls.elapsed() < 100);
        QTRY_VERIFY_WITH_TIMEOUT(!passed.isEmpty(), 15000);
        QVERIFY(silent.accepted() >= 1);
        const auto result = passed.takeFirst().at(0).value<PassResult>();
        QCOMPARE(result.state, ServerState::Unreachable);
        QVERIFY(!result.error.isEmpty());
        // A stall would last the whole 3 s connection timeout; a busy CI machine may add some delay.
        QVERIFY2(longestGap < 1000, qPrintable(QString::number(longestGap)));
        ticker.stop();
        QTRY_VERIFY_WITH_TIMEOUT(passed.size() >= 1, 15000); // the pass asked for by sendSoon()
        QElapsedTimer closing;
        closing.start();
        sync.reset();
        QVERIFY(closing.elapsed() < 2500);
    }

    // "Base de l'école" says what the server is, and how many answers wait.
    void panel_data()
    {
        QTest::addColumn<QString>("schema");
        QTest::addColumn<QString>("state");
        QTest::addColumn<bool>("upgrade");
        QTest::newRow("same") << QString() << QStringLiteral("répond") << false;
        QTest::newRow("newer") << QStringLiteral("99") << QStringLiteral("mettez le jeu à jour") << false;
        QTest::newRow("older") << QStringLiteral("1") << QStringLiteral("plus ancienne") << true;
    }
    void panel()
    {
        QFETCH(QString, schema);
        QFETCH(QString, state);
        QFETCH(bool, upgrade);
        const QString database = QStringLiteral("panneau") + schema;
        QVERIFY2(script(database), qPrintable(m_server.error()));
        if (!schema.isEmpty())
            QVERIFY(m_server.psql(database, QStringLiteral("UPDATE meta SET value = '%1'").arg(schema)));
        const QString localFile = m_dir.filePath(database + QStringLiteral(".sqlite"));
        {
            std::optional<Database> local = Database::open({localFile, {}}, QStringLiteral("panel"));
            QVERIFY(local);
            QVERIFY(schoolfill::play(*local, newUuid(), 1, 3));
        }
        server::setCommandLineBase(m_server.url(database, suiviRole));
        suivi::BaseEcole page(localFile);
        QSignalSpy refreshed(&page, &suivi::BaseEcole::refreshed);
        QTRY_VERIFY_WITH_TIMEOUT(!refreshed.isEmpty(), 10000);
        const auto *said = page.findChild<QLabel *>(QStringLiteral("base_etat"));
        QVERIFY2(said->text().contains(state), qPrintable(said->text()));
        const auto *waiting = page.findChild<QLabel *>(QStringLiteral("base_en_attente"));
        QTRY_VERIFY(waiting->text().startsWith(QStringLiteral("3 réponses attendent d'être envoyées, depuis le ")));
        auto *button = page.findChild<QPushButton *>(QStringLiteral("base_mettre_a_jour"));
        QCOMPARE(button->isVisibleTo(&page), upgrade);
        if (upgrade) {
            // The version-1 tables lack what version 2 adds: "Suivi des enfants" upgrades them.
            QVERIFY(m_server.psql(database, QStringLiteral("ALTER TABLE answers DROP COLUMN sent_ms;"
                                                           "ALTER TABLE rounds DROP COLUMN sent_ms")));
            refreshed.clear();
            button->click();
            QTRY_VERIFY_WITH_TIMEOUT(refreshed.size() >= 1, 10000);
            QVERIFY2(said->text().contains(QStringLiteral("répond")), qPrintable(said->text()));
            QString version;
            QVERIFY(m_server.psql(database, QStringLiteral("SELECT value FROM meta"), &version));
            QCOMPARE(version, QString::number(schema::version));
        }
        server::setCommandLineBase({});
    }

    // A computer's file imported into the server twice: the second time adds nothing.
    void importIntoServerTwice()
    {
        const QString localFile = m_dir.filePath(QStringLiteral("carried.sqlite"));
        {
            std::optional<Database> local = Database::open({localFile, {}}, QStringLiteral("carried"));
            QVERIFY(local);
            const std::optional<Child> tom = local->addChild(
                {{}, local->defaultClass().id, QStringLiteral("Tom"), QStringLiteral("cor"), {}, false});
            QVERIFY(tom);
            QVERIFY(schoolfill::play(*local, tom->id, 4, 12));
        }
        const QString file = m_dir.filePath(QStringLiteral("poste3.calivento"));
        QVERIFY(carry::exportStore(localFile, file).ok);
        QVERIFY2(script(QStringLiteral("importe")), qPrintable(m_server.error()));
        QString error;
        std::optional<Database> school =
            Database::open({{}, m_server.url(QStringLiteral("importe"), suiviRole)}, QStringLiteral("school"), &error);
        QVERIFY2(school, qPrintable(error));
        const carry::Outcome first = carry::importInto(school->sql(), file);
        QVERIFY2(first.ok, qPrintable(first.message));
        QCOMPARE(first.answersAdded, 48);
        const carry::Outcome second = carry::importInto(school->sql(), file);
        QVERIFY2(second.ok, qPrintable(second.message));
        QCOMPARE(second.answersAdded, 0);
        QCOMPARE(second.answersKnown, 48);
        QCOMPARE(count(school->sql(), QStringLiteral("SELECT count(*) FROM answers")), 48);
        QCOMPARE(count(school->sql(), QStringLiteral("SELECT count(*) FROM children")), 1);

        // --exporter and --ajouter-enfants work the same against the server.
        QBuffer csv;
        QVERIFY(csv.open(QIODevice::WriteOnly));
        QCOMPARE(csv::exportAnswers(*school, csv), 48);
        QVERIFY(csv.data().contains("Tom"));
        const csv::ImportReport added =
            csv::importNames(*school, csv::readNames("Inès\nTom\nO'Neil\n"), school->defaultClass().id);
        QCOMPARE(added.added.size(), 2);
        QCOMPARE(count(school->sql(), QStringLiteral("SELECT count(*) FROM children")), 3);
    }
};

QTEST_MAIN(TestPostgres)
#include "tst_postgres.moc"
