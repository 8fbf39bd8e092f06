// The rules of a round, without any window: the countdown, the scatter and the stopwatch text.
#include "screens/game/rules.h"
#include "support/fakes.h"

#include <QSet>
#include <QtTest>
#include <cmath>
#include <random>

using game::GameId;

Q_DECLARE_METATYPE(GameId)

namespace {
const QList<GameId> allGames{GameId::Tous, GameId::Familles, GameId::Vents, GameId::Cordes, GameId::Percussions};

// A generator of single-precision values in [0, 1), seeded as asked.
struct SeededRandom : platform::Random {
    std::mt19937 engine;
    explicit SeededRandom(unsigned seed)
        : engine(seed)
    {
    }
    void reseed() override {}
    float next() override { return static_cast<float>(engine() >> 8) * 0x1p-24f; }
};

const float justBelowOne = std::nextafter(1.0f, 0.0f);
} // namespace

class TestRules : public QObject
{
    Q_OBJECT
private slots:
    void captionsAreAllDifferent()
    {
        // Matching is by caption, so no two draggable labels may read the same.
        QSet<QString> captions;
        for (const game::Instrument &i : game::catalogue)
            captions << QString::fromUtf8(i.caption);
        for (const game::FamilyInfo &f : game::families)
            captions << QString::fromUtf8(f.caption);
        QCOMPARE(captions.size(), game::instrumentCount + 3);
    }

    void countdownFrom841()
    {
        int interval = 841;
        bool bascule = false;
        qint64 waited = 0;
        for (int tick = 1; tick <= 802; ++tick) {
            waited += interval;
            const game::Beat b = game::beat(interval, bascule);
            if (tick == 802) {
                QVERIFY(b.lost);
                break;
            }
            QVERIFY2(!b.lost, qPrintable(QString::number(tick)));
            QCOMPARE(b.rightPose, tick % 2 == 0); // the first tick shows the left-leaning picture
            interval = b.interval;
            bascule = b.bascule;
            if (tick == 1)
                QCOMPARE(b.points, QStringLiteral("800"));
            if (tick == 801) {
                QCOMPARE(b.points, QStringLiteral("0"));
                QCOMPARE(interval, 40);
            }
        }
        QCOMPARE(waited, 353281);
    }

    void wrongDropNearTheEnd_data()
    {
        QTest::addColumn<int>("interval");
        QTest::addColumn<int>("after");
        QTest::addColumn<bool>("lostAtNextTick");
        QTest::newRow("61") << 61 << 41 << false;
        QTest::newRow("60") << 60 << 40 << true;
        QTest::newRow("50") << 50 << 30 << true;
        QTest::newRow("21") << 21 << 1 << true;
        QTest::newRow("20") << 20 << 1 << true;
        QTest::newRow("5") << 5 << 1 << true;
    }
    void wrongDropNearTheEnd()
    {
        QFETCH(int, interval);
        QFETCH(int, after);
        QFETCH(bool, lostAtNextTick);
        // An interval of 0 would stop Timer1 and the round could never be lost.
        QCOMPARE(game::penalised(interval), after);
        QCOMPARE(game::beat(after, false).lost, lostAtNextTick);
    }

    void scatterStaysInPlayArea_data()
    {
        QTest::addColumn<GameId>("id");
        for (GameId id : allGames)
            QTest::newRow(game::info(id).title) << id;
    }
    void scatterStaysInPlayArea()
    {
        QFETCH(GameId, id);
        const QRect area(game::playLeft, game::playTop, game::playWidth, game::playHeight);
        auto check = [&](platform::Random &random, const QString &what) {
            for (const game::Placement &p : game::scatter(id, random)) {
                const game::Instrument &i = game::catalogue[static_cast<std::size_t>(p.row)];
                const QRect picture(p.left, p.top, i.width, i.height);
                QVERIFY2(area.contains(picture), qPrintable(what + QLatin1Char(' ') + i.picture));
            }
        };
        fakes::Random extremes;
        extremes.values = {0.0f, justBelowOne, justBelowOne, 0.0f, justBelowOne};
        for (int start = 0; start < extremes.values.size(); ++start) {
            extremes.next_ = start;
            check(extremes, QStringLiteral("extremes"));
        }
        for (unsigned seed = 1; seed <= 500; ++seed) {
            SeededRandom random(seed);
            check(random, QStringLiteral("seed %1").arg(seed));
        }
    }

    void scatterEdges()
    {
        fakes::Random random;
        random.values = {justBelowOne};
        const int hautbois = game::indexOfPicture("Hautbois");
        for (const game::Placement &p : game::scatter(GameId::Vents, random))
            if (p.row == hautbois)
                QCOMPARE(p.left, 11159);
        random.values = {0.0f};
        random.next_ = 0;
        for (const game::Placement &p : game::scatter(GameId::Tous, random)) {
            QCOMPARE(p.left, 3960);
            QCOMPARE(p.top, 160);
        }
    }

    void stringGameDrawSequence()
    {
        // Each draw gets its own value, so each place says which draw it came from.
        fakes::Random random;
        random.values = {0.0f, 0.1f, 0.2f, 0.3f, 0.4f, 0.5f, 0.6f, 0.7f, 0.8f, 0.9f};
        QStringList seen;
        for (const game::Placement &p : game::scatter(GameId::Cordes, random)) {
            const game::Instrument &i = game::catalogue[static_cast<std::size_t>(p.row)];
            const int leftDraw = static_cast<int>(std::lround((p.left - 3960) * 10.0 / i.spanLeft));
            seen << QStringLiteral("%1 L%2").arg(QString::fromUtf8(i.picture)).arg(leftDraw);
            if (i.spanTop > 0)
                seen << QStringLiteral("T%1").arg(std::lround((p.top - 160) * 10.0 / i.spanTop));
            else
                QCOMPARE(p.top, 160);
        }
        QCOMPARE(seen.join(' '), QStringLiteral("harpe L0 T1 Piano L2 alto L3 T4 contrebasse L5 violon L6 T7 "
                                                "Violoncelle L8 T9"));
    }

    void elapsed_data()
    {
        QTest::addColumn<QTime>("start");
        QTest::addColumn<QTime>("now");
        QTest::addColumn<QString>("shown");
        QTest::newRow("same second") << QTime(10, 0, 0) << QTime(10, 0, 0, 900) << "00:00:00";
        QTest::newRow("a minute and more") << QTime(10, 0, 0) << QTime(10, 1, 23) << "00:01:23";
        QTest::newRow("hours") << QTime(8, 15, 0) << QTime(11, 20, 5) << "03:05:05";
        QTest::newRow("clock set back") << QTime(10, 1, 23) << QTime(10, 0, 0) << "00:01:23";
        QTest::newRow("across midnight") << QTime(23, 59, 30) << QTime(0, 0, 30) << "23:59:00";
    }
    void elapsed()
    {
        QFETCH(QTime, start);
        QFETCH(QTime, now);
        QFETCH(QString, shown);
        QCOMPARE(game::elapsedText(now, start), shown);
    }
};

QTEST_GUILESS_MAIN(TestRules)
#include "tst_rules.moc"
