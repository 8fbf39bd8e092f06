// SPDX-FileCopyrightText: 2026 Les Ateliers Calivento
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "csv.h"

#include "player.h"
#include "screens/game/catalogue.h"

#include <QHash>
#include <QRegularExpression>
#include <QSaveFile>
#include <QSet>
#include <QSqlError>
#include <QSqlQuery>
#include <limits>

namespace store::csv {

namespace {

// The captions as the game writes them, by the keys kept in rows.
QHash<QString, QByteArray> captions()
{
    QHash<QString, QByteArray> byKey;
    for (const game::Instrument &row : game::catalogue)
        byKey.insert(QLatin1String(row.file), field(QString::fromUtf8(row.caption)));
    for (const game::FamilyInfo &family : game::families) {
        const char *key = family.family == game::Family::Cordes  ? "famille:cordes"
                          : family.family == game::Family::Vents ? "famille:vents"
                                                                 : "famille:percussions";
        byKey.insert(QLatin1String(key), field(QString::fromUtf8(family.caption)));
    }
    return byKey;
}

QHash<QString, QByteArray> titles()
{
    QHash<QString, QByteArray> byKey{{QStringLiteral("oreille"), QByteArrayLiteral("Devine")}};
    for (const game::GameInfo &info : game::games)
        byKey.insert(gameKey(QLatin1String(info.progressFile)), field(QString::fromUtf8(info.title)));
    return byKey;
}

// Local time with its offset, as ISO 8601 writes it ("2026-03-29T09:05:00+02:00"). A year of
// answers is written by hand: the offset is looked up once an hour of answers and the date once
// a day, not once an answer.
class LocalDates
{
public:
    QByteArray at(qint64 ms)
    {
        const qint64 hour = floorDiv(ms, 3'600'000);
        if (hour != m_hour) {
            m_hour = hour;
            m_offsetMs = qint64(QDateTime::fromMSecsSinceEpoch(hour * 3'600'000).offsetFromUtc()) * 1000;
            const qint64 minutes = std::abs(m_offsetMs) / 60'000;
            m_offset = QStringLiteral("%1%2:%3")
                           .arg(m_offsetMs < 0 ? QLatin1Char('-') : QLatin1Char('+'))
                           .arg(minutes / 60, 2, 10, QLatin1Char('0'))
                           .arg(minutes % 60, 2, 10, QLatin1Char('0'))
                           .toLatin1();
        }
        const qint64 local = ms + m_offsetMs;
        const qint64 day = floorDiv(local, 86'400'000);
        if (day != m_day) {
            m_day = day;
            m_date = QDate(1970, 1, 1).addDays(day).toString(Qt::ISODate).toLatin1() + 'T';
        }
        const qint64 second = (local - day * 86'400'000) / 1000;
        char time[8] = {digit(second / 36000),      digit(second / 3600 % 10), ':',
                        digit(second % 3600 / 600), digit(second % 600 / 60),  ':',
                        digit(second % 60 / 10),    digit(second % 10)};
        return m_date + QByteArray(time, 8) + m_offset;
    }

private:
    static qint64 floorDiv(qint64 a, qint64 b) { return a / b - (a % b < 0 ? 1 : 0); }
    static char digit(qint64 n) { return char('0' + n); }

    qint64 m_hour = std::numeric_limits<qint64>::min();
    qint64 m_offsetMs = 0;
    QByteArray m_offset;
    qint64 m_day = std::numeric_limits<qint64>::min();
    QByteArray m_date;
};

QByteArray orKey(const QHash<QString, QByteArray> &known, const QString &key)
{
    const auto found = known.constFind(key);
    return found != known.constEnd() ? *found : field(key);
}

} // namespace

QByteArray field(const QString &text)
{
    QByteArray bytes = text.toUtf8();
    if (!bytes.contains(',') && !bytes.contains('"') && !bytes.contains('\n') && !bytes.contains('\r'))
        return bytes;
    bytes.replace('"', "\"\"");
    return '"' + bytes + '"';
}

QList<QStringList> parse(const QByteArray &bytes, QChar separator)
{
    const QString text = QString::fromUtf8(bytes);
    QList<QStringList> rows;
    QStringList row;
    QString current;
    bool quoted = false;
    bool any = false;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        any = true;
        if (quoted) {
            if (c == QLatin1Char('"') && i + 1 < text.size() && text[i + 1] == QLatin1Char('"'))
                current += text[++i];
            else if (c == QLatin1Char('"'))
                quoted = false;
            else
                current += c;
        } else if (c == QLatin1Char('"')) {
            quoted = true;
        } else if (c == separator) {
            row << std::exchange(current, QString());
        } else if (c == QLatin1Char('\r') || c == QLatin1Char('\n')) {
            if (c == QLatin1Char('\r') && i + 1 < text.size() && text[i + 1] == QLatin1Char('\n'))
                ++i;
            row << std::exchange(current, QString());
            rows << std::exchange(row, QStringList());
            any = false;
        } else {
            current += c;
        }
    }
    if (any) {
        row << current;
        rows << row;
    }
    return rows;
}

std::optional<qint64> exportAnswers(Database &db, QIODevice &out, QString *error)
{
    const QHash<QString, QByteArray> names = captions(), games = titles();
    QHash<QString, QByteArray> people; // a child's or a class's name, written once
    const auto cached = [&people](const QString &text) -> const QByteArray & {
        auto found = people.find(text);
        if (found == people.end())
            found = people.insert(text, field(text));
        return *found;
    };
    // The rounds first, a few bytes each (a school year: some 60,000): then the answers need
    // nothing from them but their number.
    struct RoundFields {
        qint64 started;
        QByteArray fields; // enfant,classe,mode,jeu,niveau,manche
    };
    QHash<qint64, RoundFields> rounds;
    QSqlQuery query(db.sql());
    query.setForwardOnly(true);
    bool ran = query.prepare(QStringLiteral("SELECT r.n, r.started_ms, c.first_name, k.name, r.mode, r.game, r.level,"
                                            " r.id FROM rounds r JOIN children c ON c.id = r.child_id"
                                            " LEFT JOIN classes k ON k.id = c.class_id")) &&
               query.exec();
    while (ran && query.next())
        rounds.insert(query.value(0).toLongLong(),
                      {query.value(1).toLongLong(),
                       cached(query.value(2).toString()) + ',' + cached(query.value(3).toString()) + ',' +
                           query.value(4).toString().toUtf8() + ',' + orKey(games, query.value(5).toString()) + ',' +
                           QByteArray::number(query.value(6).toInt()) + ',' + query.value(7).toString().toLatin1()});
    // In the answers' own order, round by round: no sorting of a year of answers.
    ran = ran &&
          query.prepare(QStringLiteral("SELECT round, instrument, answer, correct, first_try, elapsed_ms FROM answers"
                                       " ORDER BY round, seq")) &&
          query.exec();
    if (!ran) {
        if (error)
            *error = QStringLiteral("Les réponses ne se lisent pas : %1").arg(query.lastError().text());
        return std::nullopt;
    }
    LocalDates dates;
    QByteArray buffer = QByteArray(header) + "\r\n";
    qint64 rows = 0;
    bool written = true;
    while (written && query.next()) {
        const auto round = rounds.constFind(query.value(0).toLongLong());
        if (round == rounds.constEnd())
            continue; // a round of a child removed meanwhile
        const qint64 elapsed = query.value(5).toLongLong();
        buffer += dates.at(round->started + elapsed) + ',' + round->fields + ',' +
                  orKey(names, query.value(1).toString()) + ',' + orKey(names, query.value(2).toString()) + ',' +
                  (query.value(3).toInt() ? '1' : '0') + ',' + (query.value(4).toInt() ? '1' : '0') + ',' +
                  QByteArray::number(elapsed) + "\r\n";
        ++rows;
        if (buffer.size() > (1 << 16))
            written = out.write(std::exchange(buffer, QByteArray())) >= 0;
    }
    written = written && out.write(buffer) == buffer.size();
    if (!written) {
        if (error)
            *error = QStringLiteral("Le fichier ne s'écrit pas : %1").arg(out.errorString());
        return std::nullopt;
    }
    return rows;
}

std::optional<qint64> exportAnswers(Database &db, const QString &file, QString *error)
{
    QSaveFile out(file);
    if (!out.open(QIODevice::WriteOnly)) {
        if (error)
            *error = QStringLiteral("%1 ne s'ouvre pas en écriture : %2").arg(file, out.errorString());
        return std::nullopt;
    }
    const std::optional<qint64> rows = exportAnswers(db, out, error);
    // A commit after a failed buffered write could leave an empty file: flush and check first.
    if (!rows || !out.flush() || !out.commit()) {
        out.cancelWriting();
        if (error && rows)
            *error = QStringLiteral("%1 ne s'écrit pas : %2").arg(file, out.errorString());
        return std::nullopt;
    }
    return rows;
}

NameList readNames(const QByteArray &content)
{
    QByteArray text = content;
    if (text.startsWith("\xEF\xBB\xBF"))
        text.remove(0, 3);
    // The first column: ends at the first separator a spreadsheet uses, outside quotes.
    QChar separator = QLatin1Char(',');
    const QByteArray firstLine = text.left(text.indexOf('\n'));
    for (const char candidate : {';', '\t'})
        if (firstLine.count(candidate) > firstLine.count(char(separator.unicode())))
            separator = QLatin1Char(candidate);
    NameList list;
    QSet<QString> seen;
    QList<QStringList> rows = parse(text, separator);
    // A spreadsheet's heading is not a child.
    static const QRegularExpression heading(QStringLiteral("^(pr[ée]noms?|noms?|[ée]l[èe]ves?|enfants?)$"),
                                            QRegularExpression::CaseInsensitiveOption);
    if (!rows.isEmpty() && heading.match(rows.first().value(0).trimmed()).hasMatch())
        rows.removeFirst();
    for (const QStringList &row : std::as_const(rows)) {
        const QString name = row.value(0).normalized(QString::NormalizationForm_C).simplified();
        if (name.isEmpty())
            ++list.blank;
        else if (seen.contains(name.toCaseFolded()))
            ++list.duplicates;
        else {
            seen.insert(name.toCaseFolded());
            list.names << name;
        }
    }
    return list;
}

ImportReport importNames(Database &db, const NameList &list, const QString &classId)
{
    ImportReport report{{}, list.blank, list.duplicates, {}};
    QSet<QString> inClass;
    const std::vector<Child> children = db.children(classId);
    for (const Child &child : children)
        inClass.insert(child.firstName.toCaseFolded());
    auto picture = children.size();
    for (const QString &name : list.names) {
        if (inClass.contains(name.toCaseFolded())) {
            ++report.duplicates;
            continue;
        }
        const game::Instrument &drawing = game::catalogue[picture % game::catalogue.size()];
        QString why;
        if (db.addChild({{}, classId, name, QLatin1String(drawing.file), {}, false}, &why)) {
            report.added << name;
            ++picture;
        } else {
            report.refused << QStringLiteral("%1 : %2").arg(name, why);
        }
    }
    return report;
}

QString describe(const ImportReport &report, const QString &className)
{
    const auto plural = [](qsizetype n, const char *one, const char *many) {
        return QStringLiteral("%1 %2").arg(n).arg(QString::fromUtf8(n > 1 ? many : one));
    };
    QString text =
        QStringLiteral("%1 à « %2 »").arg(plural(report.added.size(), "enfant ajouté", "enfants ajoutés"), className);
    QStringList skipped;
    if (report.blank)
        skipped << plural(report.blank, "ligne vide", "lignes vides");
    if (report.duplicates)
        skipped << plural(report.duplicates, "doublon", "doublons");
    if (!skipped.isEmpty())
        text += QStringLiteral(" ; %1 %2")
                    .arg(skipped.join(QStringLiteral(" et ")),
                         QString::fromUtf8(report.blank + report.duplicates > 1 ? "ignorés" : "ignoré"));
    text += QLatin1Char('.');
    for (const QString &refused : report.refused)
        text += QStringLiteral("\nRefusé : %1").arg(refused);
    return text;
}

} // namespace store::csv
