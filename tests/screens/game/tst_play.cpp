// SPDX-FileCopyrightText: 2026 Les Ateliers Calivento
//
// SPDX-License-Identifier: GPL-3.0-or-later

// Rounds on the real screens with names dragged by the mouse and the commands given by their keys:
// where a drop lands, a lost round, a restart, help in the middle of a round and the way back.
#include "round.h"
#include "screens/help/form_help.h"
#include "screens/results/form_perdu_instruments.h"

using game::GameId;

class TestPlay : public fakes::ScreenTest
{
    Q_OBJECT
private slots:
    void dropOnTheTopmostPictureThenLostRound()
    {
        Form_instruments &f = start(*m_fake.random, GameId::Percussions);
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
        QVERIFY(xylophone.Visible());
        QVERIFY(f.Timer1.Interval() <= interval - 20);
        fakes::drag(name, xylophone.geometry().topLeft() + QPoint(5, 5));
        QVERIFY(!xylophone.Visible());

        press(Qt::Key_Tab);
        press(Qt::Key_Return);
        QVERIFY(f.dragSource());
        f.Timer1.setInterval(42);
        QTRY_VERIFY(forms::isLoaded<Form_Perdu_instruments>());
        QVERIFY(!f.dragSource()); // the name carried when time ran out is put back
        QCOMPARE(f.Text_points.Caption(), QStringLiteral("0"));
        QVERIFY(f.Text_0.Visible());
        QCOMPARE(forms::get<Form_Perdu_instruments>().Label1.Caption(),
                 QStringLiteral("Tu n'as pas trouvé tous les instruments à percussion"));
        QCOMPARE(m_fake.sound->played, QList{platform::SoundId::Drop}); // the xylophone's; none for the loss
        QCOMPARE(fakes::contentOf(QStringLiteral("niveaux/percu.nvl")), QByteArray("1\r\n")); // nothing saved
    }

    void restartThenBackToTheMenu()
    {
        Form_instruments &f = start(*m_fake.random, GameId::Vents);
        press(Qt::Key_B, Qt::AltModifier); // sound effects off
        const int tuba = game::indexOfPicture("tuba");
        fakes::drag(f.nameLabel(tuba), fakes::exposedPoint(f.picture(tuba)));
        QVERIFY(!f.picture(tuba).Visible());
        QVERIFY(m_fake.sound->played.isEmpty());

        // The round starts again as after "Oui": found pictures back, scattered anew.
        press(Qt::Key_C, Qt::AltModifier); // "Recommencer"
        QVERIFY(f.nameLabel(tuba).Visible());
        QVERIFY(f.picture(tuba).Visible());
        QCOMPARE(m_fake.random->reseeds, 2);

        f.Timer1.setInterval(1);           // its next beat would lose the round
        press(Qt::Key_R, Qt::AltModifier); // "Retour"
        QTest::qSleep(5);
        QCoreApplication::processEvents(); // the timers' turn, before the screen is deleted
        QVERIFY(!forms::isLoaded<Form_instruments>());
        QVERIFY(!forms::isLoaded<Form_Perdu_instruments>());
        Form_choix_instruments &menu = forms::get<Form_choix_instruments>();
        QVERIFY(menu.isEnabled());
        QCOMPARE(menu.levelLabel(GameId::Vents, 1).mousePointer(), forms::Pointer::Custom);
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
        Form_instruments &f = start(*m_fake.random, GameId::Familles);
        if (playedBefore > 0) {
            m_fake.clock->now = m_fake.clock->now.addSecs(playedBefore);
            f.Timer2_Timer();
        }
        press(Qt::Key_A, Qt::AltModifier); // "Aide"
        QVERIFY(forms::get<Form_help>().isVisible());
        QVERIFY(!f.Timer1.Enabled());
        m_fake.clock->now = m_fake.clock->now.addSecs(120); // not counted
        f.Timer2_Timer();
        press(Qt::Key_R, Qt::AltModifier); // help's "Retour"
        QVERIFY(f.Timer1.Enabled());
        m_fake.clock->now = m_fake.clock->now.addSecs(5);
        f.Timer2_Timer();
        QCOMPARE(f.Text_temps.Caption(), fiveSecondsAfter);
    }
};

QTEST_MAIN(TestPlay)
#include "tst_play.moc"
