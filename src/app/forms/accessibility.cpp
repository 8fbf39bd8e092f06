// SPDX-FileCopyrightText: 2026 Les Ateliers Calivento
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "accessibility.h"

#include "form.h"
#include "image.h"
#include "label.h"
#include "triggerbutton.h"

#include <QAccessibleWidget>

namespace forms {

namespace {

class ControlAccessible : public QAccessibleWidget
{
public:
    explicit ControlAccessible(Control *control)
        : QAccessibleWidget(control)
    {
    }

    // Asked each time: handlers are connected after a control is made.
    QAccessible::Role role() const override
    {
        auto *control = static_cast<Control *>(widget());
        if (qobject_cast<TriggerButton *>(control) || control->isClickable())
            return QAccessible::Button;
        return qobject_cast<Image *>(control) ? QAccessible::Graphic : QAccessible::StaticText;
    }

    QString text(QAccessible::Text t) const override
    {
        if (t == QAccessible::Name) {
            if (auto *label = qobject_cast<Label *>(widget()))
                return QString(label->Caption()).remove(QLatin1Char('&'));
            if (!widget()->toolTip().isEmpty())
                return widget()->toolTip();
            return widget()->objectName();
        }
        return QAccessibleWidget::text(t);
    }
};

QAccessibleInterface *factory(const QString &, QObject *object)
{
    if (auto *control = qobject_cast<Control *>(object))
        return new ControlAccessible(control);
    return nullptr;
}

} // namespace

void installAccessibility()
{
    static bool installed = false;
    if (!installed)
        QAccessible::installFactory(factory);
    installed = true;
}

} // namespace forms
