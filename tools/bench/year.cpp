// SPDX-FileCopyrightText: 2026 Les Ateliers Calivento
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "year.h"

#include "screens/game/catalogue.h"

#include <QRandomGenerator>
#include <array>

namespace bench {

namespace {

constexpr std::array<const char *, 6> gameKeys{"vents", "cordes", "percussions", "tous", "familles", "oreille"};

const char *familyKey(game::Family family)
{
    switch (family) {
    case game::Family::Cordes:
        return "famille:cordes";
    case game::Family::Vents:
        return "famille:vents";
    case game::Family::Percussions:
        return "famille:percussions";
    }
    return "";
}

// The rows a game draws from.
std::vector<int> rowsOf(const QString &game)
{
    std::vector<int> rows;
    for (int i = 0; i < game::instrumentCount; ++i) {
        const game::Family family = game::catalogue[static_cast<std::size_t>(i)].family;
        if ((game == QLatin1String("vents") && family == game::Family::Vents) ||
            (game == QLatin1String("cordes") && family == game::Family::Cordes) ||
            (game == QLatin1String("percussions") && family == game::Family::Percussions) ||
            game == QLatin1String("tous") || game == QLatin1String("familles") || game == QLatin1String("oreille"))
            rows.push_back(i);
    }
    return rows;
}

} // namespace

Year makeYear(store::Database &db, const YearSize &size, quint32 seed)
{
    QRandomGenerator random(seed);
    Year year;
    for (int c = 0; c < size.children; ++c) {
        if (c % size.childrenPerClass == 0) {
            const QString name = QStringLiteral("Classe %1").arg(year.classes.size() + 1);
            year.classes.push_back(*db.classNamed(name));
        }
        const auto drawing = game::catalogue[static_cast<std::size_t>(c) % game::catalogue.size()].file;
        year.children.push_back(*db.addChild(
            {{}, year.classes.back().id, QStringLiteral("Enfant %1").arg(c + 1), QLatin1String(drawing), {}, false}));
    }
    // School days from 1 September, 9:00 to 16:00, local time.
    const QDateTime start(QDate(2025, 9, 1), QTime(9, 0));
    const qint64 yearDays = 300;
    std::vector<store::Answer> batch;
    for (const store::Child &child : year.children) {
        // Each child knows each instrument to a degree of their own.
        std::array<double, game::instrumentCount> skill{};
        for (double &s : skill)
            s = 0.3 + 0.65 * random.generateDouble();
        for (int r = 0; r < size.roundsPerChild; ++r) {
            QDateTime day = start.addDays(yearDays * r / size.roundsPerChild);
            while (day.date().dayOfWeek() > 5)
                day = day.addDays(1);
            const QString game = QLatin1String(gameKeys[random.bounded(static_cast<quint32>(gameKeys.size()))]);
            const store::Round round{store::newUuid(),
                                     child.id,
                                     game == QLatin1String("oreille") ? QStringLiteral("oreille")
                                                                      : QStringLiteral("vue"),
                                     game,
                                     1 + static_cast<int>(random.bounded(3u)),
                                     day.addSecs(random.bounded(7 * 3600)).toMSecsSinceEpoch(),
                                     0,
                                     random.bounded(4u) ? QStringLiteral("gagné") : QStringLiteral("perdu"),
                                     static_cast<int>(random.bounded(30u))};
            const std::vector<int> rows = rowsOf(game);
            qint64 elapsed = 0;
            int missed = -1; // a picture answered wrong is tried again, not for the first time
            for (int a = 0; a < size.answersPerRound; ++a) {
                const int shown = rows[random.bounded(static_cast<quint32>(rows.size()))];
                const bool right = random.generateDouble() < skill[static_cast<std::size_t>(shown)];
                // A wrong answer is most often the next instrument of the catalogue: a confusion.
                const int taken = right ? shown
                                  : random.bounded(3u)
                                      ? (shown + 1) % game::instrumentCount
                                      : static_cast<int>(random.bounded(static_cast<quint32>(game::instrumentCount)));
                const auto &instrument = game::catalogue[static_cast<std::size_t>(shown)];
                const QString answer =
                    game == QLatin1String("familles")
                        ? QLatin1String(familyKey(right ? instrument.family
                                                        : game::catalogue[static_cast<std::size_t>(taken)].family))
                        : QLatin1String(game::catalogue[static_cast<std::size_t>(taken)].file);
                elapsed += 800 + random.bounded(4000u);
                batch.push_back(
                    {round.id, a + 1, QLatin1String(instrument.file), answer, right, shown != missed, elapsed});
                missed = right ? -1 : shown;
            }
            store::Round kept = round;
            kept.durationMs = elapsed + 1000;
            db.saveRound(kept);
            ++year.rounds;
            year.answers += size.answersPerRound;
            if (batch.size() >= 4096) {
                db.addAnswers(batch);
                batch.clear();
            }
        }
    }
    db.addAnswers(batch);
    return year;
}

} // namespace bench
