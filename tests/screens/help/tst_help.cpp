// SPDX-FileCopyrightText: 2026 Les Ateliers Calivento
//
// SPDX-License-Identifier: GPL-3.0-or-later

// The help screen and the computer's services behind it: the browser command, the link, the
// error when there is no browser, "Retour".
#include "app/forms/screens.h"
#include "app/platform/platform.h"
#include "screens/help/form_help.h"
#include "screens/help/guide.h"
#include "support/fakes.h"

#include <QScopeGuard>
#include <QTemporaryDir>
#include <QtTest>

namespace {
void script(const QString &path, const QByteArray &body)
{
    QVERIFY(fakes::put(path, "#!/bin/sh\n" + body + "\n"));
    QVERIFY(QFile::setPermissions(path, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner));
}
} // namespace

class TestHelp : public fakes::ScreenTest
{
    Q_OBJECT
private slots:
    void stripQuotes()
    {
        QCOMPARE(platform::stripQuotes(QStringLiteral("\"C:\\Program Files\\Web\\browser.exe\" -nohome -- \"%1\"")),
                 QStringLiteral("C:\\Program Files\\Web\\browser.exe"));
        QCOMPARE(platform::stripQuotes(QStringLiteral("C:\\WEB\\BROWSER.EXE -nohome \"%1\"")),
                 QStringLiteral("C:\\WEB\\BROWSER.EXE -nohome "));
        QCOMPARE(platform::stripQuotes(QStringLiteral("\"\"\"\"")), QString());
    }

    void nativeBrowserLookup_data()
    {
        QTest::addColumn<bool>("opener");        // xdg-open on the PATH
        QTest::addColumn<QByteArray>("handler"); // what xdg-mime says handles web addresses
        QTest::newRow("nothing on the PATH") << false << QByteArray();
        QTest::newRow("opener without a browser") << true << QByteArray();
        QTest::newRow("opener with a web handler") << true << QByteArray("firefox-esr.desktop");
    }
    void nativeBrowserLookup()
    {
        if (!QFile::exists(QStringLiteral("/bin/sh")))
            QSKIP("the stand-in programs are shell scripts");
        QFETCH(bool, opener);
        QFETCH(QByteArray, handler);
        QTemporaryDir bin;
        if (opener)
            script(bin.filePath(QStringLiteral("xdg-open")), "exit 0");
        // A desktop slow to answer must not freeze the screen that asks.
        script(bin.filePath(QStringLiteral("xdg-mime")), "/bin/sleep 1; echo " + handler);
        const QByteArray oldPath = qgetenv("PATH");
        const auto restore = qScopeGuard([&] { qputenv("PATH", oldPath); });
        qputenv("PATH", bin.path().toLocal8Bit());
        qunsetenv("BROWSER");
        QElapsedTimer clock;
        clock.start();
        const std::unique_ptr<platform::Browser> browser = platform::nativeBrowser();
        browser->command();
        QVERIFY2(clock.elapsed() < 300, qPrintable(QString::number(clock.elapsed())));
        QTRY_COMPARE(browser->command(),
                     opener && !handler.isEmpty() ? bin.filePath(QStringLiteral("xdg-open")) : QString());
    }

    void guideUrl_data()
    {
        QTest::addColumn<QString>("guideAt"); // the guide's file, from the game's folder; empty: none
        QTest::addColumn<QString>("homepage");
        QTest::addColumn<QString>("opened"); // the file opened, from the game's folder, or a web page
        const QString installed = QString::fromLatin1(help::guideFromGame) + QStringLiteral("/guide.html");
        const QString web = QStringLiteral("https://h.test/"), none;
        QTest::newRow("installed") << installed << none << installed;
        QTest::newRow("installed, and a home page") << installed << web << installed;
        QTest::newRow("build folder") << QStringLiteral("guide.html") << none << QStringLiteral("guide.html");
        QTest::newRow("missing, and a home page") << none << web << web;
        QTest::newRow("missing") << none << none << installed;
    }
    void guideUrl()
    {
        QFETCH(QString, guideAt);
        QFETCH(QString, homepage);
        QFETCH(QString, opened);
        QTemporaryDir root;
        const QDir game(root.filePath(QStringLiteral("a folder/libexec/calivento")));
        if (!guideAt.isEmpty())
            QVERIFY(fakes::put(game.filePath(guideAt), "<html></html>"));
        const QString url = help::guideUrl(game.path(), homepage);
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
        QTest::mouseClick(&help.Command_retour, Qt::LeftButton);
        QVERIFY(!help.isVisible());
        QCOMPARE(forms::Screens::instance().loadedCount(), 1); // still loaded; no game screen was made
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

QTEST_MAIN(TestHelp)
#include "tst_help.moc"
