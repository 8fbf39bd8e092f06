// SPDX-FileCopyrightText: 2026 Les Ateliers Calivento
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "database.h"

#include <QObject>
#include <functional>

// The store's thread: one connection of its own, every piece of work run there in the order it
// was posted. The interface thread posts and never waits. (Contract sketch.)
namespace store {

class Worker
{
public:
    explicit Worker(Location where);
    ~Worker(); // finishes what was posted, then closes

    // Runs the job on the store's thread.
    void post(std::function<void(Database &)> job);

    // Runs the query there, then hands its result to done on context's thread, unless context
    // is gone by then.
    template<typename T>
    void query(std::function<T(Database &)> query, QObject *context, std::function<void(T)> done);

    // Whether the last write failed, and since when (shown by the adults' view).
    std::optional<QDateTime> failingSince() const;
};

} // namespace store
