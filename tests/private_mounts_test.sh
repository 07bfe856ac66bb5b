#!/usr/bin/env bash
# quorvin on file systems of its own, in a private mount namespace: a disk
# that is really full, and a system without /proc, where a note cannot be
# made without a name and is written under a hidden one first.
# Exits 77 (skipped) where a private mount namespace is refused.
#   private_mounts_test.sh QUORVIN KILL_AT_RANDOM
quorvin=$(realpath "$1")
killer=$(realpath "$2")
if [ "${QUORVIN_IN_NAMESPACE:-}" != 1 ]; then
  [ "$(id -u)" != 0 ] || exec env QUORVIN_IN_NAMESPACE=1 unshare -m bash "$0" "$@"  # root's own may mount exFAT's loop device
  unshare -rm true 2>/dev/null || { echo "skipped: unshare -rm is refused here, so no private tmpfs can be mounted"; exit 77; }
  exec env QUORVIN_IN_NAMESPACE=1 unshare -rm bash "$0" "$@"
fi
. "$(dirname "$0")/lib.sh"
use_recording_opener
: > "$RECORD"

mkdir -p "$scratch/disk"
mount -t tmpfs -o size=4k tmpfs "$scratch/disk" || { echo "skipped: tmpfs mount refused"; exit 77; }
cd "$scratch/disk" || exit 1
head -c 4096 /dev/zero > filler 2>/dev/null

message=$("$quorvin" 2>&1)
check "a full disk exits 1, said; no note is left behind, nothing opened" same "$?:$message:$(ls -A):$(cat "$RECORD")" \
  "1:quorvin: cannot write '$today' in '$scratch/disk': No space left on device:filler:"

rm filler
"$quorvin"
check "with space again the next start exits 0, the note whole and opened" \
  same "$?:$(cat "$today"):$(cat "$RECORD")" "0:$header:$scratch/disk/$today"
cd / && umount "$scratch/disk"

# FAT through FUSE (kernel_cache: FUSE's own cache can show a whole file as zeros): no unnamed file, no rename that refuses to replace, no link.
if truncate -s 64M "$scratch/fat.img" && mkfs.vfat "$scratch/fat.img" > /dev/null &&
   fusefat -o rw+,kernel_cache "$scratch/fat.img" "$scratch/disk" > /dev/null 2>&1 && cd "$scratch/disk"; then
  trace=$(calls "$quorvin")  # a copy that cannot get a name without replacing is closed unwritten
  check "on FAT: a whole note, nothing else, exit 0" same "${trace%%;*}:$(ls -A):$(cat "$today"):${trace/*EPERM;close 3;*/closed}" "0:$today:$header:closed"
  sleep 1.1 && "$quorvin" -p > /dev/null; check "on FAT, whose folder times are no kernel's own, no start keeps a record of the folder" \
    same "$(cat "$XDG_CACHE_HOME/quorvin-settled" 2> /dev/null)" ""
  check_crowds "$quorvin" 3 20; cd / && umount "$scratch/disk"
  truncate -s 1M "$scratch/full.img" && mkfs.vfat "$scratch/full.img" > /dev/null && fusefat -o rw+ "$scratch/full.img" "$scratch/disk" &&
    cd "$scratch/disk" && head -c 1M /dev/zero > filler 2> /dev/null; for _ in $(seq 20); do "$quorvin" 2> /dev/null & starts+=($!); done
  for start in "${starts[@]}"; do wait "$start"; echo $?; done > "$scratch/statuses"  # on a full disk none may end well
  check "a crowd of 20 on a full FAT disk: all exit 1, no note" same "$(sort "$scratch/statuses" | uniq -c | xargs):$(ls -A)" "20 1:filler"
  truncate -s -2048 filler && for _ in $(seq 20); do ("$quorvin" 2> /dev/null; echo $? >> "$scratch/room") & done; wait  # room for one note
  check "a crowd of 20 with room for one note on FAT: all exit 0, the note whole" same "$(sort "$scratch/room" | uniq -c | xargs):$(ls -A | xargs):$(cat "$today")" "20 0:$today filler:$header"; cd / && umount "$scratch/disk"
else echo "skipped on FAT: FUSE is refused here"; fi
if truncate -s 64M "$scratch/exfat.img" && mkfs.exfat "$scratch/exfat.img" > /dev/null && loop=$(losetup -f --show "$scratch/exfat.img" \
   2> /dev/null) && mount.exfat-fuse "$loop" "$scratch/disk" > /dev/null 2>&1 && cd "$scratch/disk"; then check_crowds "$quorvin" 3 20
  cd / && umount "$scratch/disk"; else echo "skipped on exFAT: no loop device or FUSE here"; fi; [ -z "${loop:-}" ] || losetup -d "$loop"

# Without /proc the unnamed file cannot be given a name: the note is made
# under a hidden name and renamed, never replacing what another start made.
mount -t tmpfs none /proc || { echo "skipped: /proc cannot be hidden"; exit 77; }
mkdir "$scratch/no-proc" && cd "$scratch/no-proc" || exit 1
# Signals held, the hidden copy (made again on a name taken, kept by a refused flag, a taken name) flushed,
# named, the folder flushed; the note whole, nothing else left. The fifth file opened is the first copy
# (the time zone's is the first, the folder the second, the template the third).
check "without /proc, the calls in order" same "$(calls "$quorvin" -e inject=renameat2:error=EINVAL:when=1 \
  -e inject=link:error=EEXIST:when=1 -e inject=openat:error=EEXIST:when=5):$(ls -A):$(cat "$today")" "0;$listed;$template;openat . \
O_TMPFILE = 3;close 3;XFSZ:IGN;BLOCK ~[XFSZ RTMIN RT_1];openat .copy O_CREAT|O_EXCL|O_NOFOLLOW EEXIST;openat .copy \
O_CREAT|O_EXCL|O_NOFOLLOW = 3;renameat2 .copy .copy NOREPLACE EINVAL;link .copy .copy EEXIST;XFSZ:IGN;write 3;\
XFSZ:IGN;fsync 3;utimensat 3;renameat2 .copy $today NOREPLACE;SETMASK [];XFSZ:DFL;$synced:$today:$header"
check "with no rename that refuses to replace, the note is linked, not also made; a second hidden name goes too" same "$(rm "$today"
  calls "$quorvin" -e inject=renameat2:error=EINVAL -e inject=unlink:error=EPERM:when=1 | grep -o '\(link\|openat\)[^;]*;' |
  tr -d '\n'):$(ls -A)" "openat . O_NONBLOCK|O_DIRECTORY = 3;$template;openat . O_TMPFILE = 3;openat .copy O_CREAT|O_EXCL|O_NOFOLLOW = 3;link .copy .copy;\
link .copy $today;openat . O_DIRECTORY = 4;:$today"
# A start killed at its flush leaves its copy, which goes with a start once it is two days old; one held at its flush
# keeps its copy through starts for other days meanwhile, and then gives the note its name by it.
mkdir left held && (cd left && strace -qq -o /dev/null -e inject=fsync:signal=KILL:when=1 "$quorvin"; ls -A > ../left.was
  touch -d '2 days ago' .??* && "$quorvin" -d +1 -p > /dev/null; check "a killed start's copy two days old goes with the next start" \
  same "$(sed 's/-.*//' ../left.was):$(ls -A)" ".$today.quorvin:$(date -d tomorrow +%Y_%m_%d).txt")
cd held || exit 1; strace -o "$scratch/held" -e trace=fsync,renameat2 -e inject=fsync:signal=STOP:when=1 sh -c 'echo $$ > ../held.pid; exec "$0" -p' \
  "$quorvin" > /dev/null & for _ in $(seq 100); do grep -qs 'stopped by SIGSTOP' "$scratch/held" && break; sleep 0.05; done
"$quorvin" -d +5 -p > /dev/null && "$quorvin" -d -5 -p > /dev/null; copy=$(ls -A | grep quorvin-); kill -CONT "$(cat ../held.pid)"; wait $!
check "a held start's copy outlives starts for other days; it names the note" same "$?:${copy%-*}:$(grep -c "\"$copy\", AT_FDCWD, \"$today\", \
RENAME_NOREPLACE) = 0" "$scratch/held"):$(ls -A | xargs)" "0:.$today.quorvin:1:$(date -d '5 days ago' +%Y_%m_%d).txt $today $(date -d '5 days' +%Y_%m_%d).txt"
cd ..
message=$( (ulimit -f 0 && mkdir limited && cd limited && "$quorvin" 2>&1) | cat)
check "without /proc too, past the file size limit the start says so" same "$message:$(ls -A limited)" \
  "quorvin: cannot write '$today' in '$scratch/no-proc/limited': File too large:"
check_crowds "$quorvin" 5 40
check_kills "$quorvin" "$killer" 400
check "without /proc, no signal but SIGKILL leaves a hidden unfinished copy" same "$stray" 0
echo "without /proc, $leftovers of 50 starts killed by SIGKILL left a hidden unfinished copy"
umount /proc
finish
