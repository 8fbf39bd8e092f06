// SPDX-FileCopyrightText: 2026 Les Ateliers Calivento
//
// SPDX-License-Identifier: GPL-3.0-or-later

// Every screen with the keys alone: not one mouse event is sent here.
#include "round.h"
#include "screens/help/form_help.h"
#include "screens/results/form_gagner_instruments.h"

using game::GameId;

Q_DECLARE_METATYPE(GameId)

class TestKeyboard : public fakes::ScreenTest
{
    Q_OBJECT
private slots:
    void menuFocus()
    {
        QVERIFY(fakes::put(QStringLiteral("niveaux/corde.nvl"), "2"));
        Form_choix_instruments &menu = forms::get<Form_choix_instruments>();
        menu.Show();
        const auto outline = [&menu] { return menu.findChild<QWidget *>(QStringLiteral("focusOutline")); };
        QVERIFY(!outline()); // nothing drawn before the keys are used
        const auto level = [&menu](GameId id, int n) { return &menu.levelLabel(id, n); };
        using enum GameId;
        const QList<QWidget *> tabOrder{level(Vents, 1),       level(Cordes, 1), level(Cordes, 2),
                                        level(Percussions, 1), level(Tous, 1),   level(Familles, 1),
                                        &menu.Command_ecouter, &menu.Command25};
        for (QWidget *expected : tabOrder + QList<QWidget *>{tabOrder.first()}) {
            press(Qt::Key_Tab);
            QCOMPARE(QApplication::focusWidget(), expected);
            QVERIFY(outline()->isVisible());
            QVERIFY(outline()->geometry().contains(expected->geometry()));
        }
        press(Qt::Key_Tab, Qt::ShiftModifier);
        QCOMPARE(QApplication::focusWidget(), &menu.Command25);
        press(Qt::Key_Left);
        QCOMPARE(QApplication::focusWidget(), level(Familles, 1));
        press(Qt::Key_Left);
        QCOMPARE(QApplication::focusWidget(), level(Tous, 1));
        // The menu's own keys still work with a level in focus.
        press(Qt::Key_F1);
        Form_help &help = forms::get<Form_help>();
        QVERIFY(help.isVisible());
        press(Qt::Key_Escape);
        QVERIFY(!help.isVisible());
        QTRY_COMPARE(QApplication::activeWindow(), &menu);
        press(Qt::Key_Space);
        QVERIFY(forms::isLoaded<Form_instruments>());
        QCOMPARE(forms::get<Form_instruments>().visibleGame(), Tous);
    }

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
        QCOMPARE(f.visibleGame(), id);
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
            QVERIFY(
                QRect(0, 0, 12000, 9000).contains(QPoint(answer->Left(), answer->Top()))); // where the mouse reaches it
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
        press(then.key(), then.keyboardModifiers());
        QVERIFY(!forms::isLoaded<Form_gagner_instruments>());
        QCOMPARE(forms::isLoaded<Form_instruments>(), again);
        QWidget *next = again ? static_cast<QWidget *>(&f) : &forms::get<Form_choix_instruments>();
        QTRY_COMPARE(QApplication::activeWindow(), next);
        QVERIFY(next->isEnabled());
    }

    void carryingAName()
    {
        Form_instruments &f = start(*m_fake.random, GameId::Percussions);
        f.Timer1.setEnabled(false); // no beat on a loaded machine: only drops change the interval
        const int interval = f.Timer1.Interval();
        const int xylophone = game::indexOfPicture("Tambourin");
        press(Qt::Key_Down);
        forms::Label &first = f.nameLabel(xylophone); // the top name
        QCOMPARE(QApplication::focusWidget(), &first);
        press(Qt::Key_Return);
        QWidget *outline = f.findChild<QWidget *>(QStringLiteral("dragOutline"));
        QVERIFY(outline->isVisible());
        press(Qt::Key_Escape); // put back: no drop, no penalty
        QVERIFY(!outline->isVisible());
        QCOMPARE(f.Timer1.Interval(), interval);

        // A wrong drop by the keys costs what a wrong drop by the mouse costs.
        press(Qt::Key_Return);
        if (f.dropTarget() == &f.picture(xylophone))
            press(Qt::Key_Down);
        press(Qt::Key_Enter);
        QCOMPARE(f.Timer1.Interval(), interval - 20);
        QCOMPARE(QApplication::focusWidget(), &first);
    }
};

QTEST_MAIN(TestKeyboard)
#include "tst_keyboard.moc"
