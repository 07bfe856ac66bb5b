#!/usr/bin/env bash
# Installs the Debian packages a task needs, only those that are missing.
#   tools/deps.sh run       build and open a note on Linux
#   tools/deps.sh test      everything the test command needs
#   tools/deps.sh bench     the benchmarks' tools
set -euo pipefail

run=(cmake g++ make xdg-utils)
test=("${run[@]}" tzdata locales g++-mingw-w64-i686 wine wine32:i386 xvfb xdotool imagemagick
      dpkg-dev lintian mandoc man-db devscripts diffoscope-minimal zip desktop-file-utils
      bsdutils e2fsprogs fusefat dosfstools nsis clang-tidy strace exfat-fuse exfatprogs clang libclang-rt-14-dev
      syncthing curl)
bench=("${run[@]}" hyperfine strace time dpkg-dev)
# The tests and the benchmark build the Debian package with dpkg-buildpackage
# (dpkg-dev) and debhelper.
test+=(debhelper build-essential)
bench+=(debhelper build-essential)

case ${1:-} in
  run) wanted=("${run[@]}") ;;
  test) wanted=("${test[@]}") ;;
  bench) wanted=("${bench[@]}") ;;
  *) echo "usage: $0 run|test|bench" >&2; exit 2 ;;
esac

missing=()
for package in "${wanted[@]}"; do
  status=$(dpkg-query -W -f='${Status}' "$package" 2>/dev/null || true)
  [ "$status" = "install ok installed" ] || missing+=("$package")
done

if [ ${#missing[@]} -gt 0 ]; then
  sudo=
  [ "$(id -u)" -eq 0 ] || sudo=sudo
  if printf '%s\n' "${missing[@]}" | grep -q ':i386$'; then
    $sudo dpkg --add-architecture i386
  fi
  echo "Installing: ${missing[*]}"
  $sudo apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends \
    "${missing[@]}" > /tmp/quorvin-apt.log 2>&1 || { cat /tmp/quorvin-apt.log; exit 1; }
fi

# The tests prove that weekday names stay English in a German locale, so that
# locale has to exist.
if [ "$1" = test ] && ! locale -a 2>/dev/null | grep -qi '^de_DE\.utf-\?8$'; then
  localedef -i de_DE -f UTF-8 de_DE.UTF-8
fi
