// SPDX-FileCopyrightText: 2026 Les Ateliers Calivento
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "progress.h"

#include <QDir>
#include <QFile>
#include <QSaveFile>
#include <charconv>

namespace progress {

namespace {
// A number is found in the first bytes; no need to read a runaway file to its end.
constexpr qint64 readLimit = 4096;

bool isBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}
} // namespace

std::optional<int> firstNumber(const QByteArray &content)
{
    const char *p = content.constData();
    const char *end = p + content.size();
    while (p != end && isBlank(*p))
        ++p;
    const char *tokenEnd = p;
    while (tokenEnd != end && *tokenEnd != ',' && !isBlank(*tokenEnd))
        ++tokenEnd;
    if (p == tokenEnd)
        return std::nullopt;
    // from_chars takes a minus but no plus; a plus then takes no second sign.
    if (*p == '+' && ++p != tokenEnd && *p == '-')
        return std::nullopt;
    int value = 0;
    const auto [rest, error] = std::from_chars(p, tokenEnd, value);
    if (error != std::errc() || rest != tokenEnd)
        return std::nullopt;
    return value;
}

std::optional<int> openLevels(std::optional<int> stored)
{
    if (stored && *stored >= 1 && *stored <= game::levelCount)
        return stored;
    return std::nullopt;
}

int afterWin(int stored, int levelWon)
{
    if (stored == 1)
        return 2;
    if (stored == 2)
        return levelWon == 2 ? 3 : 2;
    return stored;
}

Store::Store(QString folder)
    : m_folder(std::move(folder))
{
}

QString Store::path(game::GameId id) const
{
    return m_folder + QLatin1Char('/') + QString::fromLatin1(game::info(id).progressFile);
}

std::optional<int> Store::read(game::GameId id) const
{
    QFile file(path(id));
    if (!file.exists()) {
        write(id, 1);
        return 1;
    }
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    return openLevels(firstNumber(file.read(readLimit)));
}

bool Store::recordWin(game::GameId id, int levelWon) const
{
    // An unreadable or garbled file counts as a fresh one: the win still opens level 2.
    return write(id, afterWin(read(id).value_or(1), levelWon));
}

bool Store::write(game::GameId id, int value) const
{
    if (!QDir().mkpath(m_folder))
        return false;
    QSaveFile file(path(id));
    if (!file.open(QIODevice::WriteOnly))
        return false;
    const QByteArray content = QByteArray::number(value) + "\r\n";
    // The write is buffered until the commit, and a commit whose buffer could not be written
    // (full disk) would still replace the file, with nothing: the flush shows the failure first.
    if (file.write(content) != content.size() || !file.flush()) {
        file.cancelWriting();
        return false;
    }
    return file.commit();
}

} // namespace progress
