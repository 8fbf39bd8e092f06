// SPDX-FileCopyrightText: 2026 Les Ateliers Calivento
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "control.h"

namespace forms {

// A command button that other handlers press in code. press() runs the Click handler at once,
// whether the button is disabled, hidden or out of sight.
class TriggerButton : public Control
{
    Q_OBJECT
public:
    TriggerButton(Form *form, const QString &name, const QString &caption, const QRect &twips);

    QString Caption() const { return m_caption; }
    void setCaption(const QString &caption);

    void press() { emit Click(); }

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QString m_caption;
};

} // namespace forms
