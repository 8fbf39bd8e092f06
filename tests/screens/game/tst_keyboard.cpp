// SPDX-FileCopyrightText: 2026 Les Ateliers Calivento
//
// SPDX-License-Identifier: GPL-3.0-or-later

// Every screen with the keys alone: not one mouse event is sent here.
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
// A key as the player presses it: to whatever has the focus in the active screen.
void press(Qt::Key key, Qt::KeyboardModifiers modifiers = {})
{
    QCoreApplication::processEvents(); // a screen just shown becomes the active one
    QWidget *target = QApplication::focusWidget() ? QApplication::focusWidget() : QApplication::activeWindow();
    QVERIFY(target);
    QTest::keyClick(target, key, modifiers);
}

QWidget *focusOutline(QWidget &screen)
{
    return screen.findChild<QWidget *>(QStringLiteral("focusOutline"));
}

// The catalogue row of a picture.
int rowOf(Form_instruments &f, const forms::Control *picture)
{
    for (int row = 0; row < game::instrumentCount; ++row)
        if (&f.picture(row) == picture)
            return row;
    return -1;
}
} // namespace

class TestKeyboard : public fakes::ScreenTest
{
    Q_OBJECT
    // Tab to "Niveau 1" of the game in the menu and Enter; every file holds 1.
    Form_instruments &start(GameId id)
    {
        m_fake.random->values = {0.12f, 0.83f, 0.47f, 0.05f, 0.66f, 0.31f, 0.94f};
        Form_choix_instruments &menu = forms::get<Form_choix_instruments>();
        menu.Show();
        while (QApplication::focusWidget() != &menu.levelLabel(id, 1))
            press(Qt::Key_Tab);
        press(Qt::Key_Return);
        return forms::get<Form_instruments>();
    }

private slots:
    void menuFocus()
    {
        QVERIFY(fakes::put(QStringLiteral("niveaux/corde.nvl"), "2"));
        Form_choix_instruments &menu = forms::get<Form_choix_instruments>();
        menu.Show();
        QVERIFY(!focusOutline(menu)); // nothing drawn before the keys are used
        const QList<QWidget *> tabOrder{&menu.levelLabel(GameId::Vents, 1),
                                        &menu.levelLabel(GameId::Cordes, 1),
                                        &menu.levelLabel(GameId::Cordes, 2),
                                        &menu.levelLabel(GameId::Percussions, 1),
                                        &menu.levelLabel(GameId::Tous, 1),
                                        &menu.levelLabel(GameId::Familles, 1),
                                        &menu.Command_ecouter,
                                        &menu.Command25};
        for (QWidget *expected : tabOrder + QList<QWidget *>{tabOrder.first()}) {
            press(Qt::Key_Tab);
            QCOMPARE(QApplication::focusWidget(), expected);
            QVERIFY(focusOutline(menu)->isVisible());
            QVERIFY(focusOutline(menu)->geometry().contains(expected->geometry()));
        }
        press(Qt::Key_Tab, Qt::ShiftModifier);
        QCOMPARE(QApplication::focusWidget(), &menu.Command25);
        const QList<QPair<Qt::Key, QWidget *>> arrows{{Qt::Key_Left, &menu.levelLabel(GameId::Familles, 1)},
                                                      {Qt::Key_Left, &menu.levelLabel(GameId::Tous, 1)},
                                                      {Qt::Key_Left, &menu.levelLabel(GameId::Percussions, 1)},
                                                      {Qt::Key_Left, &menu.levelLabel(GameId::Cordes, 1)},
                                                      {Qt::Key_Down, &menu.levelLabel(GameId::Cordes, 2)},
                                                      {Qt::Key_Up, &menu.levelLabel(GameId::Cordes, 1)}};
        for (const auto &[key, expected] : arrows) {
            press(key);
            QCOMPARE(QApplication::focusWidget(), expected);
        }
        // The menu's own keys still work with a level in focus.
        press(Qt::Key_F1);
        Form_help &help = forms::get<Form_help>();
        QVERIFY(help.isVisible());
        press(Qt::Key_Escape);
        QVERIFY(!help.isVisible());
        QTRY_COMPARE(QApplication::activeWindow(), &menu);
        press(Qt::Key_Space);
        QVERIFY(forms::isLoaded<Form_instruments>());
        QCOMPARE(forms::get<Form_instruments>().visibleGame(), GameId::Cordes);
    }

    void wholeRound_data()
    {
        QTest::addColumn<GameId>("id");
        for (const game::GameInfo &g : game::games)
            QTest::newRow(g.title) << g.id;
    }
    void wholeRound()
    {
        QFETCH(GameId, id);
        Form_instruments &f = start(id);
        QCOMPARE(f.visibleGame(), id);
        const int total = static_cast<int>(game::board(id).drawOrder.size());
        for (int found = 0; found < total; ++found) {
            // Pick up any name and look around; then put it back and take the name of the
            // picture aimed at: it is aimed at again when that name is picked up.
            press(Qt::Key_Tab);
            press(Qt::Key_Return);
            QVERIFY(f.dragSource());
            press(found % 2 ? Qt::Key_Down : Qt::Key_Right);
            const int row = rowOf(f, f.dropTarget());
            QVERIFY(row >= 0);
            press(Qt::Key_Escape);
            QVERIFY(!f.dragSource());
            const game::Family family = game::catalogue[static_cast<std::size_t>(row)].family;
            QWidget *answer = id == GameId::Familles ? &f.familyLabel(family) : &f.nameLabel(row);
            for (int tabs = 0; QApplication::focusWidget() != answer && tabs < 30; ++tabs)
                press(Qt::Key_Tab);
            press(Qt::Key_Space);
            QCOMPARE(f.dropTarget(), &f.picture(row));
            press(Qt::Key_Return);
            QVERIFY2(!f.picture(row).Visible(), game::catalogue[static_cast<std::size_t>(row)].picture);
        }
        QVERIFY(forms::isLoaded<Form_gagner_instruments>());
        QCOMPARE(m_fake.sound->played.count(platform::SoundId::Drop), total);
        QTRY_COMPARE(QApplication::activeWindow(), &forms::get<Form_gagner_instruments>());
        press(Qt::Key_Return); // "Oui"
        QVERIFY(!forms::isLoaded<Form_gagner_instruments>());
        QVERIFY(f.isEnabled());
        QCOMPARE(f.Timer1.Interval(), game::startInterval(id, 1));
    }

    void carryingAName()
    {
        Form_instruments &f = start(GameId::Percussions);
        const int interval = f.Timer1.Interval();
        press(Qt::Key_Down);
        forms::Label &first = f.nameLabel(game::indexOfPicture("Tambourin")); // the top name
        QCOMPARE(QApplication::focusWidget(), &first);
        press(Qt::Key_Return);
        QWidget *outline = f.findChild<QWidget *>(QStringLiteral("dragOutline"));
        QVERIFY(outline->isVisible());
        const QPoint before = outline->pos();
        press(Qt::Key_Escape); // put back: no drop, no penalty
        QVERIFY(!outline->isVisible());
        QCOMPARE(f.Timer1.Interval(), interval);

        // A wrong drop by the keys costs what a wrong drop by the mouse costs.
        press(Qt::Key_Return);
        QCOMPARE(outline->pos(), before); // the same picture as before
        if (rowOf(f, f.dropTarget()) == game::indexOfPicture("Tambourin"))
            press(Qt::Key_Down);
        QVERIFY(rowOf(f, f.dropTarget()) != game::indexOfPicture("Tambourin"));
        press(Qt::Key_Enter);
        QCOMPARE(f.Timer1.Interval(), interval - 20);
        QCOMPARE(QApplication::focusWidget(), &first);
    }

    void gameCommandsAndResultScreens_data()
    {
        QTest::addColumn<Qt::Key>("key");
        QTest::addColumn<Qt::KeyboardModifiers>("modifiers");
        QTest::addColumn<bool>("again");
        QTest::newRow("Enter") << Qt::Key_Return << Qt::KeyboardModifiers() << true;
        QTest::newRow("Alt+O") << Qt::Key_O << Qt::KeyboardModifiers(Qt::AltModifier) << true;
        QTest::newRow("Esc") << Qt::Key_Escape << Qt::KeyboardModifiers() << false;
        QTest::newRow("Alt+N") << Qt::Key_N << Qt::KeyboardModifiers(Qt::AltModifier) << false;
    }
    void gameCommandsAndResultScreens()
    {
        QFETCH(Qt::Key, key);
        QFETCH(Qt::KeyboardModifiers, modifiers);
        QFETCH(bool, again);
        Form_instruments &f = start(GameId::Vents);
        press(Qt::Key_B, Qt::AltModifier);
        QCOMPARE(f.Command_son.Caption(), QStringLiteral("Avec &bruitages"));
        press(Qt::Key_A, Qt::AltModifier);
        Form_help &help = forms::get<Form_help>();
        QVERIFY(help.isVisible());
        QVERIFY(!f.Timer1.Enabled());
        press(Qt::Key_R, Qt::AltModifier);
        QVERIFY(!help.isVisible());
        QVERIFY(f.Timer1.Enabled());
        f.Timer1.setInterval(300);
        press(Qt::Key_C, Qt::AltModifier);
        QCOMPARE(f.Timer1.Interval(), 841);

        press(Qt::Key_Tab);
        press(Qt::Key_Return);
        QVERIFY(f.dragSource());
        f.Timer1.setInterval(42);
        QTRY_VERIFY(forms::isLoaded<Form_Perdu_instruments>());
        QVERIFY(!f.dragSource()); // the name carried when time ran out is put back
        QTRY_COMPARE(QApplication::activeWindow(), &forms::get<Form_Perdu_instruments>());
        press(key, modifiers);
        QVERIFY(!forms::isLoaded<Form_Perdu_instruments>());
        QCOMPARE(forms::isLoaded<Form_instruments>(), again);
        if (!again) {
            Form_choix_instruments &menu = forms::get<Form_choix_instruments>();
            QTRY_COMPARE(QApplication::activeWindow(), &menu);
            QVERIFY(menu.isEnabled());
            return;
        }
        press(Qt::Key_R, Qt::AltModifier); // "Retour"
        QVERIFY(!forms::isLoaded<Form_instruments>());
    }
};

QTEST_MAIN(TestKeyboard)
#include "tst_keyboard.moc"
