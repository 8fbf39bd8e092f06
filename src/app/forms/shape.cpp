// SPDX-FileCopyrightText: 2026 Les Ateliers Calivento
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "shape.h"

#include "look.h"

#include <QPainter>

namespace forms {

Shape::Shape(Form *form, const QString &name, const QRect &twips, int borderWidth)
    : Control(form, name, twips)
    , m_borderWidth(borderWidth)
{
    setAttribute(Qt::WA_TransparentForMouseEvents);
}

void Shape::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    // The border lies inside the shape's rectangle.
    drawFrame(painter, rect(), m_borderWidth, QColor(0, 0, 0));
}

} // namespace forms
