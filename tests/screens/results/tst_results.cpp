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
        QTest::addColumn<int>("before"); // levels open, as stored
        QTest::addColumn<int>("after");
        QTest::addColumn<bool>("effects");
        QTest::newRow("percussion 1 won, opens 2") << GameId::Percussions << 1 << true << 1 << 2 << true;
        QTest::newRow("winds 1 won, keeps 2, mute") << GameId::Vents << 1 << true << 2 << 2 << false;
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
        QVERIFY(fakes::put(path, QByteArray::number(before) + "\r\n"));
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
        QCOMPARE(fakes::contentOf(path), QByteArray::number(after) + "\r\n");
        QVERIFY(menu.levelLabel(id, after).Enabled()); // the menu offers it already

        QTest::mouseClick(&result(won).Command_oui, Qt::LeftButton);
        QCOMPARE(forms::Screens::instance().loadedCount(), 2); // the menu and the same game screen
        QCOMPARE(&forms::get<Form_instruments>(), &game);
        QCOMPARE(game.Timer1.Interval(), game::startInterval(id, level));
        m_fake.clock->now = m_fake.clock->now.addSecs(3);
        game.Timer2_Timer();
        QCOMPARE(game.Text_temps.Caption(), QStringLiteral("00:00:03")); // the stopwatch starts again
        QVERIFY(!menu.Enabled());

        result(won).Show();
        QTest::mouseClick(&result(won).Quitter, Qt::LeftButton);
        QCOMPARE(forms::Screens::instance().loadedCount(), 1);
        QVERIFY(menu.Enabled() && menu.isVisible());
    }

    // Esc held down since the last drop answers nothing on the lose screen: only a new press does
    // (the win screen's is held in tst_play's rounds).
    void heldKeyAnswersNothing()
    {
        Form_choix_instruments &menu = forms::get<Form_choix_instruments>();
        menu.Show();
        QTest::mouseClick(&menu.levelLabel(GameId::Vents, 1), Qt::LeftButton);
        ResultScreen &screen = result(false);
        screen.Show();
        fakes::holdKey(screen, Qt::Key_Escape);
        QCOMPARE(forms::Screens::instance().loadedCount(), 3);
        QTest::keyClick(&screen, Qt::Key_Escape);
        QCOMPARE(forms::Screens::instance().loadedCount(), 1);
    }
};

QTEST_MAIN(TestResults)
#include "tst_results.moc"
