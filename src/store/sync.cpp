// SPDX-FileCopyrightText: 2026 Les Ateliers Calivento
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "sync.h"

#include "schema.h"
#include "server.h"

#include <QAtomicInteger>
#include <QCryptographicHash>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QThread>
#include <QTimer>
#include <QVariant>
#include <vector>

namespace store {

namespace {

const QStringList answerColumns{
    QStringLiteral("id"),         QStringLiteral("round_id"),   QStringLiteral("child_id"),  QStringLiteral("mode"),
    QStringLiteral("game"),       QStringLiteral("level"),      QStringLiteral("instrument"), QStringLiteral("answer"),
    QStringLiteral("correct"),    QStringLiteral("first_try"),  QStringLiteral("at_ms"),     QStringLiteral("elapsed_ms")};
const QStringList roundColumns{QStringLiteral("id"),          QStringLiteral("child_id"),   QStringLiteral("game"),
                               QStringLiteral("level"),       QStringLiteral("started_ms"), QStringLiteral("duration_ms"),
                               QStringLiteral("outcome"),     QStringLiteral("points")};

// Rows per statement: one round trip carries many answers.
constexpr int batchRows = 200;
constexpr qint64 staleRoundMs = 6LL * 3600 * 1000;

struct Failure {
    QString text;
};

void run(QSqlQuery &query)
{
    if (!query.exec())
        throw Failure{query.lastError().text().trimmed()};
}

QSqlQuery prepared(QSqlDatabase &db, const QString &sql)
{
    QSqlQuery query(db);
    if (!query.prepare(sql))
        throw Failure{query.lastError().text().trimmed()};
    return query;
}

QString placeholders(int columns, int rows)
{
    QStringList one(columns, QStringLiteral("?"));
    const QString row = u'(' + one.join(u',') + u')';
    return QStringList(rows, row).join(u',');
}

using Rows = std::vector<std::vector<QVariant>>;

Rows select(QSqlDatabase &db, const QString &sql, const QVariantList &values = {})
{
    QSqlQuery query = prepared(db, sql);
    query.setForwardOnly(true);
    for (const QVariant &value : values)
        query.addBindValue(value);
    run(query);
    Rows rows;
    const int columns = query.record().count();
    while (query.next()) {
        std::vector<QVariant> row;
        row.reserve(columns);
        for (int i = 0; i < columns; ++i)
            row.push_back(query.value(i));
        rows.push_back(std::move(row));
    }
    return rows;
}

// Adds the rows to the server's table; rows already there are left as they are.
int insertNew(QSqlDatabase &server, const QString &table, const QStringList &columns, const Rows &rows)
{
    int added = 0;
    for (size_t start = 0; start < rows.size(); start += batchRows) {
        const int count = int(std::min<size_t>(batchRows, rows.size() - start));
        QSqlQuery query = prepared(server, QStringLiteral("INSERT INTO %1(%2) VALUES %3 ON CONFLICT DO NOTHING")
                                               .arg(table, columns.join(u','), placeholders(columns.size(), count)));
        for (int r = 0; r < count; ++r)
            for (const QVariant &value : rows[start + r])
                query.addBindValue(value);
        run(query);
        added += std::max(0, query.numRowsAffected());
    }
    return added;
}

void markSent(QSqlDatabase &local, const QString &table, const Rows &rows, qint64 nowMs)
{
    for (size_t start = 0; start < rows.size(); start += batchRows) {
        const int count = int(std::min<size_t>(batchRows, rows.size() - start));
        QSqlQuery query = prepared(local, QStringLiteral("UPDATE %1 SET sent_ms = ? WHERE id IN (%2)")
                                              .arg(table, QStringList(count, QStringLiteral("?")).join(u',')));
        query.addBindValue(nowMs);
        for (int r = 0; r < count; ++r)
            query.addBindValue(rows[start + r].front());
        run(query);
    }
}

void begin(QSqlDatabase &db)
{
    if (!db.transaction())
        throw Failure{db.lastError().text().trimmed()};
}

void commit(QSqlDatabase &db)
{
    if (!db.commit())
        throw Failure{db.lastError().text().trimmed()};
}

// Sends one table's unsent rows, a batch at a time: the server commits, then the rows are marked.
int sendTable(QSqlDatabase &local, QSqlDatabase &server, const QString &table, const QStringList &columns,
              const QString &which, const QVariantList &values, qint64 nowMs)
{
    int sent = 0;
    for (;;) {
        const Rows rows = select(local,
                                 QStringLiteral("SELECT %1 FROM %2 WHERE sent_ms IS NULL%3 ORDER BY id LIMIT 1000")
                                     .arg(columns.join(u','), table, which),
                                 values);
        if (rows.empty())
            return sent;
        begin(server);
        sent += insertNew(server, table, columns, rows);
        commit(server);
        begin(local);
        markSent(local, table, rows, nowMs);
        commit(local);
        if (rows.size() < 1000)
            return sent;
    }
}

void rollback(QSqlDatabase &db)
{
    if (db.isOpen())
        db.rollback();
}

} // namespace

Pending pending(QSqlDatabase &local)
{
    Pending result;
    QSqlQuery query(local);
    query.setForwardOnly(true);
    if (query.prepare(QStringLiteral("SELECT count(*), min(at_ms) FROM answers WHERE sent_ms IS NULL")) && query.exec()
        && query.next()) {
        result.answers = query.value(0).toInt();
        if (!query.value(1).isNull())
            result.since = QDateTime::fromMSecsSinceEpoch(query.value(1).toLongLong(), Qt::UTC);
    }
    return result;
}

PassResult syncPass(QSqlDatabase &local, QSqlDatabase &server, std::map<QString, int> *pulled, qint64 nowMs)
{
    PassResult result;
    try {
        const Rows version = select(server, QStringLiteral("SELECT value FROM meta WHERE key = ?"), {QStringLiteral("schema")});
        result.schemaOnServer = version.empty() ? 0 : version.front().front().toInt();
        if (result.schemaOnServer > schema::version) {
            result.state = ServerState::Newer;
            return result;
        }
        if (result.schemaOnServer < schema::version) {
            result.state = ServerState::Older;
            return result;
        }

        result.answersSent = sendTable(local, server, QStringLiteral("answers"), answerColumns, {}, {}, nowMs);
        result.roundsSent = sendTable(local, server, QStringLiteral("rounds"), roundColumns,
                                      QStringLiteral(" AND (outcome <> '' OR started_ms < ?)"),
                                      {nowMs - staleRoundMs}, nowMs);

        // The levels opened here, and the listening settings changed here, go up; a level is
        // never closed again by a computer that has not seen it opened.
        const Rows levels = select(local, QStringLiteral("SELECT child_id, game, open_levels FROM levels"));
        const Rows heard = select(local, QStringLiteral("SELECT id, hears_found FROM children"));
        begin(server);
        QSqlQuery level = prepared(
            server, QStringLiteral("INSERT INTO levels(child_id, game, open_levels)"
                                   " SELECT ?, ?, ? WHERE EXISTS (SELECT 1 FROM children WHERE id = ?)"
                                   " ON CONFLICT (child_id, game) DO UPDATE SET open_levels = excluded.open_levels"
                                   " WHERE levels.open_levels < excluded.open_levels"));
        for (const auto &row : levels) {
            level.addBindValue(row[0]);
            level.addBindValue(row[1]);
            level.addBindValue(row[2]);
            level.addBindValue(row[0]);
            run(level);
        }
        if (pulled) {
            QSqlQuery hears = prepared(server, QStringLiteral("UPDATE children SET hears_found = ? WHERE id = ?"));
            for (const auto &row : heard) {
                const auto known = pulled->find(row[0].toString());
                if (known != pulled->end() && known->second != row[1].toInt()) {
                    hears.addBindValue(row[1].toInt());
                    hears.addBindValue(row[0]);
                    run(hears);
                }
            }
        }
        commit(server);

        // The class list comes back whole, in one local transaction.
        begin(server);
        const Rows classes = select(server, QStringLiteral("SELECT id, name, created_ms FROM classes ORDER BY id"));
        const Rows children = select(server, QStringLiteral("SELECT id, class_id, first_name, picture, hears_found,"
                                                            " created_ms FROM children ORDER BY id"));
        const Rows serverLevels =
            select(server, QStringLiteral("SELECT child_id, game, open_levels FROM levels ORDER BY child_id, game"));
        commit(server);

        const Rows localClasses = select(local, QStringLiteral("SELECT id, name, created_ms FROM classes ORDER BY id"));
        const Rows localChildren = select(local, QStringLiteral("SELECT id, class_id, first_name, picture, hears_found,"
                                                                " created_ms FROM children ORDER BY id"));
        const auto same = [](const Rows &a, const Rows &b) {
            if (a.size() != b.size())
                return false;
            for (size_t i = 0; i < a.size(); ++i)
                for (size_t j = 0; j < a[i].size(); ++j)
                    if (a[i][j].toString() != b[i][j].toString())
                        return false;
            return true;
        };
        result.classChanged = !same(classes, localClasses) || !same(children, localChildren);

        begin(local);
        if (result.classChanged) {
            QSqlQuery wipe(local);
            if (!wipe.exec(QStringLiteral("DELETE FROM children")) || !wipe.exec(QStringLiteral("DELETE FROM classes")))
                throw Failure{wipe.lastError().text()};
            QSqlQuery addClass =
                prepared(local, QStringLiteral("INSERT INTO classes(id, name, created_ms) VALUES (?, ?, ?)"));
            for (const auto &row : classes) {
                for (const QVariant &value : row)
                    addClass.addBindValue(value);
                run(addClass);
            }
            QSqlQuery addChild = prepared(local, QStringLiteral("INSERT INTO children(id, class_id, first_name, picture,"
                                                                " hears_found, created_ms) VALUES (?, ?, ?, ?, ?, ?)"));
            for (const auto &row : children) {
                for (const QVariant &value : row)
                    addChild.addBindValue(value);
                run(addChild);
            }
            QSqlQuery orphans(local);
            if (!orphans.exec(QStringLiteral("DELETE FROM levels WHERE child_id NOT IN (SELECT id FROM children)")))
                throw Failure{orphans.lastError().text()};
        }
        QSqlQuery keepLevel = prepared(
            local, QStringLiteral("INSERT INTO levels(child_id, game, open_levels) VALUES (?, ?, ?)"
                                  " ON CONFLICT (child_id, game) DO UPDATE SET open_levels = excluded.open_levels"
                                  " WHERE levels.open_levels < excluded.open_levels"));
        for (const auto &row : serverLevels) {
            for (const QVariant &value : row)
                keepLevel.addBindValue(value);
            run(keepLevel);
        }
        commit(local);
        if (pulled) {
            pulled->clear();
            for (const auto &row : children)
                (*pulled)[row[0].toString()] = row[4].toInt();
        }
        result.state = ServerState::Connected;
    } catch (const Failure &failure) {
        rollback(server);
        rollback(local);
        result.error = failure.text;
        // A connection the server dropped is opened afresh on the next pass.
        QSqlQuery alive(server);
        result.state = alive.exec(QStringLiteral("SELECT 1")) ? ServerState::Connected : ServerState::Unreachable;
    }
    return result;
}

namespace {

QAtomicInteger<int> nextConnection{0};

} // namespace

// Lives on the sender's thread, with the connections it opened there.
class SyncWorker : public QObject
{
    Q_OBJECT

public:
    SyncWorker(QString localFile, QString base)
        : m_localFile(std::move(localFile))
        , m_base(std::move(base))
    {
        const int n = nextConnection.fetchAndAddRelaxed(1);
        m_localName = QStringLiteral("calivento-sync-local-%1").arg(n);
        m_serverName = QStringLiteral("calivento-sync-server-%1").arg(n);
    }
    ~SyncWorker() override
    {
        QSqlDatabase::database(m_localName, false).close();
        QSqlDatabase::database(m_serverName, false).close();
        QSqlDatabase::removeDatabase(m_localName);
        QSqlDatabase::removeDatabase(m_serverName);
    }

    void startTimer()
    {
        m_timer = new QTimer(this);
        m_timer->setInterval(Sync::intervalMs);
        connect(m_timer, &QTimer::timeout, this, &SyncWorker::pass);
        m_timer->start();
        pass();
    }

    void pass()
    {
        PassResult result;
        if (!QSqlDatabase::contains(m_localName)) {
            QSqlDatabase local = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), m_localName);
            local.setDatabaseName(m_localFile);
            local.setConnectOptions(QStringLiteral("QSQLITE_BUSY_TIMEOUT=5000"));
        }
        QSqlDatabase local = QSqlDatabase::database(m_localName, false);
        if (!local.isOpen() && !local.open()) {
            result.error = local.lastError().text();
            emitResult(result);
            return;
        }
        QSqlDatabase server = QSqlDatabase::database(m_serverName, false);
        if (!server.isOpen()) {
            QSqlDatabase::removeDatabase(m_serverName);
            QString error;
            if (!server::open(m_base, m_serverName, &error)) {
                result.error = error;
                emitResult(result);
                return;
            }
            server = QSqlDatabase::database(m_serverName, false);
        }
        result = syncPass(local, server, &m_pulled);
        if (result.state == ServerState::Unreachable)
            server.close();
        emitResult(result);
    }

signals:
    void done(const store::PassResult &result);

private:
    // A queued signal: once the Sync is gone, the connection is gone with it.
    void emitResult(const PassResult &result) { emit done(result); }

    QString m_localFile;
    QString m_base;
    QString m_localName;
    QString m_serverName;
    QTimer *m_timer = nullptr;
    std::map<QString, int> m_pulled;
};

Sync::Sync(const QString &localFile, const QString &base, QObject *parent)
    : QObject(parent)
{
    qRegisterMetaType<store::PassResult>();
    connect(this, &Sync::passed, this, &Sync::takeResult);
    m_thread = new QThread;
    m_thread->setObjectName(QStringLiteral("calivento-sync"));
    auto *worker = new SyncWorker(localFile, base);
    worker->moveToThread(m_thread);
    connect(worker, &SyncWorker::done, this, &Sync::passed, Qt::QueuedConnection);
    m_worker = worker;
    connect(m_thread, &QThread::finished, worker, &QObject::deleteLater);
    m_thread->start();
    QMetaObject::invokeMethod(worker, [worker] { worker->startTimer(); }, Qt::QueuedConnection);
}

Sync::~Sync()
{
    m_thread->quit();
    if (m_thread->wait(2000)) {
        delete m_thread;
        return;
    }
    // Stuck on a server that accepted and went silent: the process ends around it. The unsent
    // answers are in the local store and go with the next start.
    qWarning("calivento: la base de l'école ne répond pas ; les réponses partiront au prochain lancement.");
}

void Sync::sendSoon()
{
    auto *worker = static_cast<SyncWorker *>(m_worker);
    QMetaObject::invokeMethod(worker, [worker] { worker->pass(); }, Qt::QueuedConnection);
}

void Sync::takeResult(const PassResult &result)
{
    m_state = result.state;
    m_error = result.error;
    if (result.classChanged)
        emit classChanged();
}

} // namespace store

#include "sync.moc"
