// SPDX-FileCopyrightText: 2026 Les Ateliers Calivento
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "app/forms/form.h"
#include "app/forms/image.h"
#include "app/forms/label.h"
#include "app/forms/timer.h"
#include "app/forms/triggerbutton.h"
#include "catalogue.h"
#include "games.h"

#include <QTime>
#include <deque>
#include <optional>

// The game screen: every game is played here. All its controls exist from creation on; a round
// only moves them into sight or out of it and shows or hides them.
class Form_instruments : public forms::Form
{
    Q_OBJECT
public:
    Form_instruments();

    void Form_Load() override;
    // Alt and the underlined letters: B, C, A; Alt+R is "Retour".
    void Form_KeyDown(int keyCode, int shift) override;
    // The names (or the families) of the running game, in the order they stand.
    QList<forms::Control *> keyboardOrder() override;

    forms::TriggerButton &modeButton(game::GameId id);
    forms::Label &levelMarker(int level);
    // The running game and level, as the visible mode button and level marker say.
    std::optional<game::GameId> visibleGame() const;
    std::optional<int> visibleLevel() const;

    // Presses the game's mode button (the board is set up), makes it visible and gives Timer1
    // the game's start interval for the level. Showing the screen and the level marker is the
    // caller's part.
    void prepareRound(game::GameId id, int level);
    // The same game at the same level from the start: board reset, pictures scattered anew,
    // full points and the stopwatch from zero. Restart and "Oui" both come here.
    void replayRound();

    // The controls of a catalogue row, and the family labels.
    forms::Image &picture(int row);
    forms::Label &nameLabel(int row);
    forms::Label &familyLabel(game::Family family);

    // Handlers.
    void Command_tous_Click();
    void Command_famille_Click();
    void Command_Aerophones_Click();
    void Command_cordophones_Click();
    void Command_idiophones_Click();
    // The drop handler of all 24 pictures.
    void picture_DragDrop(int row, forms::Control *source);
    void Timer1_Timer();
    void Timer2_Timer();
    void Command_compteur_Click();
    void command_stop_Click();
    void Command_visible_Click();
    void Command_recommencer_Click();
    void Command_son_Click();
    void Command_aide_Click();
    void Command_retour_Click();

    forms::Timer Timer1;
    forms::Timer Timer2;
    forms::Label Label3;
    forms::Label Label_description;
    forms::Label Text_points;
    forms::Label Text_0;
    forms::Label Text_temps;
    forms::Label Command_retour;
    forms::Label Command_son;
    forms::Label Command_recommencer;
    forms::Label Command_aide;
    forms::Image Metronome_stop;
    forms::Image Metronome_gauche;
    forms::Image Metronome_droite;
    forms::Label Label_facile;
    forms::Label Label_moyen;
    forms::Label Label_difficile;
    forms::TriggerButton Command_tous;
    forms::TriggerButton Command_famille;
    forms::TriggerButton Command_Aerophones;
    forms::TriggerButton Command_cordophones;
    forms::TriggerButton Command_idiophones;
    forms::TriggerButton Command_visible;
    forms::TriggerButton Command_compteur;
    forms::TriggerButton command_stop;

private:
    void setUpBoard(game::GameId id);
    void stack();
    // Keeps a child's drop; nothing at home.
    void recordDrop(int row, const QString &dragged, bool right);

    std::deque<forms::Image> m_pictures;     // catalogue order
    std::deque<forms::Label> m_nameLabels;   // catalogue order
    std::deque<forms::Label> m_familyLabels; // in the order of game::families

    QTime temps_depart;
    QString temps_ecoule;
    bool bascule_metronome = false;
    std::array<bool, game::instrumentCount> m_dropped{}; // a drop on the picture this round
};
