// SPDX-FileCopyrightText: 2026 Les Ateliers Calivento
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "resources.h"

#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QHash>
#include <QImageReader>
#include <QPainter>
#include <QScreen>
#include <QSvgRenderer>

#include <future>

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

// Tells a reader of one of our bitmaps its format by the file's suffix: asked to guess, a reader
// first loads every image plugin of the system to ask each one: a tenth of the game's start.
void tellFormat(QImageReader &bitmap)
{
    bitmap.setFormat(QFileInfo(bitmap.fileName()).suffix().toLatin1());
    bitmap.setAutoDetectImageFormat(false);
}

// The drawing rendered as the bitmap was, on the same ground, at ratio times its pixel size.
// Touches no pixmap, so it may run on another thread.
QImage render(const QString &path, qreal ratio)
{
    QImageReader bitmap(path);
    tellFormat(bitmap);
    const QSize size = bitmap.size();
    QSvgRenderer drawing(drawingOf(path));
    if (!drawing.isValid() || size.isEmpty())
        return QImage(path); // no drawing: the bitmap, stretched
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
    return image;
}

using Key = std::pair<QString, qreal>;

// Renderings started ahead on another thread, taken by the first use.
QHash<Key, std::shared_future<QImage>> &ahead()
{
    static QHash<Key, std::shared_future<QImage>> renderings;
    return renderings;
}

QString pathOf(const QString &type, int id)
{
    if (type.compare(QLatin1String("Fond"), Qt::CaseInsensitive) == 0 && id == 1)
        return QStringLiteral(":/pictures/fond.jpg");
    if (type.compare(QLatin1String("Calivento"), Qt::CaseInsensitive) == 0 && id == 2)
        return QStringLiteral(":/pictures/calivento.png");
    return {};
}

QPixmap decodeOnce(const QString &path, qreal ratio)
{
    static QHash<Key, QPixmap> cache;
    const Key key(path, ratio);
    auto it = cache.constFind(key);
    if (it != cache.constEnd())
        return *it;
    ++decodes;
    QPixmap pixmap;
    if (qFuzzyCompare(ratio, 1.0)) {
        // The normal size is the bitmap, pixel for pixel.
        QImageReader bitmap(path);
        tellFormat(bitmap);
        pixmap = QPixmap::fromImage(bitmap.read());
    }
    else if (const auto started = ahead().find(key); started != ahead().end())
        pixmap = QPixmap::fromImage(started->get());
    else
        pixmap = QPixmap::fromImage(render(path, ratio));
    ahead().remove(key);
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
    const QString path = pathOf(type, id);
    return path.isEmpty() ? QPixmap() : decodeOnce(path, ratio);
}

void renderAhead(const QString &type, int id)
{
    const qreal ratio = screenRatio();
    const QString path = pathOf(type, id);
    const Key key(path, ratio);
    if (path.isEmpty() || qFuzzyCompare(ratio, 1.0) || ahead().contains(key))
        return;
    ahead().insert(key, std::async(std::launch::async, render, path, ratio).share());
}

namespace {

QString designPath(const QString &name)
{
    const QString instrument = QStringLiteral(":/pictures/instruments/%1.png").arg(name);
    return QFile::exists(instrument) ? instrument : QStringLiteral(":/pictures/%1.png").arg(name);
}

} // namespace

QPixmap design(const QString &name, qreal ratio)
{
    return decodeOnce(designPath(name), ratio);
}

QPixmap design(const QString &name, QSize size, qreal ratio)
{
    const QString path = designPath(name);
    QImage image;
    if (qFuzzyCompare(ratio, 1.0)) {
        QImageReader reader(path);
        reader.setScaledSize(size);
        image = reader.read();
    } else {
        // Scaled screens get the drawing rendered at their own pixel size.
        const int bitmapWidth = QImageReader(path).size().width();
        image = render(path, bitmapWidth > 0 ? ratio * size.width() / bitmapWidth : ratio);
    }
    QPixmap pixmap = QPixmap::fromImage(image);
    pixmap.setDevicePixelRatio(ratio);
    return pixmap;
}

int decodeCount()
{
    return decodes;
}

} // namespace resources
