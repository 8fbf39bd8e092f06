// SPDX-FileCopyrightText: 2026 Les Ateliers Calivento
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "store/database.h"

#include <QSqlQuery>
#include <vector>

// A child's rounds and answers, as the game writes them, for the school's tests.
namespace schoolfill {

inline int count(QSqlDatabase &db, const QString &sql)
{
    QSqlQuery query(db);
    return query.exec(sql) && query.next() ? query.value(0).toInt() : -1;
}

// Plays `rounds` rounds of `answers` answers each; the last one is left in play when asked.
inline bool play(store::Database &db, const QString &childId, int rounds, int answers, bool lastInPlay = false)
{
    for (int r = 0; r < rounds; ++r) {
        store::Round round{
            store::newUuid(), childId, QStringLiteral("vue"), QStringLiteral("cordes"), 1, store::nowMs(), 0, {}, 0};
        if (!db.saveRound(round))
            return false;
        std::vector<store::Answer> rows;
        for (int a = 1; a <= answers; ++a)
            rows.push_back({round.id, a, QStringLiteral("violon"),
                            a % 3 ? QStringLiteral("violon") : QStringLiteral("alto"), a % 3 != 0, a % 2 == 1,
                            100LL * a});
        if (!db.addAnswers(rows))
            return false;
        if (lastInPlay && r == rounds - 1)
            continue;
        round.durationMs = 100LL * answers;
        round.outcome = QStringLiteral("gagné");
        round.points = answers;
        if (!db.saveRound(round))
            return false;
    }
    return true;
}

} // namespace schoolfill
