// SPDX-FileCopyrightText: 2026 Les Ateliers Calivento
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

namespace forms {
class Control;
}

namespace listen {

// Lets the keyboard reach a control: Tab gives it the focus, a dotted frame shows it, and Enter,
// Return or Space click it (once: a held key does not click again).
void clickWithKeys(forms::Control &control);

} // namespace listen
