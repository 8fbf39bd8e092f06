// SPDX-FileCopyrightText: 2026 Les Ateliers Calivento
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

// Lets screen readers and desktop automation see the game's controls for what they are: texts,
// buttons and pictures with their names, rather than anonymous widgets.
namespace forms {
void installAccessibility();
}
