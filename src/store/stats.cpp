// SPDX-FileCopyrightText: 2026 Les Ateliers Calivento
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "stats.h"

#include "french.h"

#include <QDateTime>
#include <QHash>
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

Matrix confusionMatrix(QSqlDatabase &db, const QString &classId, Span span)
{
    Matrix matrix;
    QSqlQuery query = prepared(db, QStringLiteral("SELECT a.instrument, a.answer, COUNT(*)") + fromClass + within +
                                       notFamily + QStringLiteral(" GROUP BY a.instrument, a.answer"));
    query.addBindValue(classId);
    query.addBindValue(span.fromMs);
    query.addBindValue(span.toMs);
    if (!run(query))
        return matrix;
    while (query.next())
        matrix[{query.value(0).toString(), query.value(1).toString()}] = query.value(2).toInt();
    return matrix;
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

std::map<QString, int> answerCounts(QSqlDatabase &db, const QString &classId)
{
    std::map<QString, int> result;
    QSqlQuery query = prepared(db, QStringLiteral("SELECT r.child_id, COUNT(*)") + fromClass +
                                       QStringLiteral(" GROUP BY r.child_id"));
    query.addBindValue(classId);
    if (run(query))
        while (query.next())
            result[query.value(0).toString()] = query.value(1).toInt();
    return result;
}

} // namespace store::stats
