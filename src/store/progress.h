// SPDX-FileCopyrightText: 2026 Les Ateliers Calivento
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QByteArray>
#include <QString>
#include <optional>

// The saved progress: one small text file per game holding how many of its levels are open.
namespace store::progress {

// The first whole number of a file's content, read as a text-field reader does: leading spaces
// and line ends skipped, the number ending at a comma, a space, a line end or the end. Nothing
// when there is no number there or it does not fit in 32 bits.
std::optional<int> firstNumber(const QByteArray &content);

// The open levels that a stored value stands for: 1 to 3, or nothing for any other value.
std::optional<int> openLevels(std::optional<int> stored);

// What a win writes: winning the highest open level opens the next one, nothing ever goes down.
int afterWin(int stored, int levelWon);

// The files, in a folder relative to the current one unless told otherwise.
class Store
{
public:
    explicit Store(QString folder = QStringLiteral("niveaux"));

    QString path(const QString &file) const;

    // The open levels of a game by its file ("vents.nvl", "oreille.nvl"). A missing file is
    // created holding 1 (and the folder with it, when it can be); an unreadable or garbled file
    // reads as nothing and is left alone. A temporary left beside the file by a killed save is
    // removed.
    std::optional<int> read(const QString &file) const;

    // Records a win. The file is replaced atomically: a crash or a full disk leaves either the
    // old or the new content; in a read-only folder a writable file is written over in place.
    // A file that is there but cannot be read may hold more than the win would write: it is
    // left alone, and the terminal is told once. Returns false when nothing was written.
    bool recordWin(const QString &file, int levelWon) const;

    // Opens levels up to open, never closing any, with the same care as recordWin.
    bool raise(const QString &file, int open) const;

    // Writes the value as the game does: the digit, then CR LF.
    bool write(const QString &file, int value) const;

private:
    void removeStrayTemporaries(const QString &file) const;
    bool unreadable(const QString &file) const;

    QString m_folder;
};

} // namespace store::progress
