// SPDX-FileCopyrightText: 2026 Les Ateliers Calivento
//
// SPDX-License-Identifier: GPL-3.0-or-later

// The listening screen's rules without any window: the levels, the draw of a round's questions,
// the opening of levels, the layout by section, and the setting of the games' right-drop sound.
#include "screens/listen/rules.h"
#include "screens/listen/setting.h"
#include "support/fakes.h"

#include <QtTest>
#include <algorithm>
#include <set>

class TestListen : public QObject
{
    Q_OBJECT
private slots:
    void init() { fakes::enterEmptyFolder(); }

    void levelsBySection_data()
    {
        QTest::addColumn<int>("level");
        QTest::addColumn<int>("count");
        QTest::newRow("1: one per section") << 1 << 4;
        QTest::newRow("2: two per section") << 2 << 8;
        QTest::newRow("3: all") << 3 << 24;
    }
    // A level's instruments laid out in one band per section, top to bottom.
    void levelsBySection()
    {
        QFETCH(int, level);
        QFETCH(int, count);
        const std::vector<int> rows = listen::levelRows(level);
        const std::vector<int> before = listen::levelRows(std::max(1, level - 1));
        QVERIFY2(
            std::ranges::includes(std::set<int>(rows.begin(), rows.end()), std::set<int>(before.begin(), before.end())),
            "each level keeps the instruments of the one before");
        const QRect area(660, 1500, 10680, 5880);
        const auto bands = listen::layoutByFamily(rows, area);
        QCOMPARE(int(bands.size()), 4);
        QList<QRect> cells;
        for (std::size_t b = 0; b < bands.size(); ++b) {
            QCOMPARE(bands[b].section, game::sections[b].section);
            QVERIFY(area.contains(bands[b].caption));
            QVERIFY(level == 3 || int(bands[b].cells.size()) == level);
            for (const auto &[row, cell, picture] : bands[b].cells) {
                const game::Instrument &i = game::catalogue[std::size_t(row)];
                QCOMPARE(game::voice(row).section, bands[b].section);
                QVERIFY2(area.contains(cell) && cell.left() > bands[b].caption.right() && cell.contains(picture),
                         i.picture);
                QVERIFY2(std::ranges::none_of(cells, [&](const QRect &other) { return other.intersects(cell); }),
                         i.picture);
                cells << cell;
                // In whole pixels, with the drawing's proportions to within a pixel, filling its cell
                // one way or the other.
                QCOMPARE(picture.x() % 15 + picture.y() % 15 + picture.width() % 15 + picture.height() % 15, 0);
                const int w = picture.width() / 15, h = picture.height() / 15;
                QVERIFY2(std::abs(w * i.pixelHeight - h * i.pixelWidth) <= std::max(i.pixelWidth, i.pixelHeight),
                         i.picture);
                QVERIFY2(w >= cell.width() / 15 - 10 || h >= cell.height() / 15 - 10, i.picture);
            }
        }
        // The layout places a repeated row once: a repeat shows as a missing cell.
        QCOMPARE(int(rows.size()), count);
        QCOMPARE(int(cells.size()), count);
    }

    void draw_data()
    {
        QTest::addColumn<int>("level");
        for (int level = 1; level <= 3; ++level)
            QTest::addRow("level %d", level) << level;
    }
    void draw()
    {
        QFETCH(int, level);
        const std::vector<int> pool = listen::levelRows(level);
        QRandomGenerator seeded(42);
        for (int run = 0; run < 50; ++run) {
            // The first round draws 0 every time, the next just below 1; the others at random.
            fakes::Random random;
            random.values = {run == 0 ? 0.0f : std::nextafter(1.0f, 0.0f)};
            while (run > 1 && random.values.size() < 64)
                random.values << float(seeded.bounded(1 << 24)) / (1 << 24);
            const std::vector<int> q = listen::drawQuestions(pool, listen::questionsPerRound, random);
            QCOMPARE(int(q.size()), 10);
            QVERIFY(std::ranges::all_of(q, [&](int row) { return std::ranges::find(pool, row) != pool.end(); }));
            QVERIFY2(std::adjacent_find(q.begin(), q.end()) == q.end(), "the same instrument twice in a row");
            // Every instrument as often as the others, give or take one; all different when 10 can be.
            const int fewest = int(pool.size()) > 10 ? 0 : 10 / int(pool.size());
            for (int row : pool) {
                const auto times = std::ranges::count(q, row);
                QVERIFY(times >= fewest && times <= fewest + 1);
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
        QTest::newRow("never down") << 3 << 1 << 10 << 3;
    }
    void opening()
    {
        QFETCH(int, stored);
        QFETCH(int, level);
        QFETCH(int, right);
        QFETCH(int, after);
        QCOMPARE(listen::afterRound(stored, level, right), after);
    }

    void setting_data()
    {
        QTest::addColumn<QString>("path"); // what is put where, before the game looks
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<bool>("on");
        QTest::addColumn<bool>("kept");
        const QString file = QStringLiteral("niveaux/ecoute.cfg");
        QTest::newRow("no file") << QStringLiteral("autre") << QByteArray() << false << true;
        QTest::newRow("on") << file << QByteArray("1\r\n") << true << true;
        QTest::newRow("other number") << file << QByteArray("2") << false << true;
        QTest::newRow("broken file") << file << QByteArray("\xff\xfeoui") << false << true;
        QTest::newRow("a folder instead") << file + "/x" << QByteArray() << false << false;
    }
    void setting()
    {
        QFETCH(QString, path);
        QFETCH(QByteArray, content);
        QFETCH(bool, on);
        QFETCH(bool, kept);
        QVERIFY(fakes::put(path, content));
        const int row = game::indexOfPicture("Cor");
        QCOMPARE(listen::rightDropSound(row), on ? platform::instrumentSound(row) : platform::SoundId::Drop);
        // A choice that cannot be kept holds for this run all the same.
        QCOMPARE(listen::setHearsFoundInstrument(!on), kept);
        QCOMPARE(listen::hearsFoundInstrument(), !on);
        QCOMPARE(listen::rightDropSound(row), !on ? platform::instrumentSound(row) : platform::SoundId::Drop);
        QCOMPARE(fakes::contentOf(QStringLiteral("niveaux/ecoute.cfg")),
                 kept ? QByteArray(on ? "0\r\n" : "1\r\n") : QByteArray("<unreadable>"));
    }
};

QTEST_MAIN(TestListen)
#include "tst_listen.moc"
