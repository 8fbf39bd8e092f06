// SPDX-FileCopyrightText: 2026 Les Ateliers Calivento
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "database.h"

#include "french.h"
#include "server.h"

#include <QDir>
#include <QFileInfo>
#include <QHash>
#include <QMutex>
#include <QSettings>
#include <QSqlError>
#include <QSqlQuery>
#include <QUrl>
#include <QUrlQuery>
#include <QUuid>

namespace store {

using namespace Qt::Literals::StringLiterals;

namespace {

QSqlQuery run(QSqlDatabase &db, const QString &statement, const QVariantList &values = {})
{
    QSqlQuery query(db);
    query.setForwardOnly(true);
    if (query.prepare(statement)) {
        // An empty text is kept as such, not as NULL.
        for (const QVariant &value : values)
            query.addBindValue(value.typeId() == QMetaType::QString && value.toString().isNull() ? QString(u""_s)
                                                                                                 : value);
        query.exec();
    }
    return query;
}

QVariant flag(bool on)
{
    return on ? 1 : 0;
}

// The note of a failing store lives outside it, where the adults' view finds it in another run.
constexpr auto failingKey = "stockage/echec_depuis";
constexpr auto failingFileKey = "stockage/echec_base";

QSettings failureNotes()
{
    return QSettings(QStringLiteral("Calivento"), QStringLiteral("calivento"));
}

QString absolute(const QString &file)
{
    return QFileInfo(file).absoluteFilePath();
}

// The school's server: the address is read as store::server reads it (no password, a timeout).
QSqlDatabase openServer(const QString &url, const QString &connectionName, QString *error)
{
    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QPSQL"), connectionName);
    if (const std::optional<QString> conninfo = server::connectionString(url, error))
        db.setConnectOptions(*conninfo);
    return db;
}

// Says once a run on the terminal that results are not kept, and notes since when for the adults' view.
void noteKept(const QString &file, bool ok, const QString &what, std::optional<bool> &noted)
{
    static QMutex mutex;
    static QHash<QString, bool> told;
    bool first = false;
    if (!ok) {
        const QMutexLocker lock(&mutex);
        first = !std::exchange(told[file], true);
    }
    if (first)
        qWarning("Calivento : les résultats ne peuvent pas être gardés dans %s (%s). Le jeu continue sans eux.",
                 qPrintable(file), qPrintable(what));
    // The note changes only when the store starts or stops failing.
    if (!noted)
        noted = failingSince(file).has_value();
    if (ok != *noted)
        return;
    QSettings notes = failureNotes();
    if (ok) {
        notes.remove(QLatin1String(failingKey));
        notes.remove(QLatin1String(failingFileKey));
    } else {
        notes.setValue(QLatin1String(failingKey), nowMs());
        notes.setValue(QLatin1String(failingFileKey), file);
    }
    noted = !ok;
}

} // namespace

QString defaultSqliteFile()
{
    return QDir::current().filePath(QStringLiteral("calivento.sqlite"));
}

std::optional<QDateTime> failingSince(const QString &sqliteFile)
{
    const QSettings notes = failureNotes();
    if (notes.value(QLatin1String(failingFileKey)).toString() != absolute(sqliteFile))
        return std::nullopt;
    const QVariant since = notes.value(QLatin1String(failingKey));
    if (!since.isValid())
        return std::nullopt;
    return QDateTime::fromMSecsSinceEpoch(since.toLongLong());
}

NameCheck checkFirstName(const QString &typed)
{
    const QString name = typed.normalized(QString::NormalizationForm_C).simplified();
    if (name.isEmpty())
        return {name, QStringLiteral("Écrivez un prénom.")};
    if (name.toUcs4().size() > maxFirstNameLength)
        return {name, QStringLiteral("Un prénom a au plus %1 caractères.").arg(maxFirstNameLength)};
    for (const QChar c : name)
        if (c.category() == QChar::Other_Control || c.category() == QChar::Other_Format)
            return {name, QStringLiteral("Ce prénom contient un caractère qui ne s'écrit pas.")};
    return {name, {}};
}

QString answerUuid(const QString &roundId, int seq)
{
    return QUuid::createUuidV5(QUuid::fromString(roundId), QString::number(seq)).toString(QUuid::WithoutBraces);
}

QString newUuid()
{
    return QUuid::createUuid().toString(QUuid::WithoutBraces);
}

qint64 nowMs()
{
    return QDateTime::currentMSecsSinceEpoch();
}

std::optional<Database> Database::open(const Location &where, const QString &connectionName, QString *error, int upTo)
{
    Database store;
    store.m_name = connectionName;
    QString why;
    if (where.postgresUrl.isEmpty()) {
        store.m_file = absolute(where.sqliteFile);
        store.m_db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), connectionName);
        store.m_db.setDatabaseName(where.sqliteFile);
        // The game and the adults' view may use the file at once.
        store.m_db.setConnectOptions(QStringLiteral("QSQLITE_BUSY_TIMEOUT=5000"));
    } else {
        store.m_db = openServer(where.postgresUrl, connectionName, &why);
    }
    if (why.isEmpty() && !store.m_db.open())
        why = QStringLiteral("La base %1 ne s'ouvre pas : %2")
                  .arg(where.postgresUrl.isEmpty() ? where.sqliteFile : server::describe(where.postgresUrl),
                       store.m_db.lastError().text());
    if (why.isEmpty() && !store.m_file.isEmpty()) {
        // WAL: a write is one append, and a killed game loses only what it had not committed.
        run(store.m_db, QStringLiteral("PRAGMA journal_mode=WAL"));
        run(store.m_db, QStringLiteral("PRAGMA synchronous=NORMAL"));
    }
    if (why.isEmpty())
        store.upgrade(upTo, &why);
    if (why.isEmpty() && !where.postgresUrl.isEmpty() && !where.sqliteFile.isEmpty()) {
        if (std::optional<Database> computer =
                open({where.sqliteFile, {}}, connectionName + QStringLiteral("-poste"), &why))
            store.m_computer = std::make_unique<Database>(std::move(*computer));
    }
    if (why.isEmpty())
        return store;
    if (!store.m_file.isEmpty())
        noteKept(store.m_file, false, why, store.m_failingNoted);
    if (error)
        *error = why;
    return std::nullopt;
}

Database::~Database()
{
    if (m_name.isEmpty())
        return;
    m_db.close();
    m_db = QSqlDatabase();
    QSqlDatabase::removeDatabase(m_name);
}

Database::Database(Database &&other) noexcept
    : m_db(std::exchange(other.m_db, QSqlDatabase()))
    , m_name(std::exchange(other.m_name, QString()))
    , m_file(std::move(other.m_file))
    , m_failingNoted(other.m_failingNoted)
    , m_computer(std::move(other.m_computer))
{
}

Database &Database::operator=(Database &&other) noexcept
{
    // The connection left in other is closed when other goes.
    std::swap(m_db, other.m_db);
    std::swap(m_name, other.m_name);
    std::swap(m_file, other.m_file);
    std::swap(m_failingNoted, other.m_failingNoted);
    std::swap(m_computer, other.m_computer);
    return *this;
}

int Database::schemaVersion()
{
    QSqlQuery query = run(m_db, QStringLiteral("SELECT value FROM meta WHERE key = ?"), {QStringLiteral("schema")});
    return query.next() ? query.value(0).toInt() : 0;
}

bool Database::upgrade(int upTo, QString *error)
{
    const int found = schemaVersion();
    if (found > schema::version) {
        if (error)
            *error = QStringLiteral("Cette base vient d'une version plus récente de Calivento (schéma %1) : "
                                    "mettez le jeu à jour.")
                         .arg(found);
        return false;
    }
    const std::vector<QStringList> steps = schema::upgrades(m_db.driverName());
    for (int version = found; version < upTo; ++version) {
        m_db.transaction();
        bool ok = true;
        for (const QString &statement : steps[version]) {
            // Not prepared: PostgreSQL prepares no CREATE or ALTER, and these take no values.
            QSqlQuery query(m_db);
            query.exec(statement);
            if (query.lastError().isValid()) {
                ok = false;
                if (error)
                    *error = QStringLiteral("La base ne se met pas à jour : %1").arg(query.lastError().text());
                break;
            }
        }
        ok = ok && write(QStringLiteral("INSERT INTO meta(key, value) VALUES(?, ?)"
                                        " ON CONFLICT (key) DO UPDATE SET value = excluded.value"),
                         {QStringLiteral("schema"), QString::number(version + 1)});
        if (!ok || !m_db.commit()) {
            m_db.rollback();
            if (error && error->isEmpty())
                *error = QStringLiteral("La base ne se met pas à jour : %1").arg(m_db.lastError().text());
            return false;
        }
    }
    return true;
}

bool Database::write(const QString &statement, const QVariantList &values)
{
    const QSqlQuery query = run(m_db, statement, values);
    return kept(!query.lastError().isValid(), query.lastError().text());
}

bool Database::kept(bool ok, const QString &what)
{
    if (!m_file.isEmpty())
        noteKept(m_file, ok, what, m_failingNoted);
    return ok;
}

std::vector<ClassRow> Database::classes()
{
    std::vector<ClassRow> rows;
    QSqlQuery query = run(m_db, QStringLiteral("SELECT id, name FROM classes"));
    while (query.next())
        rows.push_back({query.value(0).toString(), query.value(1).toString()});
    std::sort(rows.begin(), rows.end(),
              [](const ClassRow &a, const ClassRow &b) { return lessFrench(a.name, b.name); });
    return rows;
}

std::optional<ClassRow> Database::addClass(const QString &typed, QString *error)
{
    const QString name = typed.simplified();
    if (name.isEmpty() || name.size() > 40) {
        if (error)
            *error = QStringLiteral("Le nom d'une classe a de 1 à 40 caractères.");
        return std::nullopt;
    }
    for (const ClassRow &row : classes())
        if (row.name.compare(name, Qt::CaseInsensitive) == 0) {
            if (error)
                *error = QStringLiteral("La classe « %1 » existe déjà.").arg(row.name);
            return std::nullopt;
        }
    const ClassRow row{newUuid(), name};
    if (!write(QStringLiteral("INSERT INTO classes(id, name, created_ms) VALUES(?, ?, ?)"),
               {row.id, row.name, nowMs()})) {
        if (error)
            *error = QStringLiteral("La classe n'a pas pu être enregistrée.");
        return std::nullopt;
    }
    return row;
}

std::optional<ClassRow> Database::classNamed(const QString &name, QString *error)
{
    for (const ClassRow &row : classes())
        if (row.name.compare(name.simplified(), Qt::CaseInsensitive) == 0)
            return row;
    return addClass(name, error);
}

std::vector<Child> Database::children(const QString &classId)
{
    std::vector<Child> rows;
    QSqlQuery query =
        classId.isEmpty()
            ? run(m_db, QStringLiteral("SELECT id, class_id, first_name, picture, hears_found FROM children"))
            : run(m_db,
                  QStringLiteral("SELECT id, class_id, first_name, picture, hears_found FROM children"
                                 " WHERE class_id = ?"),
                  {classId});
    std::map<QString, size_t> index;
    while (query.next()) {
        index[query.value(0).toString()] = rows.size();
        rows.push_back({query.value(0).toString(),
                        query.value(1).toString(),
                        query.value(2).toString(),
                        query.value(3).toString(),
                        {},
                        query.value(4).toInt() != 0});
    }
    QSqlQuery levels = run(m_db, QStringLiteral("SELECT child_id, game, open_levels FROM levels"));
    while (levels.next())
        if (const auto found = index.find(levels.value(0).toString()); found != index.end())
            rows[found->second].levels[levels.value(1).toString()] = levels.value(2).toInt();
    sortFrench(rows);
    return rows;
}

std::optional<Child> Database::child(const QString &childId)
{
    for (Child &row : children())
        if (row.id == childId)
            return std::move(row);
    return std::nullopt;
}

std::optional<Child> Database::addChild(Child child, QString *error)
{
    const NameCheck check = checkFirstName(child.firstName);
    QString refused = check.error;
    for (const Child &other : children(child.classId))
        if (refused.isEmpty() && other.firstName.compare(check.name, Qt::CaseInsensitive) == 0)
            refused = QStringLiteral("Il y a déjà un enfant nommé « %1 » dans cette classe.").arg(other.firstName);
    if (refused.isEmpty() && child.classId.isEmpty())
        refused = QStringLiteral("Choisissez une classe.");
    if (!refused.isEmpty()) {
        if (error)
            *error = refused;
        return std::nullopt;
    }
    child.firstName = check.name;
    if (child.id.isEmpty())
        child.id = newUuid();
    m_db.transaction();
    bool ok =
        write(QStringLiteral("INSERT INTO children(id, class_id, first_name, picture, hears_found, created_ms)"
                             " VALUES(?, ?, ?, ?, ?, ?)"),
              {child.id, child.classId, child.firstName, child.picture, flag(child.hearsFoundInstrument), nowMs()});
    for (const auto &[game, open] : child.levels)
        ok = ok && setLevel(child.id, game, open);
    if (!ok || !m_db.commit()) {
        m_db.rollback();
        if (error)
            *error = QStringLiteral("L'enfant n'a pas pu être enregistré.");
        return std::nullopt;
    }
    return child;
}

bool Database::updateChild(const Child &child, QString *error)
{
    const NameCheck check = checkFirstName(child.firstName);
    QString refused = check.error;
    for (const Child &other : children(child.classId))
        if (refused.isEmpty() && other.id != child.id && other.firstName.compare(check.name, Qt::CaseInsensitive) == 0)
            refused = QStringLiteral("Il y a déjà un enfant nommé « %1 » dans cette classe.").arg(other.firstName);
    if (!refused.isEmpty()) {
        if (error)
            *error = refused;
        return false;
    }
    const bool ok = write(QStringLiteral("UPDATE children SET first_name = ?, picture = ?, class_id = ? WHERE id = ?"),
                          {check.name, child.picture, child.classId, child.id});
    if (!ok && error)
        *error = QStringLiteral("L'enfant n'a pas pu être enregistré.");
    return ok;
}

int Database::answerCount(const QString &childId)
{
    QSqlQuery query = run(m_db,
                          QStringLiteral("SELECT COUNT(*) FROM answers a JOIN rounds r ON r.n = a.round"
                                         " WHERE r.child_id = ?"),
                          {childId});
    return query.next() ? query.value(0).toInt() : 0;
}

bool Database::removeChild(const QString &childId)
{
    m_db.transaction();
    const bool ok =
        write(QStringLiteral("DELETE FROM answers WHERE round IN (SELECT n FROM rounds WHERE child_id = ?)"),
              {childId}) &&
        write(QStringLiteral("DELETE FROM rounds WHERE child_id = ?"), {childId}) &&
        write(QStringLiteral("DELETE FROM levels WHERE child_id = ?"), {childId}) &&
        write(QStringLiteral("DELETE FROM children WHERE id = ?"), {childId});
    if (ok && m_db.commit())
        return true;
    m_db.rollback();
    return false;
}

bool Database::setLevel(const QString &childId, const QString &game, int openLevels)
{
    return write(QStringLiteral("INSERT INTO levels(child_id, game, open_levels) VALUES(?, ?, ?)"
                                " ON CONFLICT (child_id, game) DO UPDATE SET open_levels = excluded.open_levels"),
                 {childId, game, openLevels});
}

bool Database::setHearsFoundInstrument(const QString &childId, bool on)
{
    return write(QStringLiteral("UPDATE children SET hears_found = ? WHERE id = ?"), {flag(on), childId});
}

bool Database::saveRound(const Round &round)
{
    return write(QStringLiteral("INSERT INTO rounds(id, child_id, mode, game, level, started_ms, duration_ms, outcome,"
                                " points) VALUES(?, ?, ?, ?, ?, ?, ?, ?, ?)"
                                " ON CONFLICT (id) DO UPDATE SET duration_ms = excluded.duration_ms,"
                                " outcome = excluded.outcome, points = excluded.points"),
                 {round.id, round.childId, round.mode, round.game, round.level, round.startedMs, round.durationMs,
                  round.outcome, round.points});
}

bool Database::addAnswers(std::span<const Answer> answers)
{
    m_db.transaction();
    QSqlQuery query(m_db);
    // The casts tell PostgreSQL the types of values that are only selected.
    bool ok = query.prepare(QStringLiteral(
        "INSERT INTO answers(round, seq, instrument, answer, correct, first_try, elapsed_ms)"
        " SELECT n, CAST(? AS INTEGER), CAST(? AS TEXT), CAST(? AS TEXT), CAST(? AS INTEGER), CAST(? AS INTEGER),"
        " CAST(? AS INTEGER) FROM rounds WHERE id = ? ON CONFLICT (round, seq) DO NOTHING"));
    for (const Answer &a : answers) {
        if (!ok)
            break;
        query.addBindValue(a.seq);
        query.addBindValue(a.instrument.isNull() ? u""_s : a.instrument);
        query.addBindValue(a.answer.isNull() ? u""_s : a.answer);
        query.addBindValue(flag(a.correct));
        query.addBindValue(flag(a.firstTry));
        query.addBindValue(a.elapsedMs);
        query.addBindValue(a.roundId);
        ok = query.exec();
    }
    ok = ok && m_db.commit();
    if (!ok)
        m_db.rollback();
    return kept(ok, ok ? QString() : query.lastError().text() + m_db.lastError().text());
}

std::vector<Database::FirstAnswer> Database::recentFirstAnswers(const QString &childId, const QString &game,
                                                              int rounds)
{
    QSqlQuery query(m_db);
    query.prepare(QStringLiteral(
        "SELECT round_id, instrument, correct FROM answer_rows"
        " WHERE child_id = :child AND game = :game AND first_try = 1 AND round_id IN"
        " (SELECT id FROM rounds WHERE child_id = :child2 AND game = :game2 ORDER BY started_ms DESC LIMIT :kept)"
        " ORDER BY at_ms, seq"));
    query.bindValue(QStringLiteral(":child"), childId);
    query.bindValue(QStringLiteral(":child2"), childId);
    query.bindValue(QStringLiteral(":game"), game);
    query.bindValue(QStringLiteral(":game2"), game);
    query.bindValue(QStringLiteral(":kept"), rounds);
    std::vector<FirstAnswer> answers;
    if (!query.exec())
        return answers;
    while (query.next())
        answers.push_back({query.value(0).toString(), query.value(1).toString(), query.value(2).toInt() != 0});
    return answers;
}

std::optional<QString> Database::setting(const QString &key)
{
    if (m_computer)
        return m_computer->setting(key);
    QSqlQuery query = run(m_db, QStringLiteral("SELECT value FROM settings WHERE key = ?"), {key});
    if (!query.next())
        return std::nullopt;
    return query.value(0).toString();
}

bool Database::setSetting(const QString &key, const QString &value)
{
    if (m_computer)
        return m_computer->setSetting(key, value);
    return write(QStringLiteral("INSERT INTO settings(key, value) VALUES(?, ?)"
                                " ON CONFLICT (key) DO UPDATE SET value = excluded.value"),
                 {key, value});
}

bool Database::eraseEverything()
{
    m_db.transaction();
    bool ok = true;
    for (const char *table : {"answers", "rounds", "levels", "children", "classes", "settings"})
        ok = ok && write(QStringLiteral("DELETE FROM %1").arg(QLatin1String(table)), {});
    if (ok && m_db.commit())
        return true;
    m_db.rollback();
    return false;
}

} // namespace store
