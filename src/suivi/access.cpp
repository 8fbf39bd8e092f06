// SPDX-FileCopyrightText: 2026 Les Ateliers Calivento
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "access.h"

#include <QCryptographicHash>
#include <QElapsedTimer>
#include <QPasswordDigestor>
#include <QRandomGenerator>
#include <QRegularExpression>

namespace suivi::access {

namespace {

constexpr int saltBytes = 16;
constexpr int keyBytes = 32;

QByteArray derive(const QString &code, const QByteArray &salt, int iterations)
{
    return QPasswordDigestor::deriveKeyPbkdf2(QCryptographicHash::Sha256, code.toUtf8(), salt, iterations, keyBytes);
}

// Compares every byte, so that the time taken says nothing about where they differ.
bool sameBytes(const QByteArray &a, const QByteArray &b)
{
    if (a.size() != b.size())
        return false;
    unsigned char diff = 0;
    for (qsizetype i = 0; i < a.size(); ++i)
        diff |= static_cast<unsigned char>(a[i] ^ b[i]);
    return diff == 0;
}

} // namespace

bool isValidCode(const QString &code)
{
    static const QRegularExpression digits(QStringLiteral("^[0-9]{4,8}$"));
    return digits.match(code).hasMatch();
}

QString keep(const QString &code, int iterations)
{
    QByteArray salt(saltBytes, Qt::Uninitialized);
    QRandomGenerator::system()->fillRange(reinterpret_cast<quint32 *>(salt.data()), saltBytes / 4);
    return QStringLiteral("pbkdf2-sha256$%1$%2$%3")
        .arg(iterations)
        .arg(QString::fromLatin1(salt.toBase64()), QString::fromLatin1(derive(code, salt, iterations).toBase64()));
}

bool matches(const QString &code, const QString &kept)
{
    const QStringList parts = kept.split(QLatin1Char('$'));
    if (parts.size() != 4 || parts[0] != QLatin1String("pbkdf2-sha256"))
        return false;
    bool ok = false;
    const int iterations = parts[1].toInt(&ok);
    // Fewer rounds than this would be a weakened row: refuse it rather than trust it.
    if (!ok || iterations < rounds)
        return false;
    const QByteArray salt = QByteArray::fromBase64(parts[2].toLatin1());
    const QByteArray key = QByteArray::fromBase64(parts[3].toLatin1());
    return !salt.isEmpty() && sameBytes(derive(code, salt, iterations), key);
}

Door::Door(QString kept, Clock clock)
    : m_kept(std::move(kept))
    , m_clock(std::move(clock))
{
    if (!m_clock) {
        auto timer = std::make_shared<QElapsedTimer>();
        timer->start();
        m_clock = [timer] { return timer->elapsed(); };
    }
}

bool Door::needsCode() const
{
    return m_kept != QLatin1String(noCode);
}

qint64 Door::waitLeft() const
{
    if (!m_waitUntil)
        return 0;
    return std::max<qint64>(0, *m_waitUntil - m_clock());
}

Door::Verdict Door::tryCode(const QString &code)
{
    if (!needsCode())
        return Verdict::Open;
    if (waitLeft() > 0)
        return Verdict::Waiting;
    return record(matches(code, m_kept));
}

Door::Verdict Door::record(bool right)
{
    if (right) {
        m_wrong = 0;
        m_waitUntil.reset();
        return Verdict::Open;
    }
    ++m_wrong;
    if (m_wrong % triesBeforeWait == 0)
        m_waitUntil = m_clock() + waitMs;
    return Verdict::Wrong;
}

} // namespace suivi::access
