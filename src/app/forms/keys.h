// SPDX-FileCopyrightText: 2026 Les Ateliers Calivento
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <Qt>

class QKeyEvent;

namespace forms {

// Windows virtual-key code of a Qt key, 0 when the game has no use for it.
int windowsKeyCode(int qtKey);

// Shift state as the game's key handlers read it: 1 Shift, 2 Ctrl, 4 Alt.
int shiftState(Qt::KeyboardModifiers modifiers);

// Enter, Return or Space pressed to act on the control in focus. A held key repeats, and only
// its first press acts: a command must never be pressed again, nor the next screen's.
bool isPress(const QKeyEvent &event);

// Makes isAutoRepeat() true of every repeat of a held key, also of those the windowing system
// delivers as separate presses. Called by each screen as it shows.
void flagHeldKeys();

// The Alt bit of the shift state.
inline constexpr int altDown = 4;

namespace vk {
inline constexpr int Return = 13;
inline constexpr int Escape = 27;
inline constexpr int F1 = 112;
inline constexpr int F12 = 123;
} // namespace vk

} // namespace forms
