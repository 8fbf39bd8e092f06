// Start-up: the loading screen counts ten ticks, then the backdrop and the menu take over.
#include "app/form_chargement.h"
#include "app/forms/screens.h"
#include "screens/menu/form_choix_instruments.h"
#include "screens/menu/form_noire.h"
#include "support/fakes.h"

#include <QDir>
#include <QTemporaryDir>
#include <QtTest>

namespace {
// Records the screens in the order they appear.
struct WindowsShown : QObject {
    QStringList order;
    bool loadingUpWhenMenuShown = false;
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        auto *widget = qobject_cast<QWidget *>(watched);
        if (event->type() == QEvent::Show && widget && widget->isWindow()) {
            order << widget->objectName();
            if (widget->objectName() == QLatin1String("Form_choix_instruments"))
                loadingUpWhenMenuShown = forms::isLoaded<Form_chargement>();
        }
        return false;
    }
};
} // namespace

class TestStartup : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        fakes::install();
        fakes::enterEmptyFolder();
    }
    void cleanup() { fakes::unloadAllScreens(); }

    void loadingScreenLooksAsDesigned()
    {
        Form_chargement &loading = forms::get<Form_chargement>();
        QCOMPARE(loading.size(), QSize(266, 114));
        QCOMPARE(loading.Picture().size(), QSize(120, 90));
        QCOMPARE(loading.cursor().shape(), Qt::WaitCursor);
        QCOMPARE(loading.Label1.Caption(), QStringLiteral("Veuillez patienter pendant le chargement de Calivento"));
        QCOMPARE(loading.Timer1.Interval(), 10);
    }

    void tenTicksThenBackdropThenMenu()
    {
        Form_chargement &loading = forms::get<Form_chargement>();
        int ticks = 0;
        connect(&loading.Timer1, &forms::Timer::tick, this, [&] { ++ticks; });
        WindowsShown shown;
        qApp->installEventFilter(&shown);
        QPointer<Form_chargement> watch(&loading);
        loading.Show();
        QTRY_VERIFY(!forms::isLoaded<Form_chargement>());
        qApp->removeEventFilter(&shown);
        QCOMPARE(ticks, 10);
        QCOMPARE(shown.order, QStringList({"Form_chargement", "Form_noire", "Form_choix_instruments"}));
        QVERIFY(shown.loadingUpWhenMenuShown);
        QVERIFY(forms::get<Form_noire>().isVisible());
        QVERIFY(forms::get<Form_choix_instruments>().isVisible());
        QVERIFY(!forms::get<Form_choix_instruments>().Picture().isNull());
        QCOMPARE(forms::Screens::instance().loadedCount(), 2);
        QTRY_VERIFY(watch.isNull());
        QVERIFY(!QFile::exists(QStringLiteral("x.tmp")));
    }
};

QTEST_MAIN(TestStartup)
#include "tst_startup.moc"
