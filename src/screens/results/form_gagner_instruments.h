// SPDX-FileCopyrightText: 2026 Les Ateliers Calivento
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "result_screen.h"

// The win screen: the time taken, the win tune, and the next level opened.
class Form_gagner_instruments : public ResultScreen
{
    Q_OBJECT
public:
    Form_gagner_instruments();

    void Form_Load() override;

    forms::Label Label5;
    forms::Label Label3;
    forms::Label Label_score0;
    forms::Label Label_cacher1;
    forms::Label Label_score1;
    forms::Label Label_cacher2;
    forms::Label Label2;
};

namespace results {
// The minutes and the seconds of an elapsed time "HH:MM:SS", as the two narrow score boxes show
// them; any other text is shown as it is.
QString minutesOf(const QString &elapsed);
QString secondsOf(const QString &elapsed);
} // namespace results
