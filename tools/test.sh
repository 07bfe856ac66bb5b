#!/usr/bin/env bash
# Installs what the tests need, builds everything (the Linux command, its
# Debian package and the 32-bit Windows program) and runs every test:
# natively, again under AddressSanitizer and UndefinedBehaviorSanitizer, the
# command line's fuzzer for half a minute, then under Wine on a private X
# display with a private Wine prefix; clang-tidy over the product code; last,
# that the packages build reproducibly. The test builds stop at any compiler warning
# (QUORVIN_WERROR); users' builds and the packages only warn.
set -euo pipefail
cd "$(dirname "$0")/.."
tools/deps.sh test

cmake --preset native -DQUORVIN_WERROR=ON > /dev/null
cmake --build --preset native -j "$(nproc)"
# Among the native tests, the package test builds the committed HEAD with
# dpkg-buildpackage and installs the package for a while.
ctest --preset native

# The sanitize test preset leaves out the tests that hide /proc or check
# another build's output (see its description).
cmake --preset sanitize -DQUORVIN_WERROR=ON > /dev/null
cmake --build --preset sanitize -j "$(nproc)"
ctest --preset sanitize
tests/fuzz_test.sh 30

cmake --preset win32 -DQUORVIN_WERROR=ON > /dev/null
cmake --build --preset win32 -j "$(nproc)"
cmake --build --preset win32 --target package
. tools/wine-session.sh
wine_session_start "$PWD/build/win32/wine-prefix"
trap wine_session_stop EXIT
ctest --preset win32

tools/tidy.sh

# Two more builds of the committed HEAD, in scratch clones, compared byte for byte.
tests/reproducible_test.sh
