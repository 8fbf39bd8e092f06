// SPDX-FileCopyrightText: 2026 Les Ateliers Calivento
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QSqlDatabase>
#include <QString>
#include <optional>

// The school's PostgreSQL server: where it is, and how the game reaches it. The password is
// never in the game's hands: libpq reads it from ~/.pgpass, PGPASSFILE or the service file.
namespace store::server {

// The server named for this run: --base when given, else this account's setting, else the
// administrator's system-wide one ("base" in QSettings "calivento/calivento", e.g.
// /etc/xdg/calivento/calivento.conf); empty when the computer has none.
QString configured();
// Set by the command line's --base; it outranks both settings.
void setCommandLineBase(const QString &base);
// The address chosen in "Suivi des enfants" for this account; empty goes back to the system's.
void saveForThisAccount(const QString &base);

// A libpq connection string from what an adult or a script wrote: "postgresql://..." (host,
// port, database, user, and libpq's own parameters after "?"), "service=name", or
// "key=value ..." as libpq takes it. A connection timeout of 3 s is added when none is named.
// Nothing, and the reason in French, when it holds a password or cannot be read.
std::optional<QString> connectionString(const QString &base, QString *error = nullptr);

// The connection string without anything secret, for messages.
QString describe(const QString &base);

// Opens a QPSQL connection of that name on the calling thread (never the interface thread:
// it may wait up to the connection timeout). The connection stays registered either way;
// remove it with QSqlDatabase::removeDatabase once no copy of it is left.
bool open(const QString &base, const QString &connectionName, QString *error = nullptr);

} // namespace store::server
