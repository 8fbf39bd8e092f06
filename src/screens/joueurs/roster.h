// SPDX-FileCopyrightText: 2026 Les Ateliers Calivento
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "store/records.h"

#include <QObject>
#include <QString>
#include <functional>
#include <vector>

// Who may play on this computer, and how "Qui joue ?" pages through them: plain data and rules.
namespace joueurs {

inline constexpr int columns = 6;
inline constexpr int rows = 5;
inline constexpr int perPage = columns * rows;

// The key under which the store keeps the class this computer shows.
inline constexpr const char *classSetting = "classe_du_poste";

struct Roster {
    std::vector<store::ClassRow> classes;
    std::vector<store::Child> children;
    QString classShown; // this computer's class; empty when none was chosen
};

// Reads who may play on the store's thread and hands it to done on this one, unless context is
// gone by then. False, and nothing read, when there is no store: at home, none is made.
bool fetchRoster(QObject *context, std::function<void(Roster)> done);

// What "Qui joue ?" offers first: the children of the computer's class, or of the only class,
// or, with several classes and none chosen, the classes. Read from the store's thread.
enum class Offer { Children, Classes };
Offer offerOf(const Roster &roster);

// The children of a class (all of them for an empty id), in French alphabetical order.
std::vector<store::Child> childrenOf(const Roster &roster, const QString &classId);
// The classes that have children, in French alphabetical order.
std::vector<store::ClassRow> classesWithChildren(const Roster &roster);

int pageCount(int tiles);

// The next name after `from` (wrapping round, -1 = from the start) whose first letter, accent
// and case aside, is the given one; -1 when none is.
int nextStartingWith(const std::vector<QString> &names, int from, QChar letter);

} // namespace joueurs
