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
hyperfine --warmup 3 --runs 20 --export-json "$work/times.json" \
  -n "Quorvin.exe" "wine $program" -n "plain-C hidden dialog, same job" "wine $work/hidden_dialog.exe" \
  -n "exit-only program" "wine $work/exit_only.exe" > /dev/null
python3 - "$work/times.json" <<'PY'
import json, sys
results = json.load(open(sys.argv[1]))["results"]
quorvin = results[0]["median"]
print("Median run under Wine, and Quorvin.exe against each:")
for r in results:
    print(f"  {r['command']:<34} {r['median'] * 1000:6.0f} ms   Quorvin.exe/this {quorvin / r['median']:.2f}x")
PY
