#pragma once

#include "app/forms/form.h"
#include "app/forms/image.h"
#include "app/forms/label.h"
#include "app/forms/timer.h"
#include "app/forms/triggerbutton.h"
#include "games.h"

#include <optional>

// The game screen: every game is played here. (Interface used by the other screens.)
class Form_instruments : public forms::Form
{
    Q_OBJECT
public:
    Form_instruments();

    void Form_Load() override;

    forms::TriggerButton &modeButton(game::GameId id);
    forms::Label &levelMarker(int level);
    // The running game and level, as the visible mode button and level marker say.
    std::optional<game::GameId> visibleGame() const;
    std::optional<int> visibleLevel() const;

    // Presses the game's mode button (the board is set up), makes it visible and gives Timer1
    // the game's start interval for the level. Showing the screen and the level marker is the
    // caller's part.
    void prepareRound(game::GameId id, int level);

    forms::Timer Timer1;
    forms::Timer Timer2;
    forms::Label Label_description;
    forms::Label Text_points;
    forms::Label Text_0;
    forms::Label Text_temps;
    forms::Label Command_son;
    forms::TriggerButton Command_visible;
    forms::TriggerButton Command_compteur;
    forms::TriggerButton command_stop;
};
