#!/usr/bin/env bash
# Start-up cost of quorvin against a plain C floor, a sh one-liner, Python
# and /bin/true, in batches of starts, where today's note already exists; and
# of the Debian package's quorvin (dpkg-buildpackage on the committed HEAD)
# against the same floor built with the same Debian flags and loading the same
# shared libraries, the C++ runtime among them. Prints medians and ratios,
# peak memory and system calls.
set -euo pipefail
source_dir=$(cd "$(dirname "$0")/.." && pwd)
"$source_dir/tools/deps.sh" bench > /dev/null
cmake -S "$source_dir" --preset native > /dev/null
cmake --build "$source_dir/build/native" --target quorvin -j "$(nproc)" > /dev/null
quorvin=$source_dir/build/native/cli/quorvin

work=$(mktemp -d /tmp/quorvin-bench-XXXXXX)
trap 'rm -rf "$work"' EXIT
git clone -q "$source_dir" "$work/source"
git -C "$work/source" checkout -q "$(git -C "$source_dir" rev-parse HEAD)"
(cd "$work/source" && dpkg-buildpackage -us -uc -b -Jauto > "$work/dpkg-buildpackage.log" 2>&1) ||
  { tail -n 20 "$work/dpkg-buildpackage.log" >&2; exit 1; }
mkdir "$work/bin" "$work/notes" "$work/crowded"
cc -O2 -static -o "$work/bin/xdg-open" "$source_dir/bench/opener.c"
cc -O2 -static -o "$work/floor" "$source_dir/bench/floor.c"
cc -O2 -static -o "$work/repeat" "$source_dir/bench/repeat.c"
dpkg-deb -x "$(ls "$work"/quorvin_*.deb)" "$work/package"
packaged=$work/package/usr/bin/quorvin
# The flags the package is built with: dpkg-buildflags' with all hardening,
# and stack-clash and control-flow protection where dpkg leaves them out.
debian() { DEB_BUILD_MAINT_OPTIONS=hardening=+all dpkg-buildflags --get "$1"; }
cflags="$(debian CPPFLAGS) $(debian CFLAGS)"
for flag in -fstack-clash-protection -fcf-protection; do
  [[ $cflags == *"$flag"* ]] || cflags+=" $flag"
done
# Linked as Debian links a C++ program, by the C++ compiler. Debian's links
# with --as-needed, which leaves out a library nothing calls, so the C++
# runtime and libgcc's, which quorvin loads, are asked for by name.
cc $cflags -c -o "$work/floor.o" "$source_dir/bench/floor.c"
c++ $(debian LDFLAGS) -o "$work/floor-dynamic" "$work/floor.o" \
  -Wl,--push-state,--no-as-needed -lstdc++ -lgcc_s -Wl,--pop-state
strip --remove-section=.comment --remove-section=.note "$work/floor-dynamic"
needed() { readelf -d "$1" | sed -n 's/.*(NEEDED).*\[\(.*\)\]$/\1/p' | tr '\n' ' '; }
[ -z "$(needed "$quorvin")" ] || { echo "the native quorvin loads $(needed "$quorvin"): it should be static" >&2; exit 1; }
[ "$(needed "$packaged")" = "$(needed "$work/floor-dynamic")" ] ||
  { echo "the floor loads $(needed "$work/floor-dynamic"), the package's quorvin $(needed "$packaged")" >&2; exit 1; }
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
  -n "C floor, shared C++" "$work/repeat $batch $work/floor-dynamic" > /dev/null

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
# The package's quorvin, its floor and the static quorvin once more, batch by
# batch in turns, so that the machine's drift weighs on all three alike. The
# first two swap places every round: the one that runs second finds the
# shared C++ runtime freshly used.
python3 - "$work/repeat" "$batch" "$packaged" "$work/floor-dynamic" "$quorvin" << 'PY'
import statistics, subprocess, sys, time
repeat, batch, *programs = sys.argv[1:]
times = {program: [] for program in programs}
for round in range(80):
    for program in (programs[:2] if round % 2 else programs[1::-1]) + programs[2:]:
        start = time.perf_counter()
        subprocess.run([repeat, batch, program], check=True)
        times[program].append(time.perf_counter() - start)
packaged, floor, static = (statistics.median(times[program]) / int(batch) for program in programs)
print(f"  in turns, one start: packaged {packaged * 1e6:.1f} us, shared floor {floor * 1e6:.1f} us, "
      f"static native {static * 1e6:.1f} us")
print(f"  {'packaged/shared floor':22} {packaged / floor:5.2f}x   (in turns; target: within 1.05x)")
print(f"  {'packaged/static native':22} {packaged / static:5.2f}x   (in turns: loading the shared C++ runtime)")
PY
crowded=$(median "$work/crowded.json" 0)
previous=$(median "$work/crowded.json" 1)
awk -v t="$crowded" -v q="$q" -v b="$batch" \
  'BEGIN { printf "  %-22s %8.1f us   against an ordinary folder %5.2fx\n", "quorvin, 20000 files", t / b * 1e6, t / q }'
awk -v t="$previous" -v c="$crowded" -v b="$batch" \
  'BEGIN { printf "  %-22s %8.1f us   against a plain start there %5.2fx\n", "--previous, 20000 files", t / b * 1e6, t / c }'

printf '\nPeak memory (maximum resident set):\n'
programs=(quorvin "$quorvin" floor "$work/floor" "quorvin, packaged" "$packaged"
          "floor, shared C++" "$work/floor-dynamic")
for ((i = 0; i < ${#programs[@]}; i += 2)); do
  kib=$(/usr/bin/time -f %M "${programs[i + 1]}" 2>&1 >/dev/null | tail -n 1)
  printf '  %-22s %6d KiB\n' "${programs[i]}" "$kib"
done

printf '\nSystem calls of one start, opener included:\n'
for ((i = 0; i < ${#programs[@]}; i += 2)); do
  strace -f -c -o "$work/strace.txt" "${programs[i + 1]}"
  printf '  %-22s %6d\n' "${programs[i]}" "$(awk '$NF == "total" { print $4 }' "$work/strace.txt")"
done
