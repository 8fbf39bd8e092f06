// SPDX-FileCopyrightText: 2026 Les Ateliers Calivento
//
// SPDX-License-Identifier: GPL-3.0-or-later

// The heat maps' models: what each cell says, shows and tells a screen reader.
#include "suivi/models.h"
#include "suivi/rules.h"

#include <QAbstractItemModelTester>
#include <QtTest>

using namespace suivi;

class TestHeatMap : public QObject
{
    Q_OBJECT

private slots:
    void cells_data()
    {
        QTest::addColumn<int>("answers");
        QTest::addColumn<int>("right");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QColor>("colour");
        QTest::addColumn<QString>("spoken");
        QTest::newRow("nothing") << 0 << 0 << "–" << noShareColor << "Léa, le violon : pas assez de réponses (0)";
        QTest::newRow("two") << 2 << 0 << "–" << noShareColor << "Léa, le violon : pas assez de réponses (2)";
        QTest::newRow("none right") << 4 << 0 << "0 %" << shareColor(0)
                                    << "Léa, le violon : 0 % de bonnes premières réponses sur 4";
        QTest::newRow("two of three") << 3 << 2 << "67 %" << shareColor(67)
                                      << "Léa, le violon : 67 % de bonnes premières réponses sur 3";
        QTest::newRow("all") << 3 << 3 << "100 %" << shareColor(100)
                             << "Léa, le violon : 100 % de bonnes premières réponses sur 3";
    }
    void cells()
    {
        QFETCH(int, answers);
        QFETCH(int, right);
        QFETCH(QString, text);
        QFETCH(QColor, colour);
        QFETCH(QString, spoken);
        HeatMapModel model;
        QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::QtTest);
        store::stats::Row row;
        row[QStringLiteral("violon")] = {answers, right};
        row[QStringLiteral("inconnu")] = {9, 9}; // not an instrument of the game: never shown
        model.setLines({{QStringLiteral("id-lea"), QStringLiteral("Léa"), row},
                        {QStringLiteral("id-zoe"), QStringLiteral("Zoé"), {}}});
        QCOMPARE(model.rowCount(), 2);
        QCOMPARE(model.columnCount(), 24);
        const QModelIndex cell = model.index(0, 4); // the violin: the window's test reads the headers
        QCOMPARE(model.headerData(1, Qt::Vertical, ChildIdRole).toString(), QStringLiteral("id-zoe"));
        QCOMPARE(cell.data().toString(), text);
        QCOMPARE(cell.data(Qt::BackgroundRole).value<QColor>(), colour);
        QCOMPARE(cell.data(Qt::AccessibleTextRole).toString(), spoken);
        for (int column = 0; column < 24; ++column)
            if (column != 4)
                QCOMPARE(model.index(0, column).data().toString(), QStringLiteral("–"));
    }

    // The columns follow the families: strings, then winds, then percussion.
    void familiesInOrder()
    {
        HeatMapModel model;
        QStringList families;
        for (int c = 0; c < model.columnCount(); ++c) {
            const QString family = model.headerData(c, Qt::Horizontal, FamilyRole).toString();
            if (families.isEmpty() || families.last() != family)
                families << family;
        }
        QCOMPARE(families, (QStringList{"Les instruments à cordes", "Les instruments à vent", "Les percussions"}));
    }

    // Rows shown, columns answered; the most frequent confusion is the reddest.
    void matrix()
    {
        MatrixModel model;
        QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::QtTest);
        model.setMatrix({{{"hautbois", "clarinette"}, 7}, {{"hautbois", "hautbois"}, 20}, {{"violon", "alto"}, 2}});
        const int hautbois = 13, clarinette = 7, violon = 4, alto = 0;
        QCOMPARE(model.index(hautbois, clarinette).data().toString(), QStringLiteral("7"));
        QCOMPARE(model.index(clarinette, hautbois).data().toString(), QString());
        QCOMPARE(model.index(hautbois, clarinette).data(Qt::AccessibleTextRole).toString(),
                 QStringLiteral("Le hautbois pris pour la clarinette : 7 fois"));
        const QColor most = model.index(hautbois, clarinette).data(Qt::BackgroundRole).value<QColor>();
        const QColor less = model.index(violon, alto).data(Qt::BackgroundRole).value<QColor>();
        QVERIFY(most.lightnessF() < less.lightnessF());
        QCOMPARE(model.index(hautbois, hautbois).data(Qt::AccessibleTextRole).toString(),
                 QStringLiteral("Le hautbois reconnu 20 fois"));
    }
};

QTEST_MAIN(TestHeatMap)
#include "tst_heatmap.moc"
