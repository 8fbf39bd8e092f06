// SPDX-FileCopyrightText: 2026 Les Ateliers Calivento
//
// SPDX-License-Identifier: GPL-3.0-or-later

// The loading screen's countdown and what it hands over to.
#include "app/forms/screens.h"
#include "screens/loading/form_chargement.h"
#include "support/fakes.h"

#include <QtTest>

namespace {
// Records the screens in the order they appear.
struct WindowsShown : QObject {
    QStringList order;
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::Show && watched->isWidgetType() && static_cast<QWidget *>(watched)->isWindow())
            order << watched->objectName();
        return false;
    }
};
} // namespace

class TestLoading : public fakes::ScreenTest
{
    Q_OBJECT
private slots:
    void tenTicksThenBackdropThenMenu()
    {
        Form_chargement &loading = forms::get<Form_chargement>();
        int ticks = 0;
        connect(&loading.Timer1, &forms::Timer::tick, this, [&] { ++ticks; });
        WindowsShown shown;
        qApp->installEventFilter(&shown);
        loading.Show();
        QTRY_VERIFY(!forms::isLoaded<Form_chargement>());
        qApp->removeEventFilter(&shown);
        QCOMPARE(ticks, 10);
        QCOMPARE(shown.order, QStringList({"Form_chargement", "Form_noire", "Form_choix_instruments"}));
        QCOMPARE(forms::Screens::instance().loadedCount(), 2);
    }
};

QTEST_MAIN(TestLoading)
#include "tst_loading.moc"
