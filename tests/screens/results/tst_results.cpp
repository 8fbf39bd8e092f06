// SPDX-FileCopyrightText: 2026 Les Ateliers Calivento
//
// SPDX-License-Identifier: GPL-3.0-or-later

// What a round's end freezes, plays and saves, and where "Oui" and "Non" lead.
#include "app/forms/screens.h"
#include "screens/game/form_instruments.h"
#include "screens/menu/form_choix_instruments.h"
#include "screens/results/form_gagner_instruments.h"
#include "screens/results/form_perdu_instruments.h"
#include "support/fakes.h"

#include <QtTest>

using game::GameId;
using platform::SoundId;

namespace {
ResultScreen &result(bool won)
{
    return won ? static_cast<ResultScreen &>(forms::get<Form_gagner_instruments>())
               : forms::get<Form_Perdu_instruments>();
}
} // namespace

class TestResults : public fakes::ScreenTest
{
    Q_OBJECT
private slots:
    void roundEndThenOuiReplaysAndNonGoesBack_data()
    {
        QTest::addColumn<GameId>("id");
        QTest::addColumn<int>("level");
        QTest::addColumn<bool>("won");
        QTest::addColumn<int>("before"); // levels open, as stored; -1: a folder in place of the file
        QTest::addColumn<int>("after");
        QTest::addColumn<bool>("effects");
        QTest::newRow("percussion 1 won, opens 2") << GameId::Percussions << 1 << true << 1 << 2 << true;
        QTest::newRow("strings 2 won, opens 3") << GameId::Cordes << 2 << true << 2 << 3 << true;
        QTest::newRow("winds 1 won, keeps 2, mute") << GameId::Vents << 1 << true << 2 << 2 << false;
        QTest::newRow("all 1 won, a folder in the way") << GameId::Tous << 1 << true << -1 << 1 << true;
        QTest::newRow("strings 2 lost, saves nothing") << GameId::Cordes << 2 << false << 2 << 2 << true;
    }
    void roundEndThenOuiReplaysAndNonGoesBack()
    {
        QFETCH(GameId, id);
        QFETCH(int, level);
        QFETCH(bool, won);
        QFETCH(int, before);
        QFETCH(int, after);
        QFETCH(bool, effects);
        const QString path = QStringLiteral("niveaux/") + QLatin1String(game::info(id).progressFile);
        QVERIFY(before < 0 ? QDir().mkpath(path) : fakes::put(path, QByteArray::number(before) + "\r\n"));
        Form_choix_instruments &menu = forms::get<Form_choix_instruments>();
        menu.Show();
        QTest::mouseClick(&menu.levelLabel(id, level), Qt::LeftButton); // open, as stored
        Form_instruments &game = forms::get<Form_instruments>();
        if (!effects)
            QTest::mouseClick(&game.Command_son, Qt::LeftButton);
        game.Timer1.setInterval(77);
        m_fake.clock->now = m_fake.clock->now.addSecs(100);
        result(won).Show();
        QCOMPARE((QList<bool>{game.Timer1.Enabled(), game.Timer2.Enabled(), game.Enabled(), game.Text_0.Visible()}),
                 (QList<bool>{false, false, false, !won}));
        QCOMPARE(m_fake.sound->played, won && effects ? (QList{SoundId::Win, SoundId::Win}) : QList<SoundId>());
        QCOMPARE(fakes::contentOf(path), before < 0 ? "<unreadable>" : QByteArray::number(after) + "\r\n");
        QVERIFY(menu.levelLabel(id, after).Enabled()); // the menu offers it already

        QTest::mouseClick(&result(won).Command_oui, Qt::LeftButton);
        QCOMPARE(forms::Screens::instance().loadedCount(), 2); // the menu and the same game screen
        QCOMPARE(&forms::get<Form_instruments>(), &game);
        QCOMPARE(game.Timer1.Interval(), game::startInterval(id, level));
        QCOMPARE((QList<bool>{game.Timer1.Enabled(), game.Timer2.Enabled(), game.Enabled(), game.Text_0.Visible()}),
                 (QList<bool>{true, true, true, false}));
        m_fake.clock->now = m_fake.clock->now.addSecs(3);
        game.Timer2_Timer();
        QCOMPARE(game.Text_temps.Caption(), QStringLiteral("00:00:03")); // the stopwatch starts again
        QVERIFY(!menu.Enabled());

        result(won).Show();
        QTest::mouseClick(&result(won).Quitter, Qt::LeftButton);
        QCOMPARE(forms::Screens::instance().loadedCount(), 1);
        QVERIFY(menu.Enabled() && menu.isVisible());
        QCOMPARE(menu.levelLabel(GameId::Vents, 1).cursor().hotSpot(), QPoint(11, 6)); // the hand again
    }

    // A key held down since the last drop, or since the screen came up, answers nothing: only a
    // new press does.
    void heldKeyAnswersNothing_data()
    {
        QTest::addColumn<bool>("won");
        QTest::addColumn<int>("key");
        QTest::addColumn<Qt::KeyboardModifiers>("modifiers");
        QTest::addColumn<int>("loadedAfter"); // once pressed: 2 for "Oui", 1 for "Non"
        QTest::newRow("won, Enter") << true << int(Qt::Key_Return) << Qt::KeyboardModifiers() << 2;
        QTest::newRow("won, Alt+N") << true << int(Qt::Key_N) << Qt::KeyboardModifiers(Qt::AltModifier) << 1;
        QTest::newRow("lost, Alt+O") << false << int(Qt::Key_O) << Qt::KeyboardModifiers(Qt::AltModifier) << 2;
        QTest::newRow("lost, Esc") << false << int(Qt::Key_Escape) << Qt::KeyboardModifiers() << 1;
    }
    void heldKeyAnswersNothing()
    {
        QFETCH(bool, won);
        QFETCH(int, key);
        QFETCH(Qt::KeyboardModifiers, modifiers);
        QFETCH(int, loadedAfter);
        Form_choix_instruments &menu = forms::get<Form_choix_instruments>();
        menu.Show();
        QTest::mouseClick(&menu.levelLabel(GameId::Vents, 1), Qt::LeftButton);
        ResultScreen &screen = result(won);
        screen.Show();
        fakes::holdKey(screen, key, modifiers);
        QCOMPARE(forms::Screens::instance().loadedCount(), 3);
        QVERIFY(screen.isVisible());
        QTest::keyClick(&screen, Qt::Key(key), modifiers);
        QCOMPARE(forms::Screens::instance().loadedCount(), loadedAfter);
    }
};

QTEST_MAIN(TestResults)
#include "tst_results.moc"
