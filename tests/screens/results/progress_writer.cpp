// SPDX-FileCopyrightText: 2026 Les Ateliers Calivento
//
// SPDX-License-Identifier: GPL-3.0-or-later

// Writes one progress file over and over, 2 and 3 in turn, until it is killed.
//   progress_writer <folder>
// Says "ready" once the first write is done.
#include "screens/results/progress.h"

#include <cstdio>

int main(int argc, char *argv[])
{
    if (argc != 2)
        return 2;
    const progress::Store store(QString::fromLocal8Bit(argv[1]));
    bool first = true;
    for (int value = 2;; value = 5 - value) {
        if (!store.write(game::GameId::Vents, value))
            return 1;
        if (first) {
            std::puts("ready");
            std::fflush(stdout);
            first = false;
        }
    }
}
