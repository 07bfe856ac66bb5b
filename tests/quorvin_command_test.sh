#!/usr/bin/env bash
# The built quorvin command in real folders, with a recording xdg-open first
# on PATH.
#   quorvin_command_test.sh QUORVIN KILL_AT_RANDOM VERSION
export quorvin=$(realpath "$1")
killer=$(realpath "$2")
. "$(dirname "$0")/lib.sh"
use_recording_opener
sed -i 's/^exit /[ -z "${OPENER_SIGNAL:-}" ] || kill -"$OPENER_SIGNAL" $$\nsleep "${OPENER_SLEEP:-0}"\nexit /' \
  "$scratch/bin/xdg-open"

fresh() {  # a new empty folder to run in, and an empty record
  folder=$scratch/$1 && mkdir -p "$folder" && : > "$RECORD" && : > "$RECORD.notified" && cd "$folder" || exit 1
}
opened() { cat "$RECORD"; }
# COMMAND run by sh on a terminal of its own, as an editor needs; its output
# without the terminal's carriage returns.
on_terminal() { script -qec "$1" /dev/null < /dev/null | tr -d '\r'; return "${PIPESTATUS[0]}"; }

# Closed standard streams are taken first; the template is looked for, without waiting on what it
# is; the note is whole on disk before it is named, its name before the opener starts; and the
# opener's, not quorvin's, are Ctrl-C and Ctrl-\ meanwhile.
fresh calls
if [ -z "${QUORVIN_SANITIZED:-}" ]; then  # a sanitized build makes calls of its own, and no strace
check "a start's calls in order" same "$(calls "$quorvin" <&- 2>&-)" "0;openat /dev/null RD;openat \
/dev/null WR = 2;$listed;$template;openat . O_TMPFILE = 3;XFSZ:IGN;write 3;XFSZ:DFL;fsync 3;utimensat 3;linkat /proc/self/fd/3 $today;$synced"
check "where the note exists, a start lists the folder once and writes nothing: it opens the note" same "$(calls "$quorvin")" "0;$listed;${synced#*close 3;}"
check "where no link is made, the note is made under its name, then flushed, then its folder" \
  same "$(rm "$today"; calls "$quorvin" -e inject=linkat:error=EPERM)" "0;$listed;$template;openat . O_TMPFILE = 3;XFSZ:IGN;write 3;\
XFSZ:DFL;fsync 3;utimensat 3;linkat /proc/self/fd/3 $today EPERM;XFSZ:IGN;BLOCK ~[XFSZ RTMIN RT_1];openat $today \
O_CREAT|O_EXCL|O_NOFOLLOW = 4;XFSZ:IGN;write 4;XFSZ:IGN;fsync 4;utimensat 4;close 4;SETMASK [];XFSZ:DFL;$synced"
for case in "fsync:error=EIO|:" "linkat:error=EPERM -e inject=fsync:error=EIO:when=2|:" "linkat:error=EPERM -e \
  inject=fsync:error=EIO:when=2 -e inject=unlink:error=EPERM|; cannot remove '$today' in '$folder': Operation not permitted:$today"; do
  rm -f "$today"; message=$(strace -qq -o /dev/null -e inject=${case%|*} "$quorvin" 2>&1)
  check "${case%|*}: exit 1, told, nothing left unnamed" same "$?:$message:$(ls -A)" \
    "1:quorvin: cannot flush '$today' in '$folder': Input/output error${case#*|}"
done
# A write that takes part of the header (1 byte, and that not) is followed by one of the rest; one
# interrupted is made again, once.
for case in "retval=1:${header:1}" "error=EINTR:$header"; do
  rm -f "$today"; strace -qq -o /dev/null -e inject=write:${case%%:*}:when=1 "$quorvin"
  check "a write given $case" same "$?:$(cat "$today")" "0:${case#*:}"
done
# Ignored by the user's shell, Ctrl-C and Ctrl-\ are the opener's own again; other signals stay as they were.
rm -f "$RECORD.signals" && (trap '' INT QUIT PIPE && exec "$quorvin") && read -r blocked ignored < "$RECORD.signals"
check "the opener blocks nothing; of INT, QUIT, PIPE, CHLD and XFSZ it ignores PIPE" \
  same "${blocked:-}:$((0x${ignored:-0} & 0x1011006))" "0000000000000000:$((0x1000))"
check "-p writes the path again where the write was interrupted" same "$(strace -qq -o /dev/null -e \
  inject=write:error=EINTR:when=1 "$quorvin" -p):$?" "$PWD/$today:0"
check "a note made but then not to be looked at: exit 1, the reason told" same "$(rm -f "$today"; strace -qq -o /dev/null -P "$today" \
  -e trace=newfstatat -e inject=newfstatat:error=EIO:when=2 "$quorvin" 2>&1):$?" "quorvin: cannot look for '$today' in '$folder': Input/output error:1"
check "-p exits 1 when the folder's path cannot be found" same "$(strace -qq -o /dev/null -e \
  inject=getcwd:error=EACCES "$quorvin" -p 2>&1):$?" "quorvin: cannot print the full path of '$today': Permission denied:1"
check "the opener gets ./NOTE where the folder's path cannot be found" same "$(: > "$RECORD"; strace -qq -o /dev/null -e \
  inject=getcwd:error=EACCES "$quorvin" 2>&1):$?:$(opened)" ":0:./$today"
stopped() { strace -qq -o /dev/null "$@" "$quorvin" > "$scratch/out" 2>&1 & for _ in $(seq 300); do start=$(pgrep -P $!) &&
  grep -qs '^State:.t' "/proc/$start/status" && break; sleep 0.05; done; }
go_on() { : > "$RECORD.sizes"; kill -CONT "$start"; wait $!; outcomes+="$?:$(cat "$scratch/out"):$(cat "$RECORD.sizes")/"; }
# A start stopped (SIGSTOP, strace) while the test acts: a new empty note, being written, is opened whole, or exit 1 if it
# vanishes; where no link is made, a write that fails removes the file made, never an entry put in its place meanwhile.
for act in "printf '%s\n\n' \"\$header\" >" rm; do : > "$today" && stopped -e trace=clock_nanosleep -e inject=clock_nanosleep:signal=STOP:when=1 \
  && eval "$act \"\$today\"" && go_on; done
stopped -e inject=fsync:signal=STOP:when=2 && rm "$today" && go_on  # made, then gone before it is handed over
stopped -e inject=linkat:error=EPERM -e inject=fsync:error=EIO:signal=STOP:when=2 && mv "$today" ../made
echo mine > "$today" && go_on && check "a note being written or vanishing, another's in place of one that failed" \
  same "$outcomes$(cat "$today")" "0::$((${#header} + 2))/1:quorvin: cannot look for '$today' in '$folder': it vanished as it \
was being made:/1:quorvin: cannot look for '$today' in '$folder': it vanished as it was being made:/1:quorvin: cannot flush '$today' in '$folder': Input/output error:/mine"
fi

fresh existing && mkdir elsewhere && printf 'my own line\n' > "$today" && touch -d '2001-01-01 10:00' "$today"
before=$(stat -c '%s %Y %X' "$today")
(cd elsewhere && "$quorvin" ..)
check "an existing note in the FOLDER given exits 0, nothing made here; the note is left untouched, and opened" \
  same "$?:$(ls -A elsewhere):$(stat -c '%s %Y %X' "$today"):$(cat "$today"):$(opened)" "0::$before:my own line:$folder/$today"

# Help, the version and a wrong command line make nothing; "--" ends the
# options, so that a folder may be named "-x".
fresh usage && mkdir -- -x
out=$("$quorvin" --version)
check "--version: exit 0, the version and licence" same "$?:$out" \
  "0:quorvin $3"$'\nCopyright (C) 2026 Quorvin.\nLicense MIT: <https://opensource.org/license/mit>.\nThis is free software: you are free to change and redistribute it.\nThere is NO WARRANTY, to the extent permitted by law.'
out=$("$quorvin" -ph -- -x)
check "-ph: exit 0, the usage with every option and exit status" same "$?:$(grep -c -e '^  -p, --path ' -e \
  '^  -h, --help ' -e '^  -V, --version ' -e '^  -d, --date=DATE ' -e '^      --previous ' -e '^      --next ' \
  -e '^64 the command line is wrong\.$' <<< "$out"):${out%%$'\n'*}" "0:7:Usage: quorvin [OPTION]... [FOLDER]"
for case in "--frobnicate:unknown option '--frobnicate'" "-pxV:unknown option '-x'" \
  "--pa=me:option '--path' takes no argument" "-- -x two:extra operand 'two'" \
  "-d 2023-02-29:invalid date '2023-02-29': the calendar has no such day" \
  "--date=-3000000 missing:date '-3000000' is outside the years 1 to 9999"; do
  message=$("$quorvin" ${case%%:*} 2>&1 > /dev/null | tr '\0' @; exit "${PIPESTATUS[0]}")
  check "quorvin ${case%%:*}: exit 64, one line and a hint on standard error" same "$?:$message" \
    "64:quorvin: ${case#*:}"$'\nTry \'quorvin --help\'.'
done
check "help, the version and wrong command lines make nothing" same "$(ls -A):$(ls -A -- -x)" -x:
out=$("$quorvin" -p -- -x <&-)
check "-p -- -x, input closed, prints exactly the note's full path in -x, exit 0; makes it whole, opens nothing" \
  same "$?:$out:$(cat -- "-x/$today"):$(opened)" "0:$folder/-x/$today:$header:"

# A start in a new folder: exit status:output:entries left:what files hold ("|" ends a line):what is opened.
# An entry of the note's name, a directory, a dangling link or a note differing only in case, is the one
# opened, as it is: nothing is made in it, beside it or where it points. An opener's status is told, even
# 127 and 129: only a shell's 127 means "not found", its 129 SIGHUP. Started with SIGINT ignored and
# blocked (as a background job is), the opener still gets Ctrl-C's default: it is an editor's to decide.
# Neither a German locale, nor a parent ignoring SIGCHLD, nor closed standard streams change a thing.
upper=${today%.txt}.TXT cannot_write="quorvin: cannot write to standard output:" cr=$'\r'
while IFS='|' read -r case command expected; do
  fresh "$case" && message=$(eval "$command" 2>&1)
  check "$case: exit, output, entries, contents, opened" same "$?:$message:$(find . -mindepth 1 -printf \
'%y %P\n' | sort | tr '\n' ,):$(find . -type f -exec cat {} + | tr '\n' '|'):$(opened)" "$expected"
done << CASES
new|"$quorvin"|0::f $today,:$header||:$scratch/new/$today
directory|mkdir $today && "$quorvin"|0::d $today,::$scratch/directory/$today
dangling|ln -s elsewhere/target.txt $today && mkdir elsewhere && "$quorvin"|0::d elsewhere,l $today,::$scratch/dangling/$today
upper|printf 'from windows\n' > $upper && "$quorvin"|0::f $upper,:from windows|:$scratch/upper/$upper
removed|rmdir ../removed && "$quorvin"|1:quorvin: cannot create '$today' in the current folder: No such file or directory:::
file-size-limit|ulimit -Sf 0 && "$quorvin"|1:quorvin: cannot write '$today' in '$scratch/file-size-limit': File too large:::
opener-127|OPENER_STATUS=127 "$quorvin"|2:quorvin: cannot open '$scratch/opener-127/$today': xdg-open exited with \
status 127:f $today,:$header||:$scratch/opener-127/$today
opener-129|OPENER_STATUS=129 "$quorvin"|2:quorvin: cannot open '$scratch/opener-129/$today': xdg-open exited with \
status 129:f $today,:$header||:$scratch/opener-129/$today
opener-killed|OPENER_SIGNAL=INT env --ignore-signal=INT --block-signal=INT "$quorvin"|2:quorvin: cannot open \
'$scratch/opener-killed/$today': xdg-open was ended by signal 2 (Interrupt):f $today,:$header||:$scratch/opener-killed/$today
opener-quit|(ulimit -c 0; OPENER_SIGNAL=QUIT exec env --default-signal=QUIT "$quorvin"); kill -l \$?|0:QUIT:f $today,:$header||:$scratch/opener-quit/$today
sigchld-ignored|trap '' CHLD && exec "$quorvin"|0::f $today,:$header||:$scratch/sigchld-ignored/$today
german|LC_ALL=de_DE.UTF-8 LANG=de_DE.UTF-8 "$quorvin"|0::f $today,:$header||:$scratch/german/$today
closed-streams|"$quorvin" >&- 2>&- <&-|0::f $today,:$header||:$scratch/closed-streams/$today
missing-folder|"$quorvin" ''|1:quorvin: cannot use folder '': No such file or directory:::
path-unwritable|timeout 5 "$quorvin" --path >&-|1:$cannot_write Bad file descriptor:f $today,:$header||:
version-unwritable|timeout 5 "$quorvin" --version > /dev/full|1:$cannot_write No space left on device:::
yesterday|"$quorvin" -d yesterday|0::f $yesterday,:$yesterday_header||:$scratch/yesterday/$yesterday
previous|touch 2026_02_30.txt 9999_12_31.txt "$yesterday".bak 2001_01_01.TXT 2026_01_01.doc && mkfifo $yesterday && ln -s gone \
2002_01_01.txt && "$quorvin" --previous --date tomorrow -p|0:$scratch/previous/2001_01_01.TXT:f 2001_01_01.TXT,f 2026_01_01.doc,f 2026_02_30.txt,\
f $yesterday.bak,f 9999_12_31.txt,l 2002_01_01.txt,p $yesterday,::
next-over|mkdir 2001_01_02.txt && mkfifo 2001_01_03.txt && ln -s gone 2001_01_04.txt && touch 2001_01_05.txt && "$quorvin" --next -d \
2001-01-01 -p|0:$scratch/next-over/2001_01_05.txt:d 2001_01_02.txt,f 2001_01_05.txt,l 2001_01_04.txt,p 2001_01_03.txt,::
next|touch 9999_12_31.txt && "$quorvin" --next -d 9999-12-31|1:quorvin: no note after 9999-12-31 in '$scratch/next':f 9999_12_31.txt,::
template|printf 'a\r\nb' > ../t && ln -s ../t template.txt && "$quorvin"|0::f $today,l template.txt,:$header||a$cr|b:$scratch/template/$today
fifo-template|mkfifo template.txt && "$quorvin"|0:quorvin: warning: '$today' was made with its header alone: 'template.txt' in \
'$scratch/fifo-template' is not a regular file:f $today,p template.txt,:$header||:$scratch/fifo-template/$today
large-template|head -c 65537 /dev/zero > ../large && ln -s ../large template.txt && "$quorvin"|0:quorvin: warning: '$today' was \
made with its header alone: 'template.txt' in '$scratch/large-template' is larger than 64 KiB:f $today,l template.txt,:$header||:$scratch/large-template/$today
sticky|printf secret > ../secret && chmod 1777 . && ln -s ../secret template.txt && chown -h 65534 template.txt && "$quorvin"|0:quorvin: warning: '$today' was made \
with its header alone: 'template.txt' in '$scratch/sticky' is a link that another user made:f $today,l template.txt,:$header||:$scratch/sticky/$today
setgid|chmod 2777 . && ln -s ../secret template.txt && chown -h 65534 template.txt && "$quorvin"|0:quorvin: warning: \
'$today' was made with its header alone: 'template.txt' in '$scratch/setgid' is a link that another user made:f $today,l template.txt,:$header||:$scratch/setgid/$today
sync-race|printf '%s\n\n' "$header" > $today && printf words > ${today%.txt}.sync-conflict-20261209-010101-ABCDEFG.txt && { ASAN_OPTIONS=detect_leaks=0 \
strace -o /dev/null -e inject=renameat2:delay_enter=1000000:delay_exit=2000000:when=1 "$quorvin" -p > /dev/null 2>&1 & } && sleep 0.3 && \
ASAN_OPTIONS=detect_leaks=0 strace -o /dev/null -e inject=unlink:delay_enter=1500000 "$quorvin" -p > /dev/null && wait|0::f $today,:words:
onedrive|printf '%s\n\n' "$header" > $today && printf words > "${today%.txt}-$(hostname).txt" && "$quorvin"|0::f $today,:words:$scratch/onedrive/$today
unlisted|printf 'from windows\n' > $upper && ASAN_OPTIONS=detect_leaks=0:exitcode=99 strace -o /dev/null --quiet=path-resolution -P . -e inject=openat:error=EACCES \
"$quorvin"|0::f $upper,:from windows|:$scratch/unlisted/$upper
swapped|printf plan > template.txt && ln -s ../secret evil && chown -h 65534 evil && { sleep 0.3 && mv evil template.txt & } && ASAN_OPTIONS=detect_leaks=0:exitcode=99 strace -o /dev/null \
--quiet=path-resolution -P template.txt -e inject=openat:delay_enter=2000000:when=1 "$quorvin"|0:quorvin: warning: '$today' was made with its header alone: 'template.txt' in \
'$scratch/swapped' is a link that another user made:f $today,l template.txt,:$header||:$scratch/swapped/$today
CASES

fresh readonly-parent && mkdir sub && cd sub && chattr +i . 2>/dev/null &&
  check "an immutable folder refuses even root: exit 1, the folder named by path" same "$(message=$("$quorvin" \
    2>&1); echo "$?:$message"; chattr -i .)" "1:quorvin: cannot create '$today' in '$folder/sub': Operation not permitted"

# A folder that cannot be searched hides whether the note is there: that is
# a failure, not an absence (the user's note may be behind it).
fresh unsearchable
if [ "$(id -u)" = 0 ] && command -v setpriv > /dev/null; then
  check "a look-up that fails exits 1, naming note, folder and reason" same "$(chmod 0 .; out=$(setpriv \
    --reuid=65534 --regid=65534 --clear-groups "$quorvin" 2> "$scratch/err"); echo "$?:$out:$(cat "$scratch/err")"
    chmod 755 .)" "1::quorvin: cannot look for '$today' in '$folder': Permission denied"
fi

# An opener missing (then one that is there but cannot be started) is named, with its package (then
# the reason); the note is kept.
fresh opener-missing && chmod -x "$scratch/bin/xdg-open"
for case in "/nonexistent:not found on PATH (install xdg-utils)" "$scratch/bin:/nonexistent:Permission denied"; do
  rm -f "$today"; message=$(PATH=${case%:*} "$quorvin" 2>&1)
  check "opener on PATH=${case%:*}: exit 2, said" same "$?:$message:$(head -n1 "$today")" \
    "2:quorvin: cannot start xdg-open for '$folder/$today': ${case##*:}:$header"
done
chmod +x "$scratch/bin/xdg-open"

# Ctrl-C typed on the terminal reaches the whole foreground group: an editor
# that takes it (as ed does) carries on, and so does quorvin, to end with the
# editor's outcome.
fresh interrupted
cat > "$scratch/bin/takes-ctrl-c" <<'SH'
#!/bin/bash
trap 'echo interrupted >> "$RECORD"' INT
sleep 1 & wait
sleep 0.5
echo "$1" $((($(sed -En 's/^Sig(Blk|Ign):\t/0x/p' /proc/$$/status | paste -sd'|')) & 1 << 24)) >> "$RECORD"  # SIGXFSZ held or ignored
SH
chmod +x "$scratch/bin/takes-ctrl-c"
{ sleep 0.5; printf '\003'; } | (unset DISPLAY VISUAL; EDITOR="TAKEN=1 takes-ctrl-c" \
  exec script -qec 'exec env --default-signal=INT,QUIT --ignore-signal=XFSZ --block-signal=XFSZ "$quorvin"' /dev/null > /dev/null)
check "Ctrl-C taken by an editor run through the shell: quorvin ends with its outcome" \
  same "$?:$(opened | tr '\n' ' ')" "0:interrupted $folder/$today 0 "
fresh loop && printf '#!/bin/sh\necho "$1" >> "$RECORD"\nexec sleep 10\n' > "$scratch/bin/sleeper" && chmod +x "$scratch/bin/sleeper"
{ settled "$RECORD" > /dev/null; printf '\003'; } | (unset DISPLAY VISUAL; EDITOR=sleeper SHELL=/bin/bash exec env --default-signal=INT script -qec 'for i in 1 2 3; do "$quorvin"; done' /dev/null > /dev/null)
check "Ctrl-C in the editor ends quorvin by SIGINT: a loop of three starts stops at the first" same "$?:$(opened)" "130:$folder/$today"

# Newlines, backslashes, controls (C1 too), stray bytes, overlong, cut or too high forms, surrogates,
# characters that reorder or hide, each beside ones that stay; a path past 256 bytes, for getcwd.
fresh "$(printf %0199d 0)/"$'new\nline\\n \x1f\x7f\xc2\x85\xc2\x9f\xc2\xa0 \x9b \xc0\xaf\xe0\x80\xaf\xe0\xa0\x80\xf0\x8f\xbf\xbf\xf0\x90\x80\x80\xf1\x80\x80\x80 \xed\x9f\xbf\xed\xa0\x80\xed\xbf\xbf\xee\x80\x80 \xd8\x9b\xd8\x9c\xd8\x9d \xe2\x80\x8a\xe2\x80\x8b\xe2\x80\x8f\xe2\x80\x90 \xe2\x80\xa7\xe2\x80\xa8\xe2\x80\xae\xe2\x80\xaf \xe2\x81\xa5\xe2\x81\xa6\xe2\x81\xa9\xe2\x81\xaa \xef\xbb\xbe\xef\xbb\xbf\xef\xbc\x80 \xf4\x8f\xbf\xbf\xf4\x90\x80\x80 \xe2\x80 Łódź 😀'
message=$(PATH=/nonexistent "$quorvin" 2>&1)
check "whatever could split or disguise a message in a name is quoted as coreutils quotes it" same "$message" \
  "quorvin: cannot start xdg-open for '$scratch/$(printf %0199d 0)/"$'new\'$\'\\n\'\'line\\n \'$\'\\037\\177\\302\\205\\302\\237\'\'\xc2\xa0 \'$\'\\233\'\' \'$\'\\300\\257\\340\\200\\257\'\'\xe0\xa0\x80\'$\'\\360\\217\\277\\277\'\'\xf0\x90\x80\x80\xf1\x80\x80\x80 \xed\x9f\xbf\'$\'\\355\\240\\200\\355\\277\\277\'\'\xee\x80\x80 \xd8\x9b\'$\'\\330\\234\'\'\xd8\x9d \xe2\x80\x8a\'$\'\\342\\200\\213\\342\\200\\217\'\'\xe2\x80\x90 \xe2\x80\xa7\'$\'\\342\\200\\250\\342\\200\\256\'\'\xe2\x80\xaf \xe2\x81\xa5\'$\'\\342\\201\\246\\342\\201\\251\'\'\xe2\x81\xaa \xef\xbb\xbe\'$\'\\357\\273\\277\'\'\xef\xbc\x80 \xf4\x8f\xbf\xbf\'$\'\\364\\220\\200\\200\'\' \'$\'\\342\\200\'\' Łódź 😀'"/$today': not found on PATH (install xdg-utils)"
check "--path prints such a name's full path byte for byte" same "$(timeout 5 "$quorvin" -p)" "$folder/$today"
fresh deep && for _ in $(seq 16); do mkdir "$(printf %0250d 0)" && cd "$(printf %0250d 0)"; done && mkdir "${last=$(printf %0$((4080 - ${#PWD}))d 0)}" &&
  cd "$last" && "$quorvin"; check "from PATH_MAX bytes (no room for the NUL) the opener gets a path relative to the folder: ./NOTE" same "$?:$(opened):$(cat "$today")" "0:./$today:$header"

# Without a graphical session the user's editor opens the note, on a terminal
# only, its setting taken as git takes it, the note's path (quoted however
# odd) added last. ":" opens nothing.
fresh "no desktop's \"notes\"" && shown="'${folder//\'/\'\\\'\'}/$today'"
printf '#!/bin/sh\nprintf "%%s|" "$0" "$@" > "$RECORD"\n' > "$scratch/bin/stand-in" && chmod +x "$scratch/bin/stand-in"
(unset DISPLAY WAYLAND_DISPLAY VISUAL; EDITOR=: "$quorvin")
check "EDITOR=: makes the note whole and opens nothing" same "$?:$(cat "$today"):$(opened)" "0:$header:"
for redirect in '< /dev/null' '<&-' '> /dev/null' '-d yesterday <&-'; do
  message=$(unset DISPLAY WAYLAND_DISPLAY; VISUAL=stand-in on_terminal "\"\$quorvin\" $redirect")
  status=$? note="today's note $folder/$today" listing="$today "
  [ "${redirect#-d}" = "$redirect" ] || note="the note $folder/$yesterday" listing="$yesterday $today "
  check "no desktop, $redirect: exit 2, the note ready, no editor started" \
    same "$status:$message:$(opened):$(ls -A | tr '\n' ' ')" "2:quorvin: ${note%% /*} ${shown%/*}/${note##*/}' is ready, but there is no desktop \
to open it in and no terminal for an editor ('quorvin --path' prints its path)::$listing"
done
cp "$scratch/bin/stand-in" "$scratch/bin/sensible-editor" && cp "$scratch/bin/stand-in" "$scratch/bin/vi"
for editor in sensible-editor vi; do  # only stand-ins on PATH: no real editor ever starts
  (unset DISPLAY WAYLAND_DISPLAY VISUAL EDITOR; on_terminal "PATH=/nonexistent::$scratch/bin \"\$quorvin\"")
  check "no editor set: $editor opens the note" same "$?:$(opened)" "0:$scratch/bin/$editor|$folder/$today|"
  chmod -x "$scratch/bin/sensible-editor" && mkdir -p sensible-editor  # on PATH too, as "", but no program
done
: > "$RECORD"
(unset DISPLAY; WAYLAND_DISPLAY=wayland-0 VISUAL=stand-in "$quorvin")
check "in a Wayland session xdg-open opens the note, not the editor" same "$?:$(opened)" "0:$folder/$today"
printf '#!/bin/sh\nkill -HUP $$\n' > "$scratch/bin/self-ending"
printf 'printf "%%s|" "$@" > "$RECORD"; lost-editor\n' > "$scratch/bin/no-hash-bang"
printf '#!/no/such/sh\n' > "$scratch/bin/lost-sh" && chmod +x "$scratch/bin/"{self-ending,no-hash-bang,lost-sh}
# VISUAL@EDITOR@status:what the editor was given:the message's last line. VISUAL wins over EDITOR, a blank one
# is none; an EDITOR's arguments (after tabs) come before the note's path; an editor's end by a signal, and the
# failures of the shell that runs a script without #!, are told; a missing editor is named.
tab=$'\t' start="quorvin: cannot start editor"
while IFS=@ read -r visual editor expected terminal; do  # a dumb terminal passes VISUAL over; no EDITOR, no editor
  : > "$RECORD"; message=$(unset DISPLAY WAYLAND_DISPLAY VISUAL EDITOR; [ -z "$visual" ] || export VISUAL=$visual
    [ -z "$editor" ] || export EDITOR=$editor; TERM=${terminal:-$TERM} on_terminal '"$quorvin"')
  check "no desktop, VISUAL='$visual' EDITOR='$editor'" same "$?:$(opened):${message##*$'\n'}" "$expected"
done << CASES
stand-in --visual@vi@0:$scratch/bin/stand-in|--visual|$folder/$today|:
 $tab @stand-in$tab--wait$tab-x@0:$scratch/bin/stand-in|--wait|-x|$folder/$today|:
@ENDED=1 self-ending@2::quorvin: cannot open $shown: editor 'ENDED=1 self-ending' was ended by signal 1 (Hangup)
@no-hash-bang@2:$folder/$today|:$start 'no-hash-bang' for $shown: not found
@no-such-editor@2::$start 'no-such-editor' for $shown: not found on PATH
@$scratch/none@2::$start '$scratch/none' for $shown: not found
@$scratch/bin/sensible-editor -w@2::$start '$scratch/bin/sensible-editor -w' for $shown: not executable
@$scratch/bin/lost-sh@2::$start '$scratch/bin/lost-sh' for $shown: its #! interpreter is not found
vi@@2::quorvin: today's note $shown is ready, but there is no desktop to open it in, and the terminal is dumb and EDITOR not set ('quorvin --path' prints its path)@dumb
vi@stand-in@0:$scratch/bin/stand-in|$folder/$today|:@dumb
CASES
gone="--app-name=Quorvin|--icon=quorvin|--|Quorvin|cannot use folder 'gone': No such file or directory|" && "$quorvin" gone 2> /dev/null
on_terminal '"$quorvin" missing 3>&-' > /dev/null; "$quorvin" gone 2> /dev/null; for _ in $(seq 50); do [ "$(wc -l < "$RECORD.notified")" -ge 2 ] && break; sleep 0.1; done
check "in a graphical session a failure is a notification where stderr is no terminal" same "$(cat "$RECORD.notified")" "$gone"$'\n'"$gone"
# Every copy here is old enough to have been left behind: starts that make a note (today's, tomorrow's, in 5 days)
# or find one remove only the copy that is provably a killed start's (its name, the start of its day's note, the
# user's own), never a look-alike: another name, other bytes, owner or kind.
fresh sweep && d=.${today%.txt} && printf '%s\n' "$header" > "$d.txt.quorvin-left01" && touch "$d.txt.backup" "$d.TXT.quorvin-left02" \
  "$d.txt.k3x9qa" && printf '%s\n\nmine' "$header" > "$d.txt.quorvin-mine01" && cp "$d.txt.quorvin-left01" "$d.txt.quorvin-nobody" &&
  chown 65534 "$d.txt.quorvin-nobody" && ln -s "$d.txt.quorvin-left01" "$d.txt.quorvin-link01" && mkfifo "$d.txt.quorvin-fifo01" &&
  touch -h -d '3 days ago' .??* && for day in "" "-d tomorrow" "-d +5" ""; do "$quorvin" $day -p > /dev/null; done
check "a start making a note removes only a copy a killed start left" same "$?:$(LC_ALL=C ls -A | xargs)" "0:$d.TXT.quorvin-left02 \
$d.txt.backup $d.txt.k3x9qa $d.txt.quorvin-fifo01 $d.txt.quorvin-link01 $d.txt.quorvin-mine01 $d.txt.quorvin-nobody $(for n in 0 1 5; do
  date -d "$n days" +%Y_%m_%d.txt; done | xargs)"

# A new note is as old as its day. A sync tool's copy holding words takes an untouched note's
# place, without a word; where both hold words nothing changes, the copy is named, exit 0.
fresh synced && "$quorvin" -p > /dev/null && copy=${today%.txt}.sync-conflict-20261208-142303-5B4XNUX.txt && echo words > "$copy"
check "a new note is as old as the start of its day in the local zone" same "$(mkdir zone && cd zone && TZ=Asia/Kathmandu \
  "$quorvin" -p -d 2026-01-01 > /dev/null && stat -c %Y 2026_01_01.txt && cd .. && rm -r zone)" "$(TZ=Asia/Kathmandu date -d 2026-01-01 +%s)"
check "an untouched note gives its name to the copy holding words" same "$("$quorvin" -p 2>&1):$?:$(ls -A):$(cat "$today")" "$folder/$today:0:$today:words"
echo mine > "$copy" && message=$("$quorvin" -p 2>&1 > /dev/null)
check "where both hold words, nothing changes and the copy is named" same "$message:$?:$(LC_ALL=C ls -A | xargs):$(cat "$today")" \
  "quorvin: warning: another version of '$today' is in '$copy', kept as the sync tool left it:0:$copy $today:words"
# A folder last changed over a second before a start found none of the note's copies is listed
# again only once an entry changes.
fresh settled && "$quorvin" -p > /dev/null && sleep 2 && looks() { CALLS_CACHE=$scratch/cache calls "$quorvin" | grep -c "$listed"; }
check "a settled folder is listed, then not, then again once an entry is added" same "$(looks; looks; : > x; looks)" $'1\n0\n1'

fresh crowds
check_crowds "$quorvin" 5 40
fresh template-crowds && CROWD_TEMPLATE=$'- [ ] plan\n\nthanks:' check_crowds "$quorvin" 3 20

fresh kills
check_kills "$quorvin" "$killer" 400
check "killed starts leave no unfinished copy behind" same "$leftovers:$stray" 0:0

finish
