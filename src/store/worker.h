// SPDX-FileCopyrightText: 2026 Les Ateliers Calivento
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "database.h"

#include <QObject>
#include <QPointer>
#include <QThread>
#include <functional>
#include <memory>

// The store's thread: one connection of its own, every piece of work run there in the order it
// was posted. The interface thread posts and never waits.
namespace store {

class Worker : public QObject
{
public:
    // The store is opened (made, upgraded) by the first job, on the store's thread.
    explicit Worker(Location where, QObject *parent = nullptr);
    ~Worker() override; // finishes what was posted, then closes

    const Location &location() const { return m_where; }

    // Runs the job on the store's thread; not at all when the store cannot be opened.
    void post(std::function<void(Database &)> job);

    // Runs the query there, then hands its result to done on this worker's thread (the one that
    // made it), unless context is gone by then. When the store cannot be opened, done gets T{}.
    template <typename T> void query(std::function<T(Database &)> query, QObject *context, std::function<void(T)> done)
    {
        QPointer<QObject> guard(context);
        run([this, guard, query = std::move(query), done = std::move(done)](Database *db) mutable {
            T result = db ? query(*db) : T{};
            QMetaObject::invokeMethod(
                this,
                [guard, done = std::move(done), result = std::move(result)]() mutable {
                    if (guard)
                        done(std::move(result));
                },
                Qt::QueuedConnection);
        });
    }

    // Waits until everything posted so far has run: for tests and command-line tools only.
    void wait();

    // Whether the store opened; nothing until the first job has run.
    std::optional<bool> opened() const;
    QString openError() const;

private:
    void run(std::function<void(Database *)> job);

    Location m_where;
    QThread m_thread;
    QObject *m_inside = nullptr;  // lives on m_thread
    std::optional<Database> m_db; // used on m_thread only
    std::atomic_int m_state = -1; // -1 not tried, 0 failed, 1 open
    QString m_openError;          // written before m_state
};

} // namespace store
