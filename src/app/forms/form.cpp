// SPDX-FileCopyrightText: 2026 Les Ateliers Calivento
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "form.h"

#include "keys.h"
#include "look.h"
#include "navigation.h"
#include "screens.h"
#include "twips.h"

#include <QApplication>
#include <QCloseEvent>
#include <QKeyEvent>
#include <QPainter>
#include <QScreen>
#include <algorithm>

namespace forms {

// A frame drawn over the screen: the outline that follows a dragged label (the label itself
// stays put), and the keyboard's outlines around the control in focus and the aimed picture.
class Outline : public QWidget
{
public:
    Outline(QWidget *parent, const QString &name, QPen pen, int margin)
        : QWidget(parent)
        , m_pen(std::move(pen))
        , m_margin(margin)
    {
        setObjectName(name);
        setAttribute(Qt::WA_TransparentForMouseEvents);
        hide();
    }

    // Around a rectangle of the screen, over every control.
    void around(const QRect &r)
    {
        setGeometry(r.adjusted(-m_margin, -m_margin, m_margin, m_margin));
        raise();
        show();
    }

protected:
    void paintEvent(QPaintEvent *) override
    {
        QPainter painter(this);
        painter.setPen(m_pen);
        painter.drawRect(rect().adjusted(1, 1, -1, -1));
    }

private:
    QPen m_pen;
    int m_margin;
};

namespace {
// Thick enough to be seen from the back of a classroom, and clear of the neighbouring labels.
constexpr int focusWidth = 3;
constexpr int focusMargin = 4;

std::optional<nav::Direction> arrow(int key)
{
    switch (key) {
    case Qt::Key_Left:
        return nav::Direction::Left;
    case Qt::Key_Right:
        return nav::Direction::Right;
    case Qt::Key_Up:
        return nav::Direction::Up;
    case Qt::Key_Down:
        return nav::Direction::Down;
    default:
        return std::nullopt;
    }
}
} // namespace

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

void Form::Form_KeyDown(int, int)
{
}

void Form::Show()
{
    flagHeldKeys();
    show();
    // The headless platform has no stacking of windows to change.
    static const bool stacked = QGuiApplication::platformName() != QLatin1String("offscreen");
    if (stacked)
        raise();
    if (windowFlags().testFlag(Qt::WindowDoesNotAcceptFocus))
        return;
    activateWindow();
    // A control chosen with the keys keeps the focus when its screen comes back.
    if (!qobject_cast<Control *>(focusWidget()))
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
    // Every screen's key handler acts on commands ("Oui", "Retour"): a held key's repeats may
    // move the focus, but never act again.
    if (code != 0 && !event->isAutoRepeat())
        Form_KeyDown(code, shiftState(event->modifiers()));
    if (!navigate(*event))
        QWidget::keyPressEvent(event);
}

bool Form::reachable(const QWidget &control) const
{
    return control.isVisible() && control.isEnabled() && rect().intersects(control.geometry());
}

// Tab and Shift+Tab, and Qt moving the focus on when the control in focus is hidden.
bool Form::focusNextPrevChild(bool next)
{
    const QList<Control *> order = keyboardOrder();
    if (order.isEmpty())
        return QWidget::focusNextPrevChild(next);
    if (m_keyboardDrag)
        return true;
    QList<bool> open;
    for (const Control *control : order)
        open.append(reachable(*control));
    const int to = nav::nextInOrder(open, static_cast<int>(order.indexOf(focusWidget())), next);
    if (to < 0)
        setFocus(Qt::OtherFocusReason);
    else
        order[to]->setFocus(next ? Qt::TabFocusReason : Qt::BacktabFocusReason);
    return true;
}

// The arrows, Enter, Space and Esc: choosing a control, pressing it, carrying a name.
bool Form::navigate(const QKeyEvent &event)
{
    if (event.modifiers() & (Qt::ControlModifier | Qt::AltModifier))
        return false;
    const std::optional<nav::Direction> direction = arrow(event.key());
    const bool press = isPress(event);

    if (m_keyboardDrag && m_dragSource) {
        const QList<QPair<Control *, QPoint>> aims = dropAims();
        auto current = std::find_if(aims.begin(), aims.end(), [&](const auto &a) { return a.first == m_aimed; });
        if (direction) {
            QList<QPoint> points;
            for (const auto &a : aims)
                points.append(a.second);
            const QPoint from = current != aims.end() ? current->second : m_dragSource->geometry().center();
            if (const int to = nav::nearestInDirection(points, from, *direction); to >= 0)
                aim(aims[to].first, aims[to].second);
        } else if (press) {
            // Judged exactly as a mouse drop at that point.
            if (current != aims.end() && m_dragSource->isVisible())
                endDrag(current->second);
            else
                cancelDrag();
        } else if (event.key() == Qt::Key_Escape) {
            cancelDrag();
        } else {
            return false;
        }
        return true;
    }

    if (direction) {
        const QList<Control *> order = keyboardOrder();
        QList<QPoint> centres;
        QList<Control *> open;
        for (Control *control : order) {
            if (reachable(*control) && control != focusWidget()) {
                open.append(control);
                centres.append(control->geometry().center());
            }
        }
        auto *focused = qobject_cast<Control *>(focusWidget());
        if (!focused || !reachable(*focused)) {
            if (!open.isEmpty())
                open.first()->setFocus(Qt::OtherFocusReason);
            return !order.isEmpty();
        }
        if (const int to = nav::nearestInDirection(centres, focused->geometry().center(), *direction); to >= 0)
            open[to]->setFocus(Qt::OtherFocusReason);
        return true;
    }
    if (press) {
        auto *focused = qobject_cast<Control *>(focusWidget());
        if (!focused || !reachable(*focused))
            return false;
        if (focused->draggable())
            pickUp(*focused);
        else
            focused->activate();
        return true;
    }
    return false;
}

QList<QPair<Control *, QPoint>> Form::dropAims() const
{
    QList<QRect> topmostFirst;
    QList<QWidget *> controls;
    const QList<QWidget *> children = findChildren<QWidget *>(QString(), Qt::FindDirectChildrenOnly);
    for (auto it = children.crbegin(); it != children.crend(); ++it) {
        QWidget *child = *it;
        if (child->isHidden() || child->testAttribute(Qt::WA_TransparentForMouseEvents))
            continue;
        controls.append(child);
        topmostFirst.append(child->geometry() & rect());
    }
    const QList<QRegion> parts = nav::uncoveredParts(topmostFirst);
    QList<QPair<Control *, QPoint>> aims;
    for (int i = 0; i < controls.size(); ++i) {
        auto *control = qobject_cast<Control *>(controls[i]);
        if (!control || !control->acceptsDrops() || !reachable(*control))
            continue;
        if (const std::optional<QPoint> at = nav::aimPoint(parts[i]))
            aims.append({control, *at});
    }
    return aims;
}

void Form::pickUp(Control &source)
{
    beginDrag(&source, source.rect().center());
    m_keyboardDrag = true;
    // The first aim is the picture nearest to the right of the name, as the names stand left
    // of the play area; the one aimed at last time if it is still there.
    const QList<QPair<Control *, QPoint>> aims = dropAims();
    for (const auto &a : aims) {
        if (a.first == m_aimed) {
            aim(a.first, a.second);
            return;
        }
    }
    QList<QPoint> points;
    for (const auto &a : aims)
        points.append(a.second);
    int first = nav::nearestInDirection(points, source.geometry().center(), nav::Direction::Right);
    if (first < 0 && !aims.isEmpty())
        first = 0;
    if (first >= 0)
        aim(aims[first].first, aims[first].second);
    else
        aim(nullptr, QPoint());
}

void Form::aim(Control *target, QPoint at)
{
    m_aimed = target;
    if (!m_aimOutline)
        m_aimOutline = new Outline(this, QStringLiteral("aimOutline"), QPen(headingColor, focusWidth), 0);
    if (!target) {
        m_aimOutline->hide();
        return;
    }
    m_aimOutline->around(target->geometry());
    moveDrag(at);
    m_outline->raise();
}

void Form::showFocus()
{
    auto *focused = qobject_cast<Control *>(focusWidget());
    const bool shown = focused && focused->isVisible() && focused->hasFocus();
    if (!m_focusOutline) {
        if (!shown)
            return;
        m_focusOutline = new Outline(this, QStringLiteral("focusOutline"), QPen(headingColor, focusWidth), focusMargin);
    }
    if (shown)
        m_focusOutline->around(focused->geometry());
    else
        m_focusOutline->hide();
}

// A disabled screen gets no more releases or keys: a drag under way there could never end.
void Form::changeEvent(QEvent *event)
{
    if (event->type() == QEvent::EnabledChange && !isEnabled())
        cancelDrag();
    QWidget::changeEvent(event);
}

void Form::closeEvent(QCloseEvent *event)
{
    // Screens leave only through their own commands, never by a window-manager close.
    event->ignore();
}

void Form::beginDrag(Control *source, QPoint grabOffset)
{
    if (!m_outline)
        m_outline = new Outline(this, QStringLiteral("dragOutline"), QPen(QColor(0, 0, 0), 2, Qt::DotLine), 0);
    cancelDrag();
    m_dragSource = source;
    m_grabOffset = grabOffset;
    m_outline->around(source->geometry());
}

void Form::moveDrag(QPoint formPos)
{
    if (m_dragSource && m_outline)
        m_outline->move(formPos - m_grabOffset);
}

void Form::cancelDrag()
{
    m_dragSource = nullptr;
    m_keyboardDrag = false;
    if (m_outline)
        m_outline->hide();
    if (m_aimOutline)
        m_aimOutline->hide();
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
