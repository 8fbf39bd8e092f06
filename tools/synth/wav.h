#pragma once

#include <cstdint>
#include <string>
#include <vector>

// Interleaved 16-bit stereo PCM in a plain 44-byte-header RIFF/WAVE file.
bool writeWav(const std::string &path, int sampleRate, const std::vector<std::int16_t> &interleaved);
