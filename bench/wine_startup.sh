#!/usr/bin/env bash
# Size of Quorvin.exe and the DLLs it imports; time of a normal run under
# Wine (today's note exists, a do-nothing program registered as the .txt
# opener) against a plain-C program doing the same job with a hidden dialog
# and against a Windows program that only exits, in the same prefix.
set -euo pipefail
source_dir=$(cd "$(dirname "$0")/.." && pwd)
"$source_dir/tools/deps.sh" test > /dev/null
"$source_dir/tools/deps.sh" bench > /dev/null
cmake -S "$source_dir" --preset win32 > /dev/null
cmake --build "$source_dir/build/win32" --target Quorvin -j "$(nproc)" > /dev/null
program=$source_dir/build/win32/app/Quorvin.exe

work=$(mktemp -d /tmp/quorvin-wine-bench-XXXXXX)
. "$source_dir/tools/wine-session.sh"
wine_session_start "$source_dir/build/win32/bench-prefix"
trap 'wine_session_stop; rm -rf "$work"' EXIT
i686-w64-mingw32-gcc -O2 -mwindows -o "$work/exit_only.exe" "$source_dir/bench/exit_only.c"
i686-w64-mingw32-gcc -O2 -mwindows -o "$work/hidden_dialog.exe" "$source_dir/bench/hidden_dialog.c" -lole32
i686-w64-mingw32-gcc -O2 -mwindows -o "$work/opener.exe" "$source_dir/bench/opener.c"
wine reg add 'HKLM\Software\Classes\.txt' /ve /d txtfile /f > /dev/null 2>&1
wine reg add 'HKLM\Software\Classes\txtfile\shell\open\command' /ve \
  /d "\"$(winepath -w "$work/opener.exe" 2> /dev/null)\" \"%1\"" /f > /dev/null 2>&1

printf 'Quorvin.exe: %d bytes\nImports:' "$(stat -c %s "$program")"
i686-w64-mingw32-objdump -p "$program" | awk '/DLL Name/ { printf " %s", $3 } END { print "" }'

mkdir "$work/notes" && cd "$work/notes"
wine "$program"  # today's note exists from here on
# Runs of a Wine program drift by tens of milliseconds over a minute, so the
# programs take turns, one run each, and medians are compared.
python3 - "$program" "$work/hidden_dialog.exe" "$work/exit_only.exe" <<'PY'
import statistics, subprocess, sys, time
names = ["Quorvin.exe", "plain-C hidden dialog, same job", "exit-only program"]
times = {name: [] for name in names}
for turn in range(123):
    for name, program in zip(names, sys.argv[1:]):
        start = time.perf_counter()
        subprocess.run(["wine", program], check=True)
        if turn >= 3:  # the first turns warm the caches up
            times[name].append(time.perf_counter() - start)
quorvin = statistics.median(times[names[0]])
print("Median run under Wine (120 runs each, taking turns), and Quorvin.exe against each:")
for name in names:
    median = statistics.median(times[name])
    print(f"  {name:<34} {median * 1000:6.0f} ms   Quorvin.exe/this {quorvin / median:.2f}x")
PY
