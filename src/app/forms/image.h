// SPDX-FileCopyrightText: 2026 Les Ateliers Calivento
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "control.h"

#include <QPixmap>

namespace forms {

// A picture on a screen, drawn at its natural size or stretched to the control.
// It takes drops when something listens to its DragDrop.
class Image : public Control
{
    Q_OBJECT
public:
    Image(Form *form, const QString &name, const QRect &twips, const QPixmap &picture, bool stretch);

    const QPixmap &Picture() const { return m_picture; }
    void setPicture(const QPixmap &picture);

    bool acceptsDrops() const override;

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QPixmap m_picture;
    bool m_stretch;
};

} // namespace forms
