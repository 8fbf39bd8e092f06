// SPDX-FileCopyrightText: 2026 Les Ateliers Calivento
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "carry.h"

#include "schema.h"

#include <QAtomicInteger>
#include <QFile>
#include <QFileInfo>
#include <QSqlError>
#include <QSqlQuery>
#include <QUuid>
#include <QVariant>
#include <map>
#include <vector>

namespace store::carry {

namespace {

QAtomicInteger<int> nextConnection{0};

// A connection of its own to a file, closed and forgotten when it goes.
class FileConnection
{
public:
    FileConnection(const QString &file, bool readOnly)
        : m_name(QStringLiteral("calivento-carry-%1").arg(nextConnection.fetchAndAddRelaxed(1)))
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), m_name);
        db.setDatabaseName(file);
        db.setConnectOptions(readOnly ? QStringLiteral("QSQLITE_OPEN_READONLY;QSQLITE_BUSY_TIMEOUT=5000")
                                      : QStringLiteral("QSQLITE_BUSY_TIMEOUT=5000"));
        m_ok = db.open();
    }
    ~FileConnection()
    {
        QSqlDatabase::database(m_name, false).close();
        QSqlDatabase::removeDatabase(m_name);
    }
    bool ok() const { return m_ok; }
    QSqlDatabase db() const { return QSqlDatabase::database(m_name, false); }

private:
    QString m_name;
    bool m_ok = false;
};

struct Failure {
    QString text;
};

QSqlQuery exec(QSqlDatabase db, const QString &sql, const QVariantList &values = {})
{
    QSqlQuery query(db);
    query.setForwardOnly(true);
    if (!query.prepare(sql))
        throw Failure{query.lastError().text()};
    for (const QVariant &value : values)
        query.addBindValue(value);
    if (!query.exec())
        throw Failure{query.lastError().text()};
    return query;
}

QString named(const QString &file)
{
    return QFileInfo(file).fileName();
}

} // namespace

Outcome exportStore(const QString &storeFile, const QString &file)
{
    Outcome outcome;
    if (!QFileInfo::exists(storeFile)) {
        outcome.message = QStringLiteral("Ce poste n'a encore gardé aucun résultat : il n'y a rien à exporter.");
        return outcome;
    }
    const QString part = file + QStringLiteral(".part");
    QFile::remove(part);
    try {
        {
            FileConnection source(storeFile, true);
            if (!source.ok())
                throw Failure{source.db().lastError().text()};
            // A copy made by SQLite itself: consistent even while the game is writing.
            exec(source.db(), QStringLiteral("VACUUM INTO ?"), {part});
        }
        {
            FileConnection copy(part, false);
            if (!copy.ok())
                throw Failure{copy.db().lastError().text()};
            // The access code and the class shown are this computer's own.
            exec(copy.db(), QStringLiteral("DELETE FROM settings"));
            exec(copy.db(), QStringLiteral("PRAGMA journal_mode=DELETE"));
            QSqlQuery counted = exec(copy.db(), QStringLiteral("SELECT count(*) FROM answers"));
            outcome.answersAdded = counted.next() ? counted.value(0).toInt() : 0;
        }
        QFile::remove(file);
        if (!QFile::rename(part, file))
            throw Failure{QStringLiteral("le fichier ne peut pas être mis à sa place")};
    } catch (const Failure &failure) {
        QFile::remove(part);
        outcome.message = QStringLiteral("Les résultats de ce poste n'ont pas pu être exportés dans %1 : %2")
                              .arg(file, failure.text.trimmed());
        return outcome;
    }
    outcome.ok = true;
    outcome.message = QStringLiteral("%1 réponses exportées dans %2.").arg(outcome.answersAdded).arg(file);
    return outcome;
}

Outcome importInto(QSqlDatabase &target, const QString &file)
{
    Outcome outcome;
    const QString notOurs = QStringLiteral("« %1 » n'est pas un fichier de résultats de Calivento.").arg(named(file));
    if (!QFileInfo(file).isFile()) {
        outcome.message = QStringLiteral("Le fichier « %1 » est introuvable.").arg(file);
        return outcome;
    }
    FileConnection source(file, true);
    if (!source.ok()) {
        outcome.message = notOurs;
        return outcome;
    }
    QSqlDatabase in = source.db();
    int version = 0;
    try {
        QSqlQuery meta = exec(in, QStringLiteral("SELECT value FROM meta WHERE key = 'schema'"));
        version = meta.next() ? meta.value(0).toInt() : 0;
    } catch (const Failure &) {
        version = 0;
    }
    if (version <= 0) {
        outcome.message = notOurs;
        return outcome;
    }
    if (version > schema::version) {
        outcome.message = QStringLiteral("« %1 » vient d'une version plus récente de Calivento (schéma %2, ce jeu lit "
                                         "jusqu'au %3) : mettez le jeu à jour sur ce poste pour l'importer.")
                              .arg(named(file))
                              .arg(version)
                              .arg(schema::version);
        return outcome;
    }

    if (!target.transaction()) {
        outcome.message = QStringLiteral("La base ne répond pas : %1").arg(target.lastError().text());
        return outcome;
    }
    try {
        // Classes by name, then children by key or by name in their class.
        std::map<QString, QString> classOf; // the file's class id -> the target's
        QSqlQuery classes = exec(in, QStringLiteral("SELECT id, name, created_ms FROM classes"));
        while (classes.next()) {
            const QString id = classes.value(0).toString();
            const QString name = classes.value(1).toString();
            QSqlQuery same =
                exec(target, QStringLiteral("SELECT id FROM classes WHERE lower(name) = lower(?)"), {name});
            if (same.next()) {
                classOf[id] = same.value(0).toString();
                continue;
            }
            QSqlQuery taken = exec(target, QStringLiteral("SELECT 1 FROM classes WHERE id = ?"), {id});
            const QString kept = taken.next() ? QUuid::createUuid().toString(QUuid::WithoutBraces) : id;
            exec(target, QStringLiteral("INSERT INTO classes(id, name, created_ms) VALUES (?, ?, ?)"),
                 {kept, name, classes.value(2)});
            classOf[id] = kept;
        }
        std::map<QString, QString> childOf;
        QSqlQuery children = exec(in, QStringLiteral("SELECT id, class_id, first_name, picture, hears_found, created_ms"
                                                     " FROM children"));
        while (children.next()) {
            const QString id = children.value(0).toString();
            const QString classId = classOf.count(children.value(1).toString()) ? classOf[children.value(1).toString()]
                                                                                : children.value(1).toString();
            QSqlQuery byId = exec(target, QStringLiteral("SELECT id FROM children WHERE id = ?"), {id});
            if (byId.next()) {
                childOf[id] = id;
                continue;
            }
            QSqlQuery byName = exec(
                target, QStringLiteral("SELECT id FROM children WHERE class_id = ? AND lower(first_name) = lower(?)"),
                {classId, children.value(2)});
            if (byName.next()) {
                childOf[id] = byName.value(0).toString();
                continue;
            }
            exec(target,
                 QStringLiteral("INSERT INTO children(id, class_id, first_name, picture, hears_found, created_ms)"
                                " VALUES (?, ?, ?, ?, ?, ?)"),
                 {id, classId, children.value(2), children.value(3), children.value(4), children.value(5)});
            childOf[id] = id;
            ++outcome.childrenAdded;
        }
        const auto child = [&](const QVariant &id) {
            const auto found = childOf.find(id.toString());
            return found == childOf.end() ? id.toString() : found->second;
        };
        QSqlQuery levels = exec(in, QStringLiteral("SELECT child_id, game, open_levels FROM levels"));
        while (levels.next())
            exec(target,
                 QStringLiteral("INSERT INTO levels(child_id, game, open_levels) VALUES (?, ?, ?)"
                                " ON CONFLICT (child_id, game) DO UPDATE SET open_levels = excluded.open_levels"
                                " WHERE levels.open_levels < excluded.open_levels"),
                 {child(levels.value(0)), levels.value(1), levels.value(2)});

        QSqlQuery rounds = exec(in, QStringLiteral("SELECT id, child_id, mode, game, level, started_ms, duration_ms,"
                                                   " outcome, points FROM rounds"));
        while (rounds.next()) {
            QSqlQuery added = exec(
                target,
                QStringLiteral("INSERT INTO rounds(id, child_id, mode, game, level, started_ms, duration_ms, outcome,"
                               " points) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?) ON CONFLICT DO NOTHING"),
                {rounds.value(0), child(rounds.value(1)), rounds.value(2), rounds.value(3), rounds.value(4),
                 rounds.value(5), rounds.value(6), rounds.value(7), rounds.value(8)});
            outcome.roundsAdded += std::max(0, added.numRowsAffected());
            // A round still in play when one computer's copy was made ends as the other copy says.
            if (!rounds.value(7).toString().isEmpty())
                exec(target,
                     QStringLiteral(
                         "UPDATE rounds SET duration_ms = ?, outcome = ?, points = ? WHERE id = ? AND outcome = ''"),
                     {rounds.value(6), rounds.value(7), rounds.value(8), rounds.value(0)});
        }
        QSqlQuery answers =
            exec(in, QStringLiteral("SELECT r.id, a.seq, a.instrument, a.answer, a.correct, a.first_try,"
                                    " a.elapsed_ms FROM answers a JOIN rounds r ON r.n = a.round"));
        QSqlQuery add(target);
        // The casts tell PostgreSQL the types of values that are only selected.
        if (!add.prepare(QStringLiteral(
                "INSERT INTO answers(round, seq, instrument, answer, correct, first_try, elapsed_ms)"
                " SELECT n, CAST(? AS INTEGER), CAST(? AS TEXT), CAST(? AS TEXT), CAST(? AS INTEGER),"
                " CAST(? AS INTEGER), CAST(? AS INTEGER) FROM rounds WHERE id = ? ON CONFLICT DO NOTHING")))
            throw Failure{add.lastError().text()};
        while (answers.next()) {
            for (int i = 1; i < 7; ++i)
                add.addBindValue(answers.value(i));
            add.addBindValue(answers.value(0));
            if (!add.exec())
                throw Failure{add.lastError().text()};
            if (add.numRowsAffected() > 0)
                ++outcome.answersAdded;
            else
                ++outcome.answersKnown;
        }
        if (!target.commit())
            throw Failure{target.lastError().text()};
    } catch (const Failure &failure) {
        target.rollback();
        outcome = {};
        outcome.message =
            QStringLiteral("« %1 » n'a pas pu être importé : %2").arg(named(file), failure.text.trimmed());
        return outcome;
    }
    outcome.ok = true;
    outcome.message = QStringLiteral("« %1 » importé : %2 réponses ajoutées, %3 déjà là, %4 enfants ajoutés.")
                          .arg(named(file))
                          .arg(outcome.answersAdded)
                          .arg(outcome.answersKnown)
                          .arg(outcome.childrenAdded);
    return outcome;
}

} // namespace store::carry
