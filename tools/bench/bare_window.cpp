// SPDX-FileCopyrightText: 2026 Les Ateliers Calivento
//
// SPDX-License-Identifier: GPL-3.0-or-later

// The yardstick: the smallest Qt program that puts an 800 x 600 window on the screen.
#include "probe.h"

#include <QApplication>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    FirstPaintProbe probe(QStringLiteral("bare"));
    app.installEventFilter(&probe);
    QWidget window;
    window.setObjectName(QStringLiteral("bare"));
    window.resize(800, 600);
    window.show();
    return app.exec();
}
