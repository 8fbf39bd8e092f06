// SPDX-FileCopyrightText: 2026 Les Ateliers Calivento
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QRect>
#include <cmath>

// All screen geometry is written in twips, the game's unit: 15 to a pixel on a 96-dpi desktop.
namespace forms {

inline constexpr int twipsPerPixel = 15;

inline int toPixels(double twips)
{
    return static_cast<int>(std::lround(twips / twipsPerPixel));
}

inline QRect toPixels(const QRect &twips)
{
    return {toPixels(twips.x()), toPixels(twips.y()), toPixels(twips.width()), toPixels(twips.height())};
}

// Where a screen of the given size lands when centred on a desktop of the given size.
// Computed in single precision, negative results kept as they are.
inline float centred(int desktopTwips, int screenTwips)
{
    return static_cast<float>(desktopTwips - screenTwips) / 2.0f;
}

} // namespace forms
