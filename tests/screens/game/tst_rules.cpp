// SPDX-FileCopyrightText: 2026 Les Ateliers Calivento
//
// SPDX-License-Identifier: GPL-3.0-or-later

// The rules of a round, without any window: the countdown, the judging of drops, the scatter and
// the stopwatch text.
#include "screens/game/rules.h"
#include "support/fakes.h"

#include <QRandomGenerator>
#include <QSet>
#include <QtTest>
#include <cmath>

using game::GameId;

namespace {
const float justBelowOne = std::nextafter(1.0f, 0.0f);
} // namespace

class TestRules : public QObject
{
    Q_OBJECT
private slots:
    void countdownFrom841()
    {
        int interval = 841;
        bool bascule = false;
        qint64 waited = 0;
        for (int tick = 1; tick <= 802; ++tick) {
            waited += interval;
            const game::Beat b = game::beat(interval, bascule);
            QCOMPARE(b.lost, tick == 802);
            if (b.lost)
                break;
            QCOMPARE(b.rightPose, tick % 2 == 0); // the first tick shows the left-leaning picture
            interval = b.interval;
            bascule = b.bascule;
            if (tick == 1)
                QCOMPARE(b.points, QStringLiteral("800"));
            if (tick == 801)
                QCOMPARE(b.points, QStringLiteral("0"));
        }
        QCOMPARE(waited, 353281);
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

    void judgeDrop_data()
    {
        QTest::addColumn<QString>("dragged");
        QTest::addColumn<QString>("on");
        QTest::addColumn<QString>("verdict");
        const auto row = [](const char *dragged, const char *on, const char *verdict) {
            QTest::addRow("%s on %s", dragged, on) << QString::fromUtf8(dragged) << QString::fromUtf8(on) << verdict;
        };
        row("Le violon", "violon", "name");
        row("La harpe", "violon", "wrong");
        row("Le xylophone", "Tambourin", "name");
        row("Le tambour", "Tambourin", "wrong");
        row("Les instruments à cordes", "Piano", "family");
        row("Les instruments à vent", "Saxophone", "family");
        row("Les percussions", "Cymbales", "family");
        row("Les instruments à vent", "Piano", "wrong");
    }
    void judgeDrop()
    {
        QFETCH(QString, dragged);
        QFETCH(QString, on);
        QFETCH(QString, verdict);
        const game::DropVerdict v = game::judgeDrop(dragged, game::indexOfPicture(on.toUtf8().constData()));
        QCOMPARE(QString(v.name ? "name" : v.family ? "family" : "wrong"), verdict);
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
        fakes::Random extremes;
        extremes.values = {0.0f, justBelowOne, justBelowOne, 0.0f, justBelowOne};
        for (const game::GameInfo &g : game::games) {
            const auto check = [&](platform::Random &random, unsigned seed) {
                for (const game::Placement &p : game::scatter(g.id, random)) {
                    const game::Instrument &i = game::catalogue[static_cast<std::size_t>(p.row)];
                    QVERIFY2(area.contains(QRect(p.left, p.top, i.width, i.height)),
                             qPrintable(QStringLiteral("%1, seed %2: %3").arg(g.title).arg(seed).arg(i.picture)));
                }
            };
            for (extremes.next_ = 0; extremes.next_ < extremes.values.size(); ++extremes.next_)
                check(extremes, 0);
            fakes::Random random;
            for (unsigned seed = 1; seed <= 500; ++seed) {
                random.values = {};
                for (QRandomGenerator numbers(seed); random.values.size() < 200;)
                    random.values << float(numbers.bounded(1 << 24)) * 0x1p-24f;
                check(random, seed);
            }
        }
    }

    void elapsed()
    {
        QCOMPARE(game::elapsedText(QTime(10, 0, 0, 900), QTime(10, 0, 0)), QStringLiteral("00:00:00"));
        QCOMPARE(game::elapsedText(QTime(11, 20, 5), QTime(8, 15, 0)), QStringLiteral("03:05:05"));
        QCOMPARE(game::elapsedText(QTime(10, 0, 0), QTime(10, 1, 23)), QStringLiteral("00:01:23"));  // set back
        QCOMPARE(game::elapsedText(QTime(0, 0, 30), QTime(23, 59, 30)), QStringLiteral("23:59:00")); // midnight
    }

    void spokenTime_data()
    {
        QTest::addColumn<QString>("shown");
        QTest::addColumn<QString>("said");
        const auto row = [](const char *shown, const char *said) { QTest::newRow(shown) << shown << said; };
        row("00:01:42", "1 minute 42 secondes");
        row("01:01:01", "1 heure 1 minute 1 seconde");
        row("02:00:05", "2 heures 5 secondes");
        row("00:03:00", "3 minutes");
        row("00:00:00", "0 seconde");
        row("0", "0 seconde"); // before the first second
        row("12:3", "12:3");
    }
    void spokenTime()
    {
        QFETCH(QString, shown);
        QFETCH(QString, said);
        QCOMPARE(game::spokenTime(shown), said);
    }

    void spokenVerdict()
    {
        QCOMPARE(game::spokenVerdict(QStringLiteral("Le violon"), true), QStringLiteral("Bravo : le violon"));
        QCOMPARE(game::spokenVerdict(QStringLiteral("L'alto"), true), QStringLiteral("Bravo : l'alto"));
        QCOMPARE(game::spokenVerdict(QStringLiteral("L'alto"), false), QStringLiteral("Non, ce n'est pas cette image"));
    }
};

QTEST_GUILESS_MAIN(TestRules)
#include "tst_rules.moc"
