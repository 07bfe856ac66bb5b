#!/usr/bin/env bash
# The same commit, built twice in two folders, one after the other, under a
# different umask and time zone, gives the same Debian packages, Quorvin.exe
# and Windows zip and setup, byte for byte; where not, diffoscope shows what differs.
# Builds two clones of the commit at HEAD; the checkout's build/ is left alone.
#   reproducible_test.sh [REPOSITORY]
source=$(cd "${1:-$(dirname "$0")/..}" && pwd)
. "$(dirname "$0")/lib.sh"
commit=$(git -C "$source" rev-parse HEAD)

build() {  # build FOLDER UMASK TZ
  { git clone -q "$source" "$1" && git -C "$1" checkout -q "$commit"; } || return
  (
    cd "$1" && umask "$2" && export TZ=$3 && unset SOURCE_DATE_EPOCH
    { dpkg-buildpackage -us -uc -b -Jauto > "$1.log" 2>&1 || { tail -n 20 "$1.log"; false; }; } &&
    cmake --preset win32 -DBUILD_TESTING=OFF > /dev/null &&
    cmake --build --preset win32 --target package -j "$(nproc)" > /dev/null
  ) || echo "the build in $1 failed" >&2
}

one=$scratch/one/quorvin
other=$scratch/other/a/longer/path/quorvin
build "$one" 022 UTC
build "$other" 002 Pacific/Kiritimati

for artefact in ../quorvin{,-dbgsym}_*.deb build/win32/app/Quorvin.exe build/win32/quorvin-*-{win32.zip,setup.exe}; do
  first=$(ls "$one"/$artefact 2> /dev/null) second=$(ls "$other"/$artefact 2> /dev/null)
  check "$artefact is built both times" test -f "$first" -a -f "$second"
  check "$artefact is the same both times" cmp -s "$first" "$second"
  [ ! -f "$first" ] || [ ! -f "$second" ] || cmp -s "$first" "$second" || diffoscope --no-progress --text - "$first" "$second"
done
finish
