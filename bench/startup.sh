#!/usr/bin/env bash
# Start-up cost of quorvin against a plain C floor, a sh one-liner, Python
# and /bin/true, in batches of starts, where today's note already exists; and
# of the Debian package's quorvin against the same floor linked dynamically
# and built with the same Debian flags. Prints medians and ratios, peak memory
# and system calls.
set -euo pipefail
source_dir=$(cd "$(dirname "$0")/.." && pwd)
"$source_dir/tools/deps.sh" bench > /dev/null
cmake -S "$source_dir" --preset native > /dev/null
cmake --build "$source_dir/build/native" --target quorvin -j "$(nproc)" > /dev/null
quorvin=$source_dir/build/native/cli/quorvin
cmake -S "$source_dir" --preset package > /dev/null
cmake --build --preset package -j "$(nproc)" > /dev/null

work=$(mktemp -d /tmp/quorvin-bench-XXXXXX)
trap 'rm -rf "$work"' EXIT
mkdir "$work/bin" "$work/notes" "$work/crowded"
cc -O2 -static -o "$work/bin/xdg-open" "$source_dir/bench/opener.c"
cc -O2 -static -o "$work/floor" "$source_dir/bench/floor.c"
cc -O2 -static -o "$work/repeat" "$source_dir/bench/repeat.c"
dpkg-deb -x "$(ls "$source_dir"/build/package/quorvin_*.deb)" "$work/package"
packaged=$work/package/usr/bin/quorvin
# The flags the package is built with: dpkg-buildflags' with all hardening,
# and stack-clash and control-flow protection where dpkg leaves them out.
debian() { DEB_BUILD_MAINT_OPTIONS=hardening=+all dpkg-buildflags --get "$1"; }
cflags="$(debian CPPFLAGS) $(debian CFLAGS)"
for flag in -fstack-clash-protection -fcf-protection; do
  [[ $cflags == *"$flag"* ]] || cflags+=" $flag"
done
cc $cflags $(debian LDFLAGS) -o "$work/floor-dynamic" "$source_dir/bench/floor.c"
strip --remove-section=.comment --remove-section=.note "$work/floor-dynamic"
# A graphical session, as the floor assumes: the note goes to xdg-open.
export DISPLAY=${DISPLAY:-:0}
export PATH=$work/bin:$PATH
batch=50

cat > "$work/oneliner.sh" <<'SH'
f=$(date +%Y_%m_%d).txt; [ -e "$f" ] || [ -L "$f" ] || printf '%s\n\n' "$(LC_ALL=C date '+%Y/%m/%d   %A')" > "$f"; xdg-open "$PWD/$f"
SH
cat > "$work/oneliner.py" <<'PY'
import os, subprocess, time
f = time.strftime("%Y_%m_%d.txt")
if not os.path.lexists(f):
    with open(f, "x") as note:
        note.write(time.strftime("%Y/%m/%d   %A\n\n"))
subprocess.run(["xdg-open", os.path.join(os.getcwd(), f)])
PY

cd "$work/notes"
"$quorvin"  # today's note exists from here on
hyperfine -N --warmup 3 --runs 30 --export-json "$work/times.json" \
  -n quorvin "$work/repeat $batch $quorvin" \
  -n "C floor" "$work/repeat $batch $work/floor" \
  -n "sh one-liner" "$work/repeat $batch sh $work/oneliner.sh" \
  -n python "$work/repeat $batch python3 $work/oneliner.py" \
  -n /bin/true "$work/repeat $batch /bin/true" \
  -n "quorvin, packaged" "$work/repeat $batch $packaged" \
  -n "C floor, dynamic" "$work/repeat $batch $work/floor-dynamic" > /dev/null

# --previous lists the folder once: against a plain start in the same folder,
# where the previous note is the oldest of 20000 entries.
for i in $(seq 20000); do : > "$work/crowded/other_$i.txt"; done
(cd "$work/crowded" && : > 2001_01_01.txt && "$quorvin")
(cd "$work/crowded" && hyperfine -N --warmup 3 --runs 30 --export-json "$work/crowded.json" \
  -n "quorvin, 20000 files" "$work/repeat $batch $quorvin" \
  -n "20000 files, --previous" "$work/repeat $batch $quorvin --previous" > /dev/null)

median() { python3 -c "import json,sys; r=json.load(open(sys.argv[1]))['results']; print(r[int(sys.argv[2])]['median'])" "$@"; }
q=$(median "$work/times.json" 0)
printf '\nMedian time of one start (batches of %d), and quorvin against each:\n' "$batch"
for i in 0 1 2 3 4 5 6; do
  name=$(python3 -c "import json,sys; print(json.load(open(sys.argv[1]))['results'][$i]['command'])" "$work/times.json")
  t=$(median "$work/times.json" $i)
  awk -v n="$name" -v t="$t" -v q="$q" -v b="$batch" \
    'BEGIN { printf "  %-22s %8.1f us   quorvin/this %5.2fx\n", n, t / b * 1e6, q / t }'
done
awk -v p="$(median "$work/times.json" 5)" -v f="$(median "$work/times.json" 6)" \
  'BEGIN { printf "  %-22s %5.2fx   (target: within 1.05x)\n", "packaged/dynamic floor", p / f }'
crowded=$(median "$work/crowded.json" 0)
previous=$(median "$work/crowded.json" 1)
awk -v t="$crowded" -v q="$q" -v b="$batch" \
  'BEGIN { printf "  %-22s %8.1f us   against an ordinary folder %5.2fx\n", "quorvin, 20000 files", t / b * 1e6, t / q }'
awk -v t="$previous" -v c="$crowded" -v b="$batch" \
  'BEGIN { printf "  %-22s %8.1f us   against a plain start there %5.2fx\n", "--previous, 20000 files", t / b * 1e6, t / c }'

printf '\nPeak memory (maximum resident set):\n'
programs=(quorvin "$quorvin" floor "$work/floor" "quorvin, packaged" "$packaged"
          "floor, dynamic" "$work/floor-dynamic")
for ((i = 0; i < ${#programs[@]}; i += 2)); do
  kib=$(/usr/bin/time -f %M "${programs[i + 1]}" 2>&1 >/dev/null | tail -n 1)
  printf '  %-22s %6d KiB\n' "${programs[i]}" "$kib"
done

printf '\nSystem calls of one start, opener included:\n'
for ((i = 0; i < ${#programs[@]}; i += 2)); do
  strace -f -c -o "$work/strace.txt" "${programs[i + 1]}"
  printf '  %-22s %6d\n' "${programs[i]}" "$(awk '$NF == "total" { print $4 }' "$work/strace.txt")"
done
