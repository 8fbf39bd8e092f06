// SPDX-FileCopyrightText: 2026 Les Ateliers Calivento
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "resources.h"

#include <QFile>
#include <QHash>

namespace resources {

namespace {

int decodes = 0;

QPixmap decodeOnce(const QString &path)
{
    static QHash<QString, QPixmap> cache;
    auto it = cache.constFind(path);
    if (it != cache.constEnd())
        return *it;
    ++decodes;
    QPixmap pixmap(path);
    cache.insert(path, pixmap);
    return pixmap;
}

} // namespace

QPixmap picture(const QString &type, int id)
{
    if (type.compare(QLatin1String("Fond"), Qt::CaseInsensitive) == 0 && id == 1)
        return decodeOnce(QStringLiteral(":/pictures/fond.jpg"));
    if (type.compare(QLatin1String("Calivento"), Qt::CaseInsensitive) == 0 && id == 2)
        return decodeOnce(QStringLiteral(":/pictures/calivento.png"));
    return {};
}

QPixmap design(const QString &name)
{
    const QString instrument = QStringLiteral(":/pictures/instruments/%1.png").arg(name);
    if (QFile::exists(instrument))
        return decodeOnce(instrument);
    return decodeOnce(QStringLiteral(":/pictures/%1.png").arg(name));
}

int decodeCount()
{
    return decodes;
}

} // namespace resources
