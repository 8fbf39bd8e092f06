// SPDX-FileCopyrightText: 2026 Les Ateliers Calivento
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "rules.h"

#include "screens/game/catalogue.h"

#include <algorithm>
#include <cmath>

namespace suivi {

QString periodCaption(Period period)
{
    switch (period) {
    case Period::Semaine:
        return QStringLiteral("Cette semaine");
    case Period::Mois:
        return QStringLiteral("Ce mois-ci");
    case Period::AnneeScolaire:
        return QStringLiteral("Cette année scolaire");
    case Period::Tout:
        break;
    }
    return QStringLiteral("Tout");
}

qint64 periodStart(Period period, const QDateTime &now)
{
    const QDate today = now.date();
    QDate first;
    switch (period) {
    case Period::Semaine:
        first = today.addDays(1 - today.dayOfWeek());
        break;
    case Period::Mois:
        first = QDate(today.year(), today.month(), 1);
        break;
    case Period::AnneeScolaire:
        first = QDate(today.month() >= 9 ? today.year() : today.year() - 1, 9, 1);
        break;
    case Period::Tout:
        return 0;
    }
    return first.startOfDay().toMSecsSinceEpoch(); // local midnight
}

std::optional<int> share(int answers, int right)
{
    if (answers < fewestAnswers)
        return std::nullopt;
    return static_cast<int>(std::lround(100.0 * right / answers));
}

QColor shareColor(int percent)
{
    // Hue from red (0) to yellow (55) to green (120), the halves stretched so that 50 % is yellow.
    const double t = std::clamp(percent, 0, 100) / 100.0;
    const double hue = t < 0.5 ? t * 2 * 55 : 55 + (t - 0.5) * 2 * 65;
    // Green is darker than yellow at equal lightness to the eye: lighten it a little.
    return QColor::fromHslF(static_cast<float>(hue / 360.0), 0.75f, static_cast<float>(0.62 + 0.04 * t));
}

QString shareText(std::optional<int> percent)
{
    return percent ? QStringLiteral("%1 %").arg(*percent) : QStringLiteral("–");
}

QString inSentence(const QString &caption)
{
    if (caption.isEmpty())
        return caption;
    return caption.left(1).toLower() + caption.mid(1);
}

QString caption(const QString &instrument)
{
    for (const game::Instrument &row : game::catalogue)
        if (instrument == QLatin1String(row.file))
            return QString::fromUtf8(row.caption);
    return instrument;
}

QString childConfusion(const QString &shown, const QString &answered, int times)
{
    return QStringLiteral("A pris %1 pour %2 (%3 fois)")
        .arg(inSentence(caption(shown)), inSentence(caption(answered)))
        .arg(times);
}

QString classConfusion(const QString &shown, const QString &answered, int times, int children)
{
    return QStringLiteral("%1 pris pour %2 (%3 fois, %4)")
        .arg(caption(shown), inSentence(caption(answered)))
        .arg(times)
        .arg(children == 1 ? QStringLiteral("1 enfant") : QStringLiteral("%1 enfants").arg(children));
}

QString duration(qint64 ms)
{
    const qint64 seconds = ms / 1000;
    if (seconds < 60)
        return QStringLiteral("%1 s").arg(seconds);
    const qint64 minutes = seconds / 60;
    if (minutes < 60)
        return QStringLiteral("%1 min").arg(minutes);
    return QStringLiteral("%1 h %2 min").arg(minutes / 60).arg(minutes % 60, 2, 10, QLatin1Char('0'));
}

QDate weekOf(const QDateTime &at)
{
    const QDate day = at.toLocalTime().date();
    return day.addDays(1 - day.dayOfWeek());
}

} // namespace suivi
