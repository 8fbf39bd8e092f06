// SPDX-FileCopyrightText: 2026 Les Ateliers Calivento
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "french.h"

#include <QCollator>
#include <algorithm>

namespace store {

namespace {
QCollator french()
{
    QCollator collator{QLocale(QLocale::French, QLocale::France)};
    collator.setCaseSensitivity(Qt::CaseInsensitive);
    collator.setNumericMode(true); // "Léa 2" before "Léa 10"
    return collator;
}
} // namespace

bool lessFrench(const QString &a, const QString &b)
{
    static thread_local const QCollator collator = french();
    return collator.compare(a, b) < 0;
}

void sortFrench(QStringList &names)
{
    std::stable_sort(names.begin(), names.end(), lessFrench);
}

void sortFrench(std::vector<Child> &children)
{
    std::stable_sort(children.begin(), children.end(),
                     [](const Child &a, const Child &b) { return lessFrench(a.firstName, b.firstName); });
}

} // namespace store
