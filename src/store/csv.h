// SPDX-FileCopyrightText: 2026 Les Ateliers Calivento
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "database.h"

#include <QByteArray>
#include <QIODevice>
#include <QStringList>
#include <optional>

// Text files in and out of the store: every answer as CSV (RFC 4180, UTF-8) for a spreadsheet,
// and lists of first names from a text or CSV file.
namespace store::csv {

inline constexpr const char *header =
    "date,enfant,classe,mode,jeu,niveau,manche,instrument,reponse,juste,premier_essai,temps_ms";

// One field as RFC 4180 writes it: quoted when it holds a comma, a quote or a line end.
QByteArray field(const QString &text);

// The rows of a CSV text, fields unquoted; a line end inside quotes belongs to the field.
QList<QStringList> parse(const QByteArray &text, QChar separator = QLatin1Char(','));

// Writes the header and one row per answer, oldest rounds first, as the database gives them,
// without holding them all. The number of rows, or nothing and a message in French.
std::optional<qint64> exportAnswers(Database &db, QIODevice &out, QString *error = nullptr);
std::optional<qint64> exportAnswers(Database &db, const QString &file, QString *error = nullptr);

// A list of first names: one a line, or the first column of a CSV (comma, semicolon or tab).
// Blank lines and names met before (case ignored) are skipped and counted; a heading such as
// "Prénom" on the first line is skipped.
struct NameList {
    QStringList names;
    int blank = 0;
    int duplicates = 0;
};
NameList readNames(const QByteArray &content);

// Adds the list's children to a class, each with a picture in turn from the 24 instruments.
// A name already in the class counts as a duplicate; a name refused says why.
struct ImportReport {
    QStringList added;
    int blank = 0;
    int duplicates = 0;
    QStringList refused; // "name : why"
};
ImportReport importNames(Database &db, const NameList &list, const QString &classId);
// "3 enfants ajoutés à « CE2 B » ; 1 ligne vide et 2 doublons ignorés."
QString describe(const ImportReport &report, const QString &className);

} // namespace store::csv
