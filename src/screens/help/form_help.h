// SPDX-FileCopyrightText: 2026 Les Ateliers Calivento
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "app/forms/form.h"
#include "app/forms/label.h"

// The help screen: the rules in five short paragraphs, the version, and a link to the guide for
// parents and teachers.
// Opened from the game it pauses the round, and "Retour" resumes it.
class Form_help : public forms::Form
{
    Q_OBJECT
public:
    Form_help();

    void Form_Load() override;
    // Esc, Enter and Alt+R leave as "Retour" does.
    void Form_KeyDown(int keyCode, int shift) override;
    void Command_retour_Click();
    void Label2_Click();

    QString browserCommand() const { return m_browserCommand; }

    forms::Label Label1;
    forms::Label Label3;
    forms::Label Label4;
    forms::Label Label5;
    forms::Label Label6;
    forms::Label Label7;
    forms::Label Label8;
    forms::Label Label_version;
    forms::Label Command_retour;
    forms::Label Label2;
    forms::Label instruments; // hidden flag: visible while opened from the game

private:
    QString m_browserCommand;
};
