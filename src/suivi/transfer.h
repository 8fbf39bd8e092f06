// SPDX-FileCopyrightText: 2026 Les Ateliers Calivento
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QString>
#include <QStringList>
#include <optional>

namespace store {
class Database;
}

// Lists of first names in, answers out.
namespace suivi {

// A list of first names: one a line, or the first column of a CSV file, in UTF-8.
struct NameList {
    QStringList names;      // in the file's order, each once
    int blankLines = 0;     // skipped
    QStringList duplicates; // skipped, as written the second time
};
NameList readNameList(const QString &file, QString *error);
NameList parseNameList(const QByteArray &content);

// The CSV header, then one row per answer (RFC 4180, UTF-8).
inline constexpr const char *csvHeader =
    "date,enfant,classe,mode,jeu,niveau,manche,instrument,reponse,juste,premier_essai,temps_ms";
// Writes every answer kept; the number of rows, or nothing and a message.
std::optional<qint64> exportAnswers(store::Database &db, const QString &file, QString *error);

// One field as RFC 4180 writes it: quoted when it holds a comma, a quote or a line end.
QString csvField(const QString &value);

} // namespace suivi
