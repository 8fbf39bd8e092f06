// The help screen: the browser command, the link, and "Retour".
#include "app/forms/screens.h"
#include "app/platform/platform.h"
#include "screens/help/form_help.h"
#include "support/fakes.h"

#include <QAbstractButton>
#include <QMessageBox>
#include <QTimer>
#include <QtTest>

class TestHelp : public QObject
{
    Q_OBJECT
    fakes::Platform m_fake{};

private slots:
    void init() { m_fake = fakes::install(); }
    void cleanup() { fakes::unloadAllScreens(); }

    void stripQuotes_data()
    {
        QTest::addColumn<QString>("stored");
        QTest::addColumn<QString>("command");
        QTest::newRow("quoted path with options")
            << "\"C:\\Program Files\\Web\\browser.exe\" -nohome -- \"%1\"" << "C:\\Program Files\\Web\\browser.exe";
        QTest::newRow("unquoted path, quoted placeholder")
            << "C:\\WEB\\BROWSER.EXE -nohome \"%1\"" << "C:\\WEB\\BROWSER.EXE -nohome ";
        QTest::newRow("no quotes at all") << "C:\\web.exe %1" << "C:\\web.exe %1";
        QTest::newRow("empty") << "" << "";
        QTest::newRow("only quotes") << "\"\"\"\"" << "";
        QTest::newRow("leading quotes twice") << "\"\"C:\\a.exe\" x" << "C:\\a.exe";
    }
    void stripQuotes()
    {
        QFETCH(QString, stored);
        QFETCH(QString, command);
        QCOMPARE(platform::stripQuotes(stored), command);
    }

    void browserLookedUpOnceAtLoad()
    {
        m_fake.browser->answer = QStringLiteral("/usr/bin/xdg-open");
        Form_help &help = forms::get<Form_help>();
        help.Show();
        help.Command_retour_Click();
        help.Show();
        QCOMPARE(m_fake.browser->lookups, 1);
        QCOMPARE(help.browserCommand(), QStringLiteral("/usr/bin/xdg-open"));
        QTest::mouseClick(&help.Label2, Qt::LeftButton);
        QCOMPARE(m_fake.launcher->started, QStringList{QStringLiteral("/usr/bin/xdg-open ") + Form_help::webAddress});
        QVERIFY(m_fake.dialogs->shown.isEmpty());
    }

    void noBrowserShowsTheErrorOncePerClick()
    {
        Form_help &help = forms::get<Form_help>();
        help.Show();
        QTest::mouseClick(&help.Label2, Qt::LeftButton);
        QTest::mouseClick(&help.Label2, Qt::LeftButton);
        const QString expected = QStringLiteral(
            "Erreur!|Le navigateur ne peut pas être trouvé. Veuillez le lancer depuis le menu Démarrer!");
        QCOMPARE(m_fake.dialogs->shown, QStringList({expected, expected}));
        QVERIFY(m_fake.launcher->started.isEmpty());
    }

    void theRealMessageBox()
    {
        platform::services().dialogs = platform::nativeDialogs();
        Form_help &help = forms::get<Form_help>();
        help.Show();
        QString title, text;
        QMessageBox::Icon icon = QMessageBox::NoIcon;
        QTimer::singleShot(0, this, [&] {
            auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
            QVERIFY(box);
            title = box->windowTitle();
            text = box->text();
            icon = box->icon();
            box->button(QMessageBox::Ok)->click();
        });
        help.Label2_Click();  // returns once the box is closed
        QCOMPARE(title, QStringLiteral("Erreur!"));
        QVERIFY(text.startsWith(QStringLiteral("Le navigateur ne peut pas être trouvé.")));
        QCOMPARE(icon, QMessageBox::Warning);
    }

    void openedFromMenuRetourOnlyHides()
    {
        Form_help &help = forms::get<Form_help>();
        help.Show();
        QTest::mouseClick(&help.Command_retour, Qt::LeftButton);
        QVERIFY(!help.isVisible());
        QVERIFY(forms::isLoaded<Form_help>());
        QVERIFY(!help.instruments.Visible());
        QCOMPARE(forms::Screens::instance().loadedCount(), 1);  // no game screen was made
    }

    void screenTexts()
    {
        Form_help &help = forms::get<Form_help>();
        QCOMPARE(help.size(), QSize(800, 600));
        QVERIFY(!help.Picture().isNull());
        QVERIFY(help.Label6.Caption().contains(QStringLiteral("niveau  (plus")));
        QCOMPARE(help.instruments.Left(), 12600);
        QCOMPARE(help.Command_retour.cursor().hotSpot(), QPoint(11, 6));
    }
};

QTEST_MAIN(TestHelp)
#include "tst_help.moc"
