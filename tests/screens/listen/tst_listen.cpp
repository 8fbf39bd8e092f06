// SPDX-FileCopyrightText: 2026 Les Ateliers Calivento
//
// SPDX-License-Identifier: GPL-3.0-or-later

// The listening screen's rules without any window: the levels, the draw of a round's questions,
// the opening of levels, the layout by section, and the setting of the games' right-drop sound.
#include "screens/listen/rules.h"
#include "screens/listen/setting.h"
#include "support/fakes.h"

#include <QDir>
#include <QtTest>
#include <map>
#include <random>
#include <set>

namespace {
struct SeededRandom : platform::Random {
    std::mt19937 engine;
    explicit SeededRandom(unsigned seed)
        : engine(seed)
    {
    }
    void reseed() override {}
    float next() override { return static_cast<float>(engine() >> 8) * 0x1p-24f; }
};

std::map<game::Section, int> bySection(const std::vector<int> &rows)
{
    std::map<game::Section, int> count;
    for (int row : rows)
        ++count[game::voice(row).section];
    return count;
}
} // namespace

class TestListen : public QObject
{
    Q_OBJECT
private slots:
    void init() { fakes::enterEmptyFolder(); }

    void levels_data()
    {
        QTest::addColumn<int>("level");
        QTest::addColumn<int>("count");
        QTest::newRow("1: one per section") << 1 << 4;
        QTest::newRow("2: two per section") << 2 << 8;
        QTest::newRow("3: all") << 3 << 24;
    }
    void levels()
    {
        QFETCH(int, level);
        QFETCH(int, count);
        const std::vector<int> rows = listen::levelRows(level);
        QCOMPARE(int(rows.size()), count);
        QCOMPARE(int(std::set<int>(rows.begin(), rows.end()).size()), count);
        const auto sections = bySection(rows);
        QCOMPARE(int(sections.size()), 4);
        if (level < 3)
            for (const auto &[section, n] : sections)
                QCOMPARE(n, level);
        // Each level keeps the instruments of the one before.
        for (int row : listen::levelRows(level - 1 > 0 ? level - 1 : 1))
            QVERIFY(std::find(rows.begin(), rows.end(), row) != rows.end());
    }

    void draw_data()
    {
        QTest::addColumn<int>("level");
        QTest::addColumn<QList<float>>("sequence"); // empty: a seeded generator
        for (int level = 1; level <= 3; ++level) {
            QTest::addRow("level %d, seeded", level) << level << QList<float>();
            QTest::addRow("level %d, always 0", level) << level << QList<float>{0.0f};
            QTest::addRow("level %d, just below 1", level) << level << QList<float>{std::nextafter(1.0f, 0.0f)};
        }
    }
    void draw()
    {
        QFETCH(int, level);
        QFETCH(QList<float>, sequence);
        const std::vector<int> pool = listen::levelRows(level);
        for (unsigned seed = 1; seed <= (sequence.isEmpty() ? 50 : 1); ++seed) {
            SeededRandom seeded(seed);
            fakes::Random fixed;
            fixed.values = sequence.isEmpty() ? fixed.values : sequence;
            const std::vector<int> q = listen::drawQuestions(
                pool, listen::questionsPerRound, sequence.isEmpty() ? static_cast<platform::Random &>(seeded) : fixed);
            QCOMPARE(int(q.size()), 10);
            std::map<int, int> times;
            for (std::size_t i = 0; i < q.size(); ++i) {
                QVERIFY(std::find(pool.begin(), pool.end(), q[i]) != pool.end());
                if (i > 0)
                    QVERIFY2(q[i] != q[i - 1], "the same instrument twice in a row");
                ++times[q[i]];
            }
            const int fewest = int(pool.size()) > 10 ? 0 : 10 / int(pool.size());
            for (int row : pool) {
                QVERIFY(times[row] >= fewest);
                QVERIFY(times[row] <= fewest + 1);
            }
        }
        fakes::Random fixed;
        QVERIFY(listen::drawQuestions({}, 10, fixed).empty());
        QCOMPARE(listen::drawQuestions(std::vector<int>{5}, 3, fixed), (std::vector<int>{5, 5, 5}));
    }

    void opening_data()
    {
        QTest::addColumn<int>("stored");
        QTest::addColumn<int>("level");
        QTest::addColumn<int>("right");
        QTest::addColumn<int>("after");
        QTest::newRow("8 right opens level 2") << 1 << 1 << 8 << 2;
        QTest::newRow("7 right opens nothing") << 1 << 1 << 7 << 1;
        QTest::newRow("level 1 again") << 2 << 1 << 10 << 2;
        QTest::newRow("level 2 opens 3") << 2 << 2 << 9 << 3;
        QTest::newRow("all open") << 3 << 3 << 10 << 3;
        QTest::newRow("never down") << 3 << 1 << 0 << 3;
    }
    void opening()
    {
        QFETCH(int, stored);
        QFETCH(int, level);
        QFETCH(int, right);
        QFETCH(int, after);
        QCOMPARE(listen::afterRound(stored, level, right), after);
    }

    void layout_data()
    {
        QTest::addColumn<int>("level");
        for (int level = 1; level <= 3; ++level)
            QTest::addRow("level %d", level) << level;
    }
    void layout()
    {
        QFETCH(int, level);
        const QRect area(660, 1500, 10680, 5880);
        const std::vector<int> rows = listen::levelRows(level);
        const auto bands = listen::layoutByFamily(rows, area);
        QCOMPARE(int(bands.size()), 4);
        QList<QRect> cells;
        int placed = 0;
        for (std::size_t b = 0; b < bands.size(); ++b) {
            QCOMPARE(bands[b].section, game::sections[b].section);
            QVERIFY(area.contains(bands[b].caption));
            for (const listen::Cell &c : bands[b].cells) {
                ++placed;
                QCOMPARE(game::voice(c.row).section, bands[b].section);
                QVERIFY(area.contains(c.cell));
                QVERIFY(c.cell.left() > bands[b].caption.right());
                QVERIFY(c.cell.contains(c.picture));
                QCOMPARE(c.picture.x() % 15 + c.picture.y() % 15 + c.picture.width() % 15 + c.picture.height() % 15, 0);
                // Drawn without distortion: the drawing's proportions to within a pixel.
                const game::Instrument &i = game::catalogue[std::size_t(c.row)];
                const int w = c.picture.width() / 15, h = c.picture.height() / 15;
                QVERIFY2(std::abs(w * i.pixelHeight - h * i.pixelWidth) <= std::max(i.pixelWidth, i.pixelHeight),
                         i.picture);
                // Each fills its cell one way or the other.
                QVERIFY2(w >= c.cell.width() / 15 - 10 || h >= c.cell.height() / 15 - 10, i.picture);
                for (const QRect &other : cells)
                    QVERIFY(!other.intersects(c.cell));
                cells << c.cell;
            }
        }
        QCOMPARE(placed, int(rows.size()));
    }

    void setting_data()
    {
        QTest::addColumn<QString>("path");       // what is put where, before the game looks
        QTest::addColumn<QByteArray>("content"); // "<folder>": a folder there
        QTest::addColumn<bool>("on");
        QTest::addColumn<bool>("kept");
        const QString file = QStringLiteral("niveaux/ecoute.cfg");
        QTest::newRow("no file") << QString() << QByteArray() << false << true;
        QTest::newRow("on") << file << QByteArray("1\r\n") << true << true;
        QTest::newRow("off") << file << QByteArray("0\r\n") << false << true;
        QTest::newRow("spaces") << file << QByteArray("  1") << true << true;
        QTest::newRow("other number") << file << QByteArray("2") << false << true;
        QTest::newRow("garbage") << file << QByteArray("\xff\xfeoui") << false << true;
        QTest::newRow("a folder instead") << file << QByteArray("<folder>") << false << false;
        QTest::newRow("no folder possible") << QStringLiteral("niveaux") << QByteArray("x") << false << false;
    }
    void setting()
    {
        QFETCH(QString, path);
        QFETCH(QByteArray, content);
        QFETCH(bool, on);
        QFETCH(bool, kept);
        if (content == "<folder>")
            QVERIFY(QDir().mkpath(path));
        else if (!path.isEmpty())
            QVERIFY(fakes::put(path, content));
        const int row = game::indexOfPicture("Cor");
        QCOMPARE(listen::hearsFoundInstrument(), on);
        QCOMPARE(listen::rightDropSound(row), on ? platform::instrumentSound(row) : platform::SoundId::Drop);
        // A choice that cannot be kept holds for this run all the same.
        QCOMPARE(listen::setHearsFoundInstrument(!on), kept);
        QCOMPARE(listen::rightDropSound(row), !on ? platform::instrumentSound(row) : platform::SoundId::Drop);
        QCOMPARE(fakes::contentOf(QStringLiteral("niveaux/ecoute.cfg")),
                 kept ? QByteArray(on ? "0\r\n" : "1\r\n") : QByteArray("<unreadable>"));
    }
};

QTEST_MAIN(TestListen)
#include "tst_listen.moc"
