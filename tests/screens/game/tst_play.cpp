// SPDX-FileCopyrightText: 2026 Les Ateliers Calivento
//
// SPDX-License-Identifier: GPL-3.0-or-later

// Rounds played with the mouse on the real screens, from the menu to a result screen and back.
#include "app/forms/screens.h"
#include "resources/resources.h"
#include "screens/game/form_instruments.h"
#include "screens/help/form_help.h"
#include "screens/menu/form_choix_instruments.h"
#include "screens/results/form_gagner_instruments.h"
#include "screens/results/form_perdu_instruments.h"
#include "support/fakes.h"

#include <QtTest>

using game::GameId;

Q_DECLARE_METATYPE(GameId)

class TestPlay : public fakes::ScreenTest
{
    Q_OBJECT
    // Clicks "Niveau 1" of the game in the menu.
    Form_instruments &start(GameId id)
    {
        m_fake.random->values = {0.12f, 0.83f, 0.47f, 0.05f, 0.66f, 0.31f, 0.94f};
        Form_choix_instruments &menu = forms::get<Form_choix_instruments>();
        menu.Show();
        QTest::mouseClick(&menu.levelLabel(id, 1), Qt::LeftButton);
        return forms::get<Form_instruments>();
    }

private slots:
    void fullRound_data()
    {
        QTest::addColumn<GameId>("id");
        for (const game::GameInfo &g : game::games)
            QTest::newRow(g.title) << g.id;
    }
    void fullRound()
    {
        QFETCH(GameId, id);
        Form_instruments &f = start(id);
        QCOMPARE(f.visibleGame(), id);
        const int decoded = resources::decodeCount();
        const int total = static_cast<int>(game::board(id).drawOrder.size());
        // Topmost first, so each picture is uncovered by the time its turn comes.
        int found = 0;
        for (const char *name : game::stackingOrder) {
            const int row = game::indexOfPicture(name);
            if (row < 0 || !f.picture(row).Visible())
                continue;
            const game::Family family = game::catalogue[static_cast<std::size_t>(row)].family;
            forms::Label &answer = id == GameId::Familles ? f.familyLabel(family) : f.nameLabel(row);
            QVERIFY2(QRect(0, 0, 12000, 9000).contains(QPoint(answer.Left(), answer.Top())), name);
            fakes::drag(answer, fakes::exposedPoint(f.picture(row)));
            QVERIFY2(!f.picture(row).Visible(), name);
            QCOMPARE(answer.Visible(), id == GameId::Familles); // a family label stays for the others
            QCOMPARE(forms::isLoaded<Form_gagner_instruments>(), ++found == total);
        }
        QCOMPARE(found, total);
        QCOMPARE(m_fake.sound->played.count(platform::SoundId::Drop), found);
        QVERIFY(!f.isEnabled());
        QVERIFY(!f.Timer1.isRunning());
        QCOMPARE(resources::decodeCount(), decoded); // a beat may come every 41 ms
    }

    void dropOnTheTopmostPictureThenLostRound()
    {
        Form_instruments &f = start(GameId::Percussions);
        for (int row = 0; row < game::instrumentCount; ++row)
            f.picture(row).setVisible(false);
        // The xylophone is drawn under every other picture although it was made after most.
        forms::Image &xylophone = f.picture(game::indexOfPicture("Tambourin"));
        forms::Image &drum = f.picture(game::indexOfPicture("CClaire"));
        xylophone.move(3960, 160);
        drum.move(4960, 1160);
        xylophone.setVisible(true);
        drum.setVisible(true);
        const int interval = f.Timer1.Interval();
        forms::Label &name = f.nameLabel(game::indexOfPicture("Tambourin"));
        fakes::drag(name, drum.geometry().center()); // over both: judged for the drum alone
        QVERIFY(drum.Visible());
        QVERIFY(xylophone.Visible());
        QVERIFY(f.Timer1.Interval() <= interval - 20);
        QVERIFY(m_fake.sound->played.isEmpty());
        fakes::drag(name, xylophone.geometry().topLeft() + QPoint(5, 5));
        QVERIFY(!xylophone.Visible());

        f.Timer1.setInterval(42);
        QTRY_VERIFY(forms::isLoaded<Form_Perdu_instruments>());
        QCOMPARE(f.Text_points.Caption(), QStringLiteral("0"));
        QVERIFY(f.Text_0.Visible());
        QVERIFY(!f.Timer1.isRunning());
        QVERIFY(!f.isEnabled());
        QCOMPARE(forms::get<Form_Perdu_instruments>().Label1.Caption(),
                 QStringLiteral("Tu n'as pas trouvé tous les instruments à percussion"));
        QCOMPARE(m_fake.sound->played, QList{platform::SoundId::Drop}); // the xylophone's; none for the loss
        QCOMPARE(fakes::contentOf(QStringLiteral("niveaux/percu.nvl")), QByteArray("1\r\n")); // nothing saved
    }

    void restartThenBackToTheMenu()
    {
        Form_instruments &f = start(GameId::Vents);
        QTest::mouseClick(&f.Command_son, Qt::LeftButton);
        const int tuba = game::indexOfPicture("tuba");
        fakes::drag(f.nameLabel(tuba), fakes::exposedPoint(f.picture(tuba)));
        QVERIFY(!f.picture(tuba).Visible());
        QVERIFY(m_fake.sound->played.isEmpty());
        f.Timer1.setInterval(300);
        m_fake.clock->now = m_fake.clock->now.addSecs(200);

        QTest::mouseClick(&f.Command_recommencer, Qt::LeftButton);
        QCOMPARE(f.Timer1.Interval(), game::startInterval(GameId::Vents, 1));
        QVERIFY(f.nameLabel(tuba).Visible());
        QVERIFY(f.picture(tuba).Visible());
        QCOMPARE(f.visibleLevel(), 1);
        QCOMPARE(m_fake.random->reseeds, 2);
        m_fake.clock->now = m_fake.clock->now.addSecs(2);
        f.Timer2_Timer();
        QCOMPARE(f.Text_temps.Caption(), QStringLiteral("00:00:02"));

        f.Timer1.setInterval(1); // its next beat would lose the round
        QTest::mouseClick(&f.Command_retour, Qt::LeftButton);
        QTest::qSleep(5);
        QCoreApplication::processEvents(); // the timers' turn, before the screen is deleted
        QVERIFY(!forms::isLoaded<Form_instruments>());
        QVERIFY(!forms::isLoaded<Form_Perdu_instruments>());
        Form_choix_instruments &menu = forms::get<Form_choix_instruments>();
        QVERIFY(menu.isEnabled());
        QCOMPARE(menu.levelLabel(GameId::Vents, 1).mousePointer(), forms::Pointer::Custom);
        // The next game is a fresh screen, sound effects on again.
        Form_instruments &next = start(GameId::Cordes);
        QCOMPARE(next.Command_son.Caption(), QStringLiteral("Sans &bruitages"));
        QCOMPARE(next.visibleGame(), GameId::Cordes);
    }

    void helpFromARound_data()
    {
        QTest::addColumn<int>("playedBefore"); // seconds
        QTest::addColumn<QString>("fiveSecondsAfter");
        QTest::newRow("after 1:23") << 83 << "00:01:28";
        QTest::newRow("in the first second") << 0 << "00:00:05"; // the stopwatch still shows "0"
    }
    void helpFromARound()
    {
        QFETCH(int, playedBefore);
        QFETCH(QString, fiveSecondsAfter);
        Form_instruments &f = start(GameId::Familles);
        if (playedBefore > 0) {
            m_fake.clock->now = m_fake.clock->now.addSecs(playedBefore);
            f.Timer2_Timer();
        }
        QTest::mouseClick(&f.Command_aide, Qt::LeftButton);
        Form_help &help = forms::get<Form_help>();
        QVERIFY(!f.Timer1.Enabled());
        const QString points = f.Text_points.Caption();
        for (int s = 0; s < 120; ++s) {
            m_fake.clock->now = m_fake.clock->now.addSecs(1);
            f.Timer2_Timer();
        }
        QTest::mouseClick(&help.Command_retour, Qt::LeftButton);
        QVERIFY(!help.isVisible());
        QVERIFY(f.Timer1.Enabled());
        QCOMPARE(f.Text_points.Caption(), points);
        m_fake.clock->now = m_fake.clock->now.addSecs(5);
        f.Timer2_Timer();
        QCOMPARE(f.Text_temps.Caption(), fiveSecondsAfter);
    }
};

QTEST_MAIN(TestPlay)
#include "tst_play.moc"
