#!/usr/bin/env bash
# The Debian package as a user gets it: its checksum, its file list, lintian's
# and hardening-check's verdicts, and the command it installs making and
# opening a note.
#   package_test.sh PACKAGE_BUILD_DIR
. "$(dirname "$0")/lib.sh"
deb=$(ls "$1"/quorvin_*.deb 2> /dev/null | head -n 1)
[ -n "$deb" ] || { echo "no quorvin_*.deb in $1: build the \"package\" preset first" >&2; exit 1; }

check "the package holds the command, executable, in /usr/bin, its copyright and the compressed man page in section 1" \
  same "$(dpkg-deb -c "$deb" | awk '$6 ~ /bin\/quorvin$|\/copyright$|man1\/quorvin\.1\.gz$/ { print $1, $6 }' | tr '\n' ' ')" \
  "-rwxr-xr-x ./usr/bin/quorvin -rw-r--r-- ./usr/share/doc/quorvin/copyright -rw-r--r-- ./usr/share/man/man1/quorvin.1.gz "
check "the package's dependencies are computed" grep -q '^ Depends: .*libc6' <<< "$(dpkg-deb -I "$deb")"

check "SHA256SUMS beside the package names it and its hash" \
  sh -c 'cd "$1" && sha256sum --quiet --strict -c SHA256SUMS && [ "$(cut -c67- SHA256SUMS)" = "$2" ]' \
  _ "$1" "$(basename "$deb")"

verdict=$(lintian -I --pedantic --no-tag-display-limit "$deb" 2>/dev/null)
check "lintian reports no errors, hardening gaps, unneeded sections or stale overrides" \
  same "$(grep -E '^E:|hardening-|unneeded-section|override' <<< "$verdict")" ""
[ -z "$verdict" ] || echo "$verdict"

dpkg-deb -x "$deb" "$scratch/root"
# Fortification shows in a binary only where a call could be checked, which
# none of quorvin's can; that every file was compiled with it shows instead.
commands=$(grep '"command"' "$1/compile_commands.json")
check "every file is compiled with Debian's fortification" \
  same "$(grep -c -- '-D_FORTIFY_SOURCE=2' <<< "$commands")" "$(wc -l <<< "$commands")"
# Control-flow marking survives linking only if the C library's start-up
# files carry it too (Debian 12's do not).
unmarked=()
readelf -n "$(c++ -print-file-name=Scrt1.o)" | grep -q 'IBT, SHSTK' || unmarked=(--nocfprotection)
hardening=$(hardening-check --nofortify "${unmarked[@]}" "$scratch/root/usr/bin/quorvin")
check "hardening-check passes the installed command" test $? -eq 0
echo "$hardening"
mkdir -p "$scratch/notes" "$scratch/home"
use_recording_opener
(cd "$scratch/notes" && "$scratch/root/usr/bin/quorvin")
check "the installed command exits 0, makes today's note and opens it" \
  same "$?:$(cat "$scratch/notes/$today"):$(cat "$RECORD")" "0:$header:$scratch/notes/$today"
# The launcher entry, started as a desktop starts it, in a home without
# notes: its Exec line holds no escapes, so the shell reads its quoting as
# the desktop does.
entry=$scratch/root/usr/share/applications/quorvin.desktop
check "the launcher entry passes desktop-file-validate" desktop-file-validate "$entry"
check "the launcher entry's icon is installed" \
  test -s "$scratch/root/usr/share/icons/hicolor/scalable/apps/$(sed -n 's/^Icon=//p' "$entry").svg"
export PATH=$scratch/root/usr/bin:$PATH && (export HOME=$scratch/home
 eval "$(sed -n '1,/^Exec=/ s/^Exec=//p' "$entry")")
check "the launcher entry makes and opens today's note in ~/notes" same \
  "$?:$(cat "$scratch/home/notes/$today"):$(sed -n 2p "$RECORD")" "0:$header:$scratch/home/notes/$today"
touch "$scratch/home/notes/2001_01_01.txt"
(export HOME=$scratch/home PATH=$scratch/root/usr/bin:$PATH
 eval "$(sed -n '/^\[Desktop Action previous\]/,$ s/^Exec=//p' "$entry")")
check "the launcher's Previous note action opens the note before today's" \
  same "$?:$(sed -n 3p "$RECORD")" "0:$scratch/home/notes/2001_01_01.txt"
(cd "$scratch/home/notes" && unset HOME && eval "$(sed -n '1,/^Exec=/ s/^Exec=//p' "$entry")" 2> /dev/null)
check "without HOME the launcher entry makes no folder named ~, and fails" same "$?:$(ls -A "$scratch/home/notes" | tr "\n" " ")" "1:2001_01_01.txt $today "
launch() { eval "$(sed -n '1,/^Exec=/ s/^Exec=//p' "$entry")"; }  # where the note cannot be made: exit 1, and a notification says why
while IFS='|' read -r case setup expected; do rm -rf "$scratch/home" && mkdir "$scratch/home" && : > "$RECORD.notified"
  (export HOME=$scratch/home && cd / && eval "$setup" && launch 2> /dev/null)
  check "launcher entry, $case: exit 1, said in a notification" same "$?:$(settled "$RECORD.notified" | cut -d'|' -f5)" "1:$expected"
done << CASES
no HOME|unset HOME|cannot use folder '~/notes': No such file or directory
HOME missing|HOME=$scratch/gone|cannot use folder '$scratch/gone/notes': No such file or directory
~/notes a file|touch ~/notes|cannot use folder '$scratch/home/notes': Not a directory
~/notes a dangling link|ln -s gone ~/notes|cannot use folder '$scratch/home/notes': No such file or directory
a full disk|launch() { unshare -rm sh -c 'mount -t tmpfs -o size=4k none ~ && head -c 4k /dev/zero > ~/filler; eval "\$0"' \
"\$(sed -n '1,/^Exec=/ s/^Exec=//p' "\$entry")"; }|cannot write '$today' in '$scratch/home/notes': No space left on device
CASES
check "the installed man page renders without warnings" \
  same "$(zcat "$scratch/root/usr/share/man/man1/quorvin.1.gz" | mandoc -T lint -W warning 2>&1)" ""
finish
