// The win and lose screens: what they freeze, say, play and save, and where "Oui" and "Non" lead.
#include "app/forms/screens.h"
#include "screens/game/form_instruments.h"
#include "screens/menu/form_choix_instruments.h"
#include "screens/results/form_gagner_instruments.h"
#include "screens/results/form_perdu_instruments.h"
#include "support/fakes.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

using game::GameId;
using platform::SoundId;

namespace {
QByteArray progressFile(const char *name)
{
    QFile f(QStringLiteral("niveaux/") + name);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// Starts a game from the menu, as a click on its level label does.
Form_instruments &play(GameId id, int level)
{
    Form_choix_instruments &menu = forms::get<Form_choix_instruments>();
    menu.Show();
    menu.levelLabel(id, level).setEnabled(true);
    QTest::mouseClick(&menu.levelLabel(id, level), Qt::LeftButton);
    return forms::get<Form_instruments>();
}
} // namespace

class TestResults : public QObject
{
    Q_OBJECT
    fakes::Platform m_fake{};

private slots:
    void init()
    {
        m_fake = fakes::install();
        fakes::enterEmptyFolder();
    }
    void cleanup() { fakes::unloadAllScreens(); }

    void clockTextInTheTwoBoxes_data()
    {
        QTest::addColumn<QString>("elapsed");
        QTest::addColumn<QString>("minutes");
        QTest::addColumn<QString>("seconds");
        QTest::newRow("clock") << "00:03:07" << "03" << "07";
        QTest::newRow("an hour") << "01:00:59" << "00" << "59";
        QTest::newRow("not yet ticked") << "0" << "0" << "0";
    }
    void clockTextInTheTwoBoxes()
    {
        QFETCH(QString, elapsed);
        QFETCH(QString, minutes);
        QFETCH(QString, seconds);
        QCOMPARE(results::minutesOf(elapsed), minutes);
        QCOMPARE(results::secondsOf(elapsed), seconds);
    }

    void winFreezesSavesAndPlays_data()
    {
        QTest::addColumn<GameId>("id");
        QTest::addColumn<int>("level");
        QTest::addColumn<QString>("file");
        QTest::addColumn<QByteArray>("before");
        QTest::addColumn<QByteArray>("after");
        QTest::addColumn<QString>("text");
        QTest::newRow("percussion 1") << GameId::Percussions << 1 << "percu.nvl" << QByteArray("1\r\n")
                                      << QByteArray("2\r\n") << "Tu as trouvé tous les instruments à percussion en";
        QTest::newRow("strings 2 opens 3") << GameId::Cordes << 2 << "corde.nvl" << QByteArray("2\r\n")
                                           << QByteArray("3\r\n") << "Tu as trouvé tous les instruments à cordes en";
        QTest::newRow("winds 1 keeps 2") << GameId::Vents << 1 << "vents.nvl" << QByteArray("2") << QByteArray("2\r\n")
                                         << "Tu as trouvé tous les instruments à vent en";
        QTest::newRow("all 3 stays 3") << GameId::Tous << 3 << "tinstr.nvl" << QByteArray("3\r\n") << QByteArray("3\r\n")
                                       << "Tu as trouvé tous les instruments en";
        QTest::newRow("families, its own file") << GameId::Familles << 1 << "finstr.nvl" << QByteArray("1\r\n")
                                                << QByteArray("2\r\n") << "Tu as trouvé tous les instruments en";
    }
    void winFreezesSavesAndPlays()
    {
        QFETCH(GameId, id);
        QFETCH(int, level);
        QFETCH(QString, file);
        QFETCH(QByteArray, before);
        QFETCH(QByteArray, after);
        QFETCH(QString, text);
        QDir().mkpath(QStringLiteral("niveaux"));
        QFile seed(QStringLiteral("niveaux/") + file);
        QVERIFY(seed.open(QIODevice::WriteOnly));
        seed.write(before);
        seed.close();

        Form_instruments &game = play(id, level);
        game.Text_temps.setCaption(QStringLiteral("00:02:41"));
        Form_gagner_instruments &win = forms::get<Form_gagner_instruments>();
        win.Show();

        QCOMPARE(win.Label3.Caption(), text);
        QCOMPARE(win.Label_score0.Caption(), QStringLiteral("00:02:41"));
        QCOMPARE(win.Label_score1.Caption(), QStringLiteral("00:02:41"));
        QVERIFY(!game.Timer1.Enabled());
        QVERIFY(!game.Timer2.Enabled());
        QVERIFY(!game.Enabled());
        QCOMPARE(m_fake.sound->played, QList<SoundId>({SoundId::Win, SoundId::Win}));
        QCOMPARE(progressFile(qPrintable(file)), after);
        // The menu already offers what was opened.
        const int open = after.at(0) - '0';
        Form_choix_instruments &menu = forms::get<Form_choix_instruments>();
        for (int l = 1; l <= 3; ++l)
            QCOMPARE(menu.levelLabel(id, l).Enabled(), l <= open);
        // The other games' files are untouched or fresh.
        if (id != GameId::Tous)
            QVERIFY(progressFile("tinstr.nvl") == "1\r\n");
    }

    void winInSilence()
    {
        Form_instruments &game = play(GameId::Cordes, 1);
        QTest::mouseClick(&game.Command_son, Qt::LeftButton);
        QCOMPARE(game.Command_son.Caption(), QStringLiteral("Avec &bruitages"));
        forms::get<Form_gagner_instruments>().Show();
        QVERIFY(m_fake.sound->played.isEmpty());
    }

    void loseFreezesAndSavesNothing()
    {
        Form_instruments &game = play(GameId::Vents, 2);
        const QByteArray before = progressFile("vents.nvl");
        Form_Perdu_instruments &lose = forms::get<Form_Perdu_instruments>();
        lose.Show();
        QCOMPARE(lose.Label1.Caption(), QStringLiteral("Tu n'as pas trouvé tous les instruments à vent"));
        QVERIFY(game.Text_0.Visible());
        QVERIFY(!game.Enabled());
        QVERIFY(!game.Timer1.Enabled());
        QVERIFY(!game.Timer2.Enabled());
        QVERIFY(m_fake.sound->played.isEmpty());
        QCOMPARE(progressFile("vents.nvl"), before);
    }

    void ouiReplaysTheSameGameAndLevel_data()
    {
        QTest::addColumn<bool>("won");
        QTest::newRow("after a win") << true;
        QTest::newRow("after a loss") << false;
    }
    void ouiReplaysTheSameGameAndLevel()
    {
        QFETCH(bool, won);
        Form_instruments &game = play(GameId::Cordes, 2);
        game.Timer1.setInterval(77);
        ResultScreen *result = won ? static_cast<ResultScreen *>(&forms::get<Form_gagner_instruments>())
                                   : static_cast<ResultScreen *>(&forms::get<Form_Perdu_instruments>());
        result->Show();
        QTest::mouseClick(&result->Command_oui, Qt::LeftButton);

        QVERIFY(!forms::isLoaded<Form_gagner_instruments>());
        QVERIFY(!forms::isLoaded<Form_Perdu_instruments>());
        QCOMPARE(&forms::get<Form_instruments>(), &game);  // the same game screen plays on
        QCOMPARE(game.Timer1.Interval(), 341);
        QVERIFY(game.Timer1.Enabled());
        QVERIFY(game.Timer2.Enabled());
        QVERIFY(game.Enabled());
        QVERIFY(!game.Text_0.Visible());
        QCOMPARE(game.visibleLevel(), std::optional<int>(2));
        QCOMPARE(game.visibleGame(), std::optional<GameId>(GameId::Cordes));
        QCOMPARE(game.Label_description.Caption(), QStringLiteral("Les instruments à cordes"));
        QCOMPARE(game.Command_compteur.Caption(), QStringLiteral("Arrêt"));
    }

    void nonGoesBackToTheMenu_data()
    {
        QTest::addColumn<bool>("won");
        QTest::newRow("after a win") << true;
        QTest::newRow("after a loss") << false;
    }
    void nonGoesBackToTheMenu()
    {
        QFETCH(bool, won);
        play(GameId::Percussions, 1);
        Form_choix_instruments &menu = forms::get<Form_choix_instruments>();
        QVERIFY(!menu.Enabled());
        QCOMPARE(menu.levelLabel(GameId::Vents, 1).mousePointer(), forms::Pointer::Hourglass);
        ResultScreen *result = won ? static_cast<ResultScreen *>(&forms::get<Form_gagner_instruments>())
                                   : static_cast<ResultScreen *>(&forms::get<Form_Perdu_instruments>());
        result->Show();
        QTest::mouseClick(&result->Quitter, Qt::LeftButton);
        QVERIFY(!forms::isLoaded<Form_instruments>());
        QVERIFY(!forms::isLoaded<Form_gagner_instruments>());
        QVERIFY(!forms::isLoaded<Form_Perdu_instruments>());
        QVERIFY(menu.Enabled());
        QVERIFY(menu.isVisible());
        QCOMPARE(menu.levelLabel(GameId::Vents, 1).mousePointer(), forms::Pointer::Custom);
        if (won)
            QVERIFY(menu.levelLabel(GameId::Percussions, 2).Enabled());
    }
};

QTEST_MAIN(TestResults)
#include "tst_results.moc"
