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
  folder=$scratch/$1
  mkdir -p "$folder"
  : > "$RECORD"
  cd "$folder" || exit 1
}
opened() { cat "$RECORD"; }
bytes() { od -An -c "$1" | tr -s ' '; }
# COMMAND run by sh on a terminal of its own, as an editor needs; its output
# without the terminal's carriage returns.
on_terminal() { script -qec "$1" /dev/null < /dev/null | tr -d '\r'; return "${PIPESTATUS[0]}"; }

fresh new
out=$("$quorvin")
check "a new note exits 0" same "$?" 0
check "a new note holds exactly the header with LF line ends" \
  same "$(bytes "$today")" "$(printf '%s\n\n' "$header" | od -An -c | tr -s ' ')"
check "the opener gets the new note's full path" same "$(opened)" "$folder/$today"
check "nothing goes to standard output" same "$out" ""

fresh existing
printf 'my own line\n' > "$today"
touch -d '2001-01-01 10:00' "$today"
before=$(stat -c '%s %Y %X' "$today")
mkdir elsewhere
message=$(cd elsewhere && "$quorvin" missing 2>&1)
check "a missing FOLDER is exit 1, named, nothing made" same "$?:$message:$(ls -A elsewhere)" \
  "1:quorvin: cannot use folder missing: No such file or directory:"
(cd elsewhere && "$quorvin" ..)
check "an existing note in the FOLDER given exits 0, nothing made here" \
  same "$?:$(ls -A elsewhere)" 0:
check "an existing note is left untouched" same "$(stat -c '%s %Y %X' "$today"):$(cat "$today")" \
  "$before:my own line"
check "an existing note is opened" same "$(opened)" "$folder/$today"

# Help, the version and a wrong command line make nothing; "--" ends the
# options, so that a folder may be named "-x".
fresh usage
mkdir -- -x
out=$("$quorvin" --version)
check "--version: exit 0, the version and licence" same "$?:$out" \
  "0:quorvin $3"$'\nCopyright (C) 2026 Quorvin. MIT licence.'
out=$("$quorvin" -ph -- -x)
check "-ph: exit 0, the usage with every option" same "$?:$(grep -c -e '^  -p, --path ' \
  -e '^  -h, --help ' -e '^  -V, --version ' <<< "$out"):${out%%$'\n'*}" \
  "0:3:Usage: quorvin [OPTION]... [FOLDER]"
for case in "--frobnicate:unknown option '--frobnicate'" "-pVx:unknown option '-x'" \
  "--pa=me:option '--path' takes no argument" "-- -x two:extra operand 'two'"; do
  message=$("$quorvin" ${case%%:*} 2>&1)
  check "quorvin ${case%%:*}: exit 64, one line and a hint" same "$?:$message" \
    "64:quorvin: ${case#*:}"$'\nTry \'quorvin --help\'.'
done
check "help, the version and wrong command lines make nothing" same "$(ls -A):$(ls -A -- -x)" -x:
out=$("$quorvin" -p -- -x)
check "-p -- -x prints exactly the note's full path in -x, exit 0" same "$?:$out" "0:$folder/-x/$today"
check "--path makes the note whole and opens nothing" same "$(cat -- "-x/$today"):$(opened)" "$header:"

fresh directory
mkdir "$today"
"$quorvin"
check "a directory of the note's name is opened, nothing created" \
  same "$(opened):$(ls -A "$today")" "$folder/$today:"

fresh dangling
ln -s elsewhere/target.txt "$today"
mkdir elsewhere
"$quorvin"
check "a dangling link's target is never created" same "$(ls -A elsewhere)" ""
check "a dangling link is opened as it is" same "$(opened)" "$folder/$today"

fresh upper
upper=${today%.txt}.TXT
printf 'from windows\n' > "$upper"
"$quorvin"
check "a note differing only in case counts as present" same "$(ls -A):$(cat "$upper")" \
  "$upper:from windows"
check "the note differing only in case is the one opened" same "$(opened)" "$folder/$upper"

fresh removed
rmdir "$folder"
message=$("$quorvin" 2>&1)
check "a folder refusing creation exits 1" same "$?" 1
check "the failure names note, folder and reason" same "$message" \
  "quorvin: cannot create $today in the current folder: No such file or directory"
check "nothing is opened after a failure" same "$(opened)" ""

fresh readonly-parent
mkdir sub && cd sub && chattr +i . 2>/dev/null && {
  message=$("$quorvin" 2>&1)
  check "an immutable folder refuses even root: exit 1" same "$?" 1
  check "the failure names the folder by path" same "$message" \
    "quorvin: cannot create $today in $folder/sub: Operation not permitted"
  chattr -i .
}

# A folder that cannot be searched hides whether the note is there: that is
# a failure, not an absence (the user's note may be behind it).
fresh unsearchable
if [ "$(id -u)" = 0 ] && command -v setpriv > /dev/null; then
  chmod 0 .
  out=$(setpriv --reuid=65534 --regid=65534 --clear-groups "$quorvin" 2> "$scratch/err")
  check "a look-up that fails exits 1" same "$?:$out" "1:"
  check "a failed look-up names note, folder and reason" same "$(cat "$scratch/err")" \
    "quorvin: cannot look for $today in $folder: Permission denied"
  chmod 755 .
fi

fresh opener-missing
message=$(PATH=/nonexistent "$quorvin" 2>&1)
check "a missing opener exits 2" same "$?" 2
check "a missing opener is named, with its package" same "$message" \
  "quorvin: cannot start xdg-open for $folder/$today: not found on PATH (install xdg-utils)"
check "the note is kept when the opener is missing" same "$(head -n1 "$today")" "$header"

fresh opener-not-executable
chmod -x "$scratch/bin/xdg-open"
message=$(PATH=$scratch/bin:/nonexistent "$quorvin" 2>&1)
check "an opener that cannot be started is named with the reason" same "$?:$message" \
  "2:quorvin: cannot start xdg-open for $folder/$today: Permission denied"
chmod +x "$scratch/bin/xdg-open"

# Even 127: only a shell's 127 means "not found".
fresh opener-fails
message=$(OPENER_STATUS=127 "$quorvin" 2>&1)
check "a failing opener exits 2" same "$?" 2
check "a failing opener's status is reported" same "$message" \
  "quorvin: cannot open $folder/$today: xdg-open exited with status 127"
check "the note is kept when the opener fails" same "$(wc -c < "$today")" "$((${#header} + 2))"

# Started with SIGINT ignored and blocked (as a background job is), the
# opener still gets Ctrl-C's default: it is an editor's to decide.
fresh opener-killed
message=$(OPENER_SIGNAL=INT env --ignore-signal=INT --block-signal=INT "$quorvin" 2>&1)
check "an opener ended by a signal exits 2, naming the signal" same "$?:$message" \
  "2:quorvin: cannot open $folder/$today: xdg-open was ended by signal 2 (Interrupt)"

# Ctrl-C typed on the terminal reaches the whole foreground group: an editor
# that takes it (as ed does) carries on, and so does quorvin, to end with the
# editor's outcome.
fresh interrupted
cat > "$scratch/bin/takes-ctrl-c" <<'SH'
#!/bin/bash
trap 'echo interrupted >> "$RECORD"' INT
sleep 1 & wait
sleep 0.5
echo "$1" >> "$RECORD"
SH
chmod +x "$scratch/bin/takes-ctrl-c"
{ sleep 0.5; printf '\003'; } | (unset DISPLAY VISUAL; EDITOR="TAKEN=1 takes-ctrl-c" \
  exec script -qec 'exec env --default-signal=INT,QUIT "$quorvin"' /dev/null > /dev/null)
check "Ctrl-C taken by an editor run through the shell: quorvin ends with its outcome" \
  same "$?:$(opened | tr '\n' ' ')" "0:interrupted $folder/$today "
printf '#!/bin/sh\nkill -TERM $$\n' > "$scratch/bin/self-ending"
chmod +x "$scratch/bin/self-ending"
message=$(unset DISPLAY VISUAL; EDITOR="ENDED=1 self-ending" on_terminal '"$quorvin"')
check "an editor ended by a signal is told so, through the shell" same "$?:${message##*$'\n'}" \
  "2:quorvin: cannot open $folder/$today: editor \"ENDED=1 self-ending\" was ended by signal 15 (Terminated)"

fresh file-size-limit
message=$(ulimit -f 0 && "$quorvin" 2>&1)
check "past the file size limit the start says so and exits 1" same "$?:$message:$(ls -A)" \
  "1:quorvin: cannot write $today in $folder: File too large:"

fresh sigchld-ignored
(trap '' CHLD && exec "$quorvin")
check "a parent that ignores SIGCHLD still gets the opener's outcome" same "$?" 0

# A newline, a backslash, a C1 control, a stray byte, an overlong "/", a
# surrogate and a right-to-left override; "Łódź" stays as it is.
fresh $'new\nline\\n \xc2\x85 \x9b \xc0\xaf \xed\xa0\x80 \xe2\x80\xae Łódź'
message=$(PATH=/nonexistent "$quorvin" 2>&1)
check "whatever could split or disguise a message in a name is escaped" same "$message" \
  "quorvin: cannot start xdg-open for $scratch/new\\nline\\\\n \\xc2\\x85 \\x9b \\xc0\\xaf \\xed\\xa0\\x80 \\xe2\\x80\\xae Łódź/$today: not found on PATH (install xdg-utils)"

fresh german
LC_ALL=de_DE.UTF-8 LANG=de_DE.UTF-8 "$quorvin"
check "weekday names stay English in a German locale" same "$(head -n1 "$today")" "$header"

fresh closed-streams
"$quorvin" >&- 2>&- <&-
check "with standard streams closed the note is still exact" same "$(cat "$today")" "$header"
check "with standard streams closed the note is opened" same "$(opened)" "$folder/$today"
message=$("$quorvin" -p 2>&1 >&-)
check "--path into a closed standard output: exit 1, said" same "$?:$message" \
  "1:quorvin: cannot write to standard output: Bad file descriptor"

# Without a graphical session the user's editor opens the note, on a terminal
# only, its setting taken as git takes it, the note's path (quoted however
# odd) added last. ":" opens nothing.
fresh "no desktop's \"notes\""
cat > "$scratch/bin/stand-in" <<'SH'
#!/bin/sh
printf '%s|' "$0" "$@" > "$RECORD"
SH
chmod +x "$scratch/bin/stand-in"
(unset DISPLAY WAYLAND_DISPLAY VISUAL; EDITOR=: "$quorvin")
check "EDITOR=: makes the note whole and opens nothing" same "$?:$(cat "$today"):$(opened)" "0:$header:"
for redirect in '< /dev/null' '<&-' '> /dev/null'; do
  message=$(unset DISPLAY WAYLAND_DISPLAY; VISUAL=stand-in on_terminal "\"\$quorvin\" $redirect")
  check "no desktop, $redirect: exit 2, the note ready, no editor started" \
    same "$?:$message:$(opened):$(ls -A)" "2:quorvin: today's note $folder/$today is ready, but \
there is no desktop to open it in and no terminal for an editor ('quorvin --path' prints its path)::$today"
done
printf 'printf "%%s|" "$@" > "$RECORD"\n' > "$scratch/bin/no-hash-bang"
chmod +x "$scratch/bin/no-hash-bang"
(unset DISPLAY WAYLAND_DISPLAY VISUAL; EDITOR=no-hash-bang on_terminal '"$quorvin"')
check "an editor script without #! is run by the shell" same "$?:$(opened)" "0:$folder/$today|"
(unset DISPLAY WAYLAND_DISPLAY; VISUAL="stand-in --visual" EDITOR=vi on_terminal '"$quorvin"')
check "without a desktop VISUAL wins over EDITOR" same "$?:$(opened)" \
  "0:$scratch/bin/stand-in|--visual|$folder/$today|"
(unset DISPLAY WAYLAND_DISPLAY VISUAL; EDITOR="stand-in --wait -x" on_terminal '"$quorvin"')
check "an EDITOR with arguments gets the note's path last" same "$?:$(opened)" \
  "0:$scratch/bin/stand-in|--wait|-x|$folder/$today|"
: > "$RECORD"
(unset DISPLAY; WAYLAND_DISPLAY=wayland-0 VISUAL=stand-in "$quorvin")
check "in a Wayland session xdg-open opens the note, not the editor" same "$(opened)" \
  "$folder/$today"
message=$(unset DISPLAY WAYLAND_DISPLAY VISUAL; EDITOR=no-such-editor on_terminal '"$quorvin"')
check "a missing editor exits 2, named" same "$?:${message##*$'\n'}" \
  "2:quorvin: cannot start editor \"no-such-editor\" for $folder/$today: not found on PATH"
printf '#!/no/such/sh\n' > "$scratch/bin/lost-sh" && chmod +x "$scratch/bin/lost-sh"
message=$(unset DISPLAY WAYLAND_DISPLAY VISUAL; EDITOR=$scratch/bin/lost-sh on_terminal '"$quorvin"')
check "an editor script whose #! program is missing is named so" same "$?:${message##*: }" \
  "2:its #! interpreter is not found"

fresh crowds
check_crowds "$quorvin" 5 40

fresh kills
check_kills "$quorvin" "$killer" 400
check "killed starts leave no unfinished copy behind" same "$leftovers:$stray" 0:0

finish
