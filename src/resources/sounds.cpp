// SPDX-FileCopyrightText: 2026 Les Ateliers Calivento
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "sounds.h"
#include "vorbis.h"

#include <QFile>
#include <QMutex>

#include <map>

namespace resources {

namespace {

// The instruments' phrases are stored under their sound numbers.
QString phrasePath(int id)
{
    return QStringLiteral(":/sounds/phrases/%1.ogg").arg(id);
}

} // namespace

const Pcm &sound(int id)
{
    static const Pcm none;
    // The engine may ask from its own thread; each sound is decoded once and then kept.
    static QMutex mutex;
    static std::map<int, Pcm> decoded;
    const QString path = id >= 200 ? phrasePath(id) : QString();
    if (path.isEmpty() || !QFile::exists(path))
        return none;
    QMutexLocker lock(&mutex);
    auto found = decoded.find(id);
    if (found == decoded.end()) {
        QFile file(path);
        found = decoded.emplace(id, file.open(QIODevice::ReadOnly) ? decodeVorbis(file.readAll()) : Pcm{}).first;
    }
    return found->second;
}

} // namespace resources
