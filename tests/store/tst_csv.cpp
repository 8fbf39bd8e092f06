// SPDX-FileCopyrightText: 2026 Les Ateliers Calivento
//
// SPDX-License-Identifier: GPL-3.0-or-later

// Text in and out of the store: the answers' CSV read back, lists of first names, and the
// command line that runs them without a window.
#include "app/commands.h"
#include "store/csv.h"

#include <QBuffer>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QtTest>

using namespace store;

class TestCsv : public QObject
{
    Q_OBJECT
    QTemporaryDir m_dir;

private slots:
    void initTestCase() { QDir::setCurrent(m_dir.path()); }

    // Every answer comes back as written: names with commas, quotes and SQL in them, captions
    // as the game writes them, local dates, flags as 1 and 0.
    void answersReadBack()
    {
        std::optional<Database> db = Database::open({m_dir.filePath(QStringLiteral("a.sqlite")), {}}, "a");
        const ClassRow room = *db->classNamed(QStringLiteral("CE2 \"B\", l'autre"));
        const QStringList names{QStringLiteral("Zoé, \"la grande\""),
                                QStringLiteral("Robert'); DROP TABLE enfants;--")};
        std::vector<Child> children;
        for (const QString &name : names)
            children.push_back(*db->addChild({{}, room.id, name, QStringLiteral("cor"), {}, false}));
        const qint64 start = QDateTime(QDate(2026, 3, 29), QTime(1, 59, 59)).toMSecsSinceEpoch(); // clocks change
        const std::vector<Round> rounds{{newUuid(), children[0].id, "vue", "vents", 2, start, 0, "gagné", 4},
                                        {newUuid(), children[1].id, "vue", "familles", 1, start + 1, 0, "perdu", 0},
                                        {newUuid(), children[1].id, "oreille", "oreille", 3, start + 2, 0, "", 0}};
        for (const Round &round : rounds)
            QVERIFY(db->saveRound(round));
        const std::vector<Answer> answers{{rounds[0].id, 1, "hautbois", "clarinette", false, true, 1500},
                                          {rounds[0].id, 2, "hautbois", "hautbois", true, false, 3200},
                                          {rounds[1].id, 1, "violon", "famille:cordes", true, true, 700},
                                          {rounds[2].id, 1, "cor_anglais", "tambourin", false, true, 999}};
        QVERIFY(db->addAnswers(answers));

        QBuffer out;
        out.open(QIODevice::WriteOnly);
        QCOMPARE(csv::exportAnswers(*db, out), 4);
        const QList<QStringList> rows = csv::parse(out.data());
        QCOMPARE(rows.size(), 5);
        QCOMPARE(rows[0].join(','), QLatin1String(csv::header));
        const QStringList expected[] = {
            {names[0], room.name, "vue", "Les instruments à vent", "2", rounds[0].id, "Le hautbois", "La clarinette",
             "0", "1", "1500"},
            {names[0], room.name, "vue", "Les instruments à vent", "2", rounds[0].id, "Le hautbois", "Le hautbois", "1",
             "0", "3200"},
            {names[1], room.name, "vue", "Les familles d'instruments", "1", rounds[1].id, "Le violon",
             "Les instruments à cordes", "1", "1", "700"},
            {names[1], room.name, "oreille", "Devine", "3", rounds[2].id, "Le cor anglais", "Le xylophone", "0", "1",
             "999"},
        };
        const qint64 at[] = {start + 1500, start + 3200, start + 1 + 700, start + 2 + 999};
        for (int i = 0; i < 4; ++i) {
            QCOMPARE(rows[i + 1].mid(1), expected[i]);
            const QDateTime date = QDateTime::fromString(rows[i + 1][0], Qt::ISODate);
            QCOMPARE(date.toMSecsSinceEpoch(), at[i] / 1000 * 1000); // to the second
            QCOMPARE(date.offsetFromUtc(), QDateTime::fromMSecsSinceEpoch(at[i]).offsetFromUtc());
        }
    }

    void listsOfNames_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<QStringList>("names");
        QTest::addColumn<int>("blank");
        QTest::addColumn<int>("duplicates");
        QTest::newRow("text") << QByteArray("Léa\n\nZoé\n  léa \nÉmile\n\n") << QStringList{"Léa", "Zoé", "Émile"} << 2
                              << 1;
        QTest::newRow("Windows text with a BOM")
            << QByteArray("\xEF\xBB\xBFLéa\r\n\r\nN'Golo\r\n") << QStringList{"Léa", "N'Golo"} << 1 << 0;
        QTest::newRow("CSV") << QByteArray("Léa,CE2\n\"Zoé, la grande\",CE2\n,CE2\nLéa,CM1\n")
                             << QStringList{"Léa", "Zoé, la grande"} << 1 << 1;
        QTest::newRow("accents written apart")
            << QByteArray("L\x65\xCC\x81\x61\nL\xC3\xA9\x61\n") << QStringList{"Léa"} << 0 << 1;
    }
    void listsOfNames()
    {
        QFETCH(QByteArray, content);
        QFETCH(QStringList, names);
        QFETCH(int, blank);
        QFETCH(int, duplicates);
        const csv::NameList list = csv::readNames(content);
        QCOMPARE(list.names, names);
        QCOMPARE(list.blank, blank);
        QCOMPARE(list.duplicates, duplicates);
    }

    // A second list into the same class: the names already there count as duplicates.
    void importReport()
    {
        std::optional<Database> db = Database::open({m_dir.filePath(QStringLiteral("i.sqlite")), {}}, "i");
        const ClassRow room = *db->classNamed(QStringLiteral("CE2 B"));
        csv::importNames(*db, csv::readNames("Léa\nZoé\n"), room.id);
        const csv::ImportReport report = csv::importNames(
            *db, csv::readNames(QByteArray("zoé\n\nÉmile\nÉmile\n") + QByteArray(41, 'x') + '\n'), room.id);
        QCOMPARE(report.added, QStringList{"Émile"});
        QCOMPARE(csv::describe(report, room.name),
                 QStringLiteral("1 enfant ajouté à « CE2 B » ; 1 ligne vide et 2 doublons ignorés.\nRefusé : %1 : "
                                "Un prénom a au plus 40 caractères.")
                     .arg(QString(41, 'x')));
    }

    // The command line's tasks say 0 or 1, and never make a database where there was none to
    // export.
    void commandLine_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("made");
        QTest::newRow("export, no store") << QStringList{"--exporter", "r.csv"} << 1 << QString();
        QTest::newRow("add") << QStringList{"--ajouter-enfants", "liste.txt"} << 0 << "calivento.sqlite";
        QTest::newRow("add again") << QStringList{"--ajouter-enfants", "liste.txt", "--classe", "CE2 B"} << 0
                                   << "calivento.sqlite";
        QTest::newRow("export") << QStringList{"--exporter", "r.csv"} << 0 << "r.csv";
    }
    void commandLine()
    {
        QFETCH(QStringList, arguments);
        QFETCH(int, status);
        QFETCH(QString, made);
        static const QString folder = m_dir.filePath(QStringLiteral("cli")); // shared by the rows
        QDir().mkpath(folder);
        QDir::setCurrent(folder);
        QFile list(QStringLiteral("liste.txt"));
        QVERIFY(list.open(QIODevice::WriteOnly));
        list.write("Léa\nZoé\n");
        list.close();
        const startup::Parsed parsed = startup::parse(QStringList{QStringLiteral("calivento")} + arguments);
        QVERIFY(!parsed.exitStatus);
        QVERIFY(commands::asked(parsed.options));
        QCOMPARE(commands::run(parsed.options), status);
        QVERIFY(made.isEmpty() || QFile::exists(made));
        if (status == 1)
            QVERIFY(!QFile::exists(QStringLiteral("calivento.sqlite")));
        if (QTest::currentDataTag() == QLatin1String("export")) {
            QFile file(made);
            QVERIFY(file.open(QIODevice::ReadOnly));
            QCOMPARE(file.readLine().trimmed(), QByteArray(csv::header));
            std::optional<Database> db = Database::open({QStringLiteral("calivento.sqlite"), {}}, "cli");
            QCOMPARE(db->children().size(), 4u); // twice Léa and Zoé, in two classes
        }
        QDir::setCurrent(m_dir.path());
    }
};

QTEST_GUILESS_MAIN(TestCsv)
#include "tst_csv.moc"
