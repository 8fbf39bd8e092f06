// SPDX-FileCopyrightText: 2026 Les Ateliers Calivento
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "control.h"

#include <QColor>
#include <QPixmap>

namespace forms {

class Outline;

// A screen: a borderless top-level window with a twips geometry, a picture drawn at natural size
// from its top-left corner over its back colour, load and unload handlers, and key preview.
// Screens are created through forms::get<T>() (see screens.h) and never directly.
class Form : public QWidget
{
    Q_OBJECT
public:
    Form(const QString &name, int widthTwips, int heightTwips);
    ~Form() override;

    virtual void Form_Load() {}
    virtual void Form_Unload() {}
    // Sees every key before the screen's controls; Windows key codes, shift state 1/2/4.
    virtual void Form_KeyDown(int keyCode, int shift);

    // Shows without blocking and brings the screen to the front.
    void Show();
    void Hide() { hide(); }
    void Unload();

    float Left() const { return m_left; }
    float Top() const { return m_top; }
    void setLeft(float twips);
    void setTop(float twips);
    int Width() const { return m_width; }
    int Height() const { return m_height; }
    // Centres the screen on the desktop; used first thing by every 800 x 600 screen's load.
    void centreOnDesktop();

    bool Enabled() const { return isEnabled(); }

    const QPixmap &Picture() const { return m_picture; }
    void setPicture(const QPixmap &picture);
    QColor BackColor() const { return m_backColor; }
    void setBackColor(const QColor &color);

    Pointer mousePointer() const { return m_pointer; }
    void setMousePointer(Pointer pointer);

    // The in-screen drag of a label's outline, driven by the dragged label or by the keys.
    void beginDrag(Control *source, QPoint grabOffset);
    void moveDrag(QPoint formPos);
    void endDrag(QPoint formPos);
    // Puts the name back: the outline goes, nothing is dropped.
    void cancelDrag();
    Control *dragSource() const { return m_dragSource; }
    // While a name is carried with the keys, the control it would be dropped on.
    Control *dropTarget() const { return m_aimed; }

    // The controls that Tab and the arrows visit, in Tab order; each screen names its own.
    // Those hidden, disabled or out of sight are passed over.
    virtual QList<Control *> keyboardOrder() { return {}; }
    // Draws the outline around the control in focus, which only the keys give it.
    void showFocus();

    // Stacks the named controls so that the first is on top and each receives the drops over
    // the ones after it.
    void stackTopmostFirst(const QList<QWidget *> &controls);

    // The desktop's size in twips.
    static QSize desktopTwips();

protected:
    void paintEvent(QPaintEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    void changeEvent(QEvent *event) override;
    void hideEvent(QHideEvent *event) override;
    bool focusNextPrevChild(bool next) override;

private:
    void applyGeometry();
    bool reachable(const QWidget &control) const;
    bool navigate(const QKeyEvent &event);
    void pickUp(Control &source);
    void aim(Control *target, QPoint at);
    // Where each control that takes drops can be hit, topmost first by the stacking order.
    QList<QPair<Control *, QPoint>> dropAims() const;

    float m_left = 0;
    float m_top = 0;
    int m_width;
    int m_height;
    QPixmap m_picture;
    QColor m_backColor = windowColorDefault();
    Pointer m_pointer = Pointer::Default;
    Outline *m_outline = nullptr;
    Outline *m_focusOutline = nullptr;
    Outline *m_aimOutline = nullptr;
    Control *m_dragSource = nullptr;
    QPoint m_grabOffset;
    bool m_keyboardDrag = false;
    Control *m_aimed = nullptr;

    static QColor windowColorDefault() { return QColor(255, 255, 255); }
};

} // namespace forms
