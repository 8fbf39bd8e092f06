// SPDX-FileCopyrightText: 2026 Les Ateliers Calivento
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "form_chargement.h"

#include "app/forms/screens.h"
#include "resources/resources.h"
#include "screens/joueurs/form_joueurs.h"
#include "screens/menu/form_choix_instruments.h"
#include "screens/menu/form_noire.h"

#include <QFontMetrics>

Form_chargement::Form_chargement()
    : Form(QStringLiteral("Form_chargement"), 3990, 1710)
    , Shape1(this, QStringLiteral("Shape1"), {0, 0, 3975, 1695}, 3)
    , Label1(this, QStringLiteral("Label1"), QStringLiteral("Veuillez patienter pendant le chargement de Calivento"),
             // Tall enough for the four lines the message wraps to.
             {1560, 240, 2040, 1140},
             {.fore = QColor(0, 0, 255),
              .align = Qt::AlignHCenter,
              .wrap = true,
              .font = {.family = "Times New Roman", .points = 12}})
    , Timer1(this, QStringLiteral("Timer1"), 10)
{
    setWindowTitle(QStringLiteral("Calivento – chargement"));
    setBackColor(forms::windowColor);
    setMousePointer(forms::Pointer::Hourglass);
    connect(&Timer1, &forms::Timer::tick, this, &Form_chargement::Timer1_Timer);
}

void Form_chargement::preloadMenu()
{
    resources::picture(QStringLiteral("Fond"), 1);
    resources::design(QStringLiteral("metronome_menu"));
    forms::handCursor();
    // Opening the font files is part of a first paint; the menu's faces are opened here.
    for (const forms::FontSpec &face :
         {forms::FontSpec{.points = 12, .bold = true}, forms::FontSpec{.points = 20.25, .bold = true, .italic = true}})
        QFontMetrics(forms::makeFont(face)).horizontalAdvance(QStringLiteral("Niveau 1"));
}

void Form_chargement::Form_Load()
{
    centreOnDesktop();
    // The menu's background takes longest to render on a scaled screen: it starts now, beside
    // the loading screen's own start, on the other core.
    resources::renderAhead(QStringLiteral("Fond"), 1);
    setPicture(resources::picture(QStringLiteral("Calivento"), 2));
    // At home there is no database and none is made: the menu comes as it always did.
    m_asking = joueurs::fetchRoster(this, [this](joueurs::Roster roster) {
        m_asking = false;
        m_roster = std::move(roster);
        if (m_countedDown)
            handOver();
    });
}

void Form_chargement::Timer1_Timer()
{
    // The first wait is over: decode what the menu shows while the countdown runs on. Each wait
    // counts from when its tick was due, so this work shortens the waits instead of adding up.
    if (Timer1.Interval() == 10)
        preloadMenu();
    // Waits of 10, 9, ... 1 ms: the tenth tick hands over.
    Timer1.setInterval(Timer1.Interval() - 1);
    if (Timer1.Interval() >= 1)
        return;
    Timer1.setInterval(0);
    Timer1.setEnabled(false);
    m_countedDown = true;
    if (!m_asking) // otherwise the answer hands over when it comes
        handOver();
}

void Form_chargement::handOver()
{
    forms::get<Form_noire>().Show();
    if (m_roster && !m_roster->children.empty()) {
        Form_joueurs &who = forms::get<Form_joueurs>();
        who.setRoster(*m_roster);
        who.Show();
    } else {
        forms::get<Form_choix_instruments>().Show();
    }
    Unload();
}
