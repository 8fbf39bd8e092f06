// SPDX-FileCopyrightText: 2026 Les Ateliers Calivento
//
// SPDX-License-Identifier: GPL-3.0-or-later

// The menu: which levels it opens, its pointers, its keys, and the way out.
#include "app/forms/screens.h"
#include "screens/help/form_help.h"
#include "screens/menu/form_choix_instruments.h"
#include "screens/menu/form_noire.h"
#include "support/fakes.h"

#include <QSignalSpy>
#include <QtTest>

using game::GameId;

namespace {
// "vents:1-- corde:12- ..." : which of the 15 level labels are enabled, game by game
QString enabledLevels(Form_choix_instruments &menu)
{
    QStringList out;
    for (const game::GameInfo &g : game::games) {
        QString levels;
        for (int level = 1; level <= 3; ++level)
            levels += menu.levelLabel(g.id, level).Enabled() ? QChar('0' + level) : QChar('-');
        out << QString::fromLatin1(g.progressFile).section('.', 0, 0) + ':' + levels;
    }
    return out.join(' ');
}
} // namespace

class TestMenu : public fakes::ScreenTest
{
    Q_OBJECT
private slots:
    void levelRefresh_data()
    {
        QTest::addColumn<QByteArray>("corde");
        QTest::addColumn<QString>("levels");
        QTest::newRow("2") << QByteArray("2\r\n") << "12-";
        QTest::newRow("3 with spaces") << QByteArray("  3 ") << "123";
        QTest::newRow("0") << QByteArray("0") << "1--";
        QTest::newRow("4") << QByteArray("4") << "1--";
        QTest::newRow("negative") << QByteArray("-3") << "1--";
        QTest::newRow("garbage") << QByteArray("\xff\xfe garbage") << "1--";
    }
    void levelRefresh()
    {
        QFETCH(QByteArray, corde);
        QFETCH(QString, levels);
        QVERIFY(fakes::put(QStringLiteral("niveaux/corde.nvl"), corde));
        Form_choix_instruments &menu = forms::get<Form_choix_instruments>();
        QCOMPARE(enabledLevels(menu), "vents:1-- corde:" + levels + " percu:1-- tinstr:1-- finstr:1--");
        // The missing files were created, holding 1; the one we wrote is untouched.
        QCOMPARE(fakes::contentOf(QStringLiteral("niveaux/vents.nvl")), QByteArray("1\r\n"));
        QCOMPARE(fakes::contentOf(QStringLiteral("niveaux/corde.nvl")), corde);
    }

    void refreshOnlyEverOpensLevels()
    {
        QVERIFY(fakes::put(QStringLiteral("niveaux/percu.nvl"), "3"));
        Form_choix_instruments &menu = forms::get<Form_choix_instruments>();
        QVERIFY(fakes::put(QStringLiteral("niveaux/percu.nvl"), "1"));
        QVERIFY(fakes::put(QStringLiteral("niveaux/tinstr.nvl"), "2"));
        QVERIFY(!menu.Command_fichier.isEnabled());  // trigger buttons are pressed by the code all the same
        menu.Command_fichier.press();
        QCOMPARE(enabledLevels(menu), QStringLiteral("vents:1-- corde:1-- percu:123 tinstr:12- finstr:1--"));
    }

    void taskbarPointersAndHelp()
    {
        Form_choix_instruments &menu = forms::get<Form_choix_instruments>();
        QCOMPARE(m_fake.taskbar->calls, QStringList{"hide"});
        forms::Label &label = menu.levelLabel(GameId::Tous, 2);
        QCOMPARE(label.cursor().hotSpot(), QPoint(11, 6));
        menu.Command_pasicon.press();
        QCOMPARE(label.cursor().shape(), Qt::WaitCursor);
        menu.Command_icon.press();
        QCOMPARE(label.cursor().hotSpot(), QPoint(11, 6));
        QCOMPARE(menu.Command25.cursor().hotSpot(), QPoint(11, 6));

        menu.Show();
        QTest::keyClick(&menu, Qt::Key_F1);
        QVERIFY(forms::get<Form_help>().isVisible());
        forms::get<Form_help>().Command_retour_Click();
        QVERIFY(!forms::get<Form_help>().isVisible());
        QTest::mouseClick(&menu.Metronome_stop, Qt::LeftButton);
        QVERIFY(forms::get<Form_help>().isVisible());
    }

    void backdropKeys_data()
    {
        QTest::addColumn<int>("key");
        QTest::addColumn<QColor>("color");
        const QList<QColor> colors{{255, 255, 255}, {0, 0, 0},       {255, 128, 128}, {0, 0, 255},     {224, 224, 224},
                                   {255, 192, 255}, {192, 255, 192}, {192, 192, 255}, {255, 224, 192}, {255, 255, 192}};
        for (int i = 0; i < colors.size(); ++i)
            QTest::addRow("F%d", i + 2) << int(Qt::Key_F2) + i << colors[i];
    }
    void backdropKeys()
    {
        QFETCH(int, key);
        QFETCH(QColor, color);
        Form_noire &backdrop = forms::get<Form_noire>();
        backdrop.Show();
        QCOMPARE(backdrop.geometry(), QGuiApplication::primaryScreen()->geometry());
        Form_choix_instruments &menu = forms::get<Form_choix_instruments>();
        menu.Show();
        QTest::keyClick(&menu, Qt::Key_F12);
        QVERIFY(!backdrop.isVisible());
        QTest::keyClick(&menu, Qt::Key(key), Qt::ShiftModifier);  // modifiers do not matter
        QVERIFY(backdrop.isVisible());
        QCOMPARE(backdrop.BackColor(), color);
    }

    void escapeAndQuitterEndTheProgramOnlyWhenEnabled_data()
    {
        QTest::addColumn<bool>("escape");
        QTest::newRow("Esc") << true;
        QTest::newRow("Quitter") << false;
    }
    void escapeAndQuitterEndTheProgramOnlyWhenEnabled()
    {
        QFETCH(bool, escape);
        QSignalSpy ended(&forms::Screens::instance(), &forms::Screens::lastUnloaded);
        forms::get<Form_noire>().Show();
        Form_choix_instruments &menu = forms::get<Form_choix_instruments>();
        menu.Show();
        forms::get<Form_help>().Show();
        forms::get<Form_help>().Command_retour_Click();  // hidden, still loaded
        menu.setEnabled(false);
        QTest::keyClick(&menu, Qt::Key_Escape);
        QTest::keyClick(&menu, Qt::Key_F5);
        QTest::mouseClick(&menu.Command25, Qt::LeftButton);
        QTest::mouseClick(&menu.levelLabel(GameId::Tous, 1), Qt::LeftButton);
        QCOMPARE(forms::Screens::instance().loadedCount(), 3);
        QCOMPARE(forms::get<Form_noire>().BackColor(), QColor(0, 0, 0));

        menu.setEnabled(true);
        if (escape)
            QTest::keyClick(&menu, Qt::Key_Escape);
        else
            QTest::mouseClick(&menu.Command25, Qt::LeftButton);
        QCOMPARE(ended.count(), 1);
        QCOMPARE(forms::Screens::instance().loadedCount(), 0);
        QCOMPARE(m_fake.taskbar->calls, QStringList({"hide", "show"}));
    }
};

QTEST_MAIN(TestMenu)
#include "tst_menu.moc"
