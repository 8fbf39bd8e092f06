// SPDX-FileCopyrightText: 2026 Les Ateliers Calivento
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <cstdint>
#include <string>
#include <vector>

// Interleaved 16-bit stereo PCM in a plain 44-byte-header RIFF/WAVE file.
bool writeWav(const std::string &path, int sampleRate, const std::vector<std::int16_t> &interleaved);
