// SPDX-FileCopyrightText: 2026 Les Ateliers Calivento
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QWidget>

class QLabel;
class QLineEdit;
class QPushButton;

// "Base de l'école": the school's server for this account (host, port, database and user, or a
// libpq service name; never a password), what it says when tried, how many of this computer's
// answers wait to be sent and since when, and the results carried by hand in .calivento files.
// Everything that touches a database or a network runs on a thread of its own.
namespace suivi {

// The sentence for the answers that wait: "12 réponses attendent d'être envoyées, depuis le …".
QString pendingSentence(int answers, const QDateTime &since);

class BaseEcole : public QWidget
{
    Q_OBJECT

public:
    explicit BaseEcole(QString localFile, QWidget *parent = nullptr);

    // The address the fields make: "postgresql://user@host:port/db" or "service=name".
    QString address() const;

    // Tries the server and counts what waits (the page does it when shown).
    void refresh();
    void exportTo(const QString &file);
    void importFrom(const QString &file);

signals:
    void said(const QString &text);
    void refreshed();

private:
    void save();
    void upgradeServer();
    void fill(const QString &base);
    // Runs work on a thread of its own and hands its text to done on this one.
    void offThread(std::function<QString()> work, std::function<void(const QString &)> done);

    QString m_localFile;
    QLineEdit *m_host = nullptr;
    QLineEdit *m_port = nullptr;
    QLineEdit *m_database = nullptr;
    QLineEdit *m_user = nullptr;
    QLineEdit *m_service = nullptr;
    QLabel *m_state = nullptr;
    QLabel *m_pending = nullptr;
    QPushButton *m_upgrade = nullptr;
};

} // namespace suivi
