// SPDX-FileCopyrightText: 2026 Les Ateliers Calivento
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "form.h"

#include "keys.h"
#include "screens.h"
#include "twips.h"

#include <QCloseEvent>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QPainter>
#include <QScreen>

namespace forms {

// The outline that follows the pointer while a label is dragged; the label itself stays put.
class DragOutline : public QWidget
{
public:
    explicit DragOutline(QWidget *parent)
        : QWidget(parent)
    {
        setObjectName(QStringLiteral("DragOutline"));
        setAttribute(Qt::WA_TransparentForMouseEvents);
        hide();
    }

protected:
    void paintEvent(QPaintEvent *) override
    {
        QPainter painter(this);
        QPen pen(QColor(0, 0, 0), 2, Qt::DotLine);
        painter.setPen(pen);
        painter.drawRect(rect().adjusted(1, 1, -1, -1));
    }
};

Form::Form(const QString &name, int widthTwips, int heightTwips)
    : QWidget(nullptr, Qt::Window | Qt::FramelessWindowHint)
    , m_width(widthTwips)
    , m_height(heightTwips)
{
    setObjectName(name);
    setAttribute(Qt::WA_OpaquePaintEvent);
    setFocusPolicy(Qt::StrongFocus);
    setWindowTitle(QStringLiteral("Calivento"));
    applyGeometry();
}

Form::~Form() = default;

void Form::Form_KeyDown(int, int) {}

void Form::Show()
{
    show();
    // The headless platform has no stacking of windows to change.
    static const bool stacked = QGuiApplication::platformName() != QLatin1String("offscreen");
    if (stacked)
        raise();
    if (windowFlags().testFlag(Qt::WindowDoesNotAcceptFocus))
        return;
    activateWindow();
    setFocus(Qt::ActiveWindowFocusReason);
}

void Form::Unload()
{
    Screens::instance().unload(this);
}

void Form::setLeft(float twips)
{
    m_left = twips;
    applyGeometry();
}

void Form::setTop(float twips)
{
    m_top = twips;
    applyGeometry();
}

QSize Form::desktopTwips()
{
    const QScreen *screen = QGuiApplication::primaryScreen();
    const QSize pixels = screen ? screen->geometry().size() : QSize(800, 600);
    return pixels * twipsPerPixel;
}

void Form::centreOnDesktop()
{
    const QSize desktop = desktopTwips();
    setLeft(centred(desktop.width(), m_width));
    setTop(centred(desktop.height(), m_height));
}

void Form::applyGeometry()
{
    const QScreen *screen = QGuiApplication::primaryScreen();
    const QPoint origin = screen ? screen->geometry().topLeft() : QPoint();
    setGeometry(origin.x() + toPixels(m_left), origin.y() + toPixels(m_top), toPixels(m_width), toPixels(m_height));
}

void Form::setPicture(const QPixmap &picture)
{
    m_picture = picture;
    update();
}

void Form::setBackColor(const QColor &color)
{
    m_backColor = color;
    update();
}

void Form::setMousePointer(Pointer pointer)
{
    m_pointer = pointer;
    applyPointer(*this, pointer, std::nullopt);
}

void Form::paintEvent(QPaintEvent *event)
{
    QPainter painter(this);
    painter.fillRect(event->rect(), m_backColor);
    if (!m_picture.isNull())
        painter.drawPixmap(0, 0, m_picture);
}

void Form::keyPressEvent(QKeyEvent *event)
{
    const int code = windowsKeyCode(event->key());
    if (code != 0)
        Form_KeyDown(code, shiftState(event->modifiers()));
    QWidget::keyPressEvent(event);
}

void Form::closeEvent(QCloseEvent *event)
{
    // Screens leave only through their own commands, never by a window-manager close.
    event->ignore();
}

void Form::beginDrag(Control *source, QPoint grabOffset)
{
    if (!m_outline)
        m_outline = new DragOutline(this);
    m_dragSource = source;
    m_grabOffset = grabOffset;
    m_outline->setGeometry(source->geometry());
    m_outline->raise();
    m_outline->show();
}

void Form::moveDrag(QPoint formPos)
{
    if (m_dragSource && m_outline)
        m_outline->move(formPos - m_grabOffset);
}

void Form::endDrag(QPoint formPos)
{
    Control *source = m_dragSource;
    cancelDrag();
    if (!source || !rect().contains(formPos))
        return;
    // childAt follows the stacking order, so the topmost control under the pointer gets the drop.
    auto *target = qobject_cast<Control *>(childAt(formPos));
    if (target && target->acceptsDrops())
        emit target->DragDrop(source);
}

void Form::cancelDrag()
{
    m_dragSource = nullptr;
    if (m_outline)
        m_outline->hide();
}

void Form::changeEvent(QEvent *event)
{
    if (event->type() == QEvent::EnabledChange && !isEnabled())
        cancelDrag();
    QWidget::changeEvent(event);
}

void Form::hideEvent(QHideEvent *event)
{
    cancelDrag();
    QWidget::hideEvent(event);
}

void Form::stackTopmostFirst(const QList<QWidget *> &controls)
{
    for (auto it = controls.crbegin(); it != controls.crend(); ++it)
        (*it)->raise();
}

} // namespace forms
