// SPDX-FileCopyrightText: 2026 Les Ateliers Calivento
//
// SPDX-License-Identifier: GPL-3.0-or-later

// Feeds the fuzz target seeded random inputs where no coverage-guided fuzzer is at hand.
//   random_inputs [count] [seed]
#include <QByteArray>
#include <QRandomGenerator>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size);

namespace {

// Pieces a progress file is likely or unlikely to be made of; random bytes cover the rest.
const char *const pieces[] = {"0", "1", "2", "3", "4", "9", "-", "+", ",", " ", "\t", "\r", "\n", "\r\n",
                              "2147483647", "2147483648", "-2147483648", "-2147483649", "4294967296",
                              "99999999999999999999", "00000003", "abc", "\x00", "\xff", "0x3", "3e0", "3.0"};

QByteArray makeInput(QRandomGenerator &random)
{
    QByteArray input;
    const int parts = static_cast<int>(random.bounded(12));
    for (int i = 0; i < parts; ++i) {
        if (random.bounded(4) == 0) {
            const int length = static_cast<int>(random.bounded(16));
            for (int j = 0; j < length; ++j)
                input.append(static_cast<char>(random.bounded(256)));
        } else {
            const char *piece = pieces[random.bounded(static_cast<quint32>(std::size(pieces)))];
            input.append(*piece ? QByteArray(piece) : QByteArray(1, '\0'));
        }
    }
    return input;
}

} // namespace

int main(int argc, char *argv[])
{
    const long long count = argc > 1 ? std::atoll(argv[1]) : 1000000;
    const quint32 seed = argc > 2 ? static_cast<quint32>(std::strtoul(argv[2], nullptr, 10)) : 1;
    QRandomGenerator random(seed);
    const auto start = std::chrono::steady_clock::now();
    for (long long i = 0; i < count; ++i) {
        const QByteArray input = makeInput(random);
        LLVMFuzzerTestOneInput(reinterpret_cast<const uint8_t *>(input.constData()),
                               static_cast<size_t>(input.size()));
    }
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    std::printf("%lld inputs from seed %u in %.1f s, no fault\n", count, seed, seconds);
    return 0;
}
