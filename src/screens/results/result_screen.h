// SPDX-FileCopyrightText: 2026 Les Ateliers Calivento
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "app/forms/form.h"
#include "app/forms/label.h"

class Form_instruments;

// What the win and lose screens share: they freeze the game screen beneath them and ask
// "Veux-tu recommencer?"; "Oui" replays the same game and level, "Non" goes back to the menu.
class ResultScreen : public forms::Form
{
    Q_OBJECT
public:
    void Command_oui_Click();
    void Quitter_Click();
    // Enter or Alt+O answer "Oui", Esc or Alt+N "Non".
    void Form_KeyDown(int keyCode, int shift) override;

    forms::Label Command_oui;
    forms::Label Quitter;

protected:
    enum class UnloadOrder { SelfFirst, GameFirst };
    ResultScreen(const QString &name, int buttonsTop, UnloadOrder order);

    // Stops the round's two clocks.
    void freezeGame(Form_instruments &game);

private:
    UnloadOrder m_order;
};

namespace results {
inline const QColor brown(128, 64, 64);
inline const QColor peach(255, 224, 192);
inline const forms::LabelLook panelLook{.back = peach, .border = true};
inline const forms::LabelLook messageLook{.fore = brown,
                                          .align = Qt::AlignHCenter,
                                          .wrap = true,
                                          .font = {.family = "MS Sans Serif", .points = 12, .bold = true}};
} // namespace results
