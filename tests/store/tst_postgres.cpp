// SPDX-FileCopyrightText: 2026 Les Ateliers Calivento
//
// SPDX-License-Identifier: GPL-3.0-or-later

// The store against a real PostgreSQL server that the test starts itself: the same store on both
// engines, the school's script against the game's own upgrades and what its roles may do, a server
// that crashes mid-play or never answers, and results carried by hand into the server.
#include "school_fill.h"
#include "store/carry.h"
#include "store/player.h"
#include "store/server.h"
#include "store/sync.h"
#include "suivi/base_ecole.h"
#include "support/pg_server.h"

#include <QElapsedTimer>
#include <QLabel>
#include <QPushButton>
#include <QSignalSpy>
#include <QTcpServer>
#include <QTemporaryDir>
#include <QtTest>

using namespace store;
using schoolfill::count;

namespace {

const QString poste = QStringLiteral("calivento_poste");
const QString suiviRole = QStringLiteral("calivento_suivi");

QStringList sortedLines(const QString &text)
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
    QString psql(const QString &database, const QString &sql)
    {
        QString out;
        return m_server.psql(database, sql, &out) ? out : m_server.error();
    }
    QString describeSchema(const QString &database)
    {
        return psql(database, QStringLiteral("SELECT table_name, column_name, data_type, is_nullable, is_identity,"
                                             " coalesce(column_default, '') FROM information_schema.columns"
                                             " WHERE table_schema = 'public' ORDER BY 1, 2")) +
               psql(database,
                    QStringLiteral("SELECT conrelid::regclass, contype, pg_get_constraintdef(oid) FROM"
                                   " pg_constraint WHERE connamespace = 'public'::regnamespace ORDER BY 1, 2, 3")) +
               psql(database, QStringLiteral("SELECT indexdef FROM pg_indexes WHERE schemaname = 'public' ORDER BY 1"));
    }
    // A store on the server made by the school's script, with one child added by the teacher.
    QString schoolWithChild(const QString &database, const QString &name)
    {
        if (!script(database))
            return {};
        std::optional<Database> teacher =
            Database::open({{}, m_server.url(database, suiviRole)}, QStringLiteral("teacher"));
        const std::optional<Child> child =
            teacher->addChild({{}, teacher->defaultClass().id, name, QStringLiteral("violon"), {}, false});
        return child ? child->id : QString();
    }

private slots:
    void initTestCase()
    {
        QVERIFY2(m_server.start(), qPrintable(m_server.error()));
        QVERIFY2(script(QStringLiteral("ecole")), qPrintable(m_server.error())); // the school's store
    }

    void address_data()
    {
        QTest::addColumn<QString>("base");
        QTest::addColumn<QString>("conninfo"); // empty: refused
        QTest::newRow("url") << QStringLiteral("postgresql://poste@ecole.lan:5433/calivento?sslmode=verify-full")
                             << QStringLiteral("host='ecole.lan' port='5433' dbname='calivento' user='poste'"
                                               " sslmode='verify-full' connect_timeout=3");
        QTest::newRow("own timeout") << QStringLiteral("service=ecole connect_timeout=10")
                                     << QStringLiteral("service=ecole connect_timeout=10 keepalives_idle");
        QTest::newRow("quote in a name") << QStringLiteral("postgresql://h/it's")
                                         << QStringLiteral("host='h' dbname='it\\'s'");
        QTest::newRow("password in url") << QStringLiteral("postgresql://poste:secret@h/db") << QString();
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
        QVERIFY(!error.contains(QStringLiteral("secret")) &&
                !server::describe(base).contains(QStringLiteral("secret")));
    }

    // The school's script, run twice, and the game's own upgrades make the same tables, columns,
    // keys and indexes; the game's role opens a store the script made, and this computer's own
    // settings stay in its own file.
    void scriptMatchesTheGame()
    {
        QVERIFY(m_server.psqlFile(QStringLiteral("ecole"),
                                  QStringLiteral(CALIVENTO_SOURCE_DIR "/data/postgresql/ecole.sql")));
        QVERIFY(m_server.createDatabase(QStringLiteral("jeu")));
        QVERIFY(Database::open({{}, m_server.url(QStringLiteral("jeu"))}, QStringLiteral("jeu")));
        const QString made = describeSchema(QStringLiteral("jeu"));
        QVERIFY(made.contains(QStringLiteral("answers|sent_ms")));
        QCOMPARE(describeSchema(QStringLiteral("ecole")), made);
        QCOMPARE(psql(QStringLiteral("ecole"), QStringLiteral("SELECT value FROM meta")),
                 QString::number(schema::version));

        const QString computerFile = m_dir.filePath(QStringLiteral("poste.sqlite"));
        {
            QString error;
            std::optional<Database> both = Database::open({computerFile, m_server.url(QStringLiteral("ecole"), poste)},
                                                          QStringLiteral("both"), &error);
            QVERIFY2(both, qPrintable(error));
            QCOMPARE(both->schemaVersion(), schema::version);
            QVERIFY(both->setSetting(QStringLiteral("classe_du_poste"), QStringLiteral("cm1")));
        }
        QCOMPARE(psql(QStringLiteral("ecole"), QStringLiteral("SELECT count(*) FROM settings")), QStringLiteral("0"));
        std::optional<Database> computer = Database::open({computerFile, {}}, QStringLiteral("computer"));
        QCOMPARE(computer->setting(QStringLiteral("classe_du_poste")), QStringLiteral("cm1"));
    }

    // What the game's role may not do; what it may do, the game itself does in the crash case below.
    void rights_data()
    {
        QTest::addColumn<QString>("role");
        QTest::addColumn<QString>("sql");
        QTest::addColumn<bool>("allowed");
        QTest::newRow("poste reads no answer") << poste << QStringLiteral("SELECT * FROM answers") << false;
        QTest::newRow("poste rewrites no answer")
            << poste
            << QStringLiteral("INSERT INTO answers(round, seq, instrument, answer, correct, first_try, elapsed_ms)"
                              " SELECT n, 1, 'violon', 'alto', 0, 1, 10 FROM rounds"
                              " ON CONFLICT (round, seq) DO UPDATE SET answer = excluded.answer")
            << false;
        QTest::newRow("poste erases no answer") << poste << QStringLiteral("DELETE FROM answers") << false;
        QTest::newRow("poste reads no outcome") << poste << QStringLiteral("SELECT outcome FROM rounds") << false;
        QTest::newRow("poste renames no child")
            << poste << QStringLiteral("UPDATE children SET first_name = 'X'") << false;
        QTest::newRow("poste upgrades nothing")
            << poste << QStringLiteral("ALTER TABLE answers ADD x INTEGER") << false;
        QTest::newRow("suivi erases a child's answers") << suiviRole << QStringLiteral("DELETE FROM answers") << true;
    }
    void rights()
    {
        QFETCH(QString, role);
        QFETCH(QString, sql);
        QFETCH(bool, allowed);
        const bool done = m_server.psql(QStringLiteral("ecole"), sql, nullptr, role);
        QVERIFY2(done == allowed, qPrintable(m_server.error()));
        if (!allowed)
            QVERIFY2(m_server.error().contains(QStringLiteral("permission denied")) ||
                         m_server.error().contains(QStringLiteral("must be owner")),
                     qPrintable(m_server.error()));
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
        QVERIFY(ce2 && !db->addClass(QStringLiteral("ce2 b")));
        const QString nasty = QStringLiteral("Robert'); DROP TABLE enfants;--");
        std::optional<Child> robert = db->addChild({{}, ce2->id, nasty, QStringLiteral("tuba"), {}, false});
        QVERIFY(robert);
        QVERIFY(db->addChild({{}, ce2->id, QStringLiteral("Émile"), QStringLiteral("cor"), {}, false}));
        QVERIFY(db->addChild({{}, ce2->id, QStringLiteral("zoé"), QStringLiteral("harpe"), {}, false}));
        QVERIFY(!db->addChild({{}, ce2->id, QStringLiteral("ZOÉ"), QStringLiteral("harpe"), {}, false}, &error));
        QVERIFY(error.contains(QStringLiteral("déjà")));
        QVERIFY(db->setLevel(robert->id, QStringLiteral("cordes"), 3) && db->setHearsFoundInstrument(robert->id, true));
        QStringList names;
        for (const Child &child : db->children(ce2->id))
            names << child.firstName;
        QCOMPARE(names, (QStringList{QStringLiteral("Émile"), nasty, QStringLiteral("zoé")}));
        robert = db->child(robert->id);
        QVERIFY(robert->levels.at(QStringLiteral("cordes")) == 3 && robert->hearsFoundInstrument);

        QVERIFY(schoolfill::play(*db, robert->id, 2, 5));
        QCOMPARE(db->answerCount(robert->id), 10);
        QVERIFY(db->setSetting(QStringLiteral("classe_du_poste"), ce2->id));
        QVERIFY(db->setSetting(QStringLiteral("classe_du_poste"), ce2->id));
        QCOMPARE(db->setting(QStringLiteral("classe_du_poste")), ce2->id);
        QVERIFY(db->removeChild(robert->id));
        for (const char *table : {"answers", "rounds", "levels"}) // Robert's alone
            QCOMPARE(count(db->sql(), QStringLiteral("SELECT count(*) FROM ") + QLatin1String(table)), 0);
        QCOMPARE(db->children().size(), size_t(2));
    }

    // Answers are kept locally while the server is down, and every one arrives exactly once
    // after its restart; a round in play goes again with its end, and a round's end sends at once.
    void serverCrashesMidPlay()
    {
        const QString leaId = schoolWithChild(QStringLiteral("crash"), QStringLiteral("Léa"));
        QVERIFY2(!leaId.isEmpty(), qPrintable(m_server.error()));
        const QString localFile = m_dir.filePath(QStringLiteral("crash.sqlite"));
        QString error;
        std::optional<Database> local = Database::open({localFile, {}}, QStringLiteral("local"), &error);
        QVERIFY2(local, qPrintable(error));
        QVERIFY2(server::open(m_server.url(QStringLiteral("crash"), poste), QStringLiteral("poste"), &error),
                 qPrintable(error));
        QSqlDatabase remote = QSqlDatabase::database(QStringLiteral("poste"), false);
        Fetched pulled;
        PassResult pass = syncPass(local->sql(), remote, &pulled);
        QVERIFY(pass.state == ServerState::Connected && pass.classChanged);
        QCOMPARE(local->children().size(), size_t(1));

        QVERIFY(schoolfill::play(*local, leaId, 3, 10));
        QVERIFY(local->setLevel(leaId, QStringLiteral("cordes"), 2));
        QCOMPARE(syncPass(local->sql(), remote, &pulled).answersSent, 30);
        QVERIFY(schoolfill::play(*local, leaId, 2, 10));
        QVERIFY(m_server.stop(QStringLiteral("immediate")));
        QCOMPARE(syncPass(local->sql(), remote, &pulled).state, ServerState::Unreachable);
        QVERIFY(schoolfill::play(*local, leaId, 2, 10, true)); // the last round still in play
        const Pending waiting = pending(local->sql());
        QCOMPARE(waiting.answers, 40);
        QVERIFY(waiting.since && waiting.since->secsTo(QDateTime::currentDateTimeUtc()) < 60);
        remote = QSqlDatabase();
        QSqlDatabase::removeDatabase(QStringLiteral("poste"));

        // The game's own sender, on its thread, once the server is back.
        QVERIFY2(m_server.startAgain(), qPrintable(m_server.error()));
        {
            Sync sync(localFile, m_server.url(QStringLiteral("crash"), poste));
            QSignalSpy passed(&sync, &Sync::passed);
            QTRY_VERIFY_WITH_TIMEOUT(!passed.isEmpty(), 15000);
            const auto result = passed.takeFirst().at(0).value<PassResult>();
            QVERIFY2(result.state == ServerState::Connected, qPrintable(result.error));
            QCOMPARE(result.answersSent, 40);

            // The round in play ends; then a child plays one through the game, whose end sends both.
            QSqlQuery open(local->sql());
            QVERIFY(open.exec(QStringLiteral("SELECT id, started_ms FROM rounds WHERE outcome = ''")) && open.next());
            QVERIFY(local->saveRound({open.value(0).toString(), leaId, QStringLiteral("vue"), QStringLiteral("cordes"),
                                      1, open.value(1).toLongLong(), 1000, QStringLiteral("perdu"), 1}));
            Player &player = Player::current();
            player.useStore({localFile, {}});
            player.play(*local->child(leaId));
            player.startRound(QStringLiteral("vents"), 1);
            for (int i = 0; i < 5; ++i)
                player.answer(QStringLiteral("flute"), QStringLiteral("hautbois"), false, i == 0);
            player.endRound(QStringLiteral("perdu"), 0);
            QTRY_VERIFY_WITH_TIMEOUT(!passed.isEmpty(), 10000);
            player.leave();
            player.close();
        }
        QStringList kept;
        QSqlQuery here(local->sql());
        QVERIFY(here.exec(QStringLiteral("SELECT round_id || ':' || seq FROM answer_rows")));
        while (here.next())
            kept << here.value(0).toString();
        kept.sort();
        QCOMPARE(kept.size(), 75);
        QCOMPARE(sortedLines(
                     psql(QStringLiteral("crash"), QStringLiteral("SELECT round_id || ':' || seq FROM answer_rows"))),
                 kept);
        QCOMPARE(psql(QStringLiteral("crash"), QStringLiteral("SELECT count(*) || ' ' || count(*) FILTER (WHERE"
                                                              " outcome = '') FROM rounds")),
                 QStringLiteral("8 0"));
        QCOMPARE(psql(QStringLiteral("crash"), QStringLiteral("SELECT open_levels FROM levels")), QStringLiteral("2"));
    }

    // A server that takes the connection and then never answers (its connections are never read):
    // the interface thread goes on ticking, and the sender gives up.
    void silentServer()
    {
        QTcpServer silent;
        QVERIFY(silent.listen(QHostAddress::LocalHost));
        int longestGap = 0;
        QElapsedTimer sinceTick;
        QTimer ticker;
        connect(&ticker, &QTimer::timeout, this, [&] { longestGap = std::max(longestGap, int(sinceTick.restart())); });
        sinceTick.start();
        ticker.start(10);
        auto sync = std::make_unique<Sync>(
            m_dir.filePath(QStringLiteral("silent.sqlite")),
            QStringLiteral("postgresql://%1@127.0.0.1:%2/ecole").arg(poste).arg(silent.serverPort()));
        QSignalSpy passed(sync.get(), &Sync::passed);
        sync->sendSoon();
        QTRY_VERIFY_WITH_TIMEOUT(!passed.isEmpty(), 15000);
        const auto result = passed.takeFirst().at(0).value<PassResult>();
        QVERIFY(result.state == ServerState::Unreachable && !result.error.isEmpty() && silent.hasPendingConnections());
        // A stall would last the whole 3 s connection timeout; a busy CI machine may add some delay.
        QVERIFY2(longestGap < 1000, qPrintable(QString::number(longestGap)));
        QElapsedTimer closing;
        closing.start();
        sync.reset();
        QVERIFY(closing.elapsed() < 2500);
    }

    // A server of another version: "Base de l'école" says so, the game sends nothing and keeps its
    // answers, and only "Suivi des enfants" upgrades an older one.
    void serverVersions_data()
    {
        QTest::addColumn<QString>("schema");
        QTest::addColumn<ServerState>("state");
        QTest::addColumn<QString>("said");
        QTest::newRow("same") << QString() << ServerState::Connected << QStringLiteral("répond");
        QTest::newRow("newer") << QStringLiteral("99") << ServerState::Newer << QStringLiteral("mettez le jeu à jour");
        QTest::newRow("older") << QStringLiteral("1") << ServerState::Older << QStringLiteral("plus ancienne");
    }
    void serverVersions()
    {
        QFETCH(QString, schema);
        QFETCH(ServerState, state);
        QFETCH(QString, said);
        const QString database = QStringLiteral("version") + schema;
        QVERIFY2(script(database), qPrintable(m_server.error()));
        if (!schema.isEmpty())
            QVERIFY(m_server.psql(database, QStringLiteral("UPDATE meta SET value = '%1'").arg(schema)));
        const QString localFile = m_dir.filePath(database + QStringLiteral(".sqlite"));
        std::optional<Database> local = Database::open({localFile, {}}, QStringLiteral("v"));
        QVERIFY(local && schoolfill::play(*local, newUuid(), 1, 3));
        server::setCommandLineBase(m_server.url(database, suiviRole));
        suivi::BaseEcole page(localFile);
        QSignalSpy refreshed(&page, &suivi::BaseEcole::refreshed);
        QTRY_VERIFY_WITH_TIMEOUT(!refreshed.isEmpty(), 10000);
        const auto *label = page.findChild<QLabel *>(QStringLiteral("base_etat"));
        QVERIFY2(label->text().contains(said), qPrintable(label->text()));
        QTRY_VERIFY(page.findChild<QLabel *>(QStringLiteral("base_en_attente"))
                        ->text()
                        .startsWith(QStringLiteral("3 réponses attendent d'être envoyées, depuis le ")));
        QString error;
        QVERIFY2(server::open(m_server.url(database, poste), QStringLiteral("v-server"), &error), qPrintable(error));
        {
            QSqlDatabase remote = QSqlDatabase::database(QStringLiteral("v-server"), false);
            QCOMPARE(syncPass(local->sql(), remote).state, state);
            remote.close();
        }
        QSqlDatabase::removeDatabase(QStringLiteral("v-server"));
        QCOMPARE(pending(local->sql()).answers, state == ServerState::Connected ? 0 : 3);
        QCOMPARE(psql(database, QStringLiteral("SELECT value || ' ' || (SELECT count(*) FROM answers) FROM meta")),
                 QStringLiteral("%1 %2")
                     .arg(schema.isEmpty() ? QString::number(schema::version) : schema)
                     .arg(state == ServerState::Connected ? 3 : 0));
        auto *button = page.findChild<QPushButton *>(QStringLiteral("base_mettre_a_jour"));
        QCOMPARE(button->isVisibleTo(&page), state == ServerState::Older);
        if (state == ServerState::Older) {
            // The version-1 tables lack what version 2 adds.
            QVERIFY(m_server.psql(database, QStringLiteral("ALTER TABLE answers DROP COLUMN sent_ms;"
                                                           "ALTER TABLE rounds DROP COLUMN sent_ms")));
            refreshed.clear();
            button->click();
            QTRY_VERIFY_WITH_TIMEOUT(refreshed.size() >= 1, 10000);
            QVERIFY2(label->text().contains(QStringLiteral("répond")), qPrintable(label->text()));
            QCOMPARE(psql(database, QStringLiteral("SELECT value FROM meta")), QString::number(schema::version));
        }
        server::setCommandLineBase({});
    }

    // A computer's file imported into the server twice: the second time adds nothing.
    void importIntoServerTwice()
    {
        const QString localFile = m_dir.filePath(QStringLiteral("carried.sqlite"));
        {
            std::optional<Database> local = Database::open({localFile, {}}, QStringLiteral("carried"));
            const std::optional<Child> tom = local->addChild(
                {{}, local->defaultClass().id, QStringLiteral("Tom"), QStringLiteral("cor"), {}, false});
            QVERIFY(tom && schoolfill::play(*local, tom->id, 4, 12));
        }
        const QString file = m_dir.filePath(QStringLiteral("poste3.calivento"));
        QVERIFY(carry::exportStore(localFile, file).ok);
        QVERIFY2(script(QStringLiteral("importe")), qPrintable(m_server.error()));
        std::optional<Database> school =
            Database::open({{}, m_server.url(QStringLiteral("importe"), suiviRole)}, QStringLiteral("school"));
        QVERIFY(school);
        for (int pass = 0; pass < 2; ++pass) {
            const carry::Outcome out = carry::importInto(school->sql(), file);
            QVERIFY2(out.ok, qPrintable(out.message));
            QCOMPARE(out.answersAdded, pass == 0 ? 48 : 0);
        }
        QCOMPARE(count(school->sql(), QStringLiteral("SELECT count(*) FROM answers")), 48);
        QCOMPARE(count(school->sql(), QStringLiteral("SELECT count(*) FROM children")), 1);
    }
};

QTEST_MAIN(TestPostgres)
#include "tst_postgres.moc"
