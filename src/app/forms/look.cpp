// SPDX-FileCopyrightText: 2026 Les Ateliers Calivento
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "look.h"

#include <QPainter>

#include <algorithm>
#include <cmath>
#include <cstring>

namespace forms {

QFont makeFont(const FontSpec &style)
{
    const bool serif = std::strcmp(style.family, "Times New Roman") == 0;
    QFont font(serif ? QStringLiteral("Liberation Serif") : QStringLiteral("Liberation Sans"));
    font.setStyleHint(serif ? QFont::Serif : QFont::SansSerif);
    // Pixel sizes keep the designed layout whatever DPI the display reports.
    font.setPixelSize(static_cast<int>(std::lround(style.points * 96.0 / 72.0)));
    font.setBold(style.bold);
    font.setItalic(style.italic);
    font.setUnderline(style.underline);
    return font;
}

void drawFrame(QPainter &painter, const QRect &rect, int thickness, const QColor &color)
{
    QRect frame = rect;
    int width = thickness;
    const QTransform device = painter.deviceTransform();
    const bool wholePixels = device.type() <= QTransform::TxTranslate ||
                             (device.type() == QTransform::TxScale && device.m11() == std::round(device.m11()) &&
                              device.m22() == std::round(device.m22()));
    painter.save();
    if (!wholePixels) {
        // Draw in device pixels: the frame's edges and its thickness rounded to whole ones.
        const QRectF exact = device.mapRect(QRectF(rect));
        frame = QRect(QPoint(qRound(exact.left()), qRound(exact.top())),
                      QPoint(qRound(exact.right()) - 1, qRound(exact.bottom()) - 1));
        width = std::max(1, int(std::lround(thickness * device.m11())));
        painter.setWorldTransform(device.inverted() * painter.worldTransform());
    }
    painter.fillRect(frame.left(), frame.top(), frame.width(), width, color);
    painter.fillRect(frame.left(), frame.bottom() - width + 1, frame.width(), width, color);
    painter.fillRect(frame.left(), frame.top(), width, frame.height(), color);
    painter.fillRect(frame.right() - width + 1, frame.top(), width, frame.height(), color);
    painter.restore();
}

} // namespace forms
