// SPDX-FileCopyrightText: 2026 Les Ateliers Calivento
//
// SPDX-License-Identifier: GPL-3.0-or-later

// Fuzz target for the progress reader: whatever a file holds, the reader agrees with a plain
// re-reading of the rules, and the menu opens nothing or one to three levels.
#include "store/progress.h"

#include <QByteArray>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <limits>

namespace {

bool isBlank(uint8_t c)
{
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

// The first number, read digit by digit: an optional sign, then digits only, up to a comma, a
// blank or the end, and within 32 bits.
std::optional<int> reference(const uint8_t *data, size_t size)
{
    size_t begin = 0;
    while (begin < size && isBlank(data[begin]))
        ++begin;
    size_t end = begin;
    while (end < size && data[end] != ',' && !isBlank(data[end]))
        ++end;
    bool negative = false;
    if (begin < end && (data[begin] == '+' || data[begin] == '-')) {
        negative = data[begin] == '-';
        ++begin;
    }
    if (begin == end)
        return std::nullopt;
    long long value = 0;
    for (size_t i = begin; i < end; ++i) {
        if (data[i] < '0' || data[i] > '9')
            return std::nullopt;
        value = value * 10 + (data[i] - '0');
        if (value > 1LL + std::numeric_limits<int>::max())
            return std::nullopt;
    }
    if (negative)
        value = -value;
    if (value < std::numeric_limits<int>::min() || value > std::numeric_limits<int>::max())
        return std::nullopt;
    return static_cast<int>(value);
}

[[noreturn]] void fail(const char *what, const uint8_t *data, size_t size)
{
    std::fprintf(stderr, "%s for input of %zu bytes:", what, size);
    for (size_t i = 0; i < size && i < 64; ++i)
        std::fprintf(stderr, " %02x", data[i]);
    std::fprintf(stderr, "\n");
    std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray content = QByteArray::fromRawData(reinterpret_cast<const char *>(data),
                                                       static_cast<qsizetype>(size));
    const std::optional<int> number = store::progress::firstNumber(content);
    if (number != reference(data, size))
        fail("first number differs from the rules", data, size);
    const std::optional<int> levels = store::progress::openLevels(number);
    if (levels && (*levels < 1 || *levels > 3))
        fail("open levels out of 1 to 3", data, size);
    if (levels.has_value() != (number && *number >= 1 && *number <= 3))
        fail("open levels do not follow the stored value", data, size);
    return 0;
}
