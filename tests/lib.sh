# Shared by the end-to-end tests: a scratch folder, a recording opener, checks that count failures
# instead of stopping at the first, and a time zone where it is 12:xx on a date UTC is not at.
set -u
failures=0
checks=0

scratch=$(mktemp -d /tmp/quorvin-e2e-XXXXXX)
trap 'cd /; rm -rf "$scratch"' EXIT
export XDG_CACHE_HOME=$scratch/cache  # where starts remember settled folders; not the user's

check() {  # check DESCRIPTION COMMAND...
  local what=$1
  shift
  checks=$((checks + 1))
  if ! "$@"; then
    echo "FAIL: $what" >&2
    failures=$((failures + 1))
  fi
}

same() { [ "$1" = "$2" ] || { printf '  got:      %q\n  expected: %q\n' "$1" "$2" >&2; false; }; }

settled() { for _ in $(seq 50); do [ -s "$1" ] && break; sleep 0.1; done; cat "$1"; }  # FILE, once a program in the background wrote it
finish() {
  echo "$((checks - failures)) passed, $failures failed"
  [ "$failures" -eq 0 ]
}

# Wine matches the Unix zone against its own table, which lacks most such zones: Wine's tests keep the machine's.
[ -n "${WINEPREFIX:-}" ] || export TZ=QRN$(h=$(date -u +%-H); printf %+d $((h < 12 ? h + 12 : h - 36)))
today=$(date +%Y_%m_%d).txt
header=$(LC_ALL=C date '+%Y/%m/%d   %A')
yesterday=$(date -d yesterday +%Y_%m_%d).txt yesterday_header=$(LC_ALL=C date -d yesterday '+%Y/%m/%d   %A')

# A recording xdg-open first on PATH, in a graphical session so that quorvin
# chooses it: it appends the path it is given to $RECORD, the size of the
# note it finds there to $RECORD.sizes and its blocked and ignored signals to
# $RECORD.signals, then exits with $OPENER_STATUS.
use_recording_opener() {
  mkdir -p "$scratch/bin"
  cat > "$scratch/bin/xdg-open" <<'SH'
#!/bin/sh
printf '%s\n' "$*" >> "$RECORD"
[ -f "$1" ] && wc -c < "$1" >> "$RECORD.sizes"
sed -n 's/^Sig\(Blk\|Ign\):\t//p' /proc/$$/status | tr '\n' ' ' >> "$RECORD.signals"
exit "${OPENER_STATUS:-0}"
SH
  printf '#!/bin/sh\nulimit -f unlimited; printf "%%s|" "$@" >> "$RECORD.notified"; echo >> "$RECORD.notified"\n' > "$scratch/bin/notify-send"
  chmod +x "$scratch/bin/xdg-open" "$scratch/bin/notify-send"  # which records its arguments in $RECORD.notified
  export PATH=$scratch/bin:$PATH RECORD=$scratch/opened DISPLAY=${DISPLAY:-:0} TERM=xterm
  unset WAYLAND_DISPLAY
}

# calls QUORVIN [STRACE OPTION]...: exit status, calls on note, folder, signals, each ending ";".
calls() {  # with no record of settled folders, unless CALLS_CACHE names one
  HOME= XDG_CACHE_HOME=${CALLS_CACHE:-} strace -qq -o "$scratch/trace" -e signal=none -e trace=openat,write,utimensat,fsync,link,linkat,renameat2,close,clock_nanosleep,\
rt_sigaction,rt_sigprocmask,clone,clone3,wait4 "${@:2}" "$1" 3>&- 4>&- 5>&- 6>&- 7>&-
  echo "$?;$(LC_ALL=C sed -E '/(localtime|zoneinfo).* = [0-9]+$/{N;d}; /localtime|zoneinfo/d
    s/^rt_sigaction\(SIG([A-Z]+), \{sa_handler=SIG_([A-Z]+).*/\1:\2/; s/^rt_sigprocmask\(SIG_([A-Z]+), ([^,]*).*/\1 \2/
    s/^clone3?\(.*/spawn/; s/^wait4.*/wait/; s/ = 0$//; s/^(write|fsync|close|utimensat)\(([0-9]+).*/\1 \2/; s/ = -1 ([A-Z]+).*/ \1/
    s/\.[0-9_]+\.txt\.quorvin-[0-9a-z]{6}/.copy/g; s/null", O_(RD|WR)ONLY/null \1/; s/(AT_FDCWD|O_WRONLY|O_RDONLY|O_CLOEXEC|0666|AT_SYMLINK_FOLLOW|RENAME_)[|, ]*//g
    s/[",()]+/ /g; s/\| / /g; s/ +/ /g; s/ $//' "$scratch/trace" | tr '\n' ';')"
}
listed="openat . O_NONBLOCK|O_DIRECTORY = 3;close 3"  # the one listing of the folder
template="openat template.txt O_NOCTTY|O_NONBLOCK|O_NOFOLLOW ENOENT"
synced="openat . O_DIRECTORY = 4;fsync 4;close 4;close 3;CHLD:DFL;INT:IGN;QUIT:IGN;BLOCK ~[];spawn;\
SETMASK [];wait;QUIT:DFL;INT:DFL;CHLD:DFL;"

# STARTS starts of quorvin at once, ROUNDS times, each round in a new folder
# under the current one (holding template.txt with CROWD_TEMPLATE and a line
# end, if set): one note, and no opener ever finds it other than whole (LF
# or CR LF line ends). Openers that the system starts on its own are given 5
# seconds to say what they found.
check_crowds() {  # check_crowds QUORVIN ROUNDS STARTS [EMPTY="0 ": or empty, the header still coming]
  local round notes=0 sizes=0 whole
  : > "$RECORD.sizes"
  for round in $(seq "$2"); do
    mkdir "crowd-$round" && cd "crowd-$round" || { check "round $round of the crowd has a new folder" false; return; }
    [ -z "${CROWD_TEMPLATE:-}" ] || printf '%s\n' "$CROWD_TEMPLATE" > template.txt
    for _ in $(seq "$3"); do "$1" & done
    wait
    [ "$(ls -A | grep -vx template.txt)" = "$today" ] &&
      [ "$(tr -d '\r' < "$today")" = "$header${CROWD_TEMPLATE:+$'\n\n'$CROWD_TEMPLATE}" ] && notes=$((notes + 1))
    whole=$(wc -c < "$today")
    cd ..
  done
  for _ in $(seq 50); do [ "$(wc -l < "$RECORD.sizes")" -ge $(($2 * $3)) ] && break; sleep 0.1; done
  sizes=$(sort -u "$RECORD.sizes" | tr -d '\r' | tr '\n' ' ')
  check "$2 rounds of $3 starts at once make one whole note each" same "$notes" "$2"
  check "no opener among $(( $2 * $3 )) ever found the note other than whole" same "${sizes#"${4:-}"}" "$whole "
  check "every opener was handed the note by its own name" same "$(grep "/crowd-" "$RECORD" | grep -cv "/$today\$")" 0
}

# ROUNDS starts, each in a new folder under the current one, killed by a
# signal (KILL, TERM, INT, HUP, USR1, ALRM, PIPE, XFSZ in turn) at a random
# instant within its run time: each leaves a whole note or none. Hidden
# unfinished copies, where the file system cannot make a file without a
# name, are counted into LEFTOVERS (left by SIGKILL) and STRAY (by others).
check_kills() {  # check_kills QUORVIN KILLER ROUNDS
  local round signal signals=(KILL TERM INT HUP USR1 ALRM PIPE XFSZ) broken=0 visible
  leftovers=0 stray=0
  for round in $(seq "$3"); do
    mkdir "kill-$round" && cd "kill-$round" || return
    signal=${signals[round % ${#signals[@]}]}
    "$2" "$(kill -l "$signal")" 1500 "$1" 2> /dev/null
    visible=$(ls)
    [ -z "$visible" ] || { [ "$visible" = "$today" ] && [ "$(cat "$today")" = "$header" ]; } ||
      broken=$((broken + 1))
    if [ "$(ls -A)" != "$visible" ]; then
      if [ "$signal" = KILL ]; then leftovers=$((leftovers + 1)); else stray=$((stray + 1)); fi
    fi
    cd ..
  done
  check "$3 starts killed at random instants leave a whole note or none" same "$broken" 0
}
