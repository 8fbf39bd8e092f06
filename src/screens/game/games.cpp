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
