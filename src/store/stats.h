// SPDX-FileCopyrightText: 2026 Les Ateliers Calivento
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QDate>
#include <QSqlDatabase>
#include <QString>
#include <limits>
#include <map>
#include <vector>

// What the adults' view asks of the store: counts over the answers kept, for a class or a child,
// over a period. Plain functions over one connection, run on the thread that opened it. Only
// first answers count towards the shares; answers about families are left out of everything
// per instrument.
namespace store::stats {

// [from, to) in ms since 1970 UTC.
struct Span {
    qint64 fromMs = 0;
    qint64 toMs = std::numeric_limits<qint64>::max();
};

struct Cell {
    int answers = 0; // first answers
    int right = 0;   // of which right
};

// By instrument (a drawing name, "violon").
using Row = std::map<QString, Cell>;

struct ChildRow {
    QString childId;
    QString firstName;
    Row cells;
};

// One row per child of the class, in French alphabetical order, with their first answers in
// the mode ("vue" or "oreille").
std::vector<ChildRow> classGrid(QSqlDatabase &db, const QString &classId, const QString &mode, Span span);

// One child's cells by sight and by ear.
struct ChildGrid {
    Row vue;
    Row oreille;
};
ChildGrid childGrid(QSqlDatabase &db, const QString &childId, Span span);

// A wrong answer and how often it was given.
struct Confusion {
    QString shown; // the instrument shown or heard
    QString answered;
    int times = 0;
    int children = 0;
};
// The most frequent, most first; for a child when childId is set, else for the class.
std::vector<Confusion> confusions(QSqlDatabase &db, const QString &classId, const QString &childId, Span span,
                                  int limit);

// How often each instrument (first) was answered with each name (second), for the whole class;
// right answers are the pairs of an instrument with itself.
using Matrix = std::map<std::pair<QString, QString>, int>;

// Right first answers per week (Monday of the week, local time), weeks without any left out.
struct Week {
    QDate monday;
    int answers = 0;
    int right = 0;
};
std::vector<Week> weekly(QSqlDatabase &db, const QString &childId, Span span);

struct Play {
    qint64 playedMs = 0;
    int won = 0;
    int lost = 0;
    int abandoned = 0;
};
Play play(QSqlDatabase &db, const QString &childId, Span span);

// Open levels by game key ("vents", "oreille"); a game missing has its first level only.
std::map<QString, int> levels(QSqlDatabase &db, const QString &childId);

// Everything "La classe" and "Confusions" show, from one pass over the class's answers in the
// period: the grid in the mode, the most frequent confusions, the matrix, the answers by child.
struct ClassSummary {
    std::vector<ChildRow> grid;
    std::vector<Confusion> confusions;
    Matrix matrix;
    std::map<QString, int> answers;
};
ClassSummary classSummary(QSqlDatabase &db, const QString &classId, const QString &mode, Span span, int confusionCount);

} // namespace store::stats
