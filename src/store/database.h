// SPDX-FileCopyrightText: 2026 Les Ateliers Calivento
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "records.h"

#include <QSqlDatabase>
#include <QString>
#include <optional>
#include <span>
#include <vector>

// One connection to the store, used only on the thread that opened it. Every query is prepared
// with bound values. (Contract sketch: the store's implementation may refine it.)
namespace store {

// Where the store lives: a SQLite file, or a PostgreSQL server ("postgresql://..." or
// "service=name").
struct Location {
    QString sqliteFile;
    QString postgresUrl;
};

// The game's data folder (the current folder, where niveaux/ lies) and its database file.
QString defaultSqliteFile();

class Database
{
public:
    // Opens (and creates, and upgrades) the store under a connection name of its own.
    // Nothing and a message in French when it cannot.
    static std::optional<Database> open(const Location &where, const QString &connectionName,
                                         QString *error = nullptr);
    ~Database();
    Database(Database &&) noexcept;
    Database &operator=(Database &&) noexcept;

    QSqlDatabase &sql();
    int schemaVersion();

    std::vector<ClassRow> classes();
    std::optional<ClassRow> addClass(const QString &name, QString *error = nullptr);
    // "Ma classe", made when first asked for.
    ClassRow defaultClass();

    std::vector<Child> children(const QString &classId = {}); // all classes when empty
    std::optional<Child> addChild(const Child &child, QString *error = nullptr);
    bool updateChild(const Child &child, QString *error = nullptr); // name, picture, class
    int answerCount(const QString &childId);
    bool removeChild(const QString &childId);

    bool setLevel(const QString &childId, const QString &game, int openLevels);
    bool setHearsFoundInstrument(const QString &childId, bool on);

    // Both do nothing for a UUID already kept.
    bool addAnswers(std::span<const Answer> answers);
    bool saveRound(const Round &round); // a round kept again takes the new outcome and length

    std::optional<QString> setting(const QString &key);
    bool setSetting(const QString &key, const QString &value);

    bool eraseEverything();

private:
    Database() = default;
    QString m_name;
};

} // namespace store
