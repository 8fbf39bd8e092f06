// SPDX-FileCopyrightText: 2026 Les Ateliers Calivento
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "sounds.h"

#include <QByteArrayView>

namespace resources {

// A whole Ogg Vorbis stream held in memory, decoded into the engine's format; a mono stream is
// played on both sides. A stream whose headers cannot be read, or one at another rate or with
// more than two channels, gives an empty sound; one cut or damaged part-way gives what can be
// decoded of it, the damaged pages left out.
Pcm decodeVorbis(QByteArrayView data);

} // namespace resources
