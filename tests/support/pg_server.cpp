// SPDX-FileCopyrightText: 2026 Les Ateliers Calivento
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "pg_server.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QUrlQuery>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

namespace testsupport {

namespace {

// A port nobody listens on now; the server takes it a moment later.
int freePort()
{
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    if (fd < 0)
        return 0;
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    int port = 0;
    if (::bind(fd, reinterpret_cast<sockaddr *>(&address), sizeof address) == 0 &&
        ::getsockname(fd, reinterpret_cast<sockaddr *>(&address), &length) == 0)
        port = ntohs(address.sin_port);
    ::close(fd);
    return port;
}

} // namespace

PgServer::~PgServer()
{
    if (m_running)
        stop(QStringLiteral("immediate"));
}

QString PgServer::binDir()
{
    int best = 0;
    const QDir root(QStringLiteral("/usr/lib/postgresql"));
    for (const QString &version : root.entryList(QDir::Dirs | QDir::NoDotAndDotDot))
        if (QFileInfo::exists(root.filePath(version + QStringLiteral("/bin/initdb"))))
            best = std::max(best, version.toInt());
    return best ? root.filePath(QString::number(best) + QStringLiteral("/bin")) : QString();
}

QStringList PgServer::asServerUser(const QString &program) const
{
    const QString path = binDir() + u'/' + program;
    if (m_asNobody)
        return {QStringLiteral("runuser"), QStringLiteral("-u"), QStringLiteral("nobody"), QStringLiteral("--"), path};
    return {path};
}

bool PgServer::run(const QStringList &command, QString *out, int timeoutMs)
{
    QProcess process;
    process.setWorkingDirectory(m_root);
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("LC_ALL"), QStringLiteral("C"));
    environment.insert(QStringLiteral("PGCONNECT_TIMEOUT"), QStringLiteral("5"));
    environment.remove(QStringLiteral("PGSERVICE"));
    environment.remove(QStringLiteral("PGDATABASE"));
    process.setProcessEnvironment(environment);
    process.start(command.first(), command.mid(1));
    const bool finished = process.waitForFinished(timeoutMs);
    const QString output = QString::fromUtf8(process.readAllStandardOutput());
    if (out)
        *out = output.trimmed();
    if (!finished || process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0) {
        m_error =
            command.join(u' ') + QStringLiteral(": ") + output + QString::fromUtf8(process.readAllStandardError());
        return false;
    }
    return true;
}

bool PgServer::start()
{
    if (binDir().isEmpty()) {
        m_error = QStringLiteral("PostgreSQL is not installed (tools/setup.sh --test installs it)");
        return false;
    }
    m_asNobody = ::geteuid() == 0;
    // `nobody` must be able to walk down to it: /tmp is open to all, a private TMPDIR may not be.
    m_dir = std::make_unique<QTemporaryDir>((m_asNobody ? QStringLiteral("/tmp") : QDir::tempPath()) +
                                            QStringLiteral("/calivento-pg-XXXXXX"));
    if (!m_dir->isValid()) {
        m_error = QStringLiteral("no temporary folder");
        return false;
    }
    m_root = m_dir->path();
    QDir(m_root).mkpath(QStringLiteral("data")), QDir(m_root).mkpath(QStringLiteral("sock"));
    // The server's own folders go to `nobody`, who must also be able to walk into the root.
    if (m_asNobody && (::chmod(QFile::encodeName(m_root).constData(), 0755) != 0 ||
                       !run({QStringLiteral("chown"), QStringLiteral("nobody:"), dataDir(), socketDir()})))
        return false;
    // No fsync: the tests crash the server, never the machine, and the disk stays quiet.
    if (!run(asServerUser(QStringLiteral("initdb"))
             << QStringLiteral("-D") << dataDir() << QStringLiteral("-U") << QStringLiteral("postgres")
             << QStringLiteral("--auth=trust") << QStringLiteral("-E") << QStringLiteral("UTF8")
             << QStringLiteral("--no-locale") << QStringLiteral("-N")))
        return false;
    m_port = freePort();
    const QString settings = QStringLiteral("\n# The test's own server\n"
                                            "listen_addresses = '127.0.0.1'\n"
                                            "port = %1\n"
                                            "unix_socket_directories = '%2'\n"
                                            "fsync = off\n"
                                            "full_page_writes = off\n"
                                            "shared_buffers = 64MB\n"
                                            "log_min_messages = warning\n")
                                 .arg(m_port)
                                 .arg(socketDir());
    QFile conf(dataDir() + QStringLiteral("/postgresql.conf"));
    if (!conf.open(QIODevice::Append) || conf.write(settings.toUtf8()) < 0) {
        m_error = QStringLiteral("cannot write postgresql.conf");
        return false;
    }
    conf.close();
    return startAgain();
}

bool PgServer::startAgain()
{
    m_running =
        run(asServerUser(QStringLiteral("pg_ctl"))
            << QStringLiteral("-D") << dataDir() << QStringLiteral("-l") << dataDir() + QStringLiteral("/server.log")
            << QStringLiteral("-w") << QStringLiteral("-t") << QStringLiteral("60") << QStringLiteral("start"));
    return m_running;
}

bool PgServer::stop(const QString &mode)
{
    const bool stopped =
        run(asServerUser(QStringLiteral("pg_ctl"))
            << QStringLiteral("-D") << dataDir() << QStringLiteral("-m") << mode << QStringLiteral("-w")
            << QStringLiteral("-t") << QStringLiteral("60") << QStringLiteral("stop"));
    if (stopped)
        m_running = false;
    return stopped;
}

qint64 PgServer::postmasterPid() const
{
    QFile file(dataDir() + QStringLiteral("/postmaster.pid"));
    if (!m_running || !file.open(QIODevice::ReadOnly))
        return 0;
    return file.readLine().trimmed().toLongLong();
}

QString PgServer::url(const QString &database, const QString &user) const
{
    QUrlQuery query;
    query.addQueryItem(QStringLiteral("host"), socketDir());
    query.addQueryItem(QStringLiteral("port"), QString::number(m_port));
    query.addQueryItem(QStringLiteral("user"), user);
    return QStringLiteral("postgresql:///") + database + u'?' + query.toString(QUrl::FullyEncoded);
}

bool PgServer::psql(const QString &database, const QString &sql, QString *out, const QString &user, bool isFile)
{
    return run({binDir() + QStringLiteral("/psql"), QStringLiteral("-X"), QStringLiteral("-q"), QStringLiteral("-A"),
                QStringLiteral("-t"), QStringLiteral("-v"), QStringLiteral("ON_ERROR_STOP=1"), QStringLiteral("-h"),
                socketDir(), QStringLiteral("-p"), QString::number(m_port), QStringLiteral("-U"), user,
                QStringLiteral("-d"), database, isFile ? QStringLiteral("-f") : QStringLiteral("-c"), sql},
               out);
}

bool PgServer::createDatabase(const QString &name)
{
    return psql(QStringLiteral("postgres"), QStringLiteral("CREATE DATABASE \"%1\"").arg(name));
}

} // namespace testsupport
