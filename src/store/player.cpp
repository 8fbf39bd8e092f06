// SPDX-FileCopyrightText: 2026 Les Ateliers Calivento
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "player.h"

#include "progress.h"
#include "setting.h"
#include "sync.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <array>
#include <utility>

namespace store {

namespace {
constexpr std::array<std::pair<const char *, const char *>, 6> keys{{
    {"vents.nvl", "vents"},
    {"corde.nvl", "cordes"},
    {"percu.nvl", "percussions"},
    {"tinstr.nvl", "tous"},
    {"finstr.nvl", "familles"},
    {"oreille.nvl", "oreille"},
}};
} // namespace

QString gameKey(const QString &progressFile)
{
    for (const auto &[file, key] : keys)
        if (progressFile == QLatin1String(file))
            return QLatin1String(key);
    return {};
}

Player &Player::current()
{
    static Player player;
    return player;
}

void Player::useStore(const Location &where)
{
    close();
    m_where = where;
}

void Player::useProgressFolder(const QString &folder)
{
    m_folder = folder;
}

bool Player::hasStore() const
{
    return !m_where.postgresUrl.isEmpty() ||
           QFileInfo::exists(m_where.sqliteFile.isEmpty() ? defaultSqliteFile() : m_where.sqliteFile);
}

Worker &Player::worker()
{
    if (!m_worker) {
        if (m_where.sqliteFile.isEmpty() && m_where.postgresUrl.isEmpty())
            m_where.sqliteFile = defaultSqliteFile();
        m_worker = std::make_unique<Worker>(m_where);
        // Closed while Qt still stands, should the program not close it itself.
        static const bool closeAtExit = [] {
            qAddPostRoutine([] { Player::current().close(); });
            return true;
        }();
        Q_UNUSED(closeAtExit);
    }
    return *m_worker;
}

void Player::close()
{
    if (m_round)
        endRound(QStringLiteral("abandonné"), m_round->points);
    m_worker.reset();
}

void Player::play(const Child &child)
{
    leave();
    m_child = child;
}

void Player::leave()
{
    if (m_round)
        endRound(QStringLiteral("abandonné"), 0);
    m_child.reset();
}

std::optional<int> Player::openLevels(const QString &progressFile)
{
    if (!m_child)
        return progress::Store(m_folder).read(progressFile);
    const auto found = m_child->levels.find(gameKey(progressFile));
    return found == m_child->levels.end() ? 1 : progress::openLevels(found->second).value_or(1);
}

bool Player::recordWin(const QString &progressFile, int levelWon)
{
    if (!m_child)
        return progress::Store(m_folder).recordWin(progressFile, levelWon);
    return raiseLevels(progressFile, progress::afterWin(openLevels(progressFile).value_or(1), levelWon));
}

bool Player::raiseLevels(const QString &progressFile, int open)
{
    if (!m_child)
        return progress::Store(m_folder).raise(progressFile, open);
    const QString game = gameKey(progressFile);
    if (openLevels(progressFile).value_or(1) >= open || game.isEmpty())
        return true;
    m_child->levels[game] = open;
    worker().post([child = m_child->id, game, open](Database &db) { db.setLevel(child, game, open); });
    return true;
}

std::map<QString, int> Player::levelsInFiles() const
{
    std::map<QString, int> levels;
    const progress::Store files(m_folder);
    for (const auto &[file, key] : keys)
        if (const int open = files.read(QLatin1String(file)).value_or(1); open > 1)
            levels[QLatin1String(key)] = open;
    return levels;
}

bool Player::hearsFoundInstrument()
{
    return m_child ? m_child->hearsFoundInstrument : store::hearsFoundInstrument(m_folder);
}

bool Player::setHearsFoundInstrument(bool on)
{
    if (!m_child)
        return store::setHearsFoundInstrument(on, m_folder);
    m_child->hearsFoundInstrument = on;
    worker().post([child = m_child->id, on](Database &db) { db.setHearsFoundInstrument(child, on); });
    return true;
}

void Player::startRound(const QString &game, int level)
{
    if (m_round)
        endRound(QStringLiteral("abandonné"), 0);
    if (!m_child)
        return;
    const QString mode = game == QLatin1String("oreille") ? QStringLiteral("oreille") : QStringLiteral("vue");
    m_round = Round{newUuid(), m_child->id, mode, game, level, nowMs(), 0, {}, 0};
    m_clock.start();
    m_seq = 0;
    worker().post([round = *m_round](Database &db) { db.saveRound(round); });
}

void Player::answer(const QString &instrument, const QString &answer, bool correct, bool firstTry)
{
    if (!m_round)
        return;
    const Answer row{m_round->id, ++m_seq, instrument, answer, correct, firstTry, m_clock.elapsed()};
    worker().post([row](Database &db) { db.addAnswers({&row, 1}); });
}

void Player::endRound(const QString &outcome, int points)
{
    if (!m_round)
        return;
    m_round->durationMs = m_clock.elapsed();
    m_round->outcome = outcome;
    m_round->points = points;
    worker().post([round = *m_round](Database &db) {
        db.saveRound(round);
        roundEnded(); // the school's server, if any, gets the round now
    });
    m_round.reset();
}

} // namespace store
