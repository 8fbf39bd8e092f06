// SPDX-FileCopyrightText: 2026 Les Ateliers Calivento
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QColor>
#include <QFont>
#include <QRect>
#include <QString>

class QPainter;

namespace forms {

// Text style of a control. Sizes are typographic points at 96 dpi, as the screens are designed.
struct FontSpec {
    const char *family = "Times New Roman";
    double points = 12.0;
    bool bold = false;
    bool italic = false;
    bool underline = false;
};

// The font of a text style, with the free metric-compatible substitutes for the classic Windows faces.
QFont makeFont(const FontSpec &style);

// Colours written the Windows way, 0x00BBGGRR.
constexpr QRgb fromColorRef(unsigned colorRef)
{
    return qRgb(colorRef & 0xFF, (colorRef >> 8) & 0xFF, (colorRef >> 16) & 0xFF);
}

// A frame of the given thickness inside a rectangle. On a screen scaled by a fractional factor
// its sides are laid on whole device pixels, so that all four are equally thick and sharp.
void drawFrame(QPainter &painter, const QRect &rect, int thickness, const QColor &color);

inline const QColor windowColor{255, 255, 255};
// The menu's game headings; the keyboard's outlines are drawn in it on every screen.
inline const QColor headingColor{128, 64, 0};
inline const QColor windowTextColor{0, 0, 0};

} // namespace forms
