// SPDX-FileCopyrightText: 2026 Les Ateliers Calivento
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "commands.h"

#include "store/carry.h"
#include "store/csv.h"
#include "store/player.h"
#include "store/server.h"

#include <QFile>
#include <cstdio>

namespace commands {

namespace {

int fail(const QString &message)
{
    std::fputs(qPrintable(QStringLiteral("calivento : %1\n").arg(message)), stderr);
    return 1;
}

int done(const QString &message)
{
    std::fputs(qPrintable(message + QLatin1Char('\n')), stdout);
    return 0;
}

int exportAnswers(store::Database &db, const QString &file)
{
    QString error;
    const std::optional<qint64> rows = store::csv::exportAnswers(db, file, &error);
    if (!rows)
        return fail(error);
    return done(QStringLiteral("%1 %2 dans %3.")
                    .arg(*rows)
                    .arg(*rows > 1 ? QStringLiteral("réponses exportées") : QStringLiteral("réponse exportée"), file));
}

int addChildren(store::Database &db, const QByteArray &names, const QString &className)
{
    QString error;
    const std::optional<store::ClassRow> room =
        db.classNamed(className.isEmpty() ? store::Database::defaultClassName : className, &error);
    if (!room)
        return fail(error);
    const store::csv::ImportReport report = store::csv::importNames(db, store::csv::readNames(names), room->id);
    const QString text = store::csv::describe(report, room->name);
    return report.refused.isEmpty() ? done(text) : fail(text);
}

} // namespace

bool asked(const startup::Options &options)
{
    return !options.exporter.isEmpty() || !options.ajouterEnfants.isEmpty() || !options.exportPoste.isEmpty()
           || !options.importFile.isEmpty();
}

int run(const startup::Options &options)
{
    // This computer's results, carried by hand: always the local store.
    if (!options.exportPoste.isEmpty()) {
        const store::carry::Outcome outcome = store::carry::exportStore(store::defaultSqliteFile(), options.exportPoste);
        return outcome.ok ? done(outcome.message) : fail(outcome.message);
    }
    // With a school's server (--base, or the computer's setting), everything else works on it.
    const store::Location where{store::defaultSqliteFile(), store::server::configured()};
    // At home with no child there is nothing to export, and no database is made for it.
    if (!options.exporter.isEmpty() && where.postgresUrl.isEmpty() && !QFile::exists(where.sqliteFile))
        return fail(QStringLiteral("aucun résultat d'enfant ici (%1) : rien à exporter.").arg(where.sqliteFile));
    QFile list(options.ajouterEnfants);
    if (!options.ajouterEnfants.isEmpty() && !list.open(QIODevice::ReadOnly))
        return fail(QStringLiteral("%1 ne s'ouvre pas : %2").arg(list.fileName(), list.errorString()));
    QString error;
    std::optional<store::Database> db = store::Database::open(where, QStringLiteral("commande"), &error);
    if (!db)
        return fail(error);
    if (!options.importFile.isEmpty()) {
        const store::carry::Outcome outcome = store::carry::importInto(db->sql(), options.importFile);
        return outcome.ok ? done(outcome.message) : fail(outcome.message);
    }
    if (list.isOpen())
        return addChildren(*db, list.readAll(), options.classe);
    return exportAnswers(*db, options.exporter);
}

} // namespace commands
