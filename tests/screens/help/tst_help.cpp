// SPDX-FileCopyrightText: 2026 Les Ateliers Calivento
//
// SPDX-License-Identifier: GPL-3.0-or-later

// The help screen's link, with the browser and the guide's address behind it, and its keys.
#include "app/forms/screens.h"
#include "screens/help/form_help.h"
#include "screens/help/guide.h"
#include "support/fakes.h"

#include <QScopeGuard>
#include <QTemporaryDir>
#include <QtTest>

class TestHelp : public fakes::ScreenTest
{
    Q_OBJECT
private slots:
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

    // Esc and Enter leave; held down, from the screen before, they do not.
    void heldKeyLeavesNot_data()
    {
        QTest::addColumn<int>("key");
        QTest::addColumn<Qt::KeyboardModifiers>("modifiers");
        QTest::newRow("Enter") << int(Qt::Key_Return) << Qt::KeyboardModifiers();
        QTest::newRow("Esc") << int(Qt::Key_Escape) << Qt::KeyboardModifiers();
    }
    void heldKeyLeavesNot()
    {
        QFETCH(int, key);
        QFETCH(Qt::KeyboardModifiers, modifiers);
        Form_help &help = forms::get<Form_help>();
        help.Show();
        fakes::holdKey(help, key, modifiers);
        QVERIFY(help.isVisible());
        QTest::keyClick(&help, Qt::Key(key), modifiers);
        QVERIFY(!help.isVisible());
    }
};

QTEST_MAIN(TestHelp)
#include "tst_help.moc"
