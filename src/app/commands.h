// SPDX-FileCopyrightText: 2026 Les Ateliers Calivento
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "app/startup.h"

// The tasks an administrator runs from a script, with no window: the store's export and the
// import of a list of children.
namespace commands {

// Whether the command line asks for one of them.
bool asked(const startup::Options &options);

// Runs it against the store in the current folder; says what was done on stdout and returns 0,
// or says why not on stderr and returns 1. Needs an application object.
int run(const startup::Options &options);

} // namespace commands
