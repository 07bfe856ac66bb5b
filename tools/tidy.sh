#!/usr/bin/env bash
# clang-tidy over the product code (daynote/ app/ afx/ cli/) with the checks
# of .clang-tidy; any finding fails. The files the Linux command compiles are
# read as build/native compiles them; those only the Windows program
# compiles, as build/win32 does, with clang reading them for the
# i686-w64-mingw32 target with mingw-w64's C++ headers. Both builds must be
# configured (cmake --preset native, cmake --preset win32).
set -euo pipefail
cd "$(dirname "$0")/.."

compile_database() {  # BUILD files|compiler: its product files, or its C++ compiler
  python3 - "$1/compile_commands.json" "$2" << 'END'
import json, os, sys
entries = json.load(open(sys.argv[1]))
if sys.argv[2] == "compiler":
    print(next(e["command"].split()[0] for e in entries if e["file"].endswith(".cpp")))
for path in sorted({os.path.relpath(os.path.realpath(os.path.join(e["directory"], e["file"]))) for e in entries}):
    if sys.argv[2] == "files" and path.split(os.sep)[0] in ("daynote", "app", "afx", "cli"):
        print(path)
END
}
tidy() {  # BUILD ARGUMENTS...: each file at once, as many as there are cores
  local build=$1
  shift
  xargs -r -n 1 -P "$(nproc)" clang-tidy --quiet -p "$build" "$@" 2>&1 | grep -v '^[0-9]* warnings\? generated\.$'
  return "${PIPESTATUS[0]}"
}

mapfile -t native < <(compile_database build/native files)
mapfile -t windows < <(compile_database build/win32 files | grep -vxF -f <(printf '%s\n' "${native[@]}"))

# The cross compiler's own C++ library headers; clang finds the rest.
compiler=$(compile_database build/win32 compiler)
windows_args=(--extra-arg=--target=i686-w64-mingw32)
while read -r folder; do
  windows_args+=("--extra-arg=-isystem$folder")
done < <("$compiler" -E -x c++ -v - < /dev/null 2>&1 | sed -n 's|^ \(/.*/c++.*\)$|\1|p')
# mingw-w64 writes its error codes with a lower-case "l" suffix (made by
# token pasting in __MSABI_LONG, so no source line to mark): cert-dcl16-c
# would blame the code that names them.
windows_args+=(--checks=-cert-dcl16-c)

status=0
printf '%s\n' "${native[@]}" | tidy build/native || status=1
printf '%s\n' "${windows[@]}" | tidy build/win32 "${windows_args[@]}" || status=1
[ "$status" -eq 0 ] && echo "clang-tidy: ${#native[@]} Linux and ${#windows[@]} Windows files clean"
exit "$status"
