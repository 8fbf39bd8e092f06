// SPDX-FileCopyrightText: 2026 Les Ateliers Calivento
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "phrases.h"
#include "vorbis.h"

#include <QFile>

namespace resources {

Pcm decodePhrase(int id)
{
    QFile file(QStringLiteral(":/sounds/phrases/%1.ogg").arg(id));
    return file.open(QIODevice::ReadOnly) ? decodeVorbis(file.readAll()) : Pcm{};
}

} // namespace resources
