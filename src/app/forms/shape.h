// SPDX-FileCopyrightText: 2026 Les Ateliers Calivento
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "control.h"

namespace forms {

// A rectangle outline.
class Shape : public Control
{
    Q_OBJECT
public:
    Shape(Form *form, const QString &name, const QRect &twips, int borderWidth);

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    int m_borderWidth;
};

} // namespace forms
