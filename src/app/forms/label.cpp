// SPDX-FileCopyrightText: 2026 Les Ateliers Calivento
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "label.h"

#include "accessibility.h"
#include "form.h"

#include <QMouseEvent>
#include <QPainter>
#include <QTabletEvent>
#include <QTouchEvent>

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

void Label::setDragAutomatic(bool on)
{
    m_dragAutomatic = on;
    // Fingers drag the label itself rather than a mouse made up from the first finger.
    setAttribute(Qt::WA_AcceptTouchEvents, on);
}

void Label::startDrag(DraggedBy by, QPoint at)
{
    m_draggedBy = by;
    form()->beginDrag(this, at);
}

// Only while the screen's drag is still this label's: the mouse may have taken it over, or the
// screen put it back.
void Label::followDrag(QPoint at)
{
    if (form()->dragSource() == this)
        form()->moveDrag(mapTo(form(), at));
}

void Label::finishDrag(QPoint at)
{
    m_draggedBy = DraggedBy::Nothing;
    m_finger = -1;
    if (form()->dragSource() == this)
        form()->endDrag(mapTo(form(), at));
}

bool Label::event(QEvent *event)
{
    if (m_dragAutomatic) {
        switch (event->type()) {
        case QEvent::TouchBegin:
        case QEvent::TouchUpdate:
        case QEvent::TouchEnd:
        case QEvent::TouchCancel:
            fingerEvent(static_cast<QTouchEvent &>(*event));
            return true;
        default:
            break;
        }
    }
    return Control::event(event);
}

// One finger drags; any other finger, here or on another label, neither starts a drag nor drops.
void Label::fingerEvent(QTouchEvent &event)
{
    event.accept();
    if (event.type() == QEvent::TouchCancel) {
        if (m_draggedBy == DraggedBy::Finger) {
            m_draggedBy = DraggedBy::Nothing;
            m_finger = -1;
            form()->cancelDrag();
        }
        return;
    }
    if (event.type() == QEvent::TouchBegin) {
        if (!form()->dragSource() && !event.points().isEmpty()) {
            m_finger = event.points().first().id();
            startDrag(DraggedBy::Finger, event.points().first().position().toPoint());
        }
        return;
    }
    if (m_draggedBy != DraggedBy::Finger)
        return;
    for (const QEventPoint &point : event.points()) {
        if (point.id() != m_finger)
            continue;
        if (point.state() == QEventPoint::Released)
            finishDrag(point.position().toPoint());
        else
            followDrag(point.position().toPoint());
        return;
    }
}

// A pen drags as the mouse does; left unhandled, it would only come as a made-up mouse.
void Label::tabletEvent(QTabletEvent *event)
{
    if (!m_dragAutomatic) {
        Control::tabletEvent(event);
        return;
    }
    event->accept();
    const QPoint at = event->position().toPoint();
    switch (event->type()) {
    case QEvent::TabletPress:
        if (event->button() == Qt::LeftButton && !form()->dragSource())
            startDrag(DraggedBy::Pen, at);
        break;
    case QEvent::TabletMove:
        if (m_draggedBy == DraggedBy::Pen)
            followDrag(at);
        break;
    default:
        if (m_draggedBy == DraggedBy::Pen && event->button() == Qt::LeftButton)
            finishDrag(at);
        break;
    }
}

void Label::mousePressEvent(QMouseEvent *event)
{
    if (m_dragAutomatic && event->button() == Qt::LeftButton) {
        startDrag(DraggedBy::Mouse, event->position().toPoint());
        return;
    }
    Control::mousePressEvent(event);
}

void Label::mouseMoveEvent(QMouseEvent *event)
{
    if (m_draggedBy == DraggedBy::Mouse)
        followDrag(event->position().toPoint());
}

void Label::mouseReleaseEvent(QMouseEvent *event)
{
    if (m_dragAutomatic) {
        if (m_draggedBy == DraggedBy::Mouse && event->button() == Qt::LeftButton)
            finishDrag(event->position().toPoint());
        return;
    }
    Control::mouseReleaseEvent(event);
}

} // namespace forms
