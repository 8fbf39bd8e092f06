// SPDX-FileCopyrightText: 2026 Les Ateliers Calivento
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "app/forms/form.h"
#include "app/forms/image.h"
#include "app/forms/label.h"
#include "app/forms/shape.h"
#include "app/forms/timer.h"
#include "screens/joueurs/roster.h"

#include <optional>

// The loading screen: the mascot, a line asking to wait, and a short countdown before the
// backdrop and the menu take over, or "Qui joue ?" once an adult has made children.
class Form_chargement : public forms::Form
{
    Q_OBJECT
public:
    Form_chargement();

    void Form_Load() override;
    void Timer1_Timer();

    forms::Shape Shape1;
    forms::Label Label1;
    forms::Timer Timer1;

private:
    void preloadMenu();
    void handOver();

    // Who may play, read from the store during the countdown; nothing at home.
    bool m_asking = false;
    bool m_countedDown = false;
    std::optional<joueurs::Roster> m_roster;
};
