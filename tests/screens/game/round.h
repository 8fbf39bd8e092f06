// SPDX-FileCopyrightText: 2026 Les Ateliers Calivento
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "app/forms/screens.h"
#include "screens/game/form_instruments.h"
#include "screens/menu/form_choix_instruments.h"
#include "support/fakes.h"

#include <QtTest>

// A key as the player presses it: to whatever has the focus in the active screen.
inline void press(Qt::Key key, Qt::KeyboardModifiers modifiers = {})
{
    QCoreApplication::processEvents(); // a screen just shown becomes the active one
    QWidget *target = QApplication::focusWidget() ? QApplication::focusWidget() : QApplication::activeWindow();
    QVERIFY(target);
    QTest::keyClick(target, key, modifiers);
}

// Tabs to "Niveau 1" of the game in the menu and presses Enter; every game opens level 1. The
// draws are fixed, so each run plays on the same board.
inline Form_instruments &start(fakes::Random &random, game::GameId id)
{
    random.values = {0.12f, 0.83f, 0.47f, 0.05f, 0.66f, 0.31f, 0.94f};
    Form_choix_instruments &menu = forms::get<Form_choix_instruments>();
    menu.Show();
    for (int tabs = 0; QApplication::focusWidget() != &menu.levelLabel(id, 1) && tabs < 20; ++tabs)
        press(Qt::Key_Tab);
    press(Qt::Key_Return);
    return forms::get<Form_instruments>();
}
