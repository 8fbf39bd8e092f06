// SPDX-FileCopyrightText: 2026 Les Ateliers Calivento
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "app/platform/platform.h"

// "Entendre l'instrument trouvé dans les jeux", as the player chose it (store::Player).
namespace listen {

// What a right drop on the catalogue row's picture plays.
platform::SoundId rightDropSound(int row);

} // namespace listen
