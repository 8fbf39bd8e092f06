// SPDX-FileCopyrightText: 2026 Les Ateliers Calivento
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "transfer.h"

#include "rules.h"
#include "store/database.h"

#include <QDateTime>
#include <QFile>
#include <QSaveFile>
#include <QSet>
#include <QSqlQuery>
#include <QStringDecoder>

namespace suivi {

namespace {

// The first field of a CSV line, unquoted.
QString firstField(const QString &line)
{
    if (!line.startsWith(QLatin1Char('"')))
        return line.section(QLatin1Char(','), 0, 0).section(QLatin1Char(';'), 0, 0);
    QString field;
    for (qsizetype i = 1; i < line.size(); ++i) {
        if (line[i] == QLatin1Char('"')) {
            if (i + 1 < line.size() && line[i + 1] == QLatin1Char('"')) {
                field += QLatin1Char('"');
                ++i;
                continue;
            }
            break;
        }
        field += line[i];
    }
    return field;
}

// "famille:cordes" -> "Les instruments à cordes"; an instrument -> its caption.
QString answerCaption(const QString &answer)
{
    if (answer == QLatin1String("famille:cordes"))
        return QStringLiteral("Les instruments à cordes");
    if (answer == QLatin1String("famille:vents"))
        return QStringLiteral("Les instruments à vent");
    if (answer == QLatin1String("famille:percussions"))
        return QStringLiteral("Les percussions");
    return caption(answer);
}

} // namespace

NameList parseNameList(const QByteArray &content)
{
    NameList list;
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = utf8(content);
    if (text.startsWith(QChar(0xfeff)))
        text.remove(0, 1);
    QSet<QString> seen;
    for (const QString &line : text.split(QLatin1Char('\n'))) {
        const QString name = firstField(line.trimmed()).simplified();
        if (name.isEmpty()) {
            ++list.blankLines;
            continue;
        }
        const QString key = name.toCaseFolded();
        if (seen.contains(key)) {
            list.duplicates << name;
            continue;
        }
        seen.insert(key);
        list.names << name;
    }
    // The line end closing the last line is not a blank line.
    if (text.endsWith(QLatin1Char('\n')))
        --list.blankLines;
    return list;
}

NameList readNameList(const QString &file, QString *error)
{
    QFile in(file);
    if (!in.open(QIODevice::ReadOnly)) {
        if (error)
            *error = QStringLiteral("Le fichier « %1 » ne peut pas être lu.").arg(file);
        return {};
    }
    return parseNameList(in.readAll());
}

QString csvField(const QString &value)
{
    if (!value.contains(QLatin1Char(',')) && !value.contains(QLatin1Char('"')) && !value.contains(QLatin1Char('\n')) &&
        !value.contains(QLatin1Char('\r')))
        return value;
    QString quoted = value;
    quoted.replace(QLatin1String("\""), QLatin1String("\"\""));
    return QLatin1Char('"') + quoted + QLatin1Char('"');
}

std::optional<qint64> exportAnswers(store::Database &db, const QString &file, QString *error)
{
    auto fail = [&](const QString &why) -> std::optional<qint64> {
        if (error)
            *error = why;
        return std::nullopt;
    };
    QSaveFile out(file);
    if (!out.open(QIODevice::WriteOnly))
        return fail(QStringLiteral("Le fichier « %1 » ne peut pas être écrit.").arg(file));
    QSqlQuery query(db.sql());
    query.setForwardOnly(true);
    if (!query.prepare(
            QStringLiteral("SELECT r.started_ms + a.elapsed_ms, ch.first_name, cl.name, r.mode, r.game, r.level, r.id,"
                           " a.instrument, a.answer, a.correct, a.first_try, a.elapsed_ms"
                           " FROM rounds r JOIN answers a ON a.round = r.n JOIN children ch ON ch.id = r.child_id"
                           " LEFT JOIN classes cl ON cl.id = ch.class_id ORDER BY r.started_ms, r.n, a.seq")) ||
        !query.exec())
        return fail(QStringLiteral("Les réponses n'ont pas pu être lues."));
    QByteArray chunk = QByteArray(csvHeader) + "\r\n";
    qint64 rows = 0;
    const QChar comma(QLatin1Char(','));
    while (query.next()) {
        const QDateTime at = QDateTime::fromMSecsSinceEpoch(query.value(0).toLongLong());
        QString line = at.toOffsetFromUtc(at.offsetFromUtc()).toString(Qt::ISODate);
        line += comma + csvField(query.value(1).toString());
        line += comma + csvField(query.value(2).toString());
        line += comma + query.value(3).toString();
        line += comma + query.value(4).toString();
        line += comma + query.value(5).toString();
        line += comma + query.value(6).toString();
        line += comma + csvField(answerCaption(query.value(7).toString()));
        line += comma + csvField(answerCaption(query.value(8).toString()));
        line += comma + query.value(9).toString();
        line += comma + query.value(10).toString();
        line += comma + query.value(11).toString();
        chunk += line.toUtf8() + "\r\n";
        ++rows;
        if (chunk.size() > (1 << 20)) {
            if (out.write(chunk) != chunk.size())
                return fail(QStringLiteral("Le fichier « %1 » n'a pas pu être écrit en entier.").arg(file));
            chunk.clear();
        }
    }
    // A failed buffered write can still commit an empty file: check the last write first.
    if (out.write(chunk) != chunk.size() || !out.flush() || !out.commit())
        return fail(QStringLiteral("Le fichier « %1 » n'a pas pu être écrit en entier.").arg(file));
    return rows;
}

} // namespace suivi
