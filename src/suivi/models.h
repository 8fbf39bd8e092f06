// SPDX-FileCopyrightText: 2026 Les Ateliers Calivento
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "store/stats.h"

#include <QAbstractTableModel>
#include <QHeaderView>
#include <array>

// The heat maps: a row per child (or per way of playing) and a column per instrument, in the
// catalogue's order, which groups them by family.
namespace suivi {

// Extra roles of the heat maps.
enum Role {
    ChildIdRole = Qt::UserRole + 1, // vertical header: the child's id
    FamilyRole,                     // horizontal header: the family's caption
    PercentRole,                    // cell: the share, or nothing
};

class HeatMapModel : public QAbstractTableModel
{
    Q_OBJECT
public:
    struct Line {
        QString id; // a child's, or empty
        QString title;
        store::stats::Row cells;
    };

    using QAbstractTableModel::QAbstractTableModel;
    void setLines(std::vector<Line> lines);
    const std::vector<Line> &lines() const { return m_lines; }

    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

private:
    std::vector<Line> m_lines;
};

// Shown or heard (rows) against answered (columns); right answers lie on the diagonal.
class MatrixModel : public QAbstractTableModel
{
    Q_OBJECT
public:
    using QAbstractTableModel::QAbstractTableModel;
    void setMatrix(const store::stats::Matrix &matrix);

    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

private:
    std::array<std::array<int, 24>, 24> m_counts{}; // catalogue rows by catalogue rows
    int m_largest = 0;                              // the most frequent confusion, which gets the strongest colour
};

// A horizontal header that writes the instruments' captions upwards, over their family's colour,
// so that 24 columns fit across a screen.
class InstrumentHeader : public QHeaderView
{
    Q_OBJECT
public:
    explicit InstrumentHeader(QWidget *parent = nullptr);

protected:
    void paintSection(QPainter *painter, const QRect &rect, int logicalIndex) const override;
    QSize sectionSizeFromContents(int logicalIndex) const override;
};

// The cell of a catalogue row (0 to 23) in a row of counts.
store::stats::Cell cellAt(const store::stats::Row &row, int column);

// The colour of a family ("Les instruments à cordes") behind its captions.
QColor familyColor(int instrument);
QString familyCaption(int instrument);

} // namespace suivi
