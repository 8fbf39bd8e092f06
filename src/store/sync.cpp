// SPDX-FileCopyrightText: 2026 Les Ateliers Calivento
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "sync.h"

#include "database.h"
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
#include <atomic>
#include <vector>

namespace store {

namespace {

// An answer as sent: its round's UUID (the server numbers its rounds itself), then its own fields.
const QStringList answerFields{QStringLiteral("round_id TEXT"),     QStringLiteral("seq INTEGER"),
                               QStringLiteral("instrument TEXT"),   QStringLiteral("answer TEXT"),
                               QStringLiteral("correct INTEGER"),   QStringLiteral("first_try INTEGER"),
                               QStringLiteral("elapsed_ms INTEGER")};
const QStringList roundColumns{QStringLiteral("id"),          QStringLiteral("child_id"), QStringLiteral("mode"),
                               QStringLiteral("game"),        QStringLiteral("level"),    QStringLiteral("started_ms"),
                               QStringLiteral("duration_ms"), QStringLiteral("outcome"),  QStringLiteral("points")};

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

// The rounds not sent yet: added to the server, then given their outcome and length. A round
// still being played stays unsent, and goes again with its outcome.
int sendRounds(QSqlDatabase &local, QSqlDatabase &server, qint64 nowMs)
{
    const Rows rows = select(
        local, QStringLiteral("SELECT %1 FROM rounds WHERE sent_ms IS NULL ORDER BY n").arg(roundColumns.join(u',')));
    if (rows.empty())
        return 0;
    int added = 0;
    begin(server);
    for (size_t start = 0; start < rows.size(); start += batchRows) {
        const int count = int(std::min<size_t>(batchRows, rows.size() - start));
        QSqlQuery insert =
            prepared(server, QStringLiteral("INSERT INTO rounds(%1) VALUES %2 ON CONFLICT DO NOTHING")
                                 .arg(roundColumns.join(u','), placeholders(roundColumns.size(), count)));
        for (int r = 0; r < count; ++r)
            for (const QVariant &value : rows[start + r])
                insert.addBindValue(value);
        run(insert);
        added += std::max(0, insert.numRowsAffected());
    }
    QSqlQuery end =
        prepared(server, QStringLiteral("UPDATE rounds SET duration_ms = ?, outcome = ?, points = ? WHERE id = ?"));
    for (const auto &row : rows)
        if (!row[7].toString().isEmpty()) {
            end.addBindValue(row[6]);
            end.addBindValue(row[7]);
            end.addBindValue(row[8]);
            end.addBindValue(row[0]);
            run(end);
        }
    commit(server);
    begin(local);
    QSqlQuery mark = prepared(local, QStringLiteral("UPDATE rounds SET sent_ms = ? WHERE id = ?"));
    for (const auto &row : rows)
        if (!row[7].toString().isEmpty() || row[5].toLongLong() < nowMs - staleRoundMs) {
            mark.addBindValue(nowMs);
            mark.addBindValue(row[0]);
            run(mark);
        }
    commit(local);
    return added;
}

// The answers not sent yet, a thousand at a time: the server commits them, then they are marked.
int sendAnswers(QSqlDatabase &local, QSqlDatabase &server, qint64 nowMs)
{
    int sent = 0;
    for (;;) {
        const Rows rows = select(local, QStringLiteral("SELECT r.id, a.seq, a.instrument, a.answer, a.correct,"
                                                       " a.first_try, a.elapsed_ms, a.round FROM answers a"
                                                       " JOIN rounds r ON r.n = a.round WHERE a.sent_ms IS NULL"
                                                       " ORDER BY a.round, a.seq LIMIT 1000"));
        if (rows.empty())
            return sent;
        QStringList casts, names;
        for (const QString &field : answerFields) {
            const QStringList parts = field.split(u' ');
            casts << QStringLiteral("CAST(? AS %1)").arg(parts[1]);
            names << parts[0];
        }
        const QString row = u'(' + casts.join(u',') + u')';
        begin(server);
        for (size_t start = 0; start < rows.size(); start += batchRows) {
            const int count = int(std::min<size_t>(batchRows, rows.size() - start));
            QSqlQuery insert = prepared(
                server,
                QStringLiteral("INSERT INTO answers(round, seq, instrument, answer, correct, first_try, elapsed_ms)"
                               " SELECT r.n, v.seq, v.instrument, v.answer, v.correct, v.first_try, v.elapsed_ms"
                               " FROM (VALUES %1) AS v(%2) JOIN rounds r ON r.id = v.round_id"
                               " ON CONFLICT DO NOTHING")
                    .arg(QStringList(count, row).join(u','), names.join(u',')));
            for (int r = 0; r < count; ++r)
                for (int c = 0; c < answerFields.size(); ++c)
                    insert.addBindValue(rows[start + r][c]);
            run(insert);
            sent += std::max(0, insert.numRowsAffected());
        }
        commit(server);
        begin(local);
        QSqlQuery mark = prepared(local, QStringLiteral("UPDATE answers SET sent_ms = ? WHERE round = ? AND seq = ?"));
        for (const auto &r : rows) {
            mark.addBindValue(nowMs);
            mark.addBindValue(r[7]);
            mark.addBindValue(r[1]);
            run(mark);
        }
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
    if (query.prepare(QStringLiteral("SELECT count(*), min(r.started_ms + a.elapsed_ms) FROM answers a"
                                     " JOIN rounds r ON r.n = a.round WHERE a.sent_ms IS NULL")) &&
        query.exec() && query.next()) {
        result.answers = query.value(0).toInt();
        if (!query.value(1).isNull())
            result.since = QDateTime::fromMSecsSinceEpoch(query.value(1).toLongLong(), Qt::UTC);
    }
    return result;
}

PassResult syncPass(QSqlDatabase &local, QSqlDatabase &server, Fetched *fetched, qint64 nowMs)
{
    PassResult result;
    try {
        const Rows version =
            select(server, QStringLiteral("SELECT value FROM meta WHERE key = ?"), {QStringLiteral("schema")});
        result.schemaOnServer = version.empty() ? 0 : version.front().front().toInt();
        if (result.schemaOnServer > schema::version) {
            result.state = ServerState::Newer;
            return result;
        }
        if (result.schemaOnServer < schema::version) {
            result.state = ServerState::Older;
            return result;
        }

        // Rounds first: an answer finds its round on the server by the round's UUID.
        result.roundsSent = sendRounds(local, server, nowMs);
        result.answersSent = sendAnswers(local, server, nowMs);

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
            if (fetched) {
                const auto known = fetched->levels.find(row[0].toString() + u'|' + row[1].toString());
                if (known != fetched->levels.end() && known->second >= row[2].toInt())
                    continue;
            }
            level.addBindValue(row[0]);
            level.addBindValue(row[1]);
            level.addBindValue(row[2]);
            level.addBindValue(row[0]);
            run(level);
        }
        if (fetched) {
            QSqlQuery hears = prepared(server, QStringLiteral("UPDATE children SET hears_found = ? WHERE id = ?"));
            for (const auto &row : heard) {
                const auto known = fetched->hears.find(row[0].toString());
                if (known != fetched->hears.end() && known->second != row[1].toInt()) {
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
            QSqlQuery addChild =
                prepared(local, QStringLiteral("INSERT INTO children(id, class_id, first_name, picture,"
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
        if (fetched) {
            fetched->hears.clear();
            for (const auto &row : children)
                fetched->hears[row[0].toString()] = row[4].toInt();
            fetched->levels.clear();
            for (const auto &row : serverLevels)
                fetched->levels[row[0].toString() + u'|' + row[1].toString()] = row[2].toInt();
        }
        result.state = ServerState::Connected;
    } catch (const Failure &failure) {
        rollback(server);
        rollback(local);
        result.error = failure.text;
        // A connection the server dropped is opened afresh on the next pass.
        QSqlQuery alive(server);
        result.state = server.isOpen() && alive.exec(QStringLiteral("SELECT 1")) ? ServerState::Connected
                                                                                 : ServerState::Unreachable;
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
        m_local.reset();
        QSqlDatabase::database(m_serverName, false).close();
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
        // The local store is made (or upgraded) here when the computer has none yet: with a
        // server, the class list comes into it.
        if (!m_local)
            m_local = Database::open({m_localFile, {}}, m_localName, &result.error);
        if (!m_local) {
            emitResult(result);
            return;
        }
        QSqlDatabase &local = m_local->sql();
        QSqlDatabase server = QSqlDatabase::database(m_serverName, false);
        if (!server.isOpen()) {
            server = QSqlDatabase();
            QSqlDatabase::removeDatabase(m_serverName);
            QString error;
            if (!server::open(m_base, m_serverName, &error)) {
                result.error = error;
                emitResult(result);
                return;
            }
            server = QSqlDatabase::database(m_serverName, false);
        }
        result = syncPass(local, server, &m_fetched);
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
    Fetched m_fetched;
    std::optional<Database> m_local;
};

namespace {
std::atomic<Sync *> currentSync{nullptr};
} // namespace

Sync *Sync::current()
{
    return currentSync.load();
}

void roundEnded()
{
    if (Sync *sync = currentSync.load())
        sync->sendSoon();
}

Sync::Sync(const QString &localFile, const QString &base, QObject *parent)
    : QObject(parent)
{
    currentSync.store(this);
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
    QMetaObject::invokeMethod(
        worker, [worker] { worker->startTimer(); }, Qt::QueuedConnection);
}

Sync::~Sync()
{
    Sync *self = this;
    currentSync.compare_exchange_strong(self, nullptr);
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
    QMetaObject::invokeMethod(
        worker, [worker] { worker->pass(); }, Qt::QueuedConnection);
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
