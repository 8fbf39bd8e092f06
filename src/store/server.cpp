// SPDX-FileCopyrightText: 2026 Les Ateliers Calivento
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "server.h"

#include <QRegularExpression>
#include <QSettings>
#include <QSqlError>
#include <QUrl>
#include <QUrlQuery>

namespace store::server {

namespace {

QString &commandLineBase()
{
    static QString base;
    return base;
}

// A value as libpq's key=value strings take it: quoted, with quotes and backslashes escaped.
QString quoted(QString value)
{
    value.replace(u'\\', QStringLiteral("\\\\")).replace(u'\'', QStringLiteral("\\'"));
    return u'\'' + value + u'\'';
}

bool namesKey(const QString &conninfo, const char *key)
{
    return conninfo.contains(QRegularExpression(QStringLiteral("(^|\\s)%1\\s*=").arg(QLatin1String(key))));
}

const QString passwordRefused =
    QStringLiteral("Le mot de passe de la base de l'école ne s'écrit pas ici : mettez-le dans ~/.pgpass "
                   "(ou le fichier nommé par PGPASSFILE, ou le fichier de services).");

} // namespace

QString configured()
{
    if (!commandLineBase().isEmpty())
        return commandLineBase();
    // The account's own setting (made in "Suivi des enfants"), else the system-wide one.
    const QSettings settings(QSettings::UserScope, QStringLiteral("calivento"), QStringLiteral("calivento"));
    return settings.value(QStringLiteral("base")).toString().trimmed();
}

void setCommandLineBase(const QString &base)
{
    commandLineBase() = base.trimmed();
}

void saveForThisAccount(const QString &base)
{
    QSettings settings(QSettings::UserScope, QStringLiteral("calivento"), QStringLiteral("calivento"));
    if (base.trimmed().isEmpty())
        settings.remove(QStringLiteral("base"));
    else
        settings.setValue(QStringLiteral("base"), base.trimmed());
}

std::optional<QString> connectionString(const QString &base, QString *error)
{
    const QString text = base.trimmed();
    QStringList parts;
    if (text.startsWith(QLatin1String("postgresql://")) || text.startsWith(QLatin1String("postgres://"))) {
        const QUrl url(text, QUrl::StrictMode);
        if (!url.isValid()) {
            if (error)
                *error = QStringLiteral("L'adresse de la base de l'école est illisible : %1").arg(describe(text));
            return std::nullopt;
        }
        if (!url.password().isEmpty()) {
            if (error)
                *error = passwordRefused;
            return std::nullopt;
        }
        if (!url.host().isEmpty())
            parts << QStringLiteral("host=") + quoted(url.host());
        if (url.port() > 0)
            parts << QStringLiteral("port=") + quoted(QString::number(url.port()));
        const QString database = url.path().mid(1);
        if (!database.isEmpty())
            parts << QStringLiteral("dbname=") + quoted(database);
        if (!url.userName().isEmpty())
            parts << QStringLiteral("user=") + quoted(url.userName());
        const auto items = QUrlQuery(url).queryItems(QUrl::FullyDecoded);
        for (const auto &[key, value] : items) {
            if (key.compare(QLatin1String("password"), Qt::CaseInsensitive) == 0) {
                if (error)
                    *error = passwordRefused;
                return std::nullopt;
            }
            if (!key.contains(QRegularExpression(QStringLiteral("^[a-z_]+$")))) {
                if (error)
                    *error = QStringLiteral("Paramètre inconnu dans l'adresse de la base de l'école : %1").arg(key);
                return std::nullopt;
            }
            parts << key + u'=' + quoted(value);
        }
    } else if (text.contains(u'=')) {
        if (namesKey(text, "password")) {
            if (error)
                *error = passwordRefused;
            return std::nullopt;
        }
        parts << text;
    } else {
        if (error)
            *error = QStringLiteral("La base de l'école se nomme par une adresse « postgresql://… » ou « service=nom »"
                                    " ; « %1 » n'en est pas une.")
                         .arg(text);
        return std::nullopt;
    }
    QString conninfo = parts.join(u' ');
    // A server that does not answer costs the sending thread 3 s, never more; a connection that
    // goes silent later is noticed by the keepalives.
    if (!namesKey(conninfo, "connect_timeout"))
        conninfo += QStringLiteral(" connect_timeout=3");
    if (!namesKey(conninfo, "keepalives_idle"))
        conninfo += QStringLiteral(" keepalives_idle=10 keepalives_interval=5 keepalives_count=3");
    if (!namesKey(conninfo, "application_name"))
        conninfo += QStringLiteral(" application_name=calivento");
    return conninfo;
}

QString describe(const QString &base)
{
    QString text = base.trimmed();
    text.replace(QRegularExpression(QStringLiteral("(://[^/@:]*):[^/@]*@")), QStringLiteral("\\1:***@"));
    text.replace(QRegularExpression(QStringLiteral("(password\\s*=\\s*)('[^']*'|\\S+)"),
                                    QRegularExpression::CaseInsensitiveOption),
                 QStringLiteral("\\1***"));
    return text;
}

bool open(const QString &base, const QString &connectionName, QString *error)
{
    const std::optional<QString> conninfo = connectionString(base, error);
    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QPSQL"), connectionName);
    if (!conninfo)
        return false;
    if (!db.isValid()) {
        if (error)
            *error = QStringLiteral("Le pilote PostgreSQL de Qt (QPSQL) manque : installez libqt6sql6-psql.");
        return false;
    }
    db.setConnectOptions(*conninfo);
    if (!db.open()) {
        if (error)
            *error = QStringLiteral("La base de l'école ne répond pas (%1) : %2")
                         .arg(describe(base), db.lastError().text().trimmed());
        return false;
    }
    return true;
}

} // namespace store::server
