// SPDX-FileCopyrightText: 2026 Les Ateliers Calivento
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QColor>
#include <QDateTime>
#include <QString>
#include <optional>

// The adults' view's rules, as plain functions: the periods, the shares and their colours, the
// sentences about confusions, the first names accepted.
namespace suivi {

enum class Period { Semaine, Mois, AnneeScolaire, Tout };

// "Cette semaine", "Ce mois-ci", "Cette année scolaire", "Tout".
QString periodCaption(Period period);

// The first instant of the period, in ms since 1970 UTC, for `now`: local Monday 00:00
// of this week, the 1st of this month, the last 1 September, or 0 for "Tout".
qint64 periodStart(Period period, const QDateTime &now);

// A cell with fewer answers than this shows "–" on grey: too few to say anything.
inline constexpr int fewestAnswers = 3;

// The share of right first answers in percent (rounded), or nothing under fewestAnswers.
std::optional<int> share(int answers, int right);

// Red at 0 %, yellow at 50 %, green at 100 %: bright enough for black text on a projector.
QColor shareColor(int percent);
inline const QColor noShareColor{0xd0, 0xd0, 0xd0};

// The text of a cell: "85 %" or "–".
QString shareText(std::optional<int> percent);

// An instrument's caption as it reads inside a sentence: "le hautbois", "l'alto".
QString inSentence(const QString &caption);

// The caption of a catalogue drawing name ("hautbois" -> "Le hautbois"), or the name itself.
QString caption(const QString &instrument);

// "A pris le hautbois pour la clarinette (7 fois)": a child's confusion.
QString childConfusion(const QString &shown, const QString &answered, int times);
// "Le hautbois pris pour la clarinette (7 fois, 3 enfants)": the class's.
QString classConfusion(const QString &shown, const QString &answered, int times, int children);

// "2 h 05 min", "12 min", "45 s".
QString duration(qint64 ms);

// The Monday 00:00 (local time) of the week holding this instant.
QDate weekOf(const QDateTime &at);

} // namespace suivi
