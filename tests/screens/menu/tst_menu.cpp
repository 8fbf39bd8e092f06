// SPDX-FileCopyrightText: 2026 Les Ateliers Calivento
//
// SPDX-License-Identifier: GPL-3.0-or-later

// The menu and the screens around it: which levels it opens, its keys and backdrop, the way out;
// what a round's end freezes, plays and saves, and where "Oui" and "Non" lead; the help screen's
// link, with the browser and the guide's address behind it.
#include "app/forms/screens.h"
#include "screens/game/form_instruments.h"
#include "screens/help/form_help.h"
#include "screens/help/guide.h"
#include "screens/menu/form_choix_instruments.h"
#include "screens/menu/form_noire.h"
#include "screens/results/form_gagner_instruments.h"
#include "screens/results/form_perdu_instruments.h"
#include "support/fakes.h"

#include <QScopeGuard>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

using game::GameId;
using platform::SoundId;

namespace {
// "12-": which of a game's three levels are enabled
QString enabledLevels(Form_choix_instruments &menu, GameId id)
{
    QString levels;
    for (int level = 1; level <= 3; ++level)
        levels += menu.levelLabel(id, level).Enabled() ? QChar('0' + level) : QChar('-');
    return levels;
}

ResultScreen &result(bool won)
{
    return won ? static_cast<ResultScreen &>(forms::get<Form_gagner_instruments>())
               : forms::get<Form_Perdu_instruments>();
}
} // namespace

class TestMenu : public fakes::ScreenTest
{
    Q_OBJECT
private slots:
    void levelsOpenAsStoredAndStayOpen_data()
    {
        QTest::addColumn<QByteArray>("corde");
        QTest::addColumn<QString>("levels");
        QTest::newRow("3, after blanks and up to a comma") << QByteArray(" \r\n 3,1\r\n") << "123";
        QTest::newRow("4") << QByteArray("4") << "1--";
        QTest::newRow("garbage") << QByteArray("\xff\xfe garbage") << "1--";
    }
    void levelsOpenAsStoredAndStayOpen()
    {
        QFETCH(QByteArray, corde);
        QFETCH(QString, levels);
        QVERIFY(fakes::put(QStringLiteral("niveaux/corde.nvl"), corde));
        Form_choix_instruments &menu = forms::get<Form_choix_instruments>();
        QCOMPARE(enabledLevels(menu, GameId::Cordes), levels);
        // A later refresh, as a win does, closes nothing.
        QVERIFY(fakes::put(QStringLiteral("niveaux/corde.nvl"), "1"));
        menu.Command_fichier.press();
        QCOMPARE(enabledLevels(menu, GameId::Cordes), levels);
    }

    void keysAndButtonsOnlyWhileEnabled_data()
    {
        QTest::addColumn<bool>("keys");
        QTest::newRow("F1 and Esc") << true;
        QTest::newRow("metronome and Quitter") << false;
    }
    void keysAndButtonsOnlyWhileEnabled()
    {
        QFETCH(bool, keys);
        QSignalSpy ended(&forms::Screens::instance(), &forms::Screens::lastUnloaded);
        Form_noire &backdrop = forms::get<Form_noire>();
        backdrop.Show();
        QCOMPARE(backdrop.geometry(), QGuiApplication::primaryScreen()->geometry());
        Form_choix_instruments &menu = forms::get<Form_choix_instruments>();
        menu.Show();
        const auto use = [&](Qt::Key key, QWidget &control) {
            if (keys)
                QTest::keyClick(&menu, key);
            else
                QTest::mouseClick(&control, Qt::LeftButton);
        };
        menu.setEnabled(false); // as during a game
        use(Qt::Key_F1, menu.Metronome_stop);
        use(Qt::Key_Escape, menu.Command25);
        QTest::mouseClick(&menu.levelLabel(GameId::Tous, 1), Qt::LeftButton);
        QCOMPARE(forms::Screens::instance().loadedCount(), 2); // no help, no game
        menu.setEnabled(true);
        // F12 hides the backdrop; F2 to F11 pick its colours in order, whatever the modifiers.
        QTest::keyClick(&menu, Qt::Key_F12);
        QVERIFY(!backdrop.isVisible());
        QTest::keyClick(&menu, Qt::Key_F11, Qt::ShiftModifier);
        QCOMPARE(backdrop.isVisible() ? backdrop.BackColor() : QColor(), QColor(255, 255, 192));

        use(Qt::Key_F1, menu.Metronome_stop);
        QVERIFY(forms::get<Form_help>().isVisible());
        forms::get<Form_help>().Hide(); // still loaded: the way out unloads it too
        use(Qt::Key_Escape, menu.Command25);
        QCOMPARE(ended.count(), 1);
        QCOMPARE(forms::Screens::instance().loadedCount(), 0);
        QCOMPARE(m_fake.taskbar->calls, QStringList({"hide", "show"}));
    }

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

    // The browser a Windows registry names: quotes and arguments go.
    void stripQuotes()
    {
        QCOMPARE(platform::stripQuotes(QStringLiteral("\"C:\\Program Files\\Web\\browser.exe\" -nohome -- \"%1\"")),
                 QStringLiteral("C:\\Program Files\\Web\\browser.exe"));
    }

    // A desktop slow to say whether it has a browser must not freeze the screen that asks: until
    // it answers, xdg-open is taken on trust; when it names none, there is no browser.
    void nativeBrowserAskedInTheBackground()
    {
        if (!QFile::exists(QStringLiteral("/bin/sh")))
            QSKIP("the stand-in programs are shell scripts");
        QTemporaryDir bin;
        for (const char *name : {"xdg-open", "xdg-mime"}) { // xdg-mime answers nothing, after a second
            QVERIFY(fakes::put(bin.filePath(QLatin1String(name)), "#!/bin/sh\n/bin/sleep 1\n"));
            QVERIFY(QFile::setPermissions(bin.filePath(QLatin1String(name)), QFile::ReadOwner | QFile::ExeOwner));
        }
        const QByteArray oldPath = qgetenv("PATH");
        const auto restore = qScopeGuard([&] { qputenv("PATH", oldPath); });
        qputenv("PATH", bin.path().toLocal8Bit());
        qunsetenv("BROWSER");
        QElapsedTimer clock;
        clock.start();
        const std::unique_ptr<platform::Browser> browser = platform::nativeBrowser();
        QCOMPARE(browser->command(), bin.filePath(QStringLiteral("xdg-open")));
        QVERIFY2(clock.elapsed() < 300, qPrintable(QString::number(clock.elapsed())));
        QTRY_COMPARE(browser->command(), QString());
    }

    // The guide found installed or in a build folder, before the home page; the home page when it is missing.
    void guideUrl_data()
    {
        QTest::addColumn<QString>("guideAt"); // the guide's file, from the game's folder; empty: none
        QTest::addColumn<QString>("opened");  // the file opened, from the game's folder, or a web page
        const QString installed = QString::fromLatin1(help::guideFromGame) + QStringLiteral("/guide.html");
        QTest::newRow("installed") << installed << installed;
        QTest::newRow("build folder") << QStringLiteral("guide.html") << QStringLiteral("guide.html");
        QTest::newRow("missing") << QString() << QStringLiteral("https://h.test/");
    }
    void guideUrl()
    {
        QFETCH(QString, guideAt);
        QFETCH(QString, opened);
        QTemporaryDir root;
        const QDir game(root.filePath(QStringLiteral("a folder/libexec/calivento")));
        if (!guideAt.isEmpty())
            QVERIFY(fakes::put(game.filePath(guideAt), "<html></html>"));
        const QString url = help::guideUrl(game.path(), QStringLiteral("https://h.test/"));
        QVERIFY2(!url.contains(QLatin1Char(' ')), qPrintable(url)); // one argument on a command line
        QCOMPARE(QUrl(url), opened.startsWith(QStringLiteral("https:"))
                                ? QUrl(opened)
                                : QUrl::fromLocalFile(QDir::cleanPath(game.filePath(opened))));
    }

    void linkStartsTheBrowserLookedUpOnceOrSaysThereIsNone_data()
    {
        QTest::addColumn<QString>("browser");
        QTest::newRow("a browser") << "/usr/bin/xdg-open";
        QTest::newRow("none") << "";
    }
    void linkStartsTheBrowserLookedUpOnceOrSaysThereIsNone()
    {
        QFETCH(QString, browser);
        m_fake.browser->answer = browser;
        Form_help &help = forms::get<Form_help>();
        help.Show();
        QTest::mouseClick(&help.Label2, Qt::LeftButton);
        QTest::mouseClick(&help.Label2, Qt::LeftButton);
        QCOMPARE(m_fake.browser->lookups, 1);
        const QString command =
            browser + ' ' + help::guideUrl(QCoreApplication::applicationDirPath(), help::homepage());
        const QString error = QStringLiteral(
            "Erreur!|Le navigateur ne peut pas être trouvé. Veuillez le lancer depuis le menu Démarrer!");
        QCOMPARE(m_fake.launcher->started, QStringList(browser.isEmpty() ? 0 : 2, command));
        QCOMPARE(m_fake.dialogs->shown, QStringList(browser.isEmpty() ? 2 : 0, error)); // once per click
    }
};

QTEST_MAIN(TestMenu)
#include "tst_menu.moc"
