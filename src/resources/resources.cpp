// SPDX-FileCopyrightText: 2026 Les Ateliers Calivento
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "resources.h"

#include <QFile>
#include <QGuiApplication>
#include <QHash>
#include <QImageReader>
#include <QPainter>
#include <QScreen>
#include <QSvgRenderer>

namespace resources {

namespace {

int decodes = 0;

// ":/pictures/instruments/violon.png" was rendered from ":/drawings/instruments/violon.svg".
QString drawingOf(const QString &path)
{
    QString drawing = path;
    drawing.replace(QLatin1String(":/pictures/"), QLatin1String(":/drawings/"));
    return drawing.left(drawing.lastIndexOf(QLatin1Char('.'))) + QLatin1String(".svg");
}

// The drawing rendered as the bitmap was, on the same ground, at ratio times its pixel size.
QPixmap render(const QString &path, qreal ratio)
{
    QImageReader bitmap(path);
    const QSize size = bitmap.size();
    QSvgRenderer drawing(drawingOf(path));
    if (!drawing.isValid() || size.isEmpty())
        return QPixmap(path); // no drawing: the bitmap, stretched
    const bool opaque = QImage::toPixelFormat(bitmap.imageFormat()).alphaUsage() == QPixelFormat::IgnoresAlpha;
    QImage image(qRound(size.width() * ratio), qRound(size.height() * ratio), QImage::Format_ARGB32_Premultiplied);
    image.fill(opaque ? Qt::white : Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    drawing.render(&painter, QRectF(QPointF(0, 0), image.size()));
    painter.end();
    if (opaque)
        image.convertTo(QImage::Format_RGB32);
    image.setDevicePixelRatio(ratio);
    return QPixmap::fromImage(std::move(image));
}

QPixmap decodeOnce(const QString &path, qreal ratio)
{
    static QHash<std::pair<QString, qreal>, QPixmap> cache;
    const std::pair key(path, ratio);
    auto it = cache.constFind(key);
    if (it != cache.constEnd())
        return *it;
    ++decodes;
    // The normal size is the bitmap, pixel for pixel.
    QPixmap pixmap = qFuzzyCompare(ratio, 1.0) ? QPixmap(path) : render(path, ratio);
    cache.insert(key, pixmap);
    return pixmap;
}

} // namespace

qreal screenRatio()
{
    const QScreen *screen = QGuiApplication::primaryScreen();
    return screen ? screen->devicePixelRatio() : 1.0;
}

QPixmap picture(const QString &type, int id, qreal ratio)
{
    if (type.compare(QLatin1String("Fond"), Qt::CaseInsensitive) == 0 && id == 1)
        return decodeOnce(QStringLiteral(":/pictures/fond.jpg"), ratio);
    if (type.compare(QLatin1String("Calivento"), Qt::CaseInsensitive) == 0 && id == 2)
        return decodeOnce(QStringLiteral(":/pictures/calivento.png"), ratio);
    return {};
}

QPixmap design(const QString &name, qreal ratio)
{
    const QString instrument = QStringLiteral(":/pictures/instruments/%1.png").arg(name);
    if (QFile::exists(instrument))
        return decodeOnce(instrument, ratio);
    return decodeOnce(QStringLiteral(":/pictures/%1.png").arg(name), ratio);
}

int decodeCount()
{
    return decodes;
}

} // namespace resources
