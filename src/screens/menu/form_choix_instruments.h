// SPDX-FileCopyrightText: 2026 Les Ateliers Calivento
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "app/forms/form.h"
#include "app/forms/image.h"
#include "app/forms/label.h"
#include "app/forms/triggerbutton.h"
#include "screens/game/games.h"

#include <deque>

// The menu: five games with three levels each, the way out and the way to the help.
class Form_choix_instruments : public forms::Form
{
    Q_OBJECT
public:
    Form_choix_instruments();

    void Form_Load() override;
    void Form_Unload() override;
    void Form_KeyDown(int keyCode, int shift) override;
    // The open levels, game by game, then "Quitter".
    QList<forms::Control *> keyboardOrder() override;

    void Command_fichier_Click();
    void Command_icon_Click();
    void Command_pasicon_Click();
    void Command25_Click();
    void Metronome_stop_Click();
    void Command_ecouter_Click();
    void Command_joueur_Click();

    // The level label of a game, level 1 to 3.
    forms::Label &levelLabel(game::GameId id, int level);

    forms::Label Label6;
    forms::Label Command25;
    forms::Image Metronome_stop;
    forms::Label Command_ecouter;
    // "Joueur : Léa" while a child plays; back to "Qui joue ?".
    forms::Label Command_joueur;
    forms::TriggerButton Command_fichier;
    forms::TriggerButton Command_pasicon;
    forms::TriggerButton Command_icon;

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    void startGame(game::GameId id, int level);

    std::deque<forms::Label> m_headings;
    std::deque<forms::Label> m_levels; // game by game in the menu's order, levels 1 to 3
};
