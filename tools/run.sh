#!/usr/bin/env bash
# Builds quorvin and runs it on FOLDER (default: the current folder), so that
# today's note appears there and opens.
set -euo pipefail
source_dir=$(cd "$(dirname "$0")/.." && pwd)
"$source_dir/tools/deps.sh" run
# Warnings stay warnings here, whatever the test command last configured.
cmake -S "$source_dir" --preset native -DQUORVIN_WERROR=OFF > /dev/null
cmake --build "$source_dir/build/native" --target quorvin -j "$(nproc)" > /dev/null
exec "$source_dir/build/native/cli/quorvin" -- "${1:-.}"
