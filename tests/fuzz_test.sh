#!/usr/bin/env bash
# Builds the command-line fuzzer with clang's libFuzzer, AddressSanitizer and
# UndefinedBehaviorSanitizer, and runs it for SECONDS from the checked-in
# seeds (on a copy, so that what it finds stays in the build folder); its
# whole report when it finds anything.
#   fuzz_test.sh SECONDS
set -euo pipefail
cd "$(dirname "$0")/.."
work=build/fuzz
mkdir -p "$work" && rm -rf "$work/corpus" && cp -r tests/fuzz-corpus "$work/corpus"
clang++ -std=c++17 -g -O1 -I. -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=all \
  -o "$work/command_line_fuzzer" tests/fuzz_command_line.cpp daynote/command_line.cpp daynote/days.cpp daynote/quoting.cpp
cd "$work"
if ./command_line_fuzzer -max_total_time="${1:-30}" -timeout=5 -print_final_stats=1 corpus > log 2>&1; then
  grep -E '^(Done|stat::number_of_executed_units)' log
else
  cat log
  exit 1
fi
