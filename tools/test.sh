#!/usr/bin/env bash
# Installs what the tests need, builds everything and runs every test.
set -euo pipefail
cd "$(dirname "$0")/.."
tools/deps.sh test

cmake --preset native > /dev/null
cmake --build --preset native -j "$(nproc)"
ctest --preset native
