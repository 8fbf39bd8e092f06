// SPDX-FileCopyrightText: 2026 Les Ateliers Calivento
//
// SPDX-License-Identifier: GPL-3.0-or-later

// The menu: which levels it opens, its keys and backdrop, the way out.
#include "app/forms/screens.h"
#include "screens/help/form_help.h"
#include "screens/menu/form_choix_instruments.h"
#include "screens/menu/form_noire.h"
#include "support/fakes.h"

#include <QSignalSpy>
#include <QtTest>

using game::GameId;

namespace {
// "12-": which of a game's three levels are enabled
QString enabledLevels(Form_choix_instruments &menu, GameId id)
{
    QString levels;
    for (int level = 1; level <= 3; ++level)
        levels += menu.levelLabel(id, level).Enabled() ? QChar('0' + level) : QChar('-');
    return levels;
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

    // F1 and Esc, the metronome and "Quitter" do nothing while a game is on; then help, and the
    // way out.
    void keysAndButtonsOnlyWhileEnabled()
    {
        QSignalSpy ended(&forms::Screens::instance(), &forms::Screens::lastUnloaded);
        Form_noire &backdrop = forms::get<Form_noire>();
        backdrop.Show();
        Form_choix_instruments &menu = forms::get<Form_choix_instruments>();
        menu.Show();
        menu.setEnabled(false); // as during a game
        QTest::keyClick(&menu, Qt::Key_F1);
        QTest::keyClick(&menu, Qt::Key_Escape);
        QTest::mouseClick(&menu.Metronome_stop, Qt::LeftButton);
        QTest::mouseClick(&menu.Command25, Qt::LeftButton);
        QTest::mouseClick(&menu.levelLabel(GameId::Tous, 1), Qt::LeftButton);
        QCOMPARE(forms::Screens::instance().loadedCount(), 2); // no help, no game
        menu.setEnabled(true);
        QTest::mouseClick(&menu.Metronome_stop, Qt::LeftButton);
        QVERIFY(forms::get<Form_help>().isVisible());
        forms::get<Form_help>().Hide(); // still loaded: the way out unloads it too
        QTest::keyClick(&menu, Qt::Key_Escape);
        QCOMPARE(ended.count(), 1);
        QCOMPARE(forms::Screens::instance().loadedCount(), 0);
        QCOMPARE(m_fake.taskbar->calls, QStringList({"hide", "show"}));
    }
};

QTEST_MAIN(TestMenu)
#include "tst_menu.moc"
