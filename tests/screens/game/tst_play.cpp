// SPDX-FileCopyrightText: 2026 Les Ateliers Calivento
//
// SPDX-License-Identifier: GPL-3.0-or-later

// Rounds on the real screens. The menu and a whole round of every game with the keys alone; then
// names dragged by the mouse for where a drop lands, a lost round, a restart, help in the middle
// of a round and the way back.
#include "app/forms/screens.h"
#include "screens/game/form_instruments.h"
#include "screens/help/form_help.h"
#include "screens/menu/form_choix_instruments.h"
#include "screens/results/form_gagner_instruments.h"
#include "screens/results/form_perdu_instruments.h"
#include "support/fakes.h"

#include <QtTest>

using game::GameId;

Q_DECLARE_METATYPE(GameId)

namespace {
using fakes::press;

// Tabs to "Niveau 1" of the game in the menu and presses Enter; every game opens level 1. The
// draws are fixed, so each run plays on the same board.
Form_instruments &start(fakes::Random &random, GameId id)
{
    random.values = {0.12f, 0.83f, 0.47f, 0.05f, 0.66f, 0.31f, 0.94f};
    Form_choix_instruments &menu = forms::get<Form_choix_instruments>();
    menu.Show();
    for (int tabs = 0; QApplication::focusWidget() != &menu.levelLabel(id, 1) && tabs < 20; ++tabs)
        press(Qt::Key_Tab);
    press(Qt::Key_Return);
    return forms::get<Form_instruments>();
}
} // namespace

class TestPlay : public fakes::ScreenTest
{
    Q_OBJECT
private slots:
    // A whole round of each game won by the keys, then "Oui" or "Non" on the win screen.
    void wholeRound_data()
    {
        QTest::addColumn<GameId>("id");
        QTest::addColumn<QKeyCombination>("then");
        QTest::addColumn<bool>("again");
        QTest::newRow("winds, Enter") << GameId::Vents << QKeyCombination(Qt::Key_Return) << true;
        QTest::newRow("strings, Alt+O") << GameId::Cordes << (Qt::AltModifier | Qt::Key_O) << true;
        QTest::newRow("percussion, Esc") << GameId::Percussions << QKeyCombination(Qt::Key_Escape) << false;
        QTest::newRow("all, Alt+N") << GameId::Tous << (Qt::AltModifier | Qt::Key_N) << false;
        QTest::newRow("families, keypad Enter") << GameId::Familles << QKeyCombination(Qt::Key_Enter) << true;
    }
    void wholeRound()
    {
        QFETCH(GameId, id);
        QFETCH(QKeyCombination, then);
        QFETCH(bool, again);
        Form_instruments &f = start(*m_fake.random, id);
        const int total = static_cast<int>(game::board(id).drawOrder.size());
        for (int found = 1; found <= total; ++found) {
            // Pick up any name and look around; then put it back and take the name of the
            // picture aimed at: it is aimed at again when that name is picked up.
            press(Qt::Key_Tab);
            press(Qt::Key_Return);
            press(found % 2 ? Qt::Key_Down : Qt::Key_Right);
            const int row = f.dropTarget() ? game::indexOfPicture(qPrintable(f.dropTarget()->objectName())) : -1;
            QVERIFY(row >= 0);
            press(Qt::Key_Escape);
            QVERIFY(!f.dragSource());
            const game::Instrument &instrument = game::catalogue[static_cast<std::size_t>(row)];
            forms::Label *answer = id == GameId::Familles ? &f.familyLabel(instrument.family) : &f.nameLabel(row);
            QVERIFY(f.rect().contains(answer->geometry())); // where the mouse reaches it too
            for (int tabs = 0; QApplication::focusWidget() != answer && tabs < 30; ++tabs)
                press(Qt::Key_Tab);
            press(Qt::Key_Space);
            QCOMPARE(f.dropTarget(), &f.picture(row));
            press(Qt::Key_Return);
            QVERIFY2(!f.picture(row).Visible(), instrument.picture);
            QCOMPARE(answer->Visible(), id == GameId::Familles); // a family label stays for the others
            QCOMPARE(forms::isLoaded<Form_gagner_instruments>(), found == total);
        }
        QCOMPARE(m_fake.sound->played.count(platform::SoundId::Drop), total);

        QTRY_COMPARE(QApplication::activeWindow(), &forms::get<Form_gagner_instruments>());
        fakes::holdKey(forms::get<Form_gagner_instruments>(), Qt::Key_Return); // Enter held since the last drop
        QCOMPARE(QApplication::activeWindow(), &forms::get<Form_gagner_instruments>());
        press(then.key(), then.keyboardModifiers());
        QWidget *next = again ? static_cast<QWidget *>(&f) : &forms::get<Form_choix_instruments>();
        QTRY_COMPARE(QApplication::activeWindow(), next);
    }

    void dropOnTheTopmostPictureThenLostRound()
    {
        Form_instruments &f = start(*m_fake.random, GameId::Percussions);
        f.Command_visible.press(); // every picture out of sight
        // The xylophone is drawn under every other picture although it was made after most.
        forms::Image &xylophone = f.picture(game::indexOfPicture("Tambourin"));
        forms::Image &drum = f.picture(game::indexOfPicture("CClaire"));
        xylophone.move(3960, 160);
        drum.move(4960, 1160);
        xylophone.setVisible(true);
        drum.setVisible(true);
        forms::Label &name = f.nameLabel(game::indexOfPicture("Tambourin"));
        fakes::drag(name, drum.geometry().center()); // over both: judged for the drum alone
        QVERIFY(xylophone.Visible());
        fakes::drag(name, xylophone.geometry().topLeft() + QPoint(5, 5));
        QVERIFY(!xylophone.Visible());

        press(Qt::Key_Tab);
        press(Qt::Key_Return);
        QVERIFY(f.dragSource());
        f.Timer1.setInterval(42);
        QTRY_VERIFY(forms::isLoaded<Form_Perdu_instruments>());
        QVERIFY(!f.dragSource()); // the name carried when time ran out is put back
        QCOMPARE(f.Text_points.Caption(), QStringLiteral("0"));
    }

    void restartThenBackToTheMenu()
    {
        Form_instruments &f = start(*m_fake.random, GameId::Vents);
        const int tuba = game::indexOfPicture("tuba");
        fakes::drag(f.nameLabel(tuba), fakes::exposedPoint(f.picture(tuba)));
        QVERIFY(!f.picture(tuba).Visible());

        // The round starts again as after "Oui": found pictures back, scattered anew.
        press(Qt::Key_C, Qt::AltModifier); // "Recommencer"
        QVERIFY(f.nameLabel(tuba).Visible() && f.picture(tuba).Visible());
        QCOMPARE(m_fake.random->reseeds, 2);

        f.Timer1.setInterval(1);           // its next beat would lose the round
        press(Qt::Key_R, Qt::AltModifier); // "Retour"
        QTest::qSleep(5);
        QCoreApplication::processEvents(); // the timers' turn, before the screen is deleted
        QVERIFY(!forms::isLoaded<Form_instruments>());
        QVERIFY(!forms::isLoaded<Form_Perdu_instruments>());
        QVERIFY(forms::get<Form_choix_instruments>().isEnabled());
    }

    // Help pauses the countdown and the stopwatch; opened in the first second, when the stopwatch
    // still shows "0" rather than a time, it takes the time from there all the same.
    void helpFromARound()
    {
        Form_instruments &f = start(*m_fake.random, GameId::Familles);
        press(Qt::Key_A, Qt::AltModifier); // "Aide"
        QVERIFY(forms::get<Form_help>().isVisible());
        QVERIFY(!f.Timer1.Enabled());
        m_fake.clock->now = m_fake.clock->now.addSecs(120); // not counted
        f.Timer2_Timer();
        press(Qt::Key_R, Qt::AltModifier); // help's "Retour"
        QVERIFY(f.Timer1.Enabled());
        m_fake.clock->now = m_fake.clock->now.addSecs(5);
        f.Timer2_Timer();
        QCOMPARE(f.Text_temps.Caption(), QStringLiteral("00:00:05"));
    }
};

QTEST_MAIN(TestPlay)
#include "tst_play.moc"
