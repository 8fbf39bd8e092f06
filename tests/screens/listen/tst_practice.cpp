// SPDX-FileCopyrightText: 2026 Les Ateliers Calivento
//
// SPDX-License-Identifier: GPL-3.0-or-later

// The draw of "Devine" for a child with a profile, by simulation: children who always miss one or
// two instruments, or miss at random, play hundreds of rounds; what they were asked is counted.
#include "screens/listen/practice.h"
#include "screens/listen/rules.h"

#include <QtTest>
#include <map>
#include <random>

namespace {

struct Seeded : platform::Random {
    std::mt19937 engine{2026};
    void reseed() override {}
    float next() override { return std::uniform_real_distribution<float>(0.0f, 1.0f)(engine); }
};

using listen::practice::Asked;
using listen::practice::History;

} // namespace

class TestPractice : public QObject
{
    Q_OBJECT
private slots:
    void boxes_data()
    {
        QTest::addColumn<QString>("rounds"); // per round: "+" found, "-" missed, "." not asked
        QTest::addColumn<int>("box");
        QTest::newRow("never asked") << "" << 3;
        QTest::newRow("missed last round") << "+ + -" << 1;
        // Found again, a missed instrument comes back to its share one round at a time.
        QTest::newRow("found once since") << "- +" << 2;
        QTest::newRow("found twice since") << "- + . +" << 3;
    }
    void boxes()
    {
        QFETCH(QString, rounds);
        QFETCH(int, box);
        History history;
        for (const QString &round : rounds.split(' ', Qt::SkipEmptyParts)) {
            std::vector<Asked> asked{{7, true}};
            for (QChar c : round)
                if (c != '.')
                    asked.push_back({3, c == '+'});
            history.push_back(asked);
        }
        QCOMPARE(listen::practice::box(history, 3), box);
    }

    void simulation_data()
    {
        QTest::addColumn<int>("level");
        QTest::addColumn<int>("missedAlways");   // instruments the child always takes for another
        QTest::addColumn<double>("rightChance"); // for the others
        QTest::addColumn<int>("coverRounds");    // each instrument at least once in this many rounds
        for (int level = 1; level <= 3; ++level) {
            // Twenty questions cannot ask all 24 instruments: at level 3, every three rounds.
            const int cover = level == 3 ? 3 : 2;
            QTest::addRow("level %d, one always missed", level) << level << 1 << 1.0 << cover;
            QTest::addRow("level %d, right 7 times in 10", level) << level << 0 << 0.7 << cover;
        }
    }
    void simulation()
    {
        QFETCH(int, level);
        QFETCH(int, missedAlways);
        QFETCH(double, rightChance);
        QFETCH(int, coverRounds);
        const std::vector<int> rows = listen::levelRows(level);
        const std::vector<int> missed(rows.begin(), rows.begin() + missedAlways);
        Seeded random;
        std::mt19937 child(7);
        History history;
        std::vector<std::vector<int>> played;
        std::map<int, int> asked;
        constexpr int rounds = 400;
        int previous = -1;
        for (int r = 0; r < rounds; ++r) {
            const std::vector<int> questions =
                listen::practice::drawQuestions(rows, history, listen::questionsPerRound, random);
            QCOMPARE(int(questions.size()), listen::questionsPerRound);
            std::vector<Asked> answers;
            for (int q : questions) {
                QVERIFY2(std::ranges::find(rows, q) != rows.end(), "asked an instrument of another level");
                QVERIFY2(q != previous, qPrintable(QStringLiteral("row %1 twice in a row, round %2").arg(q).arg(r)));
                previous = q;
                // Counted once the child has missed in three rounds, as the rule is stated.
                if (r >= 3)
                    ++asked[q];
                const bool right =
                    std::ranges::find(missed, q) == missed.end() && std::bernoulli_distribution(rightChance)(child);
                answers.push_back({q, right});
            }
            history.push_back(answers);
            if (int(history.size()) > listen::practice::roundsKept)
                history.erase(history.begin());
            played.push_back(questions);
        }

        for (std::size_t r = 0; r + std::size_t(coverRounds) <= played.size(); ++r)
            for (int row : rows) {
                bool seen = false;
                for (std::size_t k = r; k < r + std::size_t(coverRounds); ++k)
                    seen = seen || std::ranges::find(played[k], row) != played[k].end();
                QVERIFY2(seen, qPrintable(QStringLiteral("row %1 missing from rounds %2 on").arg(row).arg(r)));
            }

        if (missedAlways == 0)
            return;
        int mostOfTheFound = 0;
        for (int row : rows)
            if (std::ranges::find(missed, row) == missed.end())
                mostOfTheFound = std::max(mostOfTheFound, asked[row]);
        for (int row : missed)
            QVERIFY2(asked[row] >= 2 * mostOfTheFound,
                     qPrintable(QStringLiteral("missed %1 times, found up to %2").arg(asked[row]).arg(mostOfTheFound)));
    }
};

QTEST_GUILESS_MAIN(TestPractice)
#include "tst_practice.moc"
