// SPDX-FileCopyrightText: 2026 Les Ateliers Calivento
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "app/forms/form.h"

#include <QRgb>
#include <array>
#include <optional>

// The backdrop: a borderless window in one colour over the whole desktop, behind the screens.
class Form_noire : public forms::Form
{
    Q_OBJECT
public:
    Form_noire();
    void Form_Load() override;

    // Covers the whole desktop; a window manager may also be asked to keep it full screen.
    void coverDesktop();

protected:
    void mousePressEvent(QMouseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
};

// The backdrop colours of the menu's keys F2 to F11, as 0x00BBGGRR values; F12 hides it.
namespace backdrop {
inline constexpr std::array<unsigned, 10> colorRefs{0x00FFFFFF, 0x00000000, 0x008080FF, 0x00FF0000, 0x00E0E0E0,
                                                     0x00FFC0FF, 0x00C0FFC0, 0x00FFC0C0, 0x00C0E0FF, 0x00C0FFFF};
// The colour for a key code (113 to 122), or nothing.
std::optional<QRgb> colorForKey(int keyCode);
inline constexpr int hideKey = 123;
} // namespace backdrop
