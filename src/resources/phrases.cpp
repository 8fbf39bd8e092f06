// SPDX-FileCopyrightText: 2026 Les Ateliers Calivento
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "phrases.h"
#include "vorbis.h"

#include <QFile>
#include <QMutex>

#include <map>

namespace resources {

const Pcm &phrase(int id)
{
    static const Pcm none;
    const QString path = QStringLiteral(":/sounds/phrases/%1.ogg").arg(id);
    if (!QFile::exists(path))
        return none;
    // The sound engine may ask from its own thread.
    static QMutex mutex;
    static std::map<int, Pcm> decoded; // node-based: references stay valid as it grows
    QMutexLocker lock(&mutex);
    auto found = decoded.find(id);
    if (found == decoded.end()) {
        QFile file(path);
        found = decoded.emplace(id, file.open(QIODevice::ReadOnly) ? decodeVorbis(file.readAll()) : Pcm{}).first;
    }
    return found->second;
}

} // namespace resources
