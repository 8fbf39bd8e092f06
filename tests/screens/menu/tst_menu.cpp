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
    void levelRefreshOnlyEverOpens_data()
    {
        QTest::addColumn<QByteArray>("corde");
        QTest::addColumn<QString>("levels");
        QTest::newRow("2") << QByteArray("2\r\n") << "12-";
        QTest::newRow("3 with spaces") << QByteArray("  3 ") << "123";
        QTest::newRow("0") << QByteArray("0") << "1--";
        QTest::newRow("4") << QByteArray("4") << "1--";
        QTest::newRow("garbage") << QByteArray("\xff\xfe garbage") << "1--";
    }
    void levelRefreshOnlyEverOpens()
    {
        QFETCH(QByteArray, corde);
        QFETCH(QString, levels);
        QVERIFY(fakes::put(QStringLiteral("niveaux/corde.nvl"), corde));
        Form_choix_instruments &menu = forms::get<Form_choix_instruments>();
        QCOMPARE(enabledLevels(menu), "vents:1-- corde:" + levels + " percu:1-- tinstr:1-- finstr:1--");
        // A later refresh opens what was won since and closes nothing.
        QVERIFY(fakes::put(QStringLiteral("niveaux/corde.nvl"), "1"));
        QVERIFY(fakes::put(QStringLiteral("niveaux/percu.nvl"), "2"));
        menu.Command_fichier.press(); // as a win does
        QCOMPARE(enabledLevels(menu), "vents:1-- corde:" + levels + " percu:12- tinstr:1-- finstr:1--");
    }

    void backdropKeys()
    {
        Form_noire &backdrop = forms::get<Form_noire>();
        backdrop.Show();
        QCOMPARE(backdrop.geometry(), QGuiApplication::primaryScreen()->geometry());
        Form_choix_instruments &menu = forms::get<Form_choix_instruments>();
        menu.Show();
        // F2 to F11 pick the colours in order; F12 hides the backdrop; modifiers do not matter.
        const QList<std::pair<Qt::Key, QColor>> keys{{Qt::Key_F2, QColor(255, 255, 255)},
                                                     {Qt::Key_F11, QColor(255, 255, 192)}};
        for (const auto &[key, color] : keys) {
            QTest::keyClick(&menu, Qt::Key_F12);
            QVERIFY(!backdrop.isVisible());
            QTest::keyClick(&menu, key, Qt::ShiftModifier);
            QCOMPARE(backdrop.isVisible() ? backdrop.BackColor() : QColor(), color);
        }
    }

    void helpAndQuitOnlyWhileEnabled_data()
    {
        QTest::addColumn<bool>("keys");
        QTest::newRow("F1 and Esc") << true;
        QTest::newRow("metronome and Quitter") << false;
    }
    void helpAndQuitOnlyWhileEnabled()
    {
        QFETCH(bool, keys);
        QSignalSpy ended(&forms::Screens::instance(), &forms::Screens::lastUnloaded);
        forms::get<Form_noire>().Show();
        Form_choix_instruments &menu = forms::get<Form_choix_instruments>();
        menu.Show();
        QCOMPARE(menu.levelLabel(GameId::Tous, 2).cursor().hotSpot(), QPoint(11, 6)); // the hand
        QCOMPARE(menu.Command25.cursor().hotSpot(), QPoint(11, 6));
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
        use(Qt::Key_F1, menu.Metronome_stop);
        QVERIFY(forms::get<Form_help>().isVisible());
        forms::get<Form_help>().Hide(); // still loaded: the way out unloads it too
        use(Qt::Key_Escape, menu.Command25);
        QCOMPARE(ended.count(), 1);
        QCOMPARE(forms::Screens::instance().loadedCount(), 0);
        QCOMPARE(m_fake.taskbar->calls, QStringList({"hide", "show"}));
    }
};

QTEST_MAIN(TestMenu)
#include "tst_menu.moc"
