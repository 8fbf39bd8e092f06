// SPDX-FileCopyrightText: 2026 Les Ateliers Calivento
//
// SPDX-License-Identifier: GPL-3.0-or-later

// The school's script on a real server: what the game's role may and may not do.

#include "support/pg_server.h"

#include <QTest>

namespace {

QString script()
{
    return QStringLiteral(CALIVENTO_SOURCE_DIR "/data/postgresql/ecole.sql");
}

} // namespace

class TestPostgresRoles : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void scriptRunsTwice();
    void rights_data();
    void rights();
    void answersAreKeptOnce();

private:
    testsupport::PgServer m_server;
};

void TestPostgresRoles::initTestCase()
{
    QVERIFY2(m_server.start(), qPrintable(m_server.error()));
    QVERIFY2(m_server.createDatabase(QStringLiteral("ecole")), qPrintable(m_server.error()));
    QVERIFY2(m_server.psqlFile(QStringLiteral("ecole"), script()), qPrintable(m_server.error()));
    const QString fill = QStringLiteral(
        "INSERT INTO classes VALUES ('c1', 'CE2 B', 1);"
        "INSERT INTO children(id, class_id, first_name, picture, hears_found, created_ms)"
        " VALUES ('e1', 'c1', 'Léa', 'violon', 0, 1);"
        "INSERT INTO answers VALUES ('a0', 'r0', 'e1', 'vue', 'cordes', 1, 'violon', 'alto', 0, 1, 5, 5, NULL);");
    QVERIFY2(m_server.psql(QStringLiteral("ecole"), fill, nullptr, QStringLiteral("calivento_suivi")),
             qPrintable(m_server.error()));
}

void TestPostgresRoles::scriptRunsTwice()
{
    // A second run neither fails nor changes the tables or what they hold.
    QVERIFY2(m_server.psqlFile(QStringLiteral("ecole"), script()), qPrintable(m_server.error()));
    QString out;
    QVERIFY(m_server.psql(QStringLiteral("ecole"),
                          QStringLiteral("SELECT (SELECT value FROM meta WHERE key = 'schema'), count(*) FROM answers"), &out));
    QCOMPARE(out, QStringLiteral("2|1"));
}

void TestPostgresRoles::rights_data()
{
    QTest::addColumn<QString>("role");
    QTest::addColumn<QString>("sql");
    QTest::addColumn<bool>("allowed");

    const QString poste = QStringLiteral("calivento_poste");
    const QString suivi = QStringLiteral("calivento_suivi");
    const QString answer = QStringLiteral(
        "INSERT INTO answers(id, round_id, child_id, mode, game, level, instrument, answer, correct, first_try,"
        " at_ms, elapsed_ms) VALUES ('%1', 'r1', 'e1', 'vue', 'cordes', 1, 'violon', 'alto', 0, 1, 10, 10) ");
    const QString round = QStringLiteral(
        "INSERT INTO rounds(id, child_id, game, level, started_ms, duration_ms, outcome, points)"
        " VALUES ('r1', 'e1', 'cordes', 1, 10, 9000, 'gagné', 3) ON CONFLICT ");

    QTest::newRow("poste reads no answer") << poste << QStringLiteral("SELECT * FROM answers") << false;
    QTest::newRow("poste counts no answer") << poste << QStringLiteral("SELECT count(*) FROM answers") << false;
    QTest::newRow("poste adds an answer") << poste << answer.arg(u"a1") + QStringLiteral("ON CONFLICT DO NOTHING")
                                          << true;
    QTest::newRow("poste sends the answer again") << poste << answer.arg(u"a1") + QStringLiteral("ON CONFLICT DO NOTHING")
                                          << true;
    QTest::newRow("poste rewrites no answer")
        << poste << answer.arg(u"a1") + QStringLiteral("ON CONFLICT (id) DO UPDATE SET answer = excluded.answer")
        << false;
    QTest::newRow("poste changes no answer") << poste << QStringLiteral("UPDATE answers SET correct = 1") << false;
    QTest::newRow("poste erases no answer") << poste << QStringLiteral("DELETE FROM answers") << false;
    QTest::newRow("poste adds a round") << poste << round + QStringLiteral("DO NOTHING") << true;
    QTest::newRow("poste sends it again") << poste << round + QStringLiteral("DO NOTHING") << true;
    QTest::newRow("poste rewrites no round")
        << poste << round + QStringLiteral("(id) DO UPDATE SET outcome = excluded.outcome") << false;
    QTest::newRow("poste reads no outcome") << poste << QStringLiteral("SELECT outcome FROM rounds") << false;
    QTest::newRow("poste reads the class") << poste << QStringLiteral("SELECT c.name, e.first_name FROM classes c JOIN children e ON e.class_id = c.id") << true;
    QTest::newRow("poste adds no child")
        << poste << QStringLiteral("INSERT INTO children VALUES ('e2', 'c1', 'Zoé', 'cor', 0, 1)") << false;
    QTest::newRow("poste renames no child") << poste << QStringLiteral("UPDATE children SET first_name = 'X'") << false;
    QTest::newRow("poste sets the listening setting")
        << poste << QStringLiteral("UPDATE children SET hears_found = 1 WHERE id = 'e1'") << true;
    QTest::newRow("poste opens a level")
        << poste
        << QStringLiteral("INSERT INTO levels VALUES ('e1', 'cordes', 2) ON CONFLICT (child_id, game) DO UPDATE SET"
                          " open_levels = CASE WHEN excluded.open_levels > levels.open_levels"
                          " THEN excluded.open_levels ELSE levels.open_levels END")
        << true;
    QTest::newRow("poste writes a setting")
        << poste << QStringLiteral("INSERT INTO settings VALUES ('k', 'v') ON CONFLICT (key) DO UPDATE SET value = excluded.value")
        << true;
    QTest::newRow("poste upgrades nothing") << poste << QStringLiteral("ALTER TABLE answers ADD COLUMN x INTEGER") << false;
    QTest::newRow("suivi reads the answers") << suivi << QStringLiteral("SELECT * FROM answers") << true;
    QTest::newRow("suivi upgrades") << suivi << QStringLiteral("CREATE INDEX IF NOT EXISTS x ON answers(game)") << true;
    QTest::newRow("suivi erases a child's answers") << suivi << QStringLiteral("DELETE FROM answers WHERE child_id = 'none'")
                                                    << true;
}

void TestPostgresRoles::rights()
{
    QFETCH(QString, role);
    QFETCH(QString, sql);
    QFETCH(bool, allowed);
    const bool done = m_server.psql(QStringLiteral("ecole"), sql, nullptr, role);
    QVERIFY2(done == allowed, qPrintable(m_server.error()));
    if (!allowed)
        QVERIFY2(m_server.error().contains(QStringLiteral("permission denied"))
                     || m_server.error().contains(QStringLiteral("must be owner")),
                 qPrintable(m_server.error()));
}

void TestPostgresRoles::answersAreKeptOnce()
{
    QString out;
    QVERIFY(m_server.psql(QStringLiteral("ecole"),
                          QStringLiteral("SELECT (SELECT count(*) FROM answers WHERE id = 'a1'),"
                                         " (SELECT outcome || duration_ms FROM rounds WHERE id = 'r1'),"
                                         " (SELECT open_levels FROM levels WHERE child_id = 'e1')"),
                          &out, QStringLiteral("calivento_suivi")));
    QCOMPARE(out, QStringLiteral("1|gagné9000|2"));
}

QTEST_GUILESS_MAIN(TestPostgresRoles)
#include "tst_postgres_roles.moc"
