// SPDX-FileCopyrightText: 2026 Les Ateliers Calivento
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "setting.h"

#include "store/player.h"

namespace listen {

platform::SoundId rightDropSound(int row)
{
    return store::Player::current().hearsFoundInstrument() ? platform::instrumentSound(row) : platform::SoundId::Drop;
}

} // namespace listen
