// SPDX-FileCopyrightText: 2026 Les Ateliers Calivento
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "control.h"
#include "look.h"

#include <QTouchEvent>
#include <functional>

namespace forms {

// How a label looks, as the screen tables describe it.
struct LabelLook {
    std::optional<QColor> back = std::nullopt; // opaque background; none = transparent
    QColor fore = windowTextColor;
    bool border = false; // single line
    Qt::Alignment align = Qt::AlignLeft;
    bool wrap = true;
    FontSpec font = {};
};

// A text on a screen; with a Click handler and the hand pointer it serves as a button, and in
// automatic drag mode pressing it starts a drag of its outline (see Form).
class Label : public Control
{
    Q_OBJECT
public:
    Label(Form *form, const QString &name, const QString &caption, const QRect &twips, const LabelLook &look);

    QString Caption() const { return m_caption; }
    void setCaption(const QString &caption);

    const LabelLook &look() const { return m_look; }
    void setBackColor(const QColor &color);

    bool dragAutomatic() const { return m_dragAutomatic; }
    void setDragAutomatic(bool on);
    bool draggable() const override { return m_dragAutomatic; }

    // What is drawn for a caption, when it differs from the caption itself.
    void setDisplayText(std::function<QString(const QString &)> transform);

protected:
    bool event(QEvent *event) override;
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void tabletEvent(QTabletEvent *event) override;

private:
    // A drag is the same whatever drives it: the mouse, a finger or a pen.
    enum class DraggedBy { Nothing, Mouse, Finger, Pen };
    void startDrag(DraggedBy by, QPoint at);
    void followDrag(QPoint at);
    void finishDrag(QPoint at);
    void fingerEvent(QTouchEvent &event);

    QString m_caption;
    LabelLook m_look;
    bool m_dragAutomatic = false;
    DraggedBy m_draggedBy = DraggedBy::Nothing;
    int m_finger = -1; // the touch point that drags
    std::function<QString(const QString &)> m_displayText;
};

} // namespace forms
