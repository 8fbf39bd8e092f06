// SPDX-FileCopyrightText: 2026 Les Ateliers Calivento
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QCursor>
#include <QWidget>
#include <optional>

namespace forms {

class Form;

// Mouse pointer values of the game: the default arrow, the hourglass, or the control's own icon.
enum class Pointer { Default = 0, Hourglass = 11, Custom = 99 };

// The game's one custom cursor: a pointing hand, hot spot on the fingertip.
const QCursor &handCursor();

// Applies a pointer value (and the icon used by Pointer::Custom) to any widget.
void applyPointer(QWidget &widget, Pointer pointer, const std::optional<QCursor> &icon);

// Base of every control placed on a screen: twips geometry, its own Visible and Enabled
// properties (independent of the screen's), its pointer, and a Click.
class Control : public QWidget
{
    Q_OBJECT
public:
    Control(Form *form, const QString &name, const QRect &twips);

    int Left() const { return m_twips.x(); }
    int Top() const { return m_twips.y(); }
    int Width() const { return m_twips.width(); }
    int Height() const { return m_twips.height(); }
    void setLeft(int twips);
    void setTop(int twips);
    void move(int leftTwips, int topTwips);
    void move(const QRect &twips);

    bool Visible() const { return m_visible; }
    void setVisible(bool visible) override;
    bool Enabled() const { return !testAttribute(Qt::WA_ForceDisabled); }

    Pointer mousePointer() const { return m_pointer; }
    void setMousePointer(Pointer pointer);
    const std::optional<QCursor> &mouseIcon() const { return m_icon; }
    void setMouseIcon(const std::optional<QCursor> &icon);

    // Drops are offered to a control only when it takes them.
    virtual bool acceptsDrops() const { return false; }
    // Whether pressing on it starts a drag of its outline.
    virtual bool draggable() const { return false; }
    // A control with a Click handler acts as a button.
    bool isClickable() const;
    // Runs the Click as a click would: only while the control is visible and enabled (its
    // screen too). Keys and assistive technologies press buttons this way.
    void activate();

    Form *form() const { return m_form; }

signals:
    void Click();
    void DragDrop(forms::Control *source);

protected:
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void focusInEvent(QFocusEvent *event) override;
    void focusOutEvent(QFocusEvent *event) override;

private:
    Form *m_form;
    QRect m_twips;
    bool m_visible = true;
    bool m_pressed = false;
    Pointer m_pointer = Pointer::Default;
    std::optional<QCursor> m_icon;
};

} // namespace forms
