// SPDX-FileCopyrightText: 2026 Les Ateliers Calivento
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "report.h"

#include "models.h"
#include "rules.h"
#include "screens/game/catalogue.h"

#include <QChart>
#include <QChartView>
#include <QCoreApplication>
#include <QDateTimeAxis>
#include <QLineSeries>
#include <QLocale>
#include <QPagedPaintDevice>
#include <QPainter>
#include <QValueAxis>
#include <algorithm>

namespace suivi {

QChart *weeklyChart(const std::vector<store::stats::Week> &weeks, const QString &title)
{
    auto *chart = new QChart;
    chart->setTitle(title);
    chart->legend()->hide();
    chart->setLocale(QLocale(QLocale::French, QLocale::France)); // the months' names under the axis
    // A line through the weeks on a time axis: a year's forty weeks keep readable dates under
    // them, which one label per bar would not.
    auto *series = new QLineSeries;
    series->setName(QStringLiteral("Bonnes premières réponses"));
    series->setPointsVisible(true);
    QPen pen(shareColor(100).darker(140));
    pen.setWidth(3);
    series->setPen(pen);
    for (const store::stats::Week &week : weeks)
        series->append(static_cast<qreal>(week.monday.startOfDay().toMSecsSinceEpoch()),
                       week.answers ? 100.0 * week.right / week.answers : 0.0);
    chart->addSeries(series);
    auto *x = new QDateTimeAxis;
    x->setFormat(QStringLiteral("d MMM"));
    x->setTitleText(QStringLiteral("Semaine du"));
    x->setTickCount(std::clamp(static_cast<int>(weeks.size()), 2, 8));
    if (weeks.size() == 1) {
        // One week alone would make an axis of no length.
        const QDateTime monday = weeks.front().monday.startOfDay();
        x->setRange(monday.addDays(-7), monday.addDays(7));
    }
    auto *y = new QValueAxis;
    y->setRange(0, 100);
    y->setLabelFormat(QStringLiteral("%d %"));
    y->setTitleText(QStringLiteral("Bonnes premières réponses"));
    chart->addAxis(x, Qt::AlignBottom);
    chart->addAxis(y, Qt::AlignLeft);
    series->attachAxis(x);
    series->attachAxis(y);
    return chart;
}

namespace {

// Lays out text and boxes down the page, starting a new page when the next block does not fit.
class Pages
{
public:
    Pages(QPagedPaintDevice &device, QPainter &painter)
        : m_device(device)
        , m_painter(painter)
    {
        m_width = painter.viewport().width();
        m_height = painter.viewport().height();
    }
    int width() const { return m_width; }
    int &y() { return m_y; }
    void need(int height)
    {
        if (m_y + height > m_height && m_y > 0) {
            m_device.newPage();
            m_y = 0;
        }
    }
    int text(const QString &text, int pointSize, bool bold = false)
    {
        QFont font = m_painter.font();
        font.setPointSize(pointSize);
        font.setBold(bold);
        m_painter.setFont(font);
        const QRect bounds = m_painter.boundingRect(QRect(0, 0, m_width, m_height), Qt::TextWordWrap, text);
        need(bounds.height());
        m_painter.drawText(QRect(0, m_y, m_width, bounds.height()), Qt::TextWordWrap, text);
        m_y += bounds.height();
        return bounds.height();
    }

private:
    QPagedPaintDevice &m_device;
    QPainter &m_painter;
    int m_width = 0;
    int m_height = 0;
    int m_y = 0;
};

void paintGrid(Pages &pages, QPainter &painter, const Report &report)
{
    constexpr int columns = game::instrumentCount;
    QFont font = painter.font();
    font.setPointSize(7);
    font.setBold(false);
    painter.setFont(font);
    const QFontMetrics metrics(font, painter.device());
    int nameWidth = metrics.horizontalAdvance(QStringLiteral("Instrument"));
    for (const QString &line : report.lines)
        nameWidth = std::max(nameWidth, metrics.horizontalAdvance(line));
    nameWidth += metrics.height() / 2;
    const int cell = (pages.width() - nameWidth) / columns;
    int longest = 0;
    for (const game::Instrument &row : game::catalogue)
        longest = std::max(longest, metrics.horizontalAdvance(QString::fromUtf8(row.caption)));
    const int header = longest + metrics.height() / 2;
    const int rowHeight = metrics.height() * 3 / 2;

    auto drawHeader = [&] {
        pages.need(header + rowHeight);
        for (int c = 0; c < columns; ++c) {
            const QRect box(nameWidth + c * cell, pages.y(), cell, header);
            painter.fillRect(box, familyColor(c));
            painter.setPen(Qt::gray);
            painter.drawRect(box);
            painter.save();
            painter.translate(box.left(), box.bottom());
            painter.rotate(-90);
            painter.setPen(Qt::black);
            painter.drawText(QRect(metrics.height() / 4, 0, header, cell), Qt::AlignLeft | Qt::AlignVCenter,
                             QString::fromUtf8(game::catalogue[static_cast<std::size_t>(c)].caption));
            painter.restore();
        }
        pages.y() += header;
    };
    drawHeader();
    const std::size_t lineCount = std::min(static_cast<std::size_t>(report.lines.size()), report.cells.size());
    for (std::size_t r = 0; r < lineCount; ++r) {
        if (pages.y() + rowHeight > painter.viewport().height()) {
            pages.need(header + rowHeight * 2);
            drawHeader();
        }
        painter.setPen(Qt::black);
        painter.drawText(QRect(0, pages.y(), nameWidth, rowHeight), Qt::AlignLeft | Qt::AlignVCenter,
                         report.lines[static_cast<int>(r)]);
        for (int c = 0; c < columns; ++c) {
            const store::stats::Cell value = cellAt(report.cells[r], c);
            const std::optional<int> percent = share(value.answers, value.right);
            const QRect box(nameWidth + c * cell, pages.y(), cell, rowHeight);
            painter.fillRect(box, percent ? shareColor(*percent) : noShareColor);
            painter.setPen(Qt::white);
            painter.drawRect(box);
            painter.setPen(Qt::black);
            painter.drawText(box, Qt::AlignCenter, percent ? QString::number(*percent) : QStringLiteral("–"));
        }
        pages.y() += rowHeight;
    }
}

} // namespace

bool paintReport(QPagedPaintDevice &device, const Report &report)
{
    device.setPageSize(QPageSize(QPageSize::A4));
    device.setPageMargins(QMarginsF(15, 15, 15, 15), QPageLayout::Millimeter);
    QPainter painter;
    if (!painter.begin(&device))
        return false;
    Pages pages(device, painter);
    const int gap = painter.fontMetrics().height();
    pages.text(report.title, 16, true);
    pages.text(report.subtitle, 9);
    pages.y() += gap;
    pages.text(QStringLiteral("Bonnes premières réponses (%), « – » : moins de 3 réponses"), 10, true);
    paintGrid(pages, painter, report);
    pages.y() += gap;
    if (!report.notes.isEmpty()) {
        for (const QString &note : report.notes)
            pages.text(note, 10);
        pages.y() += gap;
    }
    pages.text(QStringLiteral("Confusions les plus fréquentes"), 10, true);
    if (report.confusions.isEmpty())
        pages.text(QStringLiteral("Aucune."), 10);
    for (const QString &sentence : report.confusions)
        pages.text(QStringLiteral("• ") + sentence, 10);
    if (!report.weeks.empty()) {
        pages.y() += gap;
        const int height = pages.width() * 9 / 16;
        pages.need(height);
        // The chart is laid out at a screen's size and scaled onto the page.
        QChartView view(weeklyChart(report.weeks, QStringLiteral("Bonnes premières réponses par semaine")));
        view.setRenderHint(QPainter::Antialiasing);
        view.setAttribute(Qt::WA_DontShowOnScreen);
        view.resize(800, 450);
        // The chart lays itself out through posted events, only once its view is shown.
        view.show();
        QCoreApplication::processEvents();
        view.render(&painter, QRectF(0, pages.y(), pages.width(), height), view.rect());
        pages.y() += height;
    }
    return painter.end();
}

} // namespace suivi
