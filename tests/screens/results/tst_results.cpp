// SPDX-FileCopyrightText: 2026 Les Ateliers Calivento
//
// SPDX-License-Identifier: GPL-3.0-or-later

// The win and lose screens: what they freeze, say, play and save, and where "Oui" and "Non" lead.
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
// Starts a game from the menu, as a click on its level label does.
Form_instruments &play(GameId id, int level)
{
    Form_choix_instruments &menu = forms::get<Form_choix_instruments>();
    menu.Show();
    menu.levelLabel(id, level).setEnabled(true);
    QTest::mouseClick(&menu.levelLabel(id, level), Qt::LeftButton);
    return forms::get<Form_instruments>();
}

ResultScreen &result(bool won)
{
    if (won)
        return forms::get<Form_gagner_instruments>();
    return forms::get<Form_Perdu_instruments>();
}
} // namespace

class TestResults : public fakes::ScreenTest
{
    Q_OBJECT
private slots:
    void winSavesRefreshesAndPlays_data()
    {
        QTest::addColumn<GameId>("id");
        QTest::addColumn<int>("level");
        QTest::addColumn<QByteArray>("before"); // null: a folder in place of the file
        QTest::addColumn<QByteArray>("after");
        QTest::addColumn<bool>("effects");
        QTest::newRow("percussion 1") << GameId::Percussions << 1 << QByteArray("1\r\n") << QByteArray("2\r\n") << true;
        QTest::newRow("strings 2 opens 3") << GameId::Cordes << 2 << QByteArray("2\r\n") << QByteArray("3\r\n") << true;
        QTest::newRow("winds 1 keeps 2, mute") << GameId::Vents << 1 << QByteArray("2") << QByteArray("2\r\n") << false;
        QTest::newRow("garbage") << GameId::Familles << 1 << QByteArray("\x01\xff zz") << QByteArray("2\r\n") << true;
        QTest::newRow("a folder in the way") << GameId::Tous << 1 << QByteArray() << QByteArray("<unreadable>") << true;
    }
    void winSavesRefreshesAndPlays()
    {
        QFETCH(GameId, id);
        QFETCH(int, level);
        QFETCH(QByteArray, before);
        QFETCH(QByteArray, after);
        QFETCH(bool, effects);
        const QString path = QStringLiteral("niveaux/") + QLatin1String(game::info(id).progressFile);
        QVERIFY(before.isNull() ? QDir().mkpath(path) : fakes::put(path, before));
        Form_instruments &game = play(id, level);
        if (!effects)
            QTest::mouseClick(&game.Command_son, Qt::LeftButton);
        game.Text_temps.setCaption(QStringLiteral("00:02:41"));
        Form_gagner_instruments &win = forms::get<Form_gagner_instruments>();
        win.Show();

        QVERIFY(win.Label3.Caption().startsWith(QStringLiteral("Tu as trouvé tous les instruments")));
        QCOMPARE(win.Label3.Caption().contains(QStringLiteral("percussion")), id == GameId::Percussions);
        QCOMPARE(win.Label_score0.Caption() + win.Label_score1.Caption(), QStringLiteral("00:02:4100:02:41"));
        QVERIFY(!game.Timer1.Enabled());
        QVERIFY(!game.Timer2.Enabled());
        QVERIFY(!game.Enabled());
        QCOMPARE(m_fake.sound->played, effects ? QList<SoundId>({SoundId::Win, SoundId::Win}) : QList<SoundId>());
        QCOMPARE(fakes::contentOf(path), after);
        // The menu already offers what was opened.
        const int open = QChar(after.at(0)).isDigit() ? after.at(0) - '0' : 1;
        Form_choix_instruments &menu = forms::get<Form_choix_instruments>();
        for (int l = 1; l <= 3; ++l)
            QCOMPARE(menu.levelLabel(id, l).Enabled(), l <= open);
    }

    void ouiReplaysNonGoesBack_data()
    {
        QTest::addColumn<bool>("won");
        QTest::newRow("after a win") << true;
        QTest::newRow("after a loss") << false;
    }
    void ouiReplaysNonGoesBack()
    {
        QFETCH(bool, won);
        Form_instruments &game = play(GameId::Cordes, 2);
        game.Timer1.setInterval(77);
        m_fake.clock->now = m_fake.clock->now.addSecs(100);
        result(won).Show();
        QTest::mouseClick(&result(won).Command_oui, Qt::LeftButton);
        QCOMPARE(forms::Screens::instance().loadedCount(), 2); // the menu and the same game screen
        QCOMPARE(&forms::get<Form_instruments>(), &game);
        QCOMPARE(game.Timer1.Interval(), 341);
        QVERIFY(game.Timer1.Enabled());
        QVERIFY(game.Timer2.Enabled());
        QVERIFY(game.Enabled());
        QVERIFY(!game.Text_0.Visible());
        QCOMPARE(game.visibleLevel(), std::optional<int>(2));
        QCOMPARE(game.visibleGame(), std::optional<GameId>(GameId::Cordes));
        m_fake.clock->now = m_fake.clock->now.addSecs(3);
        game.Timer2_Timer();
        QCOMPARE(game.Text_temps.Caption(), QStringLiteral("00:00:03"));

        Form_choix_instruments &menu = forms::get<Form_choix_instruments>();
        QVERIFY(!menu.Enabled());
        QCOMPARE(menu.levelLabel(GameId::Vents, 1).mousePointer(), forms::Pointer::Hourglass);
        result(won).Show();
        QTest::mouseClick(&result(won).Quitter, Qt::LeftButton);
        QCOMPARE(forms::Screens::instance().loadedCount(), 1);
        QVERIFY(menu.Enabled());
        QVERIFY(menu.isVisible());
        QCOMPARE(menu.levelLabel(GameId::Vents, 1).mousePointer(), forms::Pointer::Custom);
    }
};

QTEST_MAIN(TestResults)
#include "tst_results.moc"
