// SPDX-FileCopyrightText: 2026 Les Ateliers Calivento
//
// SPDX-License-Identifier: GPL-3.0-or-later

// The game's own start, unchanged, ending at the menu's first paint.
#include "screens/loading/form_chargement.h"
#include "app/forms/screens.h"
#include "probe.h"

#include <QApplication>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QApplication::setQuitOnLastWindowClosed(false);
    FirstPaintProbe probe(QStringLiteral("Form_choix_instruments"));
    app.installEventFilter(&probe);
    forms::get<Form_chargement>().Show();
    return app.exec();
}
