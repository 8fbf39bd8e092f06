// SPDX-FileCopyrightText: 2026 Les Ateliers Calivento
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "records.h"
#include "schema.h"

#include <QDateTime>
#include <QSqlDatabase>
#include <QString>
#include <memory>
#include <optional>
#include <span>
#include <vector>

// One connection to the store, used only on the thread that opened it. Every query is prepared
// with bound values.
namespace store {

// Where the store lives: a SQLite file, or a PostgreSQL server ("postgresql://..." or
// "service=name").
struct Location {
    QString sqliteFile;
    QString postgresUrl;
};

// The game's data folder (the current folder, where niveaux/ lies) and its database file.
QString defaultSqliteFile();

// Since when results could not be kept in that store, as noted by the last failed write; nothing
// once a write succeeds again. Read by the adults' view, in another run.
std::optional<QDateTime> failingSince(const QString &sqliteFile = defaultSqliteFile());

// A first name as the adult typed it, trimmed; or a message in French saying why it is refused.
struct NameCheck {
    QString name;
    QString error;
};
NameCheck checkFirstName(const QString &typed);
inline constexpr int maxFirstNameLength = 40;

class Database
{
public:
    // Opens (and creates, and upgrades) the store under a connection name of its own.
    // Nothing and a message in French when it cannot. upTo is for tests that make an old file.
    static std::optional<Database> open(const Location &where, const QString &connectionName, QString *error = nullptr,
                                        int upTo = schema::version);
    ~Database();
    Database(Database &&) noexcept;
    Database &operator=(Database &&) noexcept;

    QSqlDatabase &sql() { return m_db; }
    int schemaVersion();

    std::vector<ClassRow> classes();
    std::optional<ClassRow> addClass(const QString &name, QString *error = nullptr);
    // The class by that name, made when missing ("Ma classe" by default).
    std::optional<ClassRow> classNamed(const QString &name, QString *error = nullptr);
    ClassRow defaultClass() { return classNamed(defaultClassName).value_or(ClassRow{}); }
    static inline const QString defaultClassName = QStringLiteral("Ma classe");

    std::vector<Child> children(const QString &classId = {}); // all classes when empty
    std::optional<Child> child(const QString &childId);
    // Checks the name (and that no child of the class has it), gives an id when it has none.
    std::optional<Child> addChild(Child child, QString *error = nullptr);
    bool updateChild(const Child &child, QString *error = nullptr); // name, picture, class
    int answerCount(const QString &childId);
    bool removeChild(const QString &childId);

    bool setLevel(const QString &childId, const QString &game, int openLevels);
    bool setHearsFoundInstrument(const QString &childId, bool on);

    // A round kept again takes the new length, outcome and points.
    bool saveRound(const Round &round);
    // In one transaction; an answer already kept, or of a round not kept, is left out.
    bool addAnswers(std::span<const Answer> answers);

    // The first answer to each question of the child's last rounds of a game, oldest first.
    struct FirstAnswer {
        QString roundId;
        QString instrument;
        bool correct = false;
    };
    std::vector<FirstAnswer> recentFirstAnswers(const QString &childId, const QString &game, int rounds);

    // This computer's own: on a server, they are kept in the computer's file (Location's sqliteFile).
    std::optional<QString> setting(const QString &key);
    bool setSetting(const QString &key, const QString &value);

    bool eraseEverything();

private:
    Database() = default;
    bool write(const QString &statement, const QVariantList &values);
    bool kept(bool ok, const QString &what);
    bool upgrade(int upTo, QString *error);

    QSqlDatabase m_db;
    QString m_name;
    QString m_file; // for the failure note; empty on a server
    std::optional<bool> m_failingNoted;
    // On a school's server, this computer's own settings (access code, class shown) stay in its
    // own file, as they do without a server.
    std::unique_ptr<Database> m_computer;
};

} // namespace store
