// SPDX-FileCopyrightText: 2026 Les Ateliers Calivento
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "store/stats.h"

#include <QString>
#include <QStringList>
#include <vector>

class QChart;
class QPagedPaintDevice;

namespace suivi {

// A chart of the share of right first answers per week, in percent.
QChart *weeklyChart(const std::vector<store::stats::Week> &weeks, const QString &title);

// What an A4 report holds: a heat map (a title per line, a row of cells each), sentences about
// confusions, and a weekly chart when there is one.
struct Report {
    QString title;
    QString subtitle; // the period, the date
    QStringList lines;
    std::vector<store::stats::Row> cells;
    QStringList confusions;
    std::vector<store::stats::Week> weeks;
    QStringList notes; // time played, rounds won and lost
};

// Draws it on pages of the device (a PDF writer or a printer); false when it could not paint.
bool paintReport(QPagedPaintDevice &device, const Report &report);

} // namespace suivi
