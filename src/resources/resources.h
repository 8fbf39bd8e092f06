// SPDX-FileCopyrightText: 2026 Les Ateliers Calivento
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QPixmap>
#include <QString>

// The pictures carried inside the program. Each is decoded once per run, straight from memory,
// and then shared: handing a picture to a control copies nothing.
//
// At the normal size (one device pixel to a pixel) a picture is the embedded bitmap itself.
// On a scaled screen (the large mode, a desktop at 200 %) it is rendered again from its drawing
// at the screen's pixel size, with that device pixel ratio: the same size on the screen, sharp.
namespace resources {

// Device pixels per pixel of the primary screen, on which every screen is shown.
qreal screenRatio();

// A picture resource by type and number: ("Fond", 1) the background, ("Calivento", 2) the
// mascot of the loading screen. Type names are matched without regard to case.
QPixmap picture(const QString &type, int id, qreal ratio = screenRatio());

// On a scaled screen, starts rendering that picture on another thread, for its first use to
// take; at the normal size there is nothing to render.
void renderAhead(const QString &type, int id);

// A picture of a screen's design by its file name: an instrument ("violon"), a metronome pose
// ("metronome_gauche"), the menu's mascot, the hand cursor.
QPixmap design(const QString &name, qreal ratio = screenRatio());

// A drawing of a screen's design at the given size in pixels (times the ratio on a scaled
// screen), made afresh and not kept: for screens that show the drawings small.
QPixmap design(const QString &name, QSize size, qreal ratio);

// How many pictures have been decoded so far in this run.
int decodeCount();

} // namespace resources
