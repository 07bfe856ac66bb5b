#!/usr/bin/env bash
# Installs what the tests need, builds everything (the Linux command and the
# 32-bit Windows program) and runs every test: natively, then under Wine on
# a private X display with a private Wine prefix; last, that the packages
# build reproducibly.
set -euo pipefail
cd "$(dirname "$0")/.."
tools/deps.sh test

cmake --preset native > /dev/null
cmake --build --preset native -j "$(nproc)"
cmake --preset package > /dev/null
cmake --build --preset package -j "$(nproc)"
ctest --preset native

cmake --preset win32 > /dev/null
cmake --build --preset win32 -j "$(nproc)"
cmake --build --preset win32 --target package
. tools/wine-session.sh
wine_session_start "$PWD/build/win32/wine-prefix"
trap wine_session_stop EXIT
ctest --preset win32

# Two more builds of the committed HEAD, in scratch clones, compared byte for byte.
tests/reproducible_test.sh
