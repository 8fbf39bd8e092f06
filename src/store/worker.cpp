// SPDX-FileCopyrightText: 2026 Les Ateliers Calivento
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "worker.h"

#include <QSemaphore>
#include <atomic>

namespace store {

namespace {
// Every worker's connection needs a name of its own.
QString connectionName()
{
    static std::atomic_int count = 0;
    return QStringLiteral("calivento-store-%1").arg(++count);
}
} // namespace

Worker::Worker(Location where, QObject *parent)
    : QObject(parent)
    , m_where(std::move(where))
{
    m_thread.setObjectName(QStringLiteral("store"));
    m_inside = new QObject;
    m_inside->moveToThread(&m_thread);
    connect(&m_thread, &QThread::finished, m_inside, &QObject::deleteLater);
    m_thread.start(QThread::LowPriority);
}

Worker::~Worker()
{
    // Queued after everything posted, so all of it runs first; the connection closes on its own
    // thread.
    QMetaObject::invokeMethod(
        m_inside,
        [this] {
            m_db.reset();
            QThread::currentThread()->quit();
        },
        Qt::QueuedConnection);
    m_thread.wait();
}

void Worker::run(std::function<void(Database *)> job)
{
    QMetaObject::invokeMethod(
        m_inside,
        [this, job = std::move(job)] {
            if (m_state.load() < 0) {
                QString error;
                m_db = Database::open(m_where, connectionName(), &error);
                m_openError = error;
                m_state = m_db ? 1 : 0;
            }
            job(m_db ? &*m_db : nullptr);
        },
        Qt::QueuedConnection);
}

void Worker::post(std::function<void(Database &)> job)
{
    run([job = std::move(job)](Database *db) {
        if (db)
            job(*db);
    });
}

void Worker::wait()
{
    QSemaphore done;
    run([&done](Database *) { done.release(); });
    done.acquire();
}

std::optional<bool> Worker::opened() const
{
    const int state = m_state.load();
    if (state < 0)
        return std::nullopt;
    return state == 1;
}

QString Worker::openError() const
{
    return m_state.load() < 0 ? QString() : m_openError;
}

} // namespace store
