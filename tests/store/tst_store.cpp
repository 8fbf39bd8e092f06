// SPDX-FileCopyrightText: 2026 Les Ateliers Calivento
//
// SPDX-License-Identifier: GPL-3.0-or-later

// The store on real SQLite files: who plays, what is kept, and the store's thread.
#include "store/database.h"
#include "store/player.h"
#include "store/worker.h"

#include <QSqlQuery>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

using namespace store;

namespace {
int count(Database &db, const QString &sql)
{
    QSqlQuery query(db.sql());
    return query.exec(sql) && query.next() ? query.value(0).toInt() : -1;
}
} // namespace

class TestStore : public QObject
{
    Q_OBJECT
    QTemporaryDir m_dir;
    QString file() const { return m_dir.filePath(QStringLiteral("calivento.sqlite")); }

private slots:
    void initTestCase()
    {
        QStandardPaths::setTestModeEnabled(true);
        QDir::setCurrent(m_dir.path());
    }
    void cleanup()
    {
        Player::current().leave();
        Player::current().close();
        QFile::remove(file());
    }

    // At home nothing is recorded and no database is made; a child's levels and answers go to
    // the database, the progress files are left as they were.
    void onlyAChildIsRecorded()
    {
        Player &player = Player::current();
        player.useStore({file(), {}});
        player.useProgressFolder(m_dir.filePath(QStringLiteral("niveaux")));
        player.startRound(QStringLiteral("cordes"), 1);
        player.answer(QStringLiteral("violon"), QStringLiteral("violon"), true, true);
        player.endRound(QStringLiteral("gagné"), 10);
        QVERIFY(player.recordWin(QStringLiteral("corde.nvl"), 1));
        QVERIFY(!player.hasStore());
        QCOMPARE(player.openLevels(QStringLiteral("corde.nvl")), 2);

        std::optional<Child> lea;
        {
            std::optional<Database> db = Database::open({file(), {}}, QStringLiteral("test"));
            QVERIFY(db);
            lea = db->addChild({{}, db->defaultClass().id, QStringLiteral("Léa"), QStringLiteral("violon"), {}, false});
            QVERIFY(lea);
        }
        player.play(*lea);
        QCOMPARE(player.openLevels(QStringLiteral("corde.nvl")), 1); // her own, not the files'
        player.startRound(QStringLiteral("cordes"), 1);
        player.answer(QStringLiteral("alto"), QStringLiteral("violon"), false, true);
        player.answer(QStringLiteral("alto"), QStringLiteral("alto"), true, false);
        player.endRound(QStringLiteral("gagné"), 12);
        QVERIFY(player.recordWin(QStringLiteral("corde.nvl"), 1));
        player.setHearsFoundInstrument(true);
        player.startRound(QStringLiteral("oreille"), 2);
        player.answer(QStringLiteral("cor"), QStringLiteral("tuba"), false, true);
        player.leave(); // mid-round
        player.close();

        std::optional<Database> db = Database::open({file(), {}}, QStringLiteral("test"));
        QVERIFY(db);
        QCOMPARE(db->schemaVersion(), schema::version);
        QCOMPARE(count(*db, QStringLiteral("SELECT COUNT(*) FROM answers")), 3);
        QCOMPARE(count(*db, QStringLiteral("SELECT COUNT(*) FROM answer_rows WHERE mode = 'oreille' AND correct = 0")),
                 1);
        QSqlQuery rounds(db->sql());
        QVERIFY(rounds.exec(QStringLiteral("SELECT game, outcome, points FROM rounds ORDER BY started_ms, game")));
        QStringList seen;
        while (rounds.next())
            seen << rounds.value(0).toString() + ' ' + rounds.value(1).toString() + ' ' + rounds.value(2).toString();
        QCOMPARE(seen, (QStringList{"cordes gagné 12", "oreille abandonné 0"}));
        const std::optional<Child> kept = db->child(lea->id);
        QVERIFY(kept);
        QCOMPARE(kept->levels.at(QStringLiteral("cordes")), 2);
        QVERIFY(kept->hearsFoundInstrument);
        QCOMPARE(db->answerCount(lea->id), 3);
        QVERIFY(db->removeChild(lea->id));
        QCOMPARE(count(*db, QStringLiteral("SELECT COUNT(*) FROM answers")), 0);
        QCOMPARE(count(*db, QStringLiteral("SELECT COUNT(*) FROM rounds")), 0);
    }

    // Results come back on the caller's thread, in the order posted, and not at all to a
    // receiver that is gone.
    void queriesAnswerOnTheCallersThread()
    {
        Worker worker({file(), {}});
        QList<int> got;
        auto receiver = std::make_unique<QObject>();
        QObject gone;
        for (int i = 0; i < 3; ++i)
            worker.query<int>([i](Database &db) { return db.schemaVersion() * 10 + i; }, receiver.get(),
                              [&](int value) {
                                  QCOMPARE(QThread::currentThread(), qApp->thread());
                                  got << value;
                              });
        auto *doomed = new QObject;
        worker.query<int>([](Database &) { return -1; }, doomed, [&](int value) { got << value; });
        delete doomed;
        QTRY_COMPARE(got, (QList<int>{20, 21, 22}));
        QCoreApplication::processEvents();
        QCOMPARE(got.size(), 3);
        QCOMPARE(worker.opened(), true);
    }
};

QTEST_GUILESS_MAIN(TestStore)
#include "tst_store.moc"
