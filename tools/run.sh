#!/usr/bin/env bash
# Builds quorvin and runs it in FOLDER (default: the current folder), so that
# today's note appears there and opens.
set -euo pipefail
folder=$(realpath "${1:-.}")
source_dir=$(cd "$(dirname "$0")/.." && pwd)
"$source_dir/tools/deps.sh" run
# Warnings stay warnings here, whatever the test command last configured.
cmake -S "$source_dir" --preset native -DQUORVIN_WERROR=OFF > /dev/null
cmake --build "$source_dir/build/native" --target quorvin -j "$(nproc)" > /dev/null
cd "$folder"
exec "$source_dir/build/native/app/quorvin"
