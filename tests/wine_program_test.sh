#!/usr/bin/env bash
# Quorvin.exe end to end under Wine: real windows, the shell's real "open"
# (a recorder registered for .txt files), real files. Needs WINEPREFIX and
# DISPLAY (the test command provides them). Screenshots go to ARTIFACTS.
#   wine_program_test.sh Quorvin.exe recorder.exe post_message.exe ARTIFACTS
program=$(realpath "$1")
recorder=$(realpath "$2")
poster=$(realpath "$3")
artifacts=$(mkdir -p "$4" && realpath "$4")
. "$(dirname "$0")/lib.sh"

record=$scratch/record
export QUORVIN_RECORD=$(winepath -w "$record" 2> /dev/null)
command="\"$(winepath -w "$recorder" 2> /dev/null)\" \"%1\""
wine reg add 'HKLM\Software\Classes\.txt' /ve /d txtfile /f > /dev/null 2>&1
wine reg add 'HKLM\Software\Classes\txtfile\shell\open\command' /ve /d "$command" /f \
  > /dev/null 2>&1

today=$(date +%Y_%m_%d).txt
header=$(LC_ALL=C date '+%Y/%m/%d   %A')

fresh() {
  folder=$scratch/$1
  mkdir -p "$folder"
  rm -f "$record"
  cd "$folder" || exit 1
}
# The shell starts the recorder on its own; give it time to write.
recorded() {
  for _ in $(seq 100); do [ -s "$record" ] && break; sleep 0.1; done
  tr -d '\r' < "$record" 2> /dev/null
}
windows_named() { xdotool search --onlyvisible --name "^$1\$" 2> /dev/null; }

fresh normal
wine "$program"
check "a normal run exits 0" same "$?" 0
check "a new note is the header with CR LF line ends, 25 bytes for a 9-letter day" \
  same "$(od -An -c "$today" | tr -s ' ')" "$(printf '%s\r\n\r\n' "$header" | od -An -c | tr -s ' ')"
check "the shell is asked to open the note's full path" same "$(recorded)" \
  "$(winepath -w "$folder/$today" 2> /dev/null)"
check "no window is left after a normal run" same "$(windows_named Quorvin)" ""

fresh existing
printf 'my line\r\n' > "$today"
touch -d '2001-01-01 10:00' "$today"
before=$(stat -c '%s %Y' "$today"):$(md5sum < "$today")
wine "$program" --some argument
check "an existing note is opened" same "$(recorded)" "$(winepath -w "$folder/$today" 2> /dev/null)"
check "an existing note is untouched, byte for byte and time for time" \
  same "$(stat -c '%s %Y' "$today"):$(md5sum < "$today")" "$before"

fresh program-folder
mkdir beside current
cp "$program" beside/Quorvin.exe
printf 'stale\r\n' > "beside/$today"
(cd current && wine ../beside/Quorvin.exe)
check "a note beside the program does not change which note is opened" \
  same "$(recorded)" "$(winepath -w "$folder/current/$today" 2> /dev/null)"
check "the note beside the program is untouched" same "$(cat "beside/$today")" $'stale\r'
check "the note is made in the current folder" same "$(head -c ${#header} "current/$today")" \
  "$header"

# A zone whose date differs from UTC's right now, so that a date taken from
# UTC (or from the C runtime misreading TZ) would show.
fresh zone
for zone in Pacific/Pago_Pago Pacific/Kiritimati; do
  [ "$(TZ=$zone date +%Y_%m_%d)" != "$(TZ=UTC date +%Y_%m_%d)" ] && break
done
TZ=$zone wine "$program"
recorded > /dev/null  # let its open finish before the next case
check "with TZ=$zone the note has the system zone's date" same "$(ls)" \
  "$(TZ=$zone date +%Y_%m_%d).txt"

# /sys refuses new files even to root: the failure path, with real windows.
wait_for_window() {  # wait_for_window TITLE [NOT_THIS_ID]: a visible window's id
  for _ in $(seq 100); do
    for id in $(windows_named "$1"); do [ "$id" != "${2:-}" ] && { echo "$id"; return; }; done
    sleep 0.1
  done
}
ended() { ! kill -0 "$pid" 2> /dev/null; }
wait_until_ended() { for _ in $(seq 100); do ended && return; sleep 0.1; done; }
press_ok() { xdotool windowfocus "$1" key Return 2> /dev/null; }
post() { wine "$poster" "$@" 2> /dev/null; }
start_in_refusing_folder() {  # sets pid, message_box, dialog
  (cd /sys/kernel && exec wine "$program") &
  pid=$!
  message_box=$(wait_for_window Quorvin)
  dialog=
  [ -n "$message_box" ] || return
  [ -n "${1:-}" ] && import -window root "$artifacts/$1" 2> /dev/null
  press_ok "$message_box"
  dialog=$(wait_for_window Quorvin "$message_box")
}

fresh failure
start_in_refusing_folder failure-message.png
check "a failure to create the note shows a message" test -n "$message_box"
check "after the message the main window stays open" test -n "$dialog"
check "the process lasts while the main window is open" kill -0 "$pid"
import -window root "$artifacts/failure-main-window.png" 2> /dev/null
press_ok "$dialog"
wait_until_ended
check "OK in the main window ends the process" ended
ended || kill "$pid"
wait "$pid"
check "nothing is opened when the note cannot be created" test ! -s "$record"
check "no note is left in the refusing folder" test ! -e "/sys/kernel/$today"

# The About entry's command, as the system menu sends it.
fresh about
start_in_refusing_folder
for command in 0x0010 0x001F; do
  post Quorvin 0x0112 "$command"
  about=$(wait_for_window "About Quorvin")
  check "system command $command opens the About box" test -n "$about"
  press_ok "$about"
  for _ in $(seq 50); do [ -z "$(windows_named "About Quorvin")" ] && break; sleep 0.1; done
  check "OK in the About box ($command) closes it" same "$(windows_named "About Quorvin")" ""
  check "the main window stays open after the About box ($command)" \
    same "$(windows_named Quorvin)" "$dialog"
done
post Quorvin 0x0112 0x0020
sleep 1.5
check "system command 0x0020 opens nothing" same "$(windows_named "About Quorvin")" ""
post Quorvin 0x0112 0xF060  # Close, from the system menu
wait_until_ended
check "closing the main window after the About box ends the process" ended
ended || kill "$pid"
wait "$pid"

# The same in Wine's virtual desktop, which draws captions, for screenshots
# a person can look at; the poster finds the windows on that desktop.
desktop() { QUORVIN_DESKTOP=QuorvinDesktop post "$@"; }
wait_on_desktop() { for _ in $(seq 50); do desktop "$1" 0 0 && return; sleep 0.2; done; }
screenshot() { sleep 1.5 && import -window root -crop 640x360+0+0 "$artifacts/$1" 2> /dev/null; }
(cd /sys/kernel && exec timeout 60 wine explorer /desktop=QuorvinDesktop,640x360 "$program") &
pid=$!
wait_on_desktop Quorvin
screenshot desktop-failure-message.png
desktop Quorvin 0x0111 1  # OK, to the message box: it is above its owner
screenshot desktop-failure-main-window.png
desktop Quorvin 0x0112 0x0010
wait_on_desktop "About Quorvin"
screenshot desktop-about-box.png
desktop "About Quorvin" 0x0111 1
desktop Quorvin 0x0010 0  # WM_CLOSE
wait_until_ended
check "in a desktop too, the message, the About box and the main window each end" ended
ended || kill "$pid"
wait "$pid"

finish
