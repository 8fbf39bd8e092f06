// SPDX-FileCopyrightText: 2026 Les Ateliers Calivento
//
// SPDX-License-Identifier: GPL-3.0-or-later

// The listening screen: its rules without any window (the levels and their layout by section, the
// draw of a round's questions, the opening of levels), then the screen itself: its way in from the
// menu and back, a picture heard in "Découvrir", a round of "Devine" and the level it opens, the
// same round with the keys alone, and the setting turned on for the games.
#include "app/forms/screens.h"
#include "resources/sounds.h"
#include "screens/game/form_instruments.h"
#include "screens/listen/form_ecouter.h"
#include "screens/listen/rules.h"
#include "screens/listen/setting.h"
#include "screens/menu/form_choix_instruments.h"
#include "screens/results/form_gagner_instruments.h"
#include "store/player.h"
#include "support/fakes.h"

#include <QtTest>
#include <algorithm>

class TestListen : public fakes::ScreenTest
{
    Q_OBJECT
    static void click(QWidget &w) { QTest::mouseClick(&w, Qt::LeftButton, {}, w.rect().center()); }
    static QString panel(Form_ecouter &f)
    {
        return QStringList{f.label(Form_ecouter::Label_nom).Caption(), f.label(Form_ecouter::Label_famille).Caption(),
                           f.label(Form_ecouter::Label_phrase).Caption()}
            .join('|');
    }

private slots:
    void levelsLayoutAndDraw_data()
    {
        QTest::addColumn<int>("level");
        for (int level = 1; level <= 3; ++level)
            QTest::addRow("level %d", level) << level;
    }
    // A level's instruments (four, one per section; eight, two per section; all), laid out in one
    // band per section, top to bottom, and a round's questions drawn from them.
    void levelsLayoutAndDraw()
    {
        QFETCH(int, level);
        const std::vector<int> rows = listen::levelRows(level);
        QCOMPARE(int(rows.size()), level == 3 ? game::instrumentCount : 4 * level);
        const QRect area(660, 1500, 10680, 5880);
        const auto bands = listen::layoutByFamily(rows, area);
        QCOMPARE(int(bands.size()), 4);
        QList<QRect> cells;
        for (std::size_t b = 0; b < bands.size(); ++b) {
            QCOMPARE(bands[b].section, game::sections[b].section);
            QVERIFY(level == 3 || int(bands[b].cells.size()) == level);
            for (const auto &[row, cell, picture] : bands[b].cells) {
                QCOMPARE(game::voice(row).section, bands[b].section);
                QVERIFY(area.contains(cell) && cell.left() > bands[b].caption.right() && cell.contains(picture));
                QVERIFY(std::ranges::none_of(cells, [&](const QRect &other) { return other.intersects(cell); }));
                cells << cell;
            }
        }
        QCOMPARE(cells.size(), qsizetype(rows.size())); // a repeated row would be laid out once

        QRandomGenerator seeded(42);
        for (int run = 0; run < 20; ++run) {
            // The first round draws 0 every time, the next just below 1; the others at random.
            fakes::Random random;
            random.values = {run == 0 ? 0.0f : std::nextafter(1.0f, 0.0f)};
            while (run > 1 && random.values.size() < 64)
                random.values << float(seeded.bounded(1 << 24)) / (1 << 24);
            const std::vector<int> q = listen::drawQuestions(rows, listen::questionsPerRound, random);
            QCOMPARE(int(q.size()), 10);
            QVERIFY(std::ranges::all_of(q, [&](int row) { return std::ranges::find(rows, row) != rows.end(); }));
            QVERIFY2(std::adjacent_find(q.begin(), q.end()) == q.end(), "the same instrument twice in a row");
            // Every instrument as often as the others, give or take one; all different when 10 can be.
            const int fewest = int(rows.size()) > 10 ? 0 : 10 / int(rows.size());
            for (int row : rows) {
                const auto times = std::ranges::count(q, row);
                QVERIFY(times >= fewest && times <= fewest + 1);
            }
        }
        QVERIFY(listen::drawQuestions({}, 10, *m_fake.random).empty()); // nothing to ask, and no endless loop
    }

    // Eight right at the first try open the next level; seven do not.
    void openingThreshold()
    {
        QCOMPARE(listen::afterRound(1, 1, 8), 2);
        QCOMPARE(listen::afterRound(1, 1, 7), 1);
    }

    void menuEntryAndDecouvrir()
    {
        Form_choix_instruments &menu = forms::get<Form_choix_instruments>();
        menu.Show();
        click(menu.Command_ecouter);
        Form_ecouter &f = forms::get<Form_ecouter>();
        QVERIFY(f.isVisible() && !menu.isEnabled());
        const int row = game::indexOfPicture("violon");
        QTest::keyClick(&f.picture(row), Qt::Key_Return); // the screen's controls take the keys as clicks
        QCOMPARE(m_fake.sound->played, QList{platform::instrumentSound(row)});
        QCOMPARE(panel(f), QStringLiteral("Le violon|Famille des cordes|On frotte ses quatre cordes avec un archet, ou "
                                          "on les pince avec un doigt."));
        QTest::keyClick(&f, Qt::Key_Escape);
        QVERIFY(menu.isEnabled() && !forms::isLoaded<Form_ecouter>());
    }

    // A round with a garbled progress file, two questions first answered wrong: level 2 opens.
    void devine()
    {
        const QString oreille = QStringLiteral("niveaux/oreille.nvl");
        QVERIFY(fakes::put(oreille, "zut"));
        Form_ecouter &f = forms::get<Form_ecouter>();
        f.Show();
        click(f.label(Form_ecouter::Command_devine));

        const std::vector<int> rows = listen::levelRows(1);
        QList<platform::SoundId> &played = m_fake.sound->played;
        for (int q = 0; q < 10; ++q) {
            const int answer = f.answer();
            const int wrong = rows[0] == answer ? rows[1] : rows[0];
            click(f.label(Form_ecouter::Command_reecouter));
            const qsizetype before = played.size();
            if (q < 2) {
                click(f.picture(wrong));
            }
            click(f.picture(answer));
            QVERIFY(panel(f).startsWith(QString::fromUtf8(game::catalogue[std::size_t(answer)].caption) + '|'));
            QCOMPARE(played.size(), before); // clicks play nothing in this mode
            click(f.label(Form_ecouter::Command_suivant));
        }
        QCOMPARE(f.label(Form_ecouter::Label_nom).Caption(), QStringLiteral("8 sur 10"));
        QCOMPARE(fakes::contentOf(oreille), "2\r\n");
        QVERIFY(f.label(Form_ecouter::Label_niveau2).isEnabled() && !f.label(Form_ecouter::Label_niveau3).isEnabled());
        click(f.label(Form_ecouter::Label_niveau2)); // now open: its round has eight instruments
        QCOMPARE(f.level(), 2);
        QVERIFY(f.picture(game::indexOfPicture("Piano")).isVisible());
    }

    // A round of "Devine" with the keys alone: the focus stays in the round, on the first picture
    // of each new question and on "Rejouer" at its end; a key held down acts on nothing.
    void devineWithKeys()
    {
        Form_ecouter &f = forms::get<Form_ecouter>();
        f.Show();
        QVERIFY(QTest::qWaitForWindowActive(&f));
        const auto enter = [] { QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return); };
        f.label(Form_ecouter::Command_devine).setFocus();
        enter();
        QWidget *first = nullptr; // in reading order
        for (int row = 0; row < game::instrumentCount; ++row) {
            const QWidget &p = f.picture(row);
            if (p.isVisible() && (!first || std::pair(p.y(), p.x()) < std::pair(first->y(), first->x())))
                first = &f.picture(row);
        }
        forms::Label &question = f.label(Form_ecouter::Label_question);
        for (int q = 0; q < 10; ++q) {
            const int wrong = f.answer() == listen::levelRows(1)[0] ? listen::levelRows(1)[1] : listen::levelRows(1)[0];
            f.picture(wrong).setFocus();
            fakes::holdKey(f, Qt::Key_Return);
            QVERIFY(!f.greyed(wrong));
            f.picture(f.answer()).setFocus();
            enter();
            f.label(Form_ecouter::Command_suivant).setFocus();
            fakes::holdKey(f, Qt::Key_Return);
            fakes::holdKey(f, Qt::Key_Escape);
            QCOMPARE(question.Caption(), QStringLiteral("Question %1 sur 10").arg(q + 1));
            enter();
            QCOMPARE(QApplication::focusWidget(), q < 9 ? first : &f.label(Form_ecouter::Command_rejouer));
        }
        enter();
        QCOMPARE(question.Caption(), QStringLiteral("Question 1 sur 10"));
        QCOMPARE(QApplication::focusWidget(), first);
    }

    // Ticked on the listening screen, the setting is kept; what it does to a game's right drop is
    // heard in leavingStopsTheSound's game rows.
    void settingTickedIsKept()
    {
        Form_ecouter &f = forms::get<Form_ecouter>();
        f.Show();
        QCOMPARE(f.label(Form_ecouter::Case_trouve).Caption(), QString());
        click(f.label(Form_ecouter::Command_trouve));
        QCOMPARE(f.label(Form_ecouter::Case_trouve).Caption(), QStringLiteral("X"));
        QCOMPARE(fakes::contentOf(QStringLiteral("niveaux/ecoute.cfg")), "1\r\n");
    }

    // A phrase lasts up to 4 s: leaving its screen, or the end of its round, cuts it short rather
    // than leave it over the next screen. With the setting on, a game's round has its phrases
    // decoded ahead of its first right drop.
    void leavingStopsTheSound_data()
    {
        QTest::addColumn<QString>("way");
        for (const char *way : {"Retour", "end of a Devine round", "game's Retour", "game won, then Non"})
            QTest::newRow(way) << QString::fromUtf8(way);
    }
    void leavingStopsTheSound()
    {
        QFETCH(QString, way);
        int &stops = m_fake.sound->stops;
        if (!way.contains(QStringLiteral("game"))) {
            Form_ecouter &f = forms::get<Form_ecouter>();
            f.Show();
            click(f.label(Form_ecouter::Command_devine));
            for (int q = way.startsWith(QStringLiteral("end")) ? 0 : 9; q < 9; ++q) {
                click(f.picture(f.answer()));
                click(f.label(Form_ecouter::Command_suivant));
            }
            click(f.picture(f.answer())); // a phrase was asked for this question
            const int before = stops;
            click(f.label(way == QStringLiteral("Retour") ? Form_ecouter::Command_retour
                                                          : Form_ecouter::Command_suivant));
            QVERIFY(stops > before);
            return;
        }
        QVERIFY(store::Player::current().setHearsFoundInstrument(true));
        click(forms::get<Form_choix_instruments>().levelLabel(game::GameId::Cordes, 1));
        Form_instruments &game = forms::get<Form_instruments>();
        for (int row : listen::levelRows(3))
            if (game.picture(row).Visible())
                QTRY_VERIFY(resources::decodedSound(int(platform::instrumentSound(row))));
        const int row = game::indexOfPicture("violon");
        game.picture_DragDrop(row, &game.nameLabel(row));
        QCOMPARE(m_fake.sound->played, QList{platform::instrumentSound(row)});
        const int before = stops;
        if (way == QStringLiteral("game's Retour")) {
            game.Command_retour_Click();
        } else {
            forms::get<Form_gagner_instruments>().Show();
            QVERIFY(stops > before);
            forms::get<Form_gagner_instruments>().Quitter_Click(); // the fanfare goes with its screen
            QVERIFY(stops > before + 1);
        }
        QVERIFY(stops > before);
    }
};

QTEST_MAIN(TestListen)
#include "tst_listen.moc"
