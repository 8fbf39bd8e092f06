// SPDX-FileCopyrightText: 2026 Les Ateliers Calivento
//
// SPDX-License-Identifier: GPL-3.0-or-later

// The help screen's link, with the browser behind it, and its keys.
#include "app/forms/screens.h"
#include "screens/help/form_help.h"
#include "screens/help/guide.h"
#include "support/fakes.h"

#include <QtTest>

class TestHelp : public fakes::ScreenTest
{
    Q_OBJECT
private slots:
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
