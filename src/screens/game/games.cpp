// SPDX-FileCopyrightText: 2026 Les Ateliers Calivento
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "games.h"

namespace game {

const GameInfo &info(GameId id)
{
    for (const GameInfo &g : games)
        if (g.id == id)
            return g;
    return games.front();
}

const GameInfo *byTitle(const QString &title)
{
    for (const GameInfo &g : games)
        if (title == QString::fromUtf8(g.title))
            return &g;
    return nullptr;
}

} // namespace game
