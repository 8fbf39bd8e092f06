// SPDX-FileCopyrightText: 2026 Les Ateliers Calivento
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "form_perdu_instruments.h"

#include "app/forms/screens.h"
#include "resources/resources.h"
#include "screens/game/form_instruments.h"

using namespace results;

Form_Perdu_instruments::Form_Perdu_instruments()
    : ResultScreen(QStringLiteral("Form_Perdu_instruments"), 5160, UnloadOrder::GameFirst)
    , Label3(this, QStringLiteral("Label3"), QString(), {4200, 3180, 3615, 2535}, panelLook)
    , Label1(this, QStringLiteral("Label1"), QStringLiteral("Le premier niveau n'a pas été atteint"),
             {4313, 3533, 3375, 855}, messageLook)
    , Label2(this, QStringLiteral("Label2"), QStringLiteral("Veux-tu recommencer?"), {4320, 4560, 3375, 495},
             messageLook)
{
    setWindowTitle(QStringLiteral("Calivento – perdu"));
    setBackColor(peach);
    Label3.lower();
}

void Form_Perdu_instruments::Form_Load()
{
    centreOnDesktop();
    setPicture(resources::picture(QStringLiteral("Fond"), 1));
    Form_instruments &game = forms::get<Form_instruments>();
    if (const std::optional<game::GameId> played = game.visibleGame())
        Label1.setCaption(QString::fromUtf8(game::info(*played).loseText));
    freezeGame(game);
    game.setEnabled(false);
    game.Text_0.setVisible(true);
}
