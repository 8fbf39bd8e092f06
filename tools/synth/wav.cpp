// SPDX-FileCopyrightText: 2026 Les Ateliers Calivento
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "wav.h"

#include <fstream>

namespace {

// Written byte by byte so the file is little-endian whatever the host is.
void put32(std::ofstream &out, std::uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        out.put(static_cast<char>((v >> (8 * i)) & 0xff));
}

void put16(std::ofstream &out, std::uint16_t v)
{
    out.put(static_cast<char>(v & 0xff));
    out.put(static_cast<char>((v >> 8) & 0xff));
}

} // namespace

bool writeWav(const std::string &path, int sampleRate, const std::vector<std::int16_t> &interleaved)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    if (!out)
        return false;
    const std::uint16_t channels = 2;
    const std::uint16_t bits = 16;
    const std::uint32_t dataBytes = static_cast<std::uint32_t>(interleaved.size() * sizeof(std::int16_t));
    out.write("RIFF", 4);
    put32(out, 36 + dataBytes);
    out.write("WAVE", 4);
    out.write("fmt ", 4);
    put32(out, 16);
    put16(out, 1); // PCM
    put16(out, channels);
    put32(out, static_cast<std::uint32_t>(sampleRate));
    put32(out, static_cast<std::uint32_t>(sampleRate) * channels * bits / 8);
    put16(out, channels * bits / 8);
    put16(out, bits);
    out.write("data", 4);
    put32(out, dataBytes);
    for (std::int16_t s : interleaved)
        put16(out, static_cast<std::uint16_t>(s));
    return static_cast<bool>(out);
}
