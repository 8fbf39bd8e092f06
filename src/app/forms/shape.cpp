// SPDX-FileCopyrightText: 2026 Les Ateliers Calivento
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "shape.h"

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
    const int w = m_borderWidth;
    const QColor ink(0, 0, 0);
    // The border lies inside the shape's rectangle.
    painter.fillRect(0, 0, width(), w, ink);
    painter.fillRect(0, height() - w, width(), w, ink);
    painter.fillRect(0, 0, w, height(), ink);
    painter.fillRect(width() - w, 0, w, height(), ink);
}

} // namespace forms
