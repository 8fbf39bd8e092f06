// SPDX-FileCopyrightText: 2026 Les Ateliers Calivento
//
// SPDX-License-Identifier: GPL-3.0-or-later

// The game's own start, with its command line (--grand-ecran), ending at the menu's first paint.
#include "app/forms/screens.h"
#include "app/startup.h"
#include "probe.h"
#include "screens/loading/form_chargement.h"

#include <QApplication>

int main(int argc, char *argv[])
{
    const startup::Parsed parsed = startup::parse(startup::arguments(argc, argv));
    if (parsed.exitStatus)
        return startup::report(parsed);
    startup::ScaleFactor scale(parsed.options, argc, argv);
    QApplication app(argc, argv);
    scale.restore();
    QApplication::setQuitOnLastWindowClosed(false);
    FirstPaintProbe probe(QStringLiteral("Form_choix_instruments"));
    app.installEventFilter(&probe);
    forms::get<Form_chargement>().Show();
    return app.exec();
}
