// SPDX-FileCopyrightText: 2026 Les Ateliers Calivento
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QByteArray>
#include <QList>

// Packs already-encoded PNG images into one Windows .ico container.
// Each entry is (edge length in pixels, PNG bytes); edge 256 is stored as 0.
struct IcoEntry {
    int size;
    QByteArray png;
};

QByteArray makeIco(const QList<IcoEntry> &entries);
