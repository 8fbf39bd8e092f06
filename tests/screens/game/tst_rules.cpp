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
        for (int tick = 1; tick <= 802; ++tick) {
            const game::Beat b = game::beat(interval, bascule);
            QCOMPARE(b.lost, tick == 802);
            QCOMPARE(b.rightPose, tick % 2 == 0 && !b.lost); // the first tick shows the left-leaning picture
            QCOMPARE(b.points, QString::number(std::max(801 - tick, 0))); // from 800 down to 0, then 0 again
            interval = b.interval;
            bascule = b.bascule;
        }
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
        // A clock set back while playing shows the time played, not nearly a day.
        QCOMPARE(game::elapsedText(QTime(10, 0, 0), QTime(10, 1, 23)), QStringLiteral("00:01:23"));
    }

    void spokenTime()
    {
        const QList<QPair<QString, QString>> said{{"01:01:01", "1 heure 1 minute 1 seconde"},
                                                  {"02:00:05", "2 heures 5 secondes"},
                                                  {"00:03:00", "3 minutes"},
                                                  {"0", "0 seconde"}, // before the first second
                                                  {"12:3", "12:3"}};
        for (const auto &[shown, spoken] : said)
            QCOMPARE(game::spokenTime(shown), spoken);
    }
};

QTEST_GUILESS_MAIN(TestRules)
#include "tst_rules.moc"
