// The menu: which levels it opens, its pointers, its keys, and the way out.
#include "app/forms/screens.h"
#include "app/forms/twips.h"
#include "screens/help/form_help.h"
#include "screens/menu/form_choix_instruments.h"
#include "screens/menu/form_noire.h"
#include "support/fakes.h"

#include <QDir>
#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

using game::GameId;

namespace {
void put(const QString &name, const QByteArray &content)
{
    QDir().mkpath(QStringLiteral("niveaux"));
    QFile f(QStringLiteral("niveaux/") + name);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(content);
}

// "vents:2 corde:1 ..." -> which of the 15 level labels are enabled, game by game
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

class TestMenu : public QObject
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

    void levelRefresh_data()
    {
        QTest::addColumn<QByteArray>("corde");
        QTest::addColumn<QString>("expected");
        const QString others = QStringLiteral("percu:1-- tinstr:1-- finstr:1--");
        QTest::newRow("1") << QByteArray("1\r\n") << "vents:1-- corde:1-- " + others;
        QTest::newRow("2") << QByteArray("2\r\n") << "vents:1-- corde:12- " + others;
        QTest::newRow("3 with spaces") << QByteArray("  3 ") << "vents:1-- corde:123 " + others;
        QTest::newRow("0") << QByteArray("0") << "vents:1-- corde:1-- " + others;
        QTest::newRow("4") << QByteArray("4") << "vents:1-- corde:1-- " + others;
        QTest::newRow("negative") << QByteArray("-3") << "vents:1-- corde:1-- " + others;
        QTest::newRow("garbage") << QByteArray("\xff\xfe garbage") << "vents:1-- corde:1-- " + others;
        QTest::newRow("empty") << QByteArray() << "vents:1-- corde:1-- " + others;
    }
    void levelRefresh()
    {
        QFETCH(QByteArray, corde);
        QFETCH(QString, expected);
        put(QStringLiteral("corde.nvl"), corde);
        Form_choix_instruments &menu = forms::get<Form_choix_instruments>();
        QCOMPARE(enabledLevels(menu), expected);
        // The missing files were created, holding 1; the one we wrote is untouched.
        QFile vents(QStringLiteral("niveaux/vents.nvl"));
        QVERIFY(vents.open(QIODevice::ReadOnly));
        QCOMPARE(vents.readAll(), QByteArray("1\r\n"));
        QFile mine(QStringLiteral("niveaux/corde.nvl"));
        QVERIFY(mine.open(QIODevice::ReadOnly));
        QCOMPARE(mine.readAll(), corde);
    }

    void refreshOnlyEverOpensLevels()
    {
        put(QStringLiteral("percu.nvl"), "3");
        Form_choix_instruments &menu = forms::get<Form_choix_instruments>();
        put(QStringLiteral("percu.nvl"), "1");
        put(QStringLiteral("tinstr.nvl"), "2");
        menu.Command_fichier.press();
        QCOMPARE(enabledLevels(menu), QStringLiteral("vents:1-- corde:1-- percu:123 tinstr:12- finstr:1--"));
    }

    void noProgressFolderCanBeMade()
    {
        // A file named like the folder: nothing can be created, the menu still opens level 1.
        QFile blocker(QStringLiteral("niveaux"));
        QVERIFY(blocker.open(QIODevice::WriteOnly));
        blocker.close();
        Form_choix_instruments &menu = forms::get<Form_choix_instruments>();
        QCOMPARE(enabledLevels(menu), QStringLiteral("vents:1-- corde:1-- percu:1-- tinstr:1-- finstr:1--"));
    }

    void loadCentresHidesTaskbarAndGivesTheHand()
    {
        Form_choix_instruments &menu = forms::get<Form_choix_instruments>();
        QCOMPARE(m_fake.taskbar->calls, QStringList{"hide"});
        QCOMPARE(menu.Left(), forms::centred(forms::Form::desktopTwips().width(), 12000));
        QVERIFY(!menu.Picture().isNull());
        for (const game::GameInfo &g : game::games)
            for (int level = 1; level <= 3; ++level) {
                forms::Label &label = menu.levelLabel(g.id, level);
                QCOMPARE(label.mousePointer(), forms::Pointer::Custom);
                QCOMPARE(label.cursor().hotSpot(), QPoint(11, 6));
            }
        menu.Command_pasicon.press();
        QCOMPARE(menu.levelLabel(GameId::Tous, 2).mousePointer(), forms::Pointer::Hourglass);
        QCOMPARE(menu.levelLabel(GameId::Tous, 2).cursor().shape(), Qt::WaitCursor);
        menu.Command_icon.press();
        QCOMPARE(menu.levelLabel(GameId::Tous, 2).cursor().hotSpot(), QPoint(11, 6));
        QCOMPARE(menu.Command25.cursor().hotSpot(), QPoint(11, 6));
        QCOMPARE(menu.Metronome_stop.toolTip(), QStringLiteral("Aide de Calivento"));
    }

    void backdropKeys_data()
    {
        QTest::addColumn<int>("key");
        QTest::addColumn<QColor>("color");
        const QList<QColor> colors{{255, 255, 255}, {0, 0, 0},       {255, 128, 128}, {0, 0, 255},
                                   {224, 224, 224}, {255, 192, 255}, {192, 255, 192}, {192, 192, 255},
                                   {255, 224, 192}, {255, 255, 192}};
        for (int i = 0; i < colors.size(); ++i)
            QTest::addRow("F%d", i + 2) << int(Qt::Key_F2) + i << colors[i];
    }
    void backdropKeys()
    {
        QFETCH(int, key);
        QFETCH(QColor, color);
        forms::get<Form_noire>().Show();
        Form_choix_instruments &menu = forms::get<Form_choix_instruments>();
        menu.Show();
        QTest::keyClick(&menu, Qt::Key_F12);
        QVERIFY(!forms::get<Form_noire>().isVisible());
        QTest::keyClick(&menu, Qt::Key(key), Qt::ShiftModifier);  // modifiers do not matter
        QVERIFY(forms::get<Form_noire>().isVisible());
        QCOMPARE(forms::get<Form_noire>().BackColor(), color);
    }

    void backdropCoversTheDesktop()
    {
        Form_noire &backdrop = forms::get<Form_noire>();
        QCOMPARE(backdrop.geometry(), QGuiApplication::primaryScreen()->geometry());
        QCOMPARE(backdrop.BackColor(), QColor(0, 0, 0));
    }

    void escapeAndQuitterEndTheProgram_data()
    {
        QTest::addColumn<bool>("escape");
        QTest::newRow("Esc") << true;
        QTest::newRow("Quitter") << false;
    }
    void escapeAndQuitterEndTheProgram()
    {
        QFETCH(bool, escape);
        QSignalSpy ended(&forms::Screens::instance(), &forms::Screens::lastUnloaded);
        forms::get<Form_noire>().Show();
        Form_choix_instruments &menu = forms::get<Form_choix_instruments>();
        menu.Show();
        forms::get<Form_help>().Show();
        forms::get<Form_help>().Command_retour_Click();  // hidden, still loaded
        if (escape)
            QTest::keyClick(&menu, Qt::Key_Escape);
        else
            QTest::mouseClick(&menu.Command25, Qt::LeftButton);
        QCOMPARE(ended.count(), 1);
        QCOMPARE(forms::Screens::instance().loadedCount(), 0);
        QCOMPARE(m_fake.taskbar->calls, QStringList({"hide", "show"}));
    }

    void helpFromKeyAndMascot()
    {
        Form_choix_instruments &menu = forms::get<Form_choix_instruments>();
        menu.Show();
        QTest::keyClick(&menu, Qt::Key_F1);
        QVERIFY(forms::get<Form_help>().isVisible());
        QVERIFY(!forms::get<Form_help>().instruments.Visible());
        forms::get<Form_help>().Command_retour_Click();
        QVERIFY(!forms::get<Form_help>().isVisible());
        QTest::mouseClick(&menu.Metronome_stop, Qt::LeftButton);
        QVERIFY(forms::get<Form_help>().isVisible());
        QVERIFY(menu.Enabled());
    }

    void disabledMenuIgnoresKeysAndClicks()
    {
        forms::get<Form_noire>().Show();
        Form_choix_instruments &menu = forms::get<Form_choix_instruments>();
        menu.Show();
        menu.setEnabled(false);
        QTest::keyClick(&menu, Qt::Key_Escape);
        QTest::keyClick(&menu, Qt::Key_F5);
        QTest::mouseClick(&menu.Command25, Qt::LeftButton);
        QVERIFY(forms::isLoaded<Form_choix_instruments>());
        QCOMPARE(forms::get<Form_noire>().BackColor(), QColor(0, 0, 0));
    }
};

QTEST_MAIN(TestMenu)
#include "tst_menu.moc"
