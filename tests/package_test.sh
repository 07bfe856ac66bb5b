#!/usr/bin/env bash
# The Debian package as Debian builds it, by dpkg-buildpackage on a clean clone and on the upstream
# tarball, lintian on each .changes; installed here (as root), checked, run and purged, whatever failed.
#   package_test.sh [REPOSITORY]
source=$(cd "${1:-$(dirname "$0")/..}" && pwd)
. "$(dirname "$0")/lib.sh"
clone=$scratch/binary/quorvin
{ git clone -q "$source" "$clone" && git -C "$clone" checkout -q "$(git -C "$source" rev-parse HEAD)"; } || exit 1
version=$(dpkg-parsechangelog -l "$clone/debian/changelog" -S Version) arch=$(dpkg --print-architecture)
upstream=$scratch/full/quorvin-${version%-*} orig=$scratch/full/quorvin_${version%-*}.orig.tar.gz deb=$scratch/binary/quorvin_${version}_$arch.deb
# The upstream tarball is the project without debian/, which the source package adds; unpacked as a used checkout.
mkdir "$scratch/full" && git -C "$clone" archive --prefix="${upstream##*/}/" -o "$orig" HEAD ':!debian' &&
  tar -xzf "$orig" -C "$scratch/full" && git -C "$clone" archive HEAD debian | tar -x -C "$upstream" &&
  mkdir -p "$upstream"/{build,artifacts} && printf '\x89PNG\0' | tee "$upstream"/{artifacts/shot.png,build/CMakeCache.txt,2001_01_01.txt} > /dev/null
package_build() {  # package_build FOLDER [OPTION]: dpkg-buildpackage there, a .changes beside it; else the log's end
  (cd "$1" && dpkg-buildpackage -us -uc -Jauto "${@:2}") > "$1.log" 2>&1 && test -f "${1%/*}/quorvin_${version}_$arch.changes" ||
    { tail -n 20 "$1.log"; false; }
}
check "dpkg-buildpackage -b builds the package in a clean clone" package_build "$clone" -b
check "dpkg-buildpackage builds the source package and the package from the used upstream tree" package_build "$upstream"
for changes in {binary,full}/quorvin_${version}_$arch.changes; do
  check "lintian --pedantic passes $changes, but for the overrides" \
    same "$(lintian -I --pedantic --tag-display-limit 0 "$scratch/$changes" 2> /dev/null; echo "exit $?")" "exit 0"
done
check "the upstream tarball builds the same package as the git checkout" cmp "$deb" "$scratch/full/${deb##*/}"
check "the package holds the command, executable, in /usr/bin, its copyright and the compressed man page in section 1" \
  same "$(dpkg-deb -c "$deb" | awk '$6 ~ /bin\/quorvin$|\/copyright$|man1\/quorvin\.1\.gz$/ { print $1, $6 }' | tr '\n' ' ')" \
  "-rwxr-xr-x ./usr/bin/quorvin -rw-r--r-- ./usr/share/doc/quorvin/copyright -rw-r--r-- ./usr/share/man/man1/quorvin.1.gz "

# Installed by one package test at a time, and never over a quorvin installed before.
exec 9> /run/lock/quorvin-package-test.lock && flock -w 240 9
! dpkg -s quorvin > /dev/null 2>&1 || { echo "FAIL: quorvin is installed already: apt-get purge quorvin first" >&2; exit 1; }
apt() { apt-get -y -o DPkg::Lock::Timeout=240 "$@" > "$scratch/apt.log" 2>&1 || { cat "$scratch/apt.log"; false; }; }
trap 'apt-get -y -o DPkg::Lock::Timeout=240 purge quorvin > /dev/null 2>&1; cd /; rm -rf "$scratch"' EXIT
check "the package installs" apt install --no-install-recommends "$deb"
check "quorvin loads the C++ runtime, libgcc's and the C library shared, depends on them, recommends what it starts" \
  same "$(readelf -d /usr/bin/quorvin | sed -n 's/.*(NEEDED).*\[\(.*\)\]$/\1/p' | tr '\n' ' ')|$(dpkg-query -W -f='${Depends}|${Recommends}' quorvin | sed 's/ ([^)]*)//g')" \
  "libstdc++.so.6 libgcc_s.so.1 libc.so.6 |libc6, libgcc-s1, libstdc++6|libnotify-bin, sensible-utils, xdg-utils"
# Its own calls are fortified where a check is possible: open() becomes
# __open_2. hardening-check counts only the __*_chk functions, which the
# compiler calls where a buffer's size is known when it compiles; this
# program's buffers are sized at run time, so that count is left out.
check "quorvin's own calls are fortified: it imports __open_2 or a __*_chk function" \
  grep -qE ' U __(open_2|[a-z0-9_]+_chk)@' <<< "$(nm -D /usr/bin/quorvin)"
# Control-flow marking survives linking only if the C library's start-up
# files carry it too (Debian 12's do not), so there no program can show it.
unmarked=()
readelf -n "$(c++ -print-file-name=Scrt1.o)" | grep -q 'IBT, SHSTK' || unmarked=(--nocfprotection)
hardening=$(hardening-check --nofortify "${unmarked[@]}" /usr/bin/quorvin)
check "hardening-check passes the installed command" test $? -eq 0
echo "$hardening"
mkdir -p "$scratch/notes" "$scratch/home"
use_recording_opener
(cd "$scratch/notes" && /usr/bin/quorvin)
check "the installed command exits 0, makes today's note and opens it" \
  same "$?:$(cat "$scratch/notes/$today"):$(cat "$RECORD")" "0:$header:$scratch/notes/$today"
# The launcher entry, started as a desktop starts it, in a home without
# notes: its Exec line holds no escapes, so the shell reads its quoting as
# the desktop does.
entry=/usr/share/applications/quorvin.desktop
check "the launcher entry passes desktop-file-validate" desktop-file-validate "$entry"
check "the launcher entry's icon is installed" \
  test -s "/usr/share/icons/hicolor/scalable/apps/$(sed -n 's/^Icon=//p' "$entry").svg"
(export HOME=$scratch/home && eval "$(sed -n '1,/^Exec=/ s/^Exec=//p' "$entry")")
check "the launcher entry makes and opens today's note in ~/notes" same \
  "$?:$(cat "$scratch/home/notes/$today"):$(sed -n 2p "$RECORD")" "0:$header:$scratch/home/notes/$today"
touch "$scratch/home/notes/2001_01_01.txt"
(export HOME=$scratch/home && eval "$(sed -n '/^\[Desktop Action previous\]/,$ s/^Exec=//p' "$entry")")
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
  same "$(zcat /usr/share/man/man1/quorvin.1.gz | mandoc -T lint -W warning 2>&1)" ""
installed=$(dpkg-deb -c "$deb" | awk '!/^d/ { print substr($6, 2) }')
check "the package is purged, and none of its files is left" same "$(apt purge quorvin && ls -d $installed 2> /dev/null)" ""
finish
