// SPDX-FileCopyrightText: 2026 Les Ateliers Calivento
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <memory>

// A PostgreSQL server of the test's own, in a temporary folder: made by initdb, started and
// stopped by pg_ctl, reached on a Unix socket in that folder (and on 127.0.0.1 at the same port).
// PostgreSQL refuses to run as root, so under root its programs run as the unprivileged `nobody`.
namespace testsupport {

class PgServer
{
public:
    ~PgServer(); // stops the server, whatever state it is in

    // Where PostgreSQL's programs are (/usr/lib/postgresql/<newest>/bin); empty when not installed.
    static QString binDir();

    // Makes the cluster and starts it. On failure, the reason is in error().
    bool start();
    // "fast" waits for the connections to end cleanly; "immediate" is a crash.
    bool stop(const QString &mode = QStringLiteral("fast"));
    bool startAgain();
    const QString &error() const { return m_error; }

    QString socketDir() const { return m_root + QStringLiteral("/sock"); }
    int port() const { return m_port; }
    // The process id of the postmaster (for its CPU time); 0 when not running.
    qint64 postmasterPid() const;
    // A --base for the game: "postgresql:///db?host=<socket dir>&port=<port>&user=<user>".
    QString url(const QString &database, const QString &user = QStringLiteral("postgres")) const;

    // Runs SQL through psql as the given role; the output (unaligned, tuples only) in *out.
    bool psql(const QString &database, const QString &sql, QString *out = nullptr,
              const QString &user = QStringLiteral("postgres"), bool isFile = false);
    bool psqlFile(const QString &database, const QString &file, QString *out = nullptr,
                  const QString &user = QStringLiteral("postgres"))
    {
        return psql(database, file, out, user, true);
    }
    bool createDatabase(const QString &name);

private:
    bool run(const QStringList &command, QString *out = nullptr, int timeoutMs = 60000);
    QStringList asServerUser(const QString &program) const;
    QString dataDir() const { return m_root + QStringLiteral("/data"); }

    std::unique_ptr<QTemporaryDir> m_dir;
    QString m_root;
    int m_port = 0;
    bool m_running = false;
    bool m_asNobody = false;
    QString m_error;
};

} // namespace testsupport
