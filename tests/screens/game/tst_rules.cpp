// SPDX-FileCopyrightText: 2026 Les Ateliers Calivento
//
// SPDX-License-Identifier: GPL-3.0-or-later

// The rules of a round, without any window: the countdown, the judging of drops, the scatter and
// the stopwatch text.
#include "screens/game/rules.h"
#include "support/fakes.h"

#include <QSet>
#include <QtTest>
#include <cmath>

class TestRules : public QObject
{
    Q_OBJECT
private slots:
    void countdownFrom841()
    {
        int interval = 841;
        bool bascule = false;
        QStringList points;
        for (int tick = 1; tick <= 802; ++tick) {
            const game::Beat b = game::beat(interval, bascule);
            QCOMPARE(b.lost, tick == 802);
            QCOMPARE(b.rightPose, tick % 2 == 0 && !b.lost); // the first tick shows the left-leaning picture
            points << b.points;
            interval = b.interval;
            bascule = b.bascule;
        }
        QCOMPARE(points.first(), QStringLiteral("800"));
        QCOMPARE(points.mid(799), QStringList({"1", "0", "0"}));
    }

    void wrongDropNearTheEnd()
    {
        // An interval of 0 would stop Timer1 and the round could never be lost.
        const QList<QPair<int, int>> before{{61, 41}, {60, 40}, {50, 30}, {5, 1}};
        for (const auto &[interval, after] : before) {
            QCOMPARE(game::penalised(interval), after);
            QCOMPARE(game::beat(after, false).lost, interval <= 60);
        }
    }

    void judgeDrop()
    {
        const auto verdict = [](const char *dragged, const char *on) {
            const game::DropVerdict v = game::judgeDrop(QString::fromUtf8(dragged), game::indexOfPicture(on));
            return QString(v.name ? "name" : v.family ? "family" : "wrong");
        };
        QCOMPARE(verdict("Le violon", "violon"), QStringLiteral("name"));
        QCOMPARE(verdict("La harpe", "violon"), QStringLiteral("wrong"));
        QCOMPARE(verdict("Les instruments à cordes", "Piano"), QStringLiteral("family"));
        QCOMPARE(verdict("Les instruments à vent", "Piano"), QStringLiteral("wrong"));
        // Matching is by caption, so no two draggable labels may read the same.
        QSet<QString> captions;
        for (const game::Instrument &i : game::catalogue)
            captions << QString::fromUtf8(i.caption);
        for (const game::FamilyInfo &f : game::families)
            captions << QString::fromUtf8(f.caption);
        QCOMPARE(captions.size(), game::instrumentCount + 3);
    }

    void scatterStaysInThePlayArea()
    {
        const QRect area(game::playLeft, game::playTop, game::playWidth, game::playHeight);
        fakes::Random random;
        for (float draw : {0.0f, std::nextafter(1.0f, 0.0f)}) { // every picture at both ends of its span
            random.values = {draw};
            for (const game::GameInfo &g : game::games)
                for (const game::Placement &p : game::scatter(g.id, random)) {
                    const game::Instrument &i = game::catalogue[static_cast<std::size_t>(p.row)];
                    QVERIFY2(area.contains(QRect(p.left, p.top, i.width, i.height)), i.picture);
                }
        }
    }

    void elapsed()
    {
        QCOMPARE(game::elapsedText(QTime(10, 0, 0, 900), QTime(10, 0, 0)), QStringLiteral("00:00:00"));
        QCOMPARE(game::elapsedText(QTime(10, 0, 0), QTime(10, 1, 23)), QStringLiteral("00:01:23"));  // set back
        QCOMPARE(game::elapsedText(QTime(0, 0, 30), QTime(23, 59, 30)), QStringLiteral("23:59:00")); // midnight
    }

    void spokenTime_data()
    {
        QTest::addColumn<QString>("shown");
        QTest::addColumn<QString>("said");
        const auto row = [](const char *shown, const char *said) { QTest::newRow(shown) << shown << said; };
        row("01:01:01", "1 heure 1 minute 1 seconde");
        row("02:00:05", "2 heures 5 secondes");
        row("00:03:00", "3 minutes");
        row("0", "0 seconde"); // before the first second
        row("12:3", "12:3");
    }
    void spokenTime()
    {
        QFETCH(QString, shown);
        QFETCH(QString, said);
        QCOMPARE(game::spokenTime(shown), said);
    }
};

QTEST_GUILESS_MAIN(TestRules)
#include "tst_rules.moc"
