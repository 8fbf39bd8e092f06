// SPDX-FileCopyrightText: 2026 Les Ateliers Calivento
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QObject>
#include <functional>

namespace platform {

// Work that the game's first screen must not wait for: runs once every window on show has
// painted (right after that paint), or after fallbackMs should none ever paint. The returned
// object owns the wait; destroying it first cancels the work.
std::unique_ptr<QObject> afterFirstPaint(std::function<void()> work, int fallbackMs = 2000);

} // namespace platform
