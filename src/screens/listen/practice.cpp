// SPDX-FileCopyrightText: 2026 Les Ateliers Calivento
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "practice.h"

#include "screens/game/catalogue.h"
#include "store/database.h"

#include <algorithm>
#include <numeric>

namespace listen::practice {

namespace {

// The extra questions go to the boxes to practise in these proportions; the third box gets none.
constexpr std::array<int, boxes + 1> boxWeight{0, 4, 2, 0};
// When a level has more instruments than a round has questions, this share of the round still
// goes to the ones to practise.
constexpr int practiceShare = 3;

bool askedIn(const std::vector<Asked> &round, int row)
{
    return std::ranges::any_of(round, [row](const Asked &a) { return a.row == row; });
}

// Rounds since the row was last asked: 0 when the last round asked it; more than any when never.
int waited(const History &history, int row)
{
    for (std::size_t i = history.size(); i-- > 0;)
        if (askedIn(history[i], row))
            return static_cast<int>(history.size() - 1 - i);
    return static_cast<int>(history.size()) + 1;
}

std::size_t below(platform::Random &random, std::size_t n)
{
    return std::min(static_cast<std::size_t>(random.next() * static_cast<float>(n)), n - 1);
}

template <typename T> void shuffle(std::vector<T> &items, platform::Random &random)
{
    for (std::size_t i = items.size(); i > 1; --i)
        std::swap(items[i - 1], items[below(random, i)]);
}

// Whether what remains can still be asked with no row twice in a row, the last one asked being
// `last`: a row takes at most every other place, and `last` cannot take the first.
bool arrangeable(const std::vector<int> &remaining, int total, std::size_t last)
{
    for (std::size_t i = 0; i < remaining.size(); ++i)
        if (remaining[i] > (i == last ? total / 2 : (total + 1) / 2))
            return false;
    return true;
}

// The questions in an order with no row twice in a row, each next one drawn in proportion to how
// many times its row is still to come.
std::vector<int> order(std::span<const int> rows, std::vector<int> quota, int previous, platform::Random &random)
{
    std::vector<int> questions;
    int total = std::accumulate(quota.begin(), quota.end(), 0);
    auto last = static_cast<std::size_t>(std::ranges::find(rows, previous) - rows.begin()); // rows.size(): none
    while (total > 0) {
        std::vector<std::size_t> open;
        int weight = 0;
        for (std::size_t i = 0; i < quota.size(); ++i) {
            if (quota[i] == 0 || i == last)
                continue;
            --quota[i];
            if (arrangeable(quota, total - 1, i)) {
                open.push_back(i);
                weight += quota[i] + 1;
            }
            ++quota[i];
        }
        std::size_t chosen = quota.size();
        if (!open.empty()) {
            auto r = static_cast<int>(below(random, static_cast<std::size_t>(weight)));
            for (std::size_t i : open) {
                r -= quota[i];
                if (r < 0) {
                    chosen = i;
                    break;
                }
            }
        } else {
            // Only one row left to ask: it comes again, there is no other way.
            chosen = static_cast<std::size_t>(std::ranges::find_if(quota, [](int q) { return q > 0; }) - quota.begin());
        }
        --quota[chosen];
        --total;
        last = chosen;
        questions.push_back(rows[chosen]);
    }
    return questions;
}

} // namespace

int box(const History &history, int row)
{
    int b = boxes;
    for (const std::vector<Asked> &round : history) {
        const bool asked = askedIn(round, row);
        const bool missed =
            std::ranges::any_of(round, [row](const Asked &a) { return a.row == row && !a.rightFirstTry; });
        if (missed)
            b = 1;
        else if (asked)
            b = std::min(b + 1, boxes);
    }
    return b;
}

std::vector<int> drawQuestions(std::span<const int> rows, const History &history, int count, platform::Random &random)
{
    if (rows.empty() || count <= 0)
        return {};
    const std::size_t n = rows.size();
    // The rows in a random order, then sorted by what matters: ties stay random.
    std::vector<std::size_t> byNeed(n);
    std::iota(byNeed.begin(), byNeed.end(), std::size_t{0});
    shuffle(byNeed, random);
    std::vector<int> boxOf(n);
    std::vector<int> waitOf(n);
    for (std::size_t i = 0; i < n; ++i) {
        boxOf[i] = box(history, rows[i]);
        waitOf[i] = waited(history, rows[i]);
    }
    std::ranges::stable_sort(byNeed, [&](std::size_t a, std::size_t b) {
        return std::pair(boxOf[a], -waitOf[a]) < std::pair(boxOf[b], -waitOf[b]);
    });
    const auto weak = static_cast<std::size_t>(std::ranges::count_if(boxOf, [](int b) { return b < boxes; }));

    std::vector<int> quota(n, 0);
    int left = count;
    if (static_cast<int>(n) <= count) {
        std::ranges::fill(quota, 1);
        left -= static_cast<int>(n);
    } else {
        // Some of the round for the rows to practise, the rest for those waiting longest.
        const auto practised = std::min(weak, static_cast<std::size_t>(count / practiceShare));
        for (std::size_t k = 0; k < practised; ++k)
            quota[byNeed[k]] = 1;
        std::vector<std::size_t> rest(byNeed.begin() + static_cast<std::ptrdiff_t>(practised), byNeed.end());
        std::ranges::stable_sort(rest, [&](std::size_t a, std::size_t b) { return waitOf[a] > waitOf[b]; });
        for (std::size_t k = 0; k < rest.size() && static_cast<int>(practised + k) < count; ++k)
            quota[rest[k]] = 1;
        left = 0;
    }

    // The questions left over: to the boxes to practise in proportion to their weight, each row
    // at most every other question; then in turn to all.
    const int cap = std::max(1, count / 2);
    for (; left > 0; --left) {
        std::size_t best = n;
        for (std::size_t i : byNeed) {
            if (quota[i] >= cap || boxWeight[static_cast<std::size_t>(boxOf[i])] == 0)
                continue;
            const auto share = [&](std::size_t k) {
                return double(boxWeight[static_cast<std::size_t>(boxOf[k])]) / (quota[k] + 1);
            };
            if (best == n || share(i) > share(best))
                best = i;
        }
        if (best == n)
            for (std::size_t i : byNeed)
                if (quota[i] < cap && (best == n || quota[i] < quota[best]))
                    best = i;
        if (best == n)
            break;
        ++quota[best];
    }

    const int previous = history.empty() || history.back().empty() ? -1 : history.back().back().row;
    return order(rows, std::move(quota), previous, random);
}

History recentRounds(store::Database &db, const QString &childId)
{
    History history;
    QString round;
    for (const store::Database::FirstAnswer &answer : db.recentFirstAnswers(childId, QStringLiteral("oreille"), roundsKept)) {
        const int row = game::indexOfFile(answer.instrument.toStdString());
        if (row < 0)
            continue;
        if (history.empty() || answer.roundId != round) {
            round = answer.roundId;
            history.emplace_back();
        }
        history.back().push_back({row, answer.correct});
    }
    return history;
}

} // namespace listen::practice
