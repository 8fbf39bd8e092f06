// SPDX-FileCopyrightText: 2026 Les Ateliers Calivento
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "setting.h"

#include "progress.h"

#include <QFile>
#include <QFileInfo>
#include <optional>

namespace store {

namespace {

// The choice made in this run, for the file it was made for: an unwritable folder must not undo
// it, and another folder (another current folder) has its own.
struct Chosen {
    QString path;
    bool on = false;
};
std::optional<Chosen> chosen;

QString absolutePath(const QString &folder)
{
    return QFileInfo(folder + QLatin1Char('/') + QLatin1String(settingFile)).absoluteFilePath();
}

} // namespace

bool hearsFoundInstrument(const QString &folder)
{
    const QString path = absolutePath(folder);
    if (chosen && chosen->path == path)
        return chosen->on;
    QFile file(path);
    // A few bytes hold the answer; a runaway file is not read to its end.
    const bool on = file.open(QIODevice::ReadOnly) && progress::firstNumber(file.read(64)) == 1;
    chosen = Chosen{path, on};
    return on;
}

bool setHearsFoundInstrument(bool on, const QString &folder)
{
    chosen = Chosen{absolutePath(folder), on};
    return progress::Store(folder).write(QLatin1String(settingFile), on ? 1 : 0);
}

} // namespace store
