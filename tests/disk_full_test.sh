#!/usr/bin/env bash
# A note on a file system that is really full: nothing half-written may stay
# behind, and once space is free again the next start writes the whole note.
# Needs a private mount namespace; exits 77 (skipped) where that is refused.
quorvin=$(realpath "$1")
if [ "${QUORVIN_IN_NAMESPACE:-}" != 1 ]; then
  if ! unshare -rm true 2>/dev/null; then
    echo "skipped: unshare -rm is refused here, so no private tmpfs can be mounted"
    exit 77
  fi
  exec env QUORVIN_IN_NAMESPACE=1 unshare -rm bash "$0" "$@"
fi
. "$(dirname "$0")/lib.sh"

export RECORD=$scratch/opened
mkdir -p "$scratch/bin" "$scratch/disk"
printf '#!/bin/sh\nprintf "%%s\\n" "$*" >> "$RECORD"\n' > "$scratch/bin/xdg-open"
chmod +x "$scratch/bin/xdg-open"
export PATH=$scratch/bin:$PATH
: > "$RECORD"

mount -t tmpfs -o size=4k tmpfs "$scratch/disk" || { echo "skipped: tmpfs mount refused"; exit 77; }
cd "$scratch/disk" || exit 1
head -c 4096 /dev/zero > filler 2>/dev/null
today=$(date +%Y_%m_%d).txt

message=$("$quorvin" 2>&1)
check "a full disk exits 1" same "$?" 1
check "a full disk is reported" same "$message" \
  "quorvin: cannot write $today in $scratch/disk: No space left on device"
check "no note is left behind on a full disk" same "$(ls -A)" "filler"
check "nothing is opened on a full disk" same "$(cat "$RECORD")" ""

rm filler
"$quorvin"
check "with space again the next start exits 0" same "$?" 0
check "with space again the note is whole" same "$(cat "$today")" \
  "$(LC_ALL=C date '+%Y/%m/%d   %A')"
check "with space again the note is opened" same "$(cat "$RECORD")" "$scratch/disk/$today"
cd / && umount "$scratch/disk"
finish
