// SPDX-FileCopyrightText: 2026 Les Ateliers Calivento
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "sounds.h"

// The instruments' phrases, carried as Ogg Vorbis under their sound numbers.
namespace resources {

// The phrase with this sound number (200 + catalogue row), decoded now (resources::sound keeps
// it); any other number gives an empty sound.
Pcm decodePhrase(int id);

} // namespace resources
