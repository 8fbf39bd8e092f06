// SPDX-FileCopyrightText: 2026 Les Ateliers Calivento
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "image.h"

#include <QMetaMethod>
#include <QPainter>

namespace forms {

Image::Image(Form *form, const QString &name, const QRect &twips, const QPixmap &picture, bool stretch)
    : Control(form, name, twips)
    , m_picture(picture)
    , m_stretch(stretch)
{
}

void Image::setPicture(const QPixmap &picture)
{
    // Pixmaps share their data: swapping pictures on a beat costs no decoding or copying.
    m_picture = picture;
    update();
}

bool Image::acceptsDrops() const
{
    return isSignalConnected(QMetaMethod::fromSignal(&Control::DragDrop));
}

void Image::paintEvent(QPaintEvent *)
{
    if (m_picture.isNull())
        return;
    QPainter painter(this);
    if (m_stretch)
        painter.drawPixmap(rect(), m_picture);
    else
        painter.drawPixmap(0, 0, m_picture);
}

} // namespace forms
