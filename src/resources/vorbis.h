// SPDX-FileCopyrightText: 2026 Les Ateliers Calivento
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "sounds.h"

#include <QByteArrayView>

namespace resources {

// A whole Ogg Vorbis stream held in memory, decoded into the engine's format; a mono stream is
// played on both sides. A damaged stream, or one at another rate or with more than two
// channels, gives an empty sound.
Pcm decodeVorbis(QByteArrayView data);

} // namespace resources
