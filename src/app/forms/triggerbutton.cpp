// SPDX-FileCopyrightText: 2026 Les Ateliers Calivento
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "triggerbutton.h"

#include <QPainter>
#include <QStyleOptionButton>

namespace forms {

TriggerButton::TriggerButton(Form *form, const QString &name, const QString &caption, const QRect &twips)
    : Control(form, name, twips)
    , m_caption(caption)
{
}

void TriggerButton::setCaption(const QString &caption)
{
    m_caption = caption;
    update();
}

void TriggerButton::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    QStyleOptionButton option;
    option.initFrom(this);
    option.text = m_caption;
    style()->drawControl(QStyle::CE_PushButton, &option, &painter, this);
}

} // namespace forms
