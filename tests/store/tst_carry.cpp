// SPDX-FileCopyrightText: 2026 Les Ateliers Calivento
//
// SPDX-License-Identifier: GPL-3.0-or-later

// Results carried by hand between computers in .calivento files.
#include "app/commands.h"
#include "school_fill.h"
#include "store/carry.h"
#include "store/server.h"

#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

using namespace store;
using schoolfill::count;

class TestCarry : public QObject
{
    Q_OBJECT
    QTemporaryDir m_dir;
    QString path(const QString &name) const { return m_dir.filePath(name); }

    // A computer's store with Léa (and the class) made there, and her answers.
    static void computer(const QString &file, int rounds, const QString &name = QStringLiteral("Léa"))
    {
        std::optional<Database> db = Database::open({file, {}}, QStringLiteral("computer"));
        QVERIFY(db);
        const std::optional<Child> child = db->addChild(
            {{}, db->defaultClass().id, name, QStringLiteral("violon"), {{QStringLiteral("cordes"), 2}}, false});
        QVERIFY(child);
        QVERIFY(schoolfill::play(*db, child->id, rounds, 12));
        QVERIFY(db->setSetting(QStringLiteral("code"), QStringLiteral("secret")));
    }

private slots:
    // Two computers' files merge into a third: one class, one Léa, every answer once, and a
    // second import adds nothing. The access code does not travel.
    void twoComputersMerge()
    {
        computer(path(QStringLiteral("a.sqlite")), 3);
        computer(path(QStringLiteral("b.sqlite")), 2);
        computer(path(QStringLiteral("b.sqlite")), 0, QStringLiteral("Zoé"));
        for (const QString &name : {QStringLiteral("a"), QStringLiteral("b")}) {
            const carry::Outcome out = carry::exportStore(path(name + ".sqlite"), path(name + ".calivento"));
            QVERIFY2(out.ok, qPrintable(out.message));
            QVERIFY(!QFile::exists(path(name + ".calivento.part")));
        }
        std::optional<Database> target = Database::open({path(QStringLiteral("c.sqlite")), {}}, QStringLiteral("c"));
        QVERIFY(target);
        for (int pass = 0; pass < 2; ++pass)
            for (const QString &name : {QStringLiteral("a"), QStringLiteral("b")}) {
                const carry::Outcome out = carry::importInto(target->sql(), path(name + ".calivento"));
                QVERIFY2(out.ok, qPrintable(out.message));
                QCOMPARE(out.answersAdded, pass == 0 ? (name == u"a" ? 36 : 24) : 0);
            }
        QCOMPARE(count(target->sql(), QStringLiteral("SELECT count(*) FROM classes")), 1);
        QCOMPARE(count(target->sql(), QStringLiteral("SELECT count(*) FROM children")), 2);
        QCOMPARE(count(target->sql(), QStringLiteral("SELECT count(*) FROM answers")), 60);
        QCOMPARE(count(target->sql(), QStringLiteral("SELECT count(*) FROM rounds")), 5);
        QCOMPARE(count(target->sql(), QStringLiteral("SELECT count(*) FROM answer_rows r JOIN children c ON c.id ="
                                                     " r.child_id WHERE c.first_name = 'Léa'")),
                 60);
        QCOMPARE(count(target->sql(), QStringLiteral("SELECT max(open_levels) FROM levels")), 2);
        QCOMPARE(count(target->sql(), QStringLiteral("SELECT count(*) FROM settings WHERE key = 'code'")), 0);
    }

    // The same without a window: exit status 0, or 1 with a message; a second import adds nothing.
    void commandLine()
    {
        const QString here = QDir::currentPath();
        QVERIFY(QDir::setCurrent(m_dir.path()));
        store::server::setCommandLineBase({});
        startup::Options options;
        options.exportPoste = path(QStringLiteral("ici.calivento"));
        QCOMPARE(commands::run(options), 1); // nothing kept here yet
        computer(defaultSqliteFile(), 2);
        QCOMPARE(commands::run(options), 0);
        options = {};
        options.importFile = path(QStringLiteral("ici.calivento"));
        QCOMPARE(commands::run(options), 0);
        std::optional<Database> db = Database::open({defaultSqliteFile(), {}}, QStringLiteral("here"));
        QCOMPARE(count(db->sql(), QStringLiteral("SELECT count(*) FROM answers")), 24);
        options.importFile = path(QStringLiteral("nowhere.calivento"));
        QCOMPARE(commands::run(options), 1);
        QVERIFY(QDir::setCurrent(here));
    }

    // A file that is not ours, or from a newer game, is refused with its name.
    void refused_data()
    {
        QTest::addColumn<QString>("sql"); // made into a SQLite file; none: a text file
        QTest::addColumn<QString>("says");
        const QString notOurs = QStringLiteral("n'est pas un fichier de résultats");
        QTest::newRow("text") << QString() << notOurs;
        QTest::newRow("another program's database") << QStringLiteral("CREATE TABLE notes(x TEXT)") << notOurs;
        QTest::newRow("newer game") << QStringLiteral("CREATE TABLE meta(key TEXT PRIMARY KEY, value TEXT);"
                                                      "INSERT INTO meta VALUES('schema', '99')")
                                    << QStringLiteral("version plus récente");
    }
    void refused()
    {
        QFETCH(QString, sql);
        QFETCH(QString, says);
        const QString file = path(QStringLiteral("refused.calivento"));
        QFile::remove(file);
        if (sql.isEmpty()) {
            QFile out(file);
            QVERIFY(out.open(QIODevice::WriteOnly) && out.write("date,enfant\n") > 0);
        } else {
            {
                QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("maker"));
                db.setDatabaseName(file);
                QVERIFY(db.open());
                for (const QString &statement : sql.split(u';'))
                    QVERIFY(QSqlQuery(db).exec(statement));
            }
            QSqlDatabase::removeDatabase(QStringLiteral("maker"));
        }
        std::optional<Database> target = Database::open({path(QStringLiteral("d.sqlite")), {}}, QStringLiteral("d"));
        QVERIFY(target);
        const carry::Outcome out = carry::importInto(target->sql(), file);
        QVERIFY(!out.ok);
        QVERIFY2(out.message.contains(says), qPrintable(out.message));
        QVERIFY(out.message.contains(QStringLiteral("refused.calivento")));
    }
};

QTEST_GUILESS_MAIN(TestCarry)
#include "tst_carry.moc"
