// SPDX-FileCopyrightText: 2026 Les Ateliers Calivento
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QDateTime>
#include <QObject>
#include <QSqlDatabase>
#include <QString>
#include <map>
#include <optional>

class QThread;

// Sending this computer's answers to the school's server. Every answer and round goes into the
// local SQLite store first; a pass then sends those not yet sent, and marks them sent only once
// the server has committed them. The UUID keys make a second send of a row do nothing, so a
// pass cut short anywhere loses nothing and doubles nothing. The same pass brings the classes,
// the children and their levels back into the local store, which keeps the last copy for when
// the server does not answer.
namespace store {

// Answers kept on this computer that the server does not have yet, and the oldest one's time.
struct Pending {
    int answers = 0;
    std::optional<QDateTime> since;
};
Pending pending(QSqlDatabase &local);

enum class ServerState {
    Unreachable, // not answering, or refused: the game plays on locally
    Connected,
    Newer, // a newer game's schema: play on locally, and update the game
    Older, // an older schema: "Suivi des enfants" upgrades it, never a child's game
};

struct PassResult {
    ServerState state = ServerState::Unreachable;
    int schemaOnServer = 0;
    int answersSent = 0;
    int roundsSent = 0;
    bool classChanged = false; // the local copy of the classes and children was replaced
    QString error;
};

// What a sender last fetched from the server: each child's listening setting and each level, so
// that a change made here is sent (and only a change), rather than overwritten.
struct Fetched {
    std::map<QString, int> hears;  // child id -> hears_found
    std::map<QString, int> levels; // child id + '|' + game -> open levels
};

// One pass over two open connections on the calling thread. A round is sent when it starts and
// again when it ends; one left without an end for 6 hours (a killed game) is sent no more.
PassResult syncPass(QSqlDatabase &local, QSqlDatabase &server, Fetched *fetched = nullptr,
                    qint64 nowMs = QDateTime::currentMSecsSinceEpoch());

// Called by the store's thread once a round's end is written: the sender, if any, sends now.
void roundEnded();

// The game's sender: a thread of its own with its own two connections, a pass every 30 s and
// one when a round ends. Nothing here ever waits on the server on the caller's thread.
class Sync : public QObject
{
    Q_OBJECT

public:
    static constexpr int intervalMs = 30'000;

    Sync(const QString &localFile, const QString &base, QObject *parent = nullptr);
    // Lets a pass under way finish for a moment; a thread stuck on a silent server is left to
    // the end of the process rather than waited for.
    ~Sync() override;

    // A round has ended: send now. Safe from any thread.
    void sendSoon();
    // The game's sender, when the computer has a server.
    static Sync *current();

    ServerState state() const { return m_state; }
    const QString &lastError() const { return m_error; }

signals:
    void passed(const store::PassResult &result);
    // The class list kept on this computer changed: "Qui joue ?" may read it again.
    void classChanged();

private:
    void takeResult(const store::PassResult &result);

    QThread *m_thread = nullptr;
    QObject *m_worker = nullptr;
    ServerState m_state = ServerState::Unreachable;
    QString m_error;
};

} // namespace store

Q_DECLARE_METATYPE(store::PassResult)
