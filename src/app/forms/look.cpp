// SPDX-FileCopyrightText: 2026 Les Ateliers Calivento
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "look.h"

#include <cmath>
#include <cstring>

namespace forms {

QFont makeFont(const FontSpec &style)
{
    const bool serif = std::strcmp(style.family, "Times New Roman") == 0;
    QFont font(serif ? QStringLiteral("Liberation Serif") : QStringLiteral("Liberation Sans"));
    font.setStyleHint(serif ? QFont::Serif : QFont::SansSerif);
    // Pixel sizes keep the designed layout whatever DPI the display reports.
    font.setPixelSize(static_cast<int>(std::lround(style.points * 96.0 / 72.0)));
    font.setBold(style.bold);
    font.setItalic(style.italic);
    font.setUnderline(style.underline);
    return font;
}

} // namespace forms
