// SPDX-FileCopyrightText: 2026 Les Ateliers Calivento
//
// SPDX-License-Identifier: GPL-3.0-or-later

// The loading screen's countdown and what it hands over to.
#include "app/forms/screens.h"
#include "screens/loading/form_chargement.h"
#include "screens/menu/form_choix_instruments.h"
#include "screens/menu/form_noire.h"
#include "support/fakes.h"

#include <QtTest>

class TestLoading : public fakes::ScreenTest
{
    Q_OBJECT
private slots:
    void tenTicksThenBackdropAndMenu()
    {
        Form_chargement &loading = forms::get<Form_chargement>();
        int ticks = 0;
        connect(&loading.Timer1, &forms::Timer::tick, this, [&] { ++ticks; });
        loading.Show();
        QTRY_VERIFY(!forms::isLoaded<Form_chargement>());
        QCOMPARE(ticks, 10);
        QCOMPARE(forms::Screens::instance().loadedCount(), 2);
        QVERIFY(forms::get<Form_noire>().isVisible());
        QVERIFY(forms::get<Form_choix_instruments>().isVisible());
    }
};

QTEST_MAIN(TestLoading)
#include "tst_loading.moc"
