#!/usr/bin/env bash
# The built quorvin command in real folders, with a recording xdg-open first
# on PATH.
quorvin=$(realpath "$1")
. "$(dirname "$0")/lib.sh"

bin=$scratch/bin
mkdir -p "$bin"
export RECORD=$scratch/opened
cat > "$bin/xdg-open" <<'SH'
#!/bin/sh
printf '%s\n' "$*" >> "$RECORD"
exit "${OPENER_STATUS:-0}"
SH
chmod +x "$bin/xdg-open"
export PATH=$bin:$PATH

today=$(date +%Y_%m_%d).txt
header=$(LC_ALL=C date '+%Y/%m/%d   %A')
fresh() {  # a new empty folder to run in, and an empty record
  folder=$scratch/$1
  mkdir -p "$folder"
  : > "$RECORD"
  cd "$folder" || exit 1
}
opened() { cat "$RECORD"; }
bytes() { od -An -c "$1" | tr -s ' '; }

fresh new
"$quorvin"
check "a new note exits 0" same "$?" 0
check "a new note holds exactly the header with LF line ends" \
  same "$(bytes "$today")" "$(printf '%s\n\n' "$header" | od -An -c | tr -s ' ')"
check "the opener gets the new note's full path" same "$(opened)" "$folder/$today"

fresh existing
printf 'my own line\n' > "$today"
touch -d '2001-01-01 10:00' "$today"
before=$(stat -c '%s %Y %X' "$today")
"$quorvin" some arguments --help
check "an existing note exits 0, arguments ignored" same "$?" 0
check "an existing note is left untouched" same "$(stat -c '%s %Y %X' "$today"):$(cat "$today")" \
  "$before:my own line"
check "an existing note is opened" same "$(opened)" "$folder/$today"

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

fresh opener-missing
message=$(PATH=/nonexistent "$quorvin" 2>&1)
check "a missing opener exits 2" same "$?" 2
check "a missing opener is named, with its package" same "$message" \
  "quorvin: cannot open $folder/$today: xdg-open was not found on PATH (install xdg-utils)"
check "the note is kept when the opener is missing" same "$(head -n1 "$today")" "$header"

fresh opener-fails
message=$(OPENER_STATUS=4 "$quorvin" 2>&1)
check "a failing opener exits 2" same "$?" 2
check "a failing opener's status is reported" same "$message" \
  "quorvin: cannot open $folder/$today: xdg-open exited with status 4"
check "the note is kept when the opener fails" same "$(wc -c < "$today")" "$((${#header} + 2))"

fresh german
LC_ALL=de_DE.UTF-8 LANG=de_DE.UTF-8 "$quorvin"
check "weekday names stay English in a German locale" same "$(head -n1 "$today")" "$header"

fresh closed-streams
"$quorvin" >&- 2>&- <&-
check "with standard streams closed the note is still exact" same "$(cat "$today")" "$header"
check "with standard streams closed the note is opened" same "$(opened)" "$folder/$today"

fresh crowd
for i in $(seq 20); do "$quorvin" & done
wait
check "20 starts at once make one note" same "$(ls -A)" "$today"
check "20 starts at once leave it complete" same "$(cat "$today")" "$header"
check "20 starts at once open it 20 times" same "$(grep -c -x "$folder/$today" "$RECORD")" 20

finish
