// SPDX-FileCopyrightText: 2026 Les Ateliers Calivento
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "keyboard.h"

#include "app/forms/keys.h"
#include "app/forms/label.h"

#include <QKeyEvent>
#include <QPainter>

namespace listen {

namespace {

// Drawn over the control while it has the focus; the control itself is left as it is.
class FocusFrame final : public QWidget
{
public:
    explicit FocusFrame(forms::Control &control)
        : QWidget(&control)
        , m_control(control)
    {
        setObjectName(control.objectName() + QStringLiteral("_focus"));
        setAttribute(Qt::WA_TransparentForMouseEvents);
        hide();
        control.installEventFilter(this);
    }

protected:
    bool eventFilter(QObject *, QEvent *event) override
    {
        switch (event->type()) {
        case QEvent::FocusIn:
            setGeometry(m_control.rect());
            show();
            raise();
            break;
        case QEvent::FocusOut:
            hide();
            break;
        case QEvent::Resize:
            setGeometry(m_control.rect());
            break;
        case QEvent::KeyPress:
            if (forms::isPress(*static_cast<QKeyEvent *>(event)) && m_control.isEnabled()) {
                emit m_control.Click();
                return true;
            }
            break;
        default:
            break;
        }
        return false;
    }

    void paintEvent(QPaintEvent *) override
    {
        QPainter painter(this);
        // In the text's colour, which stands out on the control's own background.
        const auto *label = qobject_cast<const forms::Label *>(&m_control);
        painter.setPen(QPen(label ? label->look().fore : QColor(0, 0, 0), 1, Qt::DotLine));
        painter.drawRect(rect().adjusted(2, 2, -3, -3));
    }

private:
    forms::Control &m_control;
};

} // namespace

void clickWithKeys(forms::Control &control)
{
    control.setFocusPolicy(Qt::StrongFocus);
    new FocusFrame(control);
}

} // namespace listen
