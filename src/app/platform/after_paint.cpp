// SPDX-FileCopyrightText: 2026 Les Ateliers Calivento
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "after_paint.h"

#include <QApplication>
#include <QEvent>
#include <QSet>
#include <QTimer>
#include <QWidget>

namespace platform {

namespace {

class AfterPaint final : public QObject
{
public:
    AfterPaint(std::function<void()> work, int fallbackMs)
        : m_work(std::move(work))
    {
        if (QCoreApplication::instance())
            QCoreApplication::instance()->installEventFilter(this);
        QTimer::singleShot(fallbackMs, this, [this] { fire(); });
    }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() != QEvent::Paint || !watched->isWidgetType())
            return false;
        auto *widget = static_cast<QWidget *>(watched);
        if (!widget->isWindow())
            return false;
        m_painted.insert(widget);
        for (QWidget *window : QApplication::topLevelWidgets())
            if (window->isVisible() && !m_painted.contains(window))
                return false;
        QTimer::singleShot(0, this, [this] { fire(); }); // once this paint is over
        return false;
    }

private:
    void fire()
    {
        if (!m_work)
            return;
        if (QCoreApplication::instance())
            QCoreApplication::instance()->removeEventFilter(this);
        std::exchange(m_work, nullptr)();
    }

    std::function<void()> m_work;
    QSet<QWidget *> m_painted;
};

} // namespace

std::unique_ptr<QObject> afterFirstPaint(std::function<void()> work, int fallbackMs)
{
    return std::make_unique<AfterPaint>(std::move(work), fallbackMs);
}

} // namespace platform
