// SPDX-FileCopyrightText: 2026 Les Ateliers Calivento
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "ico.h"

#include <QtEndian>

namespace {

void put16(QByteArray &out, quint16 v)
{
    char b[2];
    qToLittleEndian(v, b);
    out.append(b, 2);
}

void put32(QByteArray &out, quint32 v)
{
    char b[4];
    qToLittleEndian(v, b);
    out.append(b, 4);
}

} // namespace

QByteArray makeIco(const QList<IcoEntry> &entries)
{
    QByteArray out;
    put16(out, 0); // reserved
    put16(out, 1); // type: icon
    put16(out, quint16(entries.size()));

    quint32 offset = 6 + 16 * quint32(entries.size());
    for (const IcoEntry &e : entries) {
        const char edge = char(e.size >= 256 ? 0 : e.size);
        out.append(edge);   // width
        out.append(edge);   // height
        out.append('\0');   // palette size
        out.append('\0');   // reserved
        put16(out, 1);      // colour planes
        put16(out, 32);     // bits per pixel
        put32(out, quint32(e.png.size()));
        put32(out, offset);
        offset += quint32(e.png.size());
    }
    for (const IcoEntry &e : entries)
        out.append(e.png);
    return out;
}
