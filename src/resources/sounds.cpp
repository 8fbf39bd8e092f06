// SPDX-FileCopyrightText: 2026 Les Ateliers Calivento
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "sounds.h"
#include "phrases.h"

namespace resources {

const Pcm &sound(int id)
{
    if (id >= 200)
        return phrase(id);
    static const Pcm none;
    return none;
}

} // namespace resources
