// SPDX-FileCopyrightText: 2026 Les Ateliers Calivento
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "sounds.h"

// The instruments' phrases, carried as Ogg Vorbis under their sound numbers.
namespace resources {

// The phrase with this sound number (200 + catalogue row), decoded at its first use and then
// kept; any other number gives an empty sound. Safe to call from any thread.
const Pcm &phrase(int id);

} // namespace resources
