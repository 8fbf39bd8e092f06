#!/usr/bin/env bash

# SPDX-FileCopyrightText: 2026 Les Ateliers Calivento
#
# SPDX-License-Identifier: GPL-3.0-or-later

# Fuzzes the progress reader with a million inputs: coverage-guided with clang's libFuzzer when
# it is installed, else with seeded random inputs.
#   run_fuzz.sh <random_inputs program> <source dir> <work dir> [runs]
set -euo pipefail
random_inputs=$1
source=$2
work=$3
runs=${4:-1000000}
mkdir -p "$work"

if command -v clang++ >/dev/null && pkg-config --exists Qt6Core 2>/dev/null \
   && echo 'extern "C" int LLVMFuzzerTestOneInput(const char *, unsigned long) { return 0; }' \
      | clang++ -x c++ -fsanitize=fuzzer - -o "$work/probe" 2>/dev/null; then
  clang++ -std=c++20 -O1 -g -fPIC -fsanitize=fuzzer,address,undefined -I"$source/src" \
    $(pkg-config --cflags Qt6Core) "$source/tools/fuzz/fuzz_progress.cpp" \
    "$source/src/store/progress.cpp" \
    $(pkg-config --libs Qt6Core) -o "$work/fuzz_progress"
  corpus=$work/corpus
  rm -rf "$corpus" && mkdir -p "$corpus"
  i=0
  for seed in '1\r\n' '2\r\n' '3\r\n' '  3 ' '2,3' '+3' '-1' '2147483647' '2147483648' '2abc' ''; do
    printf '%b' "$seed" >"$corpus/seed$i"; i=$((i + 1))
  done
  echo "libFuzzer, $runs inputs"
  start=$(date +%s)
  "$work/fuzz_progress" -runs="$runs" -seed=1 -max_len=4096 -print_final_stats=1 "$corpus" 2>&1 | tail -25
  status=${PIPESTATUS[0]}
  echo "libFuzzer: $runs inputs in $(( $(date +%s) - start )) s, exit $status"
  exit "$status"
fi

echo "libFuzzer not available (package clang): seeded random inputs"
"$random_inputs" "$runs" 1
