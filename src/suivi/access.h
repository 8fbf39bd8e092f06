// SPDX-FileCopyrightText: 2026 Les Ateliers Calivento
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QByteArray>
#include <QString>
#include <functional>
#include <optional>

// The access code of the adults' view. Only a salted PBKDF2 key of it is kept, in the settings
// row accessKey: "pbkdf2-sha256$rounds$salt$key" (base64), or "sans-code" when the adult chose
// none. Deleting the row makes the next opening ask for a new code.
namespace suivi::access {

inline constexpr const char *settingKey = "code_suivi";
inline constexpr const char *noCode = "sans-code";
inline constexpr int rounds = 100000;
inline constexpr int triesBeforeWait = 5;
inline constexpr qint64 waitMs = 30000;

// 4 to 8 digits.
bool isValidCode(const QString &code);

// What is kept for a new code: a fresh random salt and the derived key.
QString keep(const QString &code, int iterations = rounds);
// Whether the code matches what was kept (the rounds are read from it).
bool matches(const QString &code, const QString &kept);

// The tries at the door: after every fifth wrong code in a row the next is taken only 30 s
// later. The clock is handed in so that tests need not wait.
class Door
{
public:
    using Clock = std::function<qint64()>; // ms, steadily increasing
    explicit Door(QString kept, Clock clock = {});

    bool needsCode() const;
    // ms still to wait before a code is taken; 0 when one is taken now.
    qint64 waitLeft() const;
    enum class Verdict { Open, Wrong, Waiting };
    // Checks the code, unless the door is waiting.
    Verdict tryCode(const QString &code);
    // The same in two steps, for a check made on another thread: matches() there, then this.
    Verdict record(bool right);
    const QString &kept() const { return m_kept; }
    int wrongInARow() const { return m_wrong; }

private:
    QString m_kept;
    Clock m_clock;
    int m_wrong = 0;
    std::optional<qint64> m_waitUntil;
};

} // namespace suivi::access
