// SPDX-FileCopyrightText: 2026 Les Ateliers Calivento
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "stats.h"

#include "french.h"

#include <QDateTime>
#include <QHash>
#include <QSet>
#include <QSqlError>
#include <QSqlQuery>
#include <QVariant>
#include <algorithm>

namespace store::stats {

namespace {

// Family answers ("famille:cordes") are not about one instrument.
const QString notFamily = QStringLiteral(" AND a.answer NOT LIKE 'famille:%'");
// An answer's child, mode and time are its round's; the period is taken by the rounds' start,
// which their index by child and start time serves.
const QString fromChild = QStringLiteral(" FROM rounds r JOIN answers a ON a.round = r.n WHERE r.child_id = ?");
const QString fromClass = QStringLiteral(" FROM children c JOIN rounds r ON r.child_id = c.id"
                                         " JOIN answers a ON a.round = r.n WHERE c.class_id = ?");
const QString within = QStringLiteral(" AND r.started_ms >= ? AND r.started_ms < ?");

QSqlQuery prepared(QSqlDatabase &db, const QString &sql)
{
    QSqlQuery query(db);
    query.setForwardOnly(true);
    if (!query.prepare(sql))
        qWarning("stats: %s", qPrintable(query.lastError().text()));
    return query;
}

bool run(QSqlQuery &query)
{
    if (query.exec())
        return true;
    qWarning("stats: %s", qPrintable(query.lastError().text()));
    return false;
}

} // namespace

std::vector<ChildRow> classGrid(QSqlDatabase &db, const QString &classId, const QString &mode, Span span)
{
    std::vector<ChildRow> rows;
    QHash<QString, std::size_t> byId;
    QSqlQuery children = prepared(db, QStringLiteral("SELECT id, first_name FROM children WHERE class_id = ?"));
    children.addBindValue(classId);
    if (!run(children))
        return rows;
    while (children.next())
        rows.push_back({children.value(0).toString(), children.value(1).toString(), {}});
    std::stable_sort(rows.begin(), rows.end(),
                     [](const ChildRow &a, const ChildRow &b) { return lessFrench(a.firstName, b.firstName); });
    for (std::size_t i = 0; i < rows.size(); ++i)
        byId.insert(rows[i].childId, i);

    QSqlQuery counts = prepared(db, QStringLiteral("SELECT r.child_id, a.instrument, COUNT(*), SUM(a.correct)") +
                                        fromClass + QStringLiteral(" AND r.mode = ? AND a.first_try = 1") + within +
                                        notFamily + QStringLiteral(" GROUP BY r.child_id, a.instrument"));
    counts.addBindValue(classId);
    counts.addBindValue(mode);
    counts.addBindValue(span.fromMs);
    counts.addBindValue(span.toMs);
    if (!run(counts))
        return rows;
    while (counts.next()) {
        const auto child = byId.constFind(counts.value(0).toString());
        if (child != byId.cend())
            rows[*child].cells[counts.value(1).toString()] = {counts.value(2).toInt(), counts.value(3).toInt()};
    }
    return rows;
}

ChildGrid childGrid(QSqlDatabase &db, const QString &childId, Span span)
{
    ChildGrid grid;
    QSqlQuery counts = prepared(db, QStringLiteral("SELECT r.mode, a.instrument, COUNT(*), SUM(a.correct)") +
                                        fromChild + QStringLiteral(" AND a.first_try = 1") + within + notFamily +
                                        QStringLiteral(" GROUP BY r.mode, a.instrument"));
    counts.addBindValue(childId);
    counts.addBindValue(span.fromMs);
    counts.addBindValue(span.toMs);
    if (!run(counts))
        return grid;
    while (counts.next()) {
        Row &row = counts.value(0).toString() == QLatin1String("oreille") ? grid.oreille : grid.vue;
        row[counts.value(1).toString()] = {counts.value(2).toInt(), counts.value(3).toInt()};
    }
    return grid;
}

std::vector<Confusion> confusions(QSqlDatabase &db, const QString &classId, const QString &childId, Span span,
                                  int limit)
{
    std::vector<Confusion> list;
    const bool forChild = !childId.isEmpty();
    QSqlQuery query = prepared(
        db, QStringLiteral("SELECT a.instrument, a.answer, COUNT(*), COUNT(DISTINCT r.child_id)") +
                (forChild ? fromChild : fromClass) + QStringLiteral(" AND a.correct = 0") + within + notFamily +
                QStringLiteral(" GROUP BY a.instrument, a.answer ORDER BY COUNT(*) DESC, a.instrument, a.answer"
                               " LIMIT ?"));
    query.addBindValue(forChild ? childId : classId);
    query.addBindValue(span.fromMs);
    query.addBindValue(span.toMs);
    query.addBindValue(limit);
    if (!run(query))
        return list;
    while (query.next())
        list.push_back(
            {query.value(0).toString(), query.value(1).toString(), query.value(2).toInt(), query.value(3).toInt()});
    return list;
}

std::vector<Week> weekly(QSqlDatabase &db, const QString &childId, Span span)
{
    // Weeks begin on a local Monday, which SQL cannot tell in both engines alike: the rows are
    // few for one child (a few thousand in a year), and are bucketed here.
    std::map<QDate, Week> weeks;
    QSqlQuery query = prepared(db, QStringLiteral("SELECT r.started_ms + a.elapsed_ms, a.correct") + fromChild +
                                       QStringLiteral(" AND a.first_try = 1") + within + notFamily);
    query.addBindValue(childId);
    query.addBindValue(span.fromMs);
    query.addBindValue(span.toMs);
    if (!run(query))
        return {};
    while (query.next()) {
        const QDate day = QDateTime::fromMSecsSinceEpoch(query.value(0).toLongLong()).date();
        const QDate monday = day.addDays(1 - day.dayOfWeek());
        Week &week = weeks[monday];
        week.monday = monday;
        ++week.answers;
        week.right += query.value(1).toInt();
    }
    std::vector<Week> list;
    list.reserve(weeks.size());
    for (const auto &[monday, week] : weeks)
        list.push_back(week);
    return list;
}

Play play(QSqlDatabase &db, const QString &childId, Span span)
{
    Play result;
    QSqlQuery query =
        prepared(db, QStringLiteral("SELECT COALESCE(SUM(duration_ms), 0),"
                                    " COALESCE(SUM(CASE WHEN outcome = ? THEN 1 ELSE 0 END), 0),"
                                    " COALESCE(SUM(CASE WHEN outcome = ? THEN 1 ELSE 0 END), 0),"
                                    " COALESCE(SUM(CASE WHEN outcome = ? THEN 1 ELSE 0 END), 0)"
                                    " FROM rounds WHERE child_id = ? AND started_ms >= ? AND started_ms < ?"));
    query.addBindValue(QStringLiteral("gagné"));
    query.addBindValue(QStringLiteral("perdu"));
    query.addBindValue(QStringLiteral("abandonné"));
    query.addBindValue(childId);
    query.addBindValue(span.fromMs);
    query.addBindValue(span.toMs);
    if (run(query) && query.next())
        result = {query.value(0).toLongLong(), query.value(1).toInt(), query.value(2).toInt(), query.value(3).toInt()};
    return result;
}

std::map<QString, int> levels(QSqlDatabase &db, const QString &childId)
{
    std::map<QString, int> result;
    QSqlQuery query = prepared(db, QStringLiteral("SELECT game, open_levels FROM levels WHERE child_id = ?"));
    query.addBindValue(childId);
    if (run(query))
        while (query.next())
            result[query.value(0).toString()] = query.value(1).toInt();
    return result;
}

ClassSummary classSummary(QSqlDatabase &db, const QString &classId, const QString &mode, Span span, int confusionCount)
{
    ClassSummary summary;
    // The children first, so that those who have not played have their row too.
    summary.grid = classGrid(db, classId, QStringLiteral("-"), Span{0, 0});
    QHash<QString, std::size_t> byId;
    for (std::size_t i = 0; i < summary.grid.size(); ++i)
        byId.insert(summary.grid[i].childId, i);

    // One child at a time: 30 small sorts of a few thousand answers each measured three to four
    // times faster than one sort of the whole class's.
    QSqlQuery query =
        prepared(db, QStringLiteral("SELECT r.child_id, r.mode, a.instrument, a.answer, a.correct,"
                                    " a.first_try, COUNT(*)") +
                         fromChild + within +
                         QStringLiteral(" GROUP BY r.mode, a.instrument, a.answer, a.correct, a.first_try"));
    struct Pair {
        int times = 0;
        QSet<QString> children;
    };
    std::map<std::pair<QString, QString>, Pair> wrong;
    for (const ChildRow &each : summary.grid) {
        query.addBindValue(each.childId);
        query.addBindValue(span.fromMs);
        query.addBindValue(span.toMs);
        if (!run(query))
            return summary;
        while (query.next()) {
            const QString child = query.value(0).toString();
            const int count = query.value(6).toInt();
            summary.answers[child] += count;
            const QString answer = query.value(3).toString();
            if (answer.startsWith(QLatin1String("famille:")))
                continue;
            const QString instrument = query.value(2).toString();
            const bool correct = query.value(4).toInt() != 0;
            summary.matrix[{instrument, answer}] += count;
            if (!correct) {
                Pair &pair = wrong[{instrument, answer}];
                pair.times += count;
                pair.children.insert(child);
            }
            const auto row = byId.constFind(child);
            if (row == byId.cend() || query.value(5).toInt() == 0 || query.value(1).toString() != mode)
                continue;
            Cell &cell = summary.grid[*row].cells[instrument];
            cell.answers += count;
            cell.right += correct ? count : 0;
        }
    }
    for (const auto &[key, pair] : wrong)
        summary.confusions.push_back({key.first, key.second, pair.times, static_cast<int>(pair.children.size())});
    // Most frequent first; ties in the order of the names, as the query for a child gives them.
    std::stable_sort(summary.confusions.begin(), summary.confusions.end(),
                     [](const Confusion &a, const Confusion &b) { return a.times > b.times; });
    if (summary.confusions.size() > static_cast<std::size_t>(confusionCount))
        summary.confusions.resize(static_cast<std::size_t>(confusionCount));
    return summary;
}

} // namespace store::stats
