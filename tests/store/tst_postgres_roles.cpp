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
        "INSERT INTO rounds(id, child_id, mode, game, level, started_ms) VALUES ('r0', 'e1', 'vue', 'cordes', 1, 5);"
        "INSERT INTO answers(round, seq, instrument, answer, correct, first_try, elapsed_ms)"
        " SELECT n, 1, 'violon', 'alto', 0, 1, 5 FROM rounds;");
    QVERIFY2(m_server.psql(QStringLiteral("ecole"), fill, nullptr, QStringLiteral("calivento_suivi")),
             qPrintable(m_server.error()));
}

void TestPostgresRoles::scriptRunsTwice()
{
    // A second run neither fails nor changes the tables or what they hold.
    QVERIFY2(m_server.psqlFile(QStringLiteral("ecole"), script()), qPrintable(m_server.error()));
    QString out;
    QVERIFY(m_server.psql(QStringLiteral("ecole"),
                          QStringLiteral("SELECT (SELECT value FROM meta WHERE key = 'schema'), count(*) FROM answers"),
                          &out));
    QCOMPARE(out, QStringLiteral("2|1"));
}

void TestPostgresRoles::rights_data()
{
    QTest::addColumn<QString>("role");
    QTest::addColumn<QString>("sql");
    QTest::addColumn<bool>("allowed");

    const QString poste = QStringLiteral("calivento_poste");
    const QString suivi = QStringLiteral("calivento_suivi");
    const QString answer =
        QStringLiteral("INSERT INTO answers(round, seq, instrument, answer, correct, first_try, elapsed_ms)"
                       " SELECT n, 1, 'violon', 'alto', 0, 1, 10 FROM rounds WHERE id = 'r1' ON CONFLICT ");
    const QString round = QStringLiteral(
        "INSERT INTO rounds(id, child_id, mode, game, level, started_ms) VALUES ('r1', 'e1', 'vue', 'cordes', 1, 10)"
        " ON CONFLICT DO NOTHING");

    QTest::newRow("poste reads no answer") << poste << QStringLiteral("SELECT * FROM answers") << false;
    QTest::newRow("poste counts no answer") << poste << QStringLiteral("SELECT count(*) FROM answers") << false;
    QTest::newRow("poste reads no answer row") << poste << QStringLiteral("SELECT * FROM answer_rows") << false;
    QTest::newRow("poste starts a round") << poste << round << true;
    QTest::newRow("poste sends it again") << poste << round << true;
    QTest::newRow("poste adds an answer") << poste << answer + QStringLiteral("DO NOTHING") << true;
    QTest::newRow("poste sends the answer again") << poste << answer + QStringLiteral("DO NOTHING") << true;
    QTest::newRow("poste rewrites no answer")
        << poste << answer + QStringLiteral("(round, seq) DO UPDATE SET answer = excluded.answer") << false;
    QTest::newRow("poste changes no answer") << poste << QStringLiteral("UPDATE answers SET correct = 1") << false;
    QTest::newRow("poste erases no answer") << poste << QStringLiteral("DELETE FROM answers") << false;
    QTest::newRow("poste ends the round")
        << poste
        << QStringLiteral("UPDATE rounds SET duration_ms = 9000, outcome = 'gagné', points = 3 WHERE id = 'r1'")
        << true;
    QTest::newRow("poste reads no outcome") << poste << QStringLiteral("SELECT outcome FROM rounds") << false;
    QTest::newRow("poste erases no round") << poste << QStringLiteral("DELETE FROM rounds") << false;
    QTest::newRow("poste reads the class")
        << poste << QStringLiteral("SELECT c.name, e.first_name FROM classes c JOIN children e ON e.class_id = c.id")
        << true;
    QTest::newRow("poste adds no child") << poste
                                         << QStringLiteral(
                                                "INSERT INTO children VALUES ('e2', 'c1', 'Zoé', 'cor', 0, 1)")
                                         << false;
    QTest::newRow("poste renames no child") << poste << QStringLiteral("UPDATE children SET first_name = 'X'") << false;
    QTest::newRow("poste sets the listening setting")
        << poste << QStringLiteral("UPDATE children SET hears_found = 1 WHERE id = 'e1'") << true;
    QTest::newRow("poste opens a level")
        << poste
        << QStringLiteral("INSERT INTO levels VALUES ('e1', 'cordes', 2) ON CONFLICT (child_id, game) DO UPDATE SET"
                          " open_levels = excluded.open_levels WHERE levels.open_levels < excluded.open_levels")
        << true;
    QTest::newRow("poste writes a setting")
        << poste
        << QStringLiteral(
               "INSERT INTO settings VALUES ('k', 'v') ON CONFLICT (key) DO UPDATE SET value = excluded.value")
        << true;
    QTest::newRow("poste upgrades nothing")
        << poste << QStringLiteral("ALTER TABLE answers ADD COLUMN x INTEGER") << false;
    QTest::newRow("suivi reads the answers") << suivi << QStringLiteral("SELECT * FROM answers") << true;
    QTest::newRow("suivi upgrades") << suivi << QStringLiteral("CREATE INDEX IF NOT EXISTS x ON answers(instrument)")
                                    << true;
    QTest::newRow("suivi erases a child's answers")
        << suivi << QStringLiteral("DELETE FROM answers WHERE round = -1") << true;
}

void TestPostgresRoles::rights()
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

void TestPostgresRoles::answersAreKeptOnce()
{
    QString out;
    QVERIFY(m_server.psql(QStringLiteral("ecole"),
                          QStringLiteral("SELECT (SELECT count(*) FROM answer_rows WHERE round_id = 'r1'),"
                                         " (SELECT outcome || duration_ms FROM rounds WHERE id = 'r1'),"
                                         " (SELECT open_levels FROM levels WHERE child_id = 'e1')"),
                          &out, QStringLiteral("calivento_suivi")));
    QCOMPARE(out, QStringLiteral("1|gagné9000|2"));
}

QTEST_GUILESS_MAIN(TestPostgresRoles)
#include "tst_postgres_roles.moc"
