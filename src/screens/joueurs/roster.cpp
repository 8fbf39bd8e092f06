// SPDX-FileCopyrightText: 2026 Les Ateliers Calivento
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "roster.h"

#include "store/french.h"
#include "store/player.h"

#include <algorithm>

namespace joueurs {

namespace {

// A name's first letter, with its accent taken off: "É" is typed "e".
QChar initial(const QString &name)
{
    const QString bare = name.trimmed().normalized(QString::NormalizationForm_D);
    return bare.isEmpty() ? QChar() : bare.front().toUpper();
}

template <typename T, typename Name> void sortByName(std::vector<T> &items, Name name)
{
    std::ranges::stable_sort(items, [&](const T &a, const T &b) { return store::lessFrench(name(a), name(b)); });
}

} // namespace

bool fetchRoster(QObject *context, std::function<void(Roster)> done)
{
    store::Player &player = store::Player::current();
    if (!player.hasStore())
        return false;
    player.worker().query<Roster>(
        [](store::Database &db) {
            Roster roster;
            roster.classes = db.classes();
            roster.children = db.children();
            roster.classShown = db.setting(QLatin1String(classSetting)).value_or(QString());
            return roster;
        },
        context, std::move(done));
    return true;
}

Offer offerOf(const Roster &roster)
{
    if (!roster.classShown.isEmpty() && !childrenOf(roster, roster.classShown).empty())
        return Offer::Children;
    return classesWithChildren(roster).size() > 1 ? Offer::Classes : Offer::Children;
}

std::vector<store::Child> childrenOf(const Roster &roster, const QString &classId)
{
    std::vector<store::Child> children;
    for (const store::Child &child : roster.children)
        if (classId.isEmpty() || child.classId == classId)
            children.push_back(child);
    sortByName(children, [](const store::Child &c) { return c.firstName; });
    return children;
}

std::vector<store::ClassRow> classesWithChildren(const Roster &roster)
{
    std::vector<store::ClassRow> classes;
    for (const store::ClassRow &c : roster.classes)
        if (std::ranges::any_of(roster.children, [&](const store::Child &child) { return child.classId == c.id; }))
            classes.push_back(c);
    sortByName(classes, [](const store::ClassRow &c) { return c.name; });
    return classes;
}

int pageCount(int tiles)
{
    return std::max(1, (tiles + perPage - 1) / perPage);
}

int nextStartingWith(const std::vector<QString> &names, int from, QChar letter)
{
    const int n = static_cast<int>(names.size());
    const QChar wanted = letter.toUpper();
    for (int step = 1; step <= n; ++step) {
        const int i = ((from < 0 ? -1 : from) + step + n) % n;
        if (initial(names[static_cast<std::size_t>(i)]) == wanted)
            return i;
    }
    return -1;
}

} // namespace joueurs
