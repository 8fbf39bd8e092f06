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
