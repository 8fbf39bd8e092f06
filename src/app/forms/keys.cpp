// SPDX-FileCopyrightText: 2026 Les Ateliers Calivento
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "keys.h"

#include <QCoreApplication>
#include <QKeyEvent>
#include <QPointer>

namespace forms {

namespace {

// An X server repeats a held key as a release and a press with one and the same time stamp. Qt
// flags that press as a repeat only when it already waits in the queue as the release is read,
// which it often does not yet: those it misses are flagged here, before any widget sees them.
class HeldKeys final : public QObject
{
public:
    using QObject::QObject;

    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() != QEvent::KeyPress && event->type() != QEvent::KeyRelease)
            return false;
        auto *key = static_cast<QKeyEvent *>(event);
        if (event->type() == QEvent::KeyRelease) {
            if (key->timestamp() != 0) // not a copy that the accessibility bridge sends on later
                m_released = {key->key(), key->timestamp()};
            return false;
        }
        if (key->isAutoRepeat() || key->timestamp() == 0 || m_released != std::pair(key->key(), key->timestamp()))
            return false;
        QKeyEvent repeat(QEvent::KeyPress, key->key(), key->modifiers(), key->nativeScanCode(), key->nativeVirtualKey(),
                         key->nativeModifiers(), key->text(), true, key->count(), key->device());
        repeat.setTimestamp(key->timestamp());
        QCoreApplication::sendEvent(watched, &repeat); // goes up to the screen itself if need be
        key->accept();
        return true;
    }

private:
    std::pair<int, quint64> m_released{0, 0};
};

} // namespace

int windowsKeyCode(int qtKey)
{
    if (qtKey >= Qt::Key_F1 && qtKey <= Qt::Key_F24)
        return vk::F1 + (qtKey - Qt::Key_F1);
    if ((qtKey >= Qt::Key_0 && qtKey <= Qt::Key_9) || (qtKey >= Qt::Key_A && qtKey <= Qt::Key_Z))
        return qtKey; // the same ASCII codes
    switch (qtKey) {
    case Qt::Key_Escape: return vk::Escape;
    case Qt::Key_Backspace: return 8;
    case Qt::Key_Tab: return 9;
    case Qt::Key_Return:
    case Qt::Key_Enter: return 13;
    case Qt::Key_Shift: return 16;
    case Qt::Key_Control: return 17;
    case Qt::Key_Alt: return 18;
    case Qt::Key_Space: return 32;
    case Qt::Key_Left: return 37;
    case Qt::Key_Up: return 38;
    case Qt::Key_Right: return 39;
    case Qt::Key_Down: return 40;
    case Qt::Key_Delete: return 46;
    default: return 0;
    }
}

int shiftState(Qt::KeyboardModifiers modifiers)
{
    return (modifiers & Qt::ShiftModifier ? 1 : 0) | (modifiers & Qt::ControlModifier ? 2 : 0)
           | (modifiers & Qt::AltModifier ? 4 : 0);
}

bool isPress(const QKeyEvent &event)
{
    const int key = event.key();
    return (key == Qt::Key_Return || key == Qt::Key_Enter || key == Qt::Key_Space) && !event.isAutoRepeat();
}

void flagHeldKeys()
{
    static QPointer<HeldKeys> filter;
    QCoreApplication *app = QCoreApplication::instance();
    if (!app)
        return;
    if (!filter)
        filter = new HeldKeys(app);
    // Installed again, it goes back ahead of the other filters: the accessibility bridge holds
    // key events back for screen readers, and its copies have no time stamp.
    app->installEventFilter(filter);
}

} // namespace forms
