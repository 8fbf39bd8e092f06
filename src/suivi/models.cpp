// SPDX-FileCopyrightText: 2026 Les Ateliers Calivento
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "models.h"

#include "rules.h"
#include "screens/game/catalogue.h"

#include <QPainter>

namespace suivi {

namespace {

const game::Instrument &instrument(int column)
{
    return game::catalogue[static_cast<std::size_t>(column)];
}

QString columnCaption(int column)
{
    return QString::fromUtf8(instrument(column).caption);
}

constexpr int columns = game::instrumentCount;

} // namespace

store::stats::Cell cellAt(const store::stats::Row &row, int column)
{
    const auto found = row.find(QString::fromLatin1(instrument(column).file));
    return found == row.end() ? store::stats::Cell{} : found->second;
}

QColor familyColor(int column)
{
    // The game's colours (0x00BBGGRR), halfway to white so that black captions read on each.
    const unsigned ref = game::familyInfo(instrument(column).family).colorRef;
    const auto pale = [](unsigned channel) { return static_cast<int>((channel & 0xff) + 255) / 2; };
    return QColor(pale(ref), pale(ref >> 8), pale(ref >> 16));
}

QString familyCaption(int column)
{
    return QString::fromUtf8(game::familyInfo(instrument(column).family).caption);
}

void HeatMapModel::setLines(std::vector<Line> lines)
{
    beginResetModel();
    m_lines = std::move(lines);
    endResetModel();
}

int HeatMapModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(m_lines.size());
}

int HeatMapModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : columns;
}

QVariant HeatMapModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.row() >= rowCount() || index.column() >= columnCount())
        return {};
    const Line &line = m_lines[static_cast<std::size_t>(index.row())];
    const store::stats::Cell cell = cellAt(line.cells, index.column());
    const std::optional<int> percent = share(cell.answers, cell.right);
    switch (role) {
    case Qt::DisplayRole:
        return shareText(percent);
    case PercentRole:
        return percent ? QVariant(*percent) : QVariant();
    case Qt::BackgroundRole:
        return percent ? shareColor(*percent) : noShareColor;
    case Qt::ForegroundRole:
        return QColor(Qt::black);
    case Qt::TextAlignmentRole:
        return QVariant::fromValue(Qt::AlignCenter);
    case Qt::ToolTipRole:
    case Qt::AccessibleTextRole: {
        const QString who = line.title + QStringLiteral(", ") + inSentence(columnCaption(index.column()));
        if (!percent)
            return QStringLiteral("%1 : pas assez de réponses (%2)").arg(who).arg(cell.answers);
        return QStringLiteral("%1 : %2 % de bonnes premières réponses sur %3").arg(who).arg(*percent).arg(cell.answers);
    }
    default:
        return {};
    }
}

QVariant HeatMapModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation == Qt::Horizontal) {
        if (section < 0 || section >= columnCount())
            return {};
        if (role == Qt::DisplayRole || role == Qt::AccessibleTextRole)
            return columnCaption(section);
        if (role == FamilyRole || role == Qt::ToolTipRole)
            return familyCaption(section);
        if (role == Qt::BackgroundRole)
            return familyColor(section);
        return {};
    }
    if (section < 0 || section >= rowCount())
        return {};
    const Line &line = m_lines[static_cast<std::size_t>(section)];
    if (role == Qt::DisplayRole || role == Qt::AccessibleTextRole)
        return line.title;
    if (role == ChildIdRole)
        return line.id;
    return {};
}

void MatrixModel::setMatrix(const store::stats::Matrix &matrix)
{
    beginResetModel();
    m_counts = {};
    m_largest = 0;
    for (std::size_t r = 0; r < columns; ++r)
        for (std::size_t c = 0; c < columns; ++c) {
            const auto found = matrix.find(
                {QString::fromLatin1(game::catalogue[r].file), QString::fromLatin1(game::catalogue[c].file)});
            m_counts[r][c] = found == matrix.end() ? 0 : found->second;
            if (r != c)
                m_largest = std::max(m_largest, m_counts[r][c]);
        }
    endResetModel();
}

int MatrixModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : columns;
}

int MatrixModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : columns;
}

QVariant MatrixModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid())
        return {};
    const int count = m_counts[static_cast<std::size_t>(index.row())][static_cast<std::size_t>(index.column())];
    const bool right = index.row() == index.column();
    switch (role) {
    case Qt::DisplayRole:
        return count == 0 ? QString() : QString::number(count);
    case Qt::BackgroundRole:
        if (right)
            return count == 0 ? QColor(Qt::white) : QColor(0xc8, 0xe6, 0xc9);
        if (count == 0 || m_largest == 0)
            return QColor(Qt::white);
        // White to a strong red as the confusion nears the most frequent one.
        return QColor::fromHslF(0.0f, 0.8f, static_cast<float>(0.95 - 0.4 * count / m_largest));
    case Qt::ForegroundRole:
        return QColor(Qt::black);
    case Qt::TextAlignmentRole:
        return QVariant::fromValue(Qt::AlignCenter);
    case Qt::ToolTipRole:
    case Qt::AccessibleTextRole: {
        const QString shown = columnCaption(index.row());
        if (right)
            return QStringLiteral("%1 reconnu %2 fois").arg(shown).arg(count);
        return QStringLiteral("%1 pris pour %2 : %3 fois")
            .arg(shown, inSentence(columnCaption(index.column())))
            .arg(count);
    }
    default:
        return {};
    }
}

QVariant MatrixModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (section < 0 || section >= columns)
        return {};
    if (role == Qt::DisplayRole || role == Qt::AccessibleTextRole)
        return columnCaption(section);
    if (role == FamilyRole || role == Qt::ToolTipRole)
        return familyCaption(section);
    if (role == Qt::BackgroundRole && orientation == Qt::Horizontal)
        return familyColor(section);
    return {};
}

InstrumentHeader::InstrumentHeader(QWidget *parent)
    : QHeaderView(Qt::Horizontal, parent)
{
    setSectionResizeMode(QHeaderView::Fixed);
    setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
}

void InstrumentHeader::paintSection(QPainter *painter, const QRect &rect, int logicalIndex) const
{
    if (!rect.isValid() || !model())
        return;
    painter->save();
    painter->fillRect(rect, model()->headerData(logicalIndex, orientation(), Qt::BackgroundRole).value<QColor>());
    painter->setPen(palette().color(QPalette::Mid));
    painter->drawRect(rect.adjusted(0, 0, -1, -1));
    // A thicker line where one family ends and the next begins.
    if (logicalIndex + 1 < columns && instrument(logicalIndex).family != instrument(logicalIndex + 1).family)
        painter->fillRect(QRect(rect.right() - 1, rect.top(), 2, rect.height()), Qt::black);
    painter->setPen(Qt::black);
    painter->translate(rect.left(), rect.bottom());
    painter->rotate(-90);
    const QRect text(4, 0, rect.height() - 8, rect.width());
    painter->drawText(text, Qt::AlignLeft | Qt::AlignVCenter,
                      model()->headerData(logicalIndex, orientation(), Qt::DisplayRole).toString());
    painter->restore();
}

QSize InstrumentHeader::sectionSizeFromContents(int logicalIndex) const
{
    Q_UNUSED(logicalIndex)
    // Every column as wide, every caption's length the same height.
    int longest = 0;
    for (const game::Instrument &row : game::catalogue)
        longest = std::max(longest, fontMetrics().horizontalAdvance(QString::fromUtf8(row.caption)));
    return {fontMetrics().height() + 8, longest + 12};
}

} // namespace suivi
