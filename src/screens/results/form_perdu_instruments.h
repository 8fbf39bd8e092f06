// SPDX-FileCopyrightText: 2026 Les Ateliers Calivento
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "result_screen.h"

// The lose screen: the points ran out.
class Form_Perdu_instruments : public ResultScreen
{
    Q_OBJECT
public:
    Form_Perdu_instruments();

    void Form_Load() override;

    forms::Label Label3;
    forms::Label Label1;
    forms::Label Label2;
};
