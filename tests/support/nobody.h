// SPDX-FileCopyrightText: 2026 Les Ateliers Calivento
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QScopeGuard>
#include <QtGlobal>
#include <unistd.h>

namespace fakes {

// Root reads and writes through any permission: as root, the test acts as "nobody" (root stays
// saved, to come back) until the guard goes. geteuid() tells whether it could.
inline auto asNobody()
{
    const bool switched = geteuid() == 0 && setresuid(65534, 65534, 0) == 0;
    return qScopeGuard([switched] {
        if (switched && setresuid(0, 0, 0) != 0)
            qFatal("cannot act as root again");
    });
}

} // namespace fakes
