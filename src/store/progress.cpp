// SPDX-FileCopyrightText: 2026 Les Ateliers Calivento
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "progress.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QSaveFile>
#include <QSet>
#include <charconv>

namespace store::progress {

namespace {
// Where no temporary can be made beside the file (a read-only folder), the file itself is
// written over from its start and only then cut to length, so that a failed write never
// leaves it empty. Only a file that exists and may be written is written over.
bool overwrite(const QString &path, const QByteArray &content)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadWrite | QIODevice::ExistingOnly | QIODevice::Unbuffered))
        return false;
    return file.write(content) == content.size() && file.resize(content.size());
}

// Every game has three levels.
constexpr int levelCount = 3;

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
    if (stored && *stored >= 1 && *stored <= levelCount)
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

QString Store::path(const QString &name) const
{
    return m_folder + QLatin1Char('/') + name;
}

void Store::removeStrayTemporaries(const QString &name) const
{
    // A save killed before its commit leaves its temporary, named after the file plus six
    // letters or digits, where the system has no unnamed temporary files.
    const QDir folder(m_folder);
    static const QRegularExpression tail(QStringLiteral("^\\.[A-Za-z0-9]{6}$"));
    for (const QString &entry : folder.entryList({name + QStringLiteral(".??????")}, QDir::Files | QDir::Hidden))
        if (tail.match(QStringView(entry).mid(name.size())).hasMatch())
            QFile::remove(folder.filePath(entry));
}

std::optional<int> Store::read(const QString &name) const
{
    removeStrayTemporaries(name);
    QFile file(path(name));
    if (!file.exists()) {
        write(name, 1);
        return 1;
    }
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    return openLevels(firstNumber(file.read(readLimit)));
}

bool Store::unreadable(const QString &name) const
{
    QFile file(path(name));
    if (!file.exists() || file.open(QIODevice::ReadOnly))
        return false;
    static QSet<QString> told;
    if (!told.contains(file.fileName())) {
        told.insert(file.fileName());
        qWarning("Calivento : %s ne peut pas être lu (%s) ; il est laissé tel quel.", qPrintable(file.fileName()),
                 qPrintable(file.errorString()));
    }
    return true;
}

bool Store::recordWin(const QString &name, int levelWon) const
{
    // A garbled file counts as a fresh one: the win still opens level 2.
    return !unreadable(name) && write(name, afterWin(read(name).value_or(1), levelWon));
}

bool Store::raise(const QString &name, int open) const
{
    if (unreadable(name))
        return false;
    const std::optional<int> stored = read(name);
    return (stored && *stored >= open) || write(name, open);
}

bool Store::write(const QString &name, int value) const
{
    if (!QDir().mkpath(m_folder))
        return false;
    const QByteArray content = QByteArray::number(value) + "\r\n";
    QSaveFile file(path(name));
    if (!file.open(QIODevice::WriteOnly))
        return overwrite(path(name), content);
    // The write is buffered until the commit, and a commit whose buffer could not be written
    // (full disk) would still replace the file, with nothing: the flush shows the failure first.
    if (file.write(content) != content.size() || !file.flush()) {
        file.cancelWriting();
        return false;
    }
    return file.commit();
}

} // namespace store::progress
