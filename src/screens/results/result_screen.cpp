// SPDX-FileCopyrightText: 2026 Les Ateliers Calivento
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "result_screen.h"

#include "app/forms/keys.h"
#include "app/forms/screens.h"
#include "app/platform/platform.h"
#include "resources/resources.h"
#include "screens/game/form_instruments.h"
#include "screens/menu/form_choix_instruments.h"

namespace {
const forms::LabelLook answerLook{
    .fore = QColor(128, 0, 0), .align = Qt::AlignHCenter, .font = {.points = 12, .bold = true}};
}

ResultScreen::ResultScreen(const QString &name, int buttonsTop, UnloadOrder order)
    : Form(name, 12000, 9000)
    , Command_oui(this, QStringLiteral("Command_oui"), QStringLiteral("Oui"), {4853, buttonsTop, 975, 375}, answerLook)
    , Quitter(this, QStringLiteral("Quitter"), QStringLiteral("Non"), {6173, buttonsTop, 975, 375}, answerLook)
    , m_order(order)
{
    for (forms::Label *answer : {&Command_oui, &Quitter}) {
        answer->setMouseIcon(forms::handCursor());
        answer->setMousePointer(forms::Pointer::Custom);
    }
    connect(&Command_oui, &forms::Control::Click, this, &ResultScreen::Command_oui_Click);
    connect(&Quitter, &forms::Control::Click, this, &ResultScreen::Quitter_Click);
}

void ResultScreen::freezeGame(Form_instruments &game)
{
    platform::services().sound->stop(); // the round's last phrase ends with it
    game.Timer1.setEnabled(false);
    game.Timer2.setEnabled(false);
}

void ResultScreen::Form_KeyDown(int keyCode, int shift)
{
    const bool alt = shift & forms::altDown;
    if (keyCode == forms::vk::Return || (alt && keyCode == 'O'))
        Command_oui.activate();
    else if (keyCode == forms::vk::Escape || (alt && keyCode == 'N'))
        Quitter.activate();
}

void ResultScreen::Command_oui_Click()
{
    setMousePointer(forms::Pointer::Hourglass);
    Form_instruments &game = forms::get<Form_instruments>();
    game.replayRound();
    game.Timer1.setEnabled(true);
    game.Timer2.setEnabled(true);
    game.setEnabled(true);
    game.Text_0.setVisible(false);
    Unload();
    game.Show();
}

void ResultScreen::Quitter_Click()
{
    platform::services().sound->stop();
    Form_choix_instruments &menu = forms::get<Form_choix_instruments>();
    menu.Command_icon.press();
    menu.setEnabled(true);
    if (m_order == UnloadOrder::SelfFirst) {
        Unload();
        forms::unload<Form_instruments>();
    } else {
        forms::unload<Form_instruments>();
        Unload();
    }
    menu.Show();
}
