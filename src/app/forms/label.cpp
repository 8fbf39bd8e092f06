// SPDX-FileCopyrightText: 2026 Les Ateliers Calivento
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "label.h"

#include "accessibility.h"
#include "form.h"

#include <QMouseEvent>
#include <QPainter>

namespace forms {

Label::Label(Form *form, const QString &name, const QString &caption, const QRect &twips, const LabelLook &look)
    : Control(form, name, twips)
    , m_caption(caption)
    , m_look(look)
{
    setFont(makeFont(look.font));
    setAttribute(Qt::WA_OpaquePaintEvent, look.back.has_value());
}

void Label::setCaption(const QString &caption)
{
    if (caption == m_caption)
        return;
    m_caption = caption;
    update();
    a11y::captionChanged(*this);
}

void Label::setBackColor(const QColor &color)
{
    m_look.back = color;
    setAttribute(Qt::WA_OpaquePaintEvent, true);
    update();
}

void Label::setDisplayText(std::function<QString(const QString &)> transform)
{
    m_displayText = std::move(transform);
    update();
}

void Label::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    QRect area = rect();
    if (m_look.back)
        painter.fillRect(area, *m_look.back);
    if (m_look.border) {
        drawFrame(painter, area, 1, QColor(0, 0, 0));
        area.adjust(1, 1, -1, -1);
    }
    const int flags =
        int(m_look.align) | Qt::AlignTop | Qt::TextShowMnemonic | (m_look.wrap ? Qt::TextWordWrap : Qt::TextSingleLine);
    const QString text = m_displayText ? m_displayText(m_caption) : m_caption;
    if (!Enabled()) {
        // Engraved grey text, as a disabled label is drawn on the classic desktop.
        painter.setPen(QColor(255, 255, 255));
        painter.drawText(area.translated(1, 1), flags, text);
        painter.setPen(QColor(128, 128, 128));
    } else {
        painter.setPen(m_look.fore);
    }
    painter.drawText(area, flags, text);
}

bool Label::dragging() const
{
    return form()->dragSource() == this;
}

void Label::mousePressEvent(QMouseEvent *event)
{
    if (m_dragAutomatic && event->button() == Qt::LeftButton) {
        form()->beginDrag(this, event->position().toPoint());
        return;
    }
    Control::mousePressEvent(event);
}

void Label::mouseMoveEvent(QMouseEvent *event)
{
    if (dragging())
        form()->moveDrag(mapTo(form(), event->position().toPoint()));
}

void Label::mouseReleaseEvent(QMouseEvent *event)
{
    if (dragging()) {
        if (event->button() != Qt::LeftButton)
            return;
        form()->endDrag(mapTo(form(), event->position().toPoint()));
        return;
    }
    Control::mouseReleaseEvent(event);
}

} // namespace forms
