#!/usr/bin/env bash
# What a folder's size costs a start, now that a start lists the folder once
# for the sync tools' copies of its note, unless it finds the folder as a
# start that found none of them left it: a start where today's note exists,
# in a folder of 4,000 notes (eleven years of them) and in one of 20,000
# other files, against a start in a fresh folder holding only today's note,
# each both as it is (the folder remembered) and with no record to go by
# (listed every time, as after any change to the folder); and --previous
# among the 20,000. The folders take turns batch by
# batch (a batch of starts, then the same in the other folder, the order
# swapped every round), so that the machine's drift weighs on both alike.
# Prints the median of each and the ratio of the medians of the pairs.
set -euo pipefail
source_dir=$(cd "$(dirname "$0")/.." && pwd)
cmake -S "$source_dir" --preset native > /dev/null
cmake --build "$source_dir/build/native" --target quorvin -j 2 > /dev/null
quorvin=$source_dir/build/native/cli/quorvin

work=$(mktemp -d /tmp/quorvin-bench-XXXXXX)
trap 'rm -rf "$work"' EXIT
mkdir "$work/bin" "$work/fresh" "$work/notes" "$work/crowded"
cc -O2 -static -o "$work/bin/xdg-open" "$source_dir/bench/opener.c"
cc -O2 -static -o "$work/repeat" "$source_dir/bench/repeat.c"
export DISPLAY=${DISPLAY:-:0} PATH=$work/bin:$PATH XDG_CACHE_HOME=$work/cache
(cd "$work/notes" && for day in $(seq 1 4000); do : > "$(date -d "$day days ago" +%Y_%m_%d).txt"; done)
(cd "$work/crowded" && for i in $(seq 20000); do : > "other_$i.txt"; done && : > 2001_01_01.txt)
for folder in fresh notes crowded; do (cd "$work/$folder" && "$quorvin"); done  # today's note from here on
sleep 2  # a folder is remembered only when its last change is over a second old

python3 - "$work" "$quorvin" << 'PY'
import os, statistics, subprocess, sys, time
work, quorvin = sys.argv[1:]
batch, rounds = 50, 60
def paired(a, b, remembered):
    times = {a: [], b: []}
    env = dict(os.environ, **({} if remembered else {"XDG_CACHE_HOME": "", "HOME": ""}))
    for round in range(rounds):
        for folder, args in (a, b) if round % 2 else (b, a):
            start = time.perf_counter()
            subprocess.run([f"{work}/repeat", str(batch), quorvin, *args], cwd=f"{work}/{folder}", check=True,
                           env=env)
            times[(folder, args)].append(time.perf_counter() - start)
    return [statistics.median(times[k]) / batch * 1e6 for k in (a, b)]
for name, a, b, remembered in (
        ("4,000 notes", ("notes", ()), ("fresh", ()), True),
        ("4,000 notes, listed", ("notes", ()), ("fresh", ()), False),
        ("20,000 files", ("crowded", ()), ("fresh", ()), True),
        ("20,000 files, listed", ("crowded", ()), ("fresh", ()), False),
        ("--previous, 20,000 files", ("crowded", ("--previous",)), ("crowded", ()), True)):
    x, y = paired(a, b, remembered)
    against = "a plain start there" if a[0] == b[0] else "a fresh folder"
    print(f"  {name:26} {x:8.1f} us   {against} {y:8.1f} us   {x / y:5.2f}x")
PY
