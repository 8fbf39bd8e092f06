// SPDX-FileCopyrightText: 2026 Les Ateliers Calivento
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "records.h"

#include <QStringList>
#include <vector>

// First names and classes in the order a French reader expects: accents as French sorts them,
// case ignored ("Émile" between "Elsa" and "Farid"; "léa" beside "Léa").
namespace store {

bool lessFrench(const QString &a, const QString &b);
void sortFrench(QStringList &names);
void sortFrench(std::vector<Child> &children);

} // namespace store
