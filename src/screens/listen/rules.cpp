// SPDX-FileCopyrightText: 2026 Les Ateliers Calivento
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "rules.h"

#include "store/progress.h"

#include <algorithm>
#include <cmath>

namespace listen {

namespace {

// Within a section, the order of the orchestra's score: high voices first.
constexpr std::array<const char *, game::instrumentCount> scoreOrder{
    "violon",   "alto",        "Violoncelle", "contrebasse",      "harpe",     "Piano",   "Piccolo",   "Flûte",
    "Hautbois", "Cor_anglais", "Clarinette",  "Clarinette_Basse", "Saxophone", "basson",  "Ct_Basson", "Trompette",
    "Cor",      "Trombone",    "tuba",        "Timbales",         "GCaisse",   "CClaire", "Cymbales",  "Tambourin",
};

constexpr std::array<const char *, 4> firstLevel{"violon", "Flûte", "Trompette", "Timbales"};
constexpr std::array<const char *, 4> secondLevelAdds{"Piano", "Clarinette", "tuba", "Cymbales"};

template <std::size_t N> constexpr bool allPictures(const std::array<const char *, N> &names)
{
    return std::all_of(names.begin(), names.end(), [](const char *n) { return game::indexOfPicture(n) >= 0; });
}
static_assert(allPictures(scoreOrder) && allPictures(firstLevel) && allPictures(secondLevelAdds));

int scorePosition(int row)
{
    const std::string_view picture = game::catalogue[static_cast<std::size_t>(row)].picture;
    return static_cast<int>(std::find(scoreOrder.begin(), scoreOrder.end(), picture) - scoreOrder.begin());
}

// Screen geometry is in whole pixels: 15 twips each. The gap also leaves room for a frame round
// a picture.
constexpr int px = 15;
constexpr int captionWidth = 1680;
constexpr int captionHeight = 375;
constexpr int gap = 60;
// A band is split into at least this many cells, so that a lone picture keeps a modest size.
constexpr int fewestCells = 4;

int snap(int twips)
{
    return twips / px * px;
}

} // namespace

std::vector<int> levelRows(int level)
{
    std::vector<int> rows;
    if (level >= 3) {
        for (int row = 0; row < game::instrumentCount; ++row)
            rows.push_back(row);
        return rows;
    }
    for (const char *p : firstLevel)
        rows.push_back(game::indexOfPicture(p));
    if (level == 2)
        for (const char *p : secondLevelAdds)
            rows.push_back(game::indexOfPicture(p));
    std::sort(rows.begin(), rows.end());
    return rows;
}

std::vector<int> drawQuestions(std::span<const int> rows, int count, platform::Random &random)
{
    std::vector<int> questions;
    if (rows.empty())
        return questions;
    std::vector<int> deck;
    while (static_cast<int>(questions.size()) < count) {
        // One shuffled pass over all the rows at a time keeps them equally frequent.
        deck.assign(rows.begin(), rows.end());
        for (std::size_t i = deck.size(); i > 1; --i) {
            const auto j = std::min(static_cast<std::size_t>(random.next() * static_cast<float>(i)), i - 1);
            std::swap(deck[i - 1], deck[j]);
        }
        if (!questions.empty() && deck.size() > 1 && deck.front() == questions.back())
            std::swap(deck.front(), deck.back());
        for (int row : deck)
            if (static_cast<int>(questions.size()) < count)
                questions.push_back(row);
    }
    return questions;
}

int afterRound(int stored, int level, int rightFirstTry)
{
    return rightFirstTry >= rightToOpen ? store::progress::afterWin(stored, level) : stored;
}

std::vector<SectionBand> layoutByFamily(std::span<const int> rows, const QRect &area)
{
    std::vector<SectionBand> bands;
    for (const game::SectionInfo &s : game::sections) {
        std::vector<int> members;
        for (int row : rows)
            if (row >= 0 && row < game::instrumentCount && game::voice(row).section == s.section)
                members.push_back(row);
        if (members.empty())
            continue;
        std::sort(members.begin(), members.end(), [](int a, int b) { return scorePosition(a) < scorePosition(b); });
        members.erase(std::unique(members.begin(), members.end()), members.end());
        SectionBand &band = bands.emplace_back();
        band.section = s.section;
        for (int row : members)
            band.cells.push_back({row, {}, {}});
    }
    if (bands.empty())
        return bands;

    const int bandHeight = snap(area.height() / static_cast<int>(bands.size()));
    const int cellsLeft = area.left() + captionWidth + gap;
    const int cellsWidth = area.left() + area.width() - cellsLeft;
    for (std::size_t b = 0; b < bands.size(); ++b) {
        SectionBand &band = bands[b];
        const int top = area.top() + static_cast<int>(b) * bandHeight;
        band.caption = {area.left(), top + snap((bandHeight - captionHeight) / 2), captionWidth, captionHeight};
        const int count = static_cast<int>(band.cells.size());
        const int cellWidth = snap(cellsWidth / std::max(fewestCells, count));
        const int first = cellsLeft + snap((cellsWidth - count * cellWidth) / 2);
        for (int c = 0; c < count; ++c) {
            Cell &cell = band.cells[static_cast<std::size_t>(c)];
            cell.cell = {first + c * cellWidth, top, cellWidth, bandHeight};
            // Fitted in whole pixels, so that the drawn picture keeps the drawing's proportions.
            const game::Instrument &instrument = game::catalogue[static_cast<std::size_t>(cell.row)];
            const double roomW = (cellWidth - 2 * gap) / px;
            const double roomH = (bandHeight - 2 * gap) / px;
            const double scale = std::min(roomW / instrument.pixelWidth, roomH / instrument.pixelHeight);
            const int w = std::max(1, static_cast<int>(std::lround(instrument.pixelWidth * scale)));
            const int h = std::max(1, static_cast<int>(std::lround(instrument.pixelHeight * scale)));
            cell.picture = {cell.cell.left() + snap((cellWidth - w * px) / 2), top + snap((bandHeight - h * px) / 2),
                            w * px, h * px};
        }
    }
    return bands;
}

} // namespace listen
