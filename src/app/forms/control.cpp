// SPDX-FileCopyrightText: 2026 Les Ateliers Calivento
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "control.h"

#include "form.h"
#include "resources/resources.h"
#include "twips.h"

#include <QGuiApplication>
#include <QMetaMethod>
#include <QMouseEvent>

namespace forms {

const QCursor &handCursor()
{
    static const QCursor cursor = [] {
        const QPixmap hand = resources::design(QStringLiteral("cursor_hand"));
        // On X11, Qt hands the hot spot to the server in the picture's own pixels, unscaled.
        const qreal spot = QGuiApplication::platformName() == QLatin1String("xcb") ? hand.devicePixelRatio() : 1.0;
        return QCursor(hand, qRound(11 * spot), qRound(6 * spot));
    }();
    return cursor;
}

void applyPointer(QWidget &widget, Pointer pointer, const std::optional<QCursor> &icon)
{
    switch (pointer) {
    case Pointer::Hourglass:
        widget.setCursor(Qt::WaitCursor);
        break;
    case Pointer::Custom:
        if (icon) {
            widget.setCursor(*icon);
            break;
        }
        [[fallthrough]];
    case Pointer::Default:
        widget.unsetCursor();
        break;
    }
}

Control::Control(Form *form, const QString &name, const QRect &twips)
    : QWidget(form)
    , m_form(form)
    , m_twips(twips)
{
    setObjectName(name);
    setGeometry(toPixels(twips));
    QWidget::setVisible(true);
}

void Control::setLeft(int twips)
{
    move(twips, m_twips.y());
}

void Control::setTop(int twips)
{
    move(m_twips.x(), twips);
}

void Control::move(int leftTwips, int topTwips)
{
    m_twips.moveTo(leftTwips, topTwips);
    QWidget::move(toPixels(leftTwips), toPixels(topTwips));
}

void Control::move(const QRect &twips)
{
    m_twips = twips;
    setGeometry(toPixels(twips));
}

bool Control::isClickable() const
{
    return isSignalConnected(QMetaMethod::fromSignal(&Control::Click));
}

void Control::activate()
{
    if (Visible() && isEnabled())
        emit Click();
}

void Control::setVisible(bool visible)
{
    m_visible = visible;
    QWidget::setVisible(visible);
}

void Control::setMousePointer(Pointer pointer)
{
    m_pointer = pointer;
    applyPointer(*this, m_pointer, m_icon);
}

void Control::setMouseIcon(const std::optional<QCursor> &icon)
{
    m_icon = icon;
    applyPointer(*this, m_pointer, m_icon);
}

void Control::mousePressEvent(QMouseEvent *event)
{
    m_pressed = event->button() == Qt::LeftButton;
}

void Control::mouseReleaseEvent(QMouseEvent *event)
{
    const bool click = m_pressed && event->button() == Qt::LeftButton && rect().contains(event->position().toPoint());
    m_pressed = false;
    if (click)
        emit Click();
}

void Control::focusInEvent(QFocusEvent *event)
{
    QWidget::focusInEvent(event);
    m_form->showFocus();
}

void Control::focusOutEvent(QFocusEvent *event)
{
    QWidget::focusOutEvent(event);
    m_form->showFocus();
}

} // namespace forms
