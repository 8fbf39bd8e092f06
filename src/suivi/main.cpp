// SPDX-FileCopyrightText: 2026 Les Ateliers Calivento
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "app/forms/accessibility.h"
#include "app/startup.h"
#include "suivi/window.h"

#include <QApplication>

// "Suivi des enfants", started by the game for --suivi and --oublier-code, with its options.
int main(int argc, char *argv[])
{
    const startup::Parsed parsed = startup::parse(startup::arguments(argc, argv));
    if (parsed.exitStatus)
        return startup::report(parsed);
    if (parsed.options.oublierCode) {
        QCoreApplication app(argc, argv);
        return suivi::forgetCode();
    }
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("calivento"));
    QApplication::setApplicationDisplayName(QStringLiteral("Calivento"));
    QApplication::setDesktopFileName(QStringLiteral("fr.calivento.Calivento"));
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/pictures/icon.png")));
    forms::installAccessibility();
    suivi::open();
    return QApplication::exec();
}
