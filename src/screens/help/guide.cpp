// SPDX-FileCopyrightText: 2026 Les Ateliers Calivento
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "guide.h"

#include <QDir>
#include <QFileInfo>
#include <QUrl>

namespace help {

QString guideUrl(const QString &gameFolder, const QString &homepage)
{
    const QDir game(gameFolder);
    const QString name = QString::fromLatin1(guideFileName);
    const QString installed = game.absoluteFilePath(QString::fromLatin1(guideFromGame) + QLatin1Char('/') + name);
    QString found;
    for (const QString &path : {installed, game.absoluteFilePath(name)})
        if (QFileInfo(path).isFile()) {
            found = path;
            break;
        }
    if (found.isEmpty() && !homepage.isEmpty())
        return homepage;
    // Percent-encoded, so that a folder with spaces stays one argument on the command line.
    return QString::fromLatin1(QUrl::fromLocalFile(QDir::cleanPath(found.isEmpty() ? installed : found)).toEncoded());
}

QString homepage()
{
#ifdef CALIVENTO_HOMEPAGE
    return QStringLiteral(CALIVENTO_HOMEPAGE);
#else
    return {};
#endif
}

} // namespace help
