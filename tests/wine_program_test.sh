#!/usr/bin/env bash
# Quorvin.exe end to end under Wine: real windows, the shell's real "open"
# (a recorder registered for .txt files), real files. Needs WINEPREFIX and
# DISPLAY (the test command provides them). Screenshots go to ARTIFACTS.
#   wine_program_test.sh Quorvin.exe recorder.exe ARTIFACTS
program=$(realpath "$1")
recorder=$(realpath "$2")
artifacts=$(mkdir -p "$3" && realpath "$3")
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
fresh failure
rm -f "$record"
(cd /sys/kernel && exec wine "$program") &
pid=$!
wait_for_window() {  # wait_for_window NOT_THIS_ID: a visible "Quorvin" window
  for _ in $(seq 100); do
    for id in $(windows_named Quorvin); do [ "$id" != "$1" ] && { echo "$id"; return; }; done
    sleep 0.1
  done
}
message_box=$(wait_for_window none)
check "a failure to create the note shows a message" test -n "$message_box"
import -window root "$artifacts/failure-message.png" 2> /dev/null
xdotool windowfocus "$message_box" key Return 2> /dev/null
dialog=$(wait_for_window "$message_box")
check "after the message the main window stays open" test -n "$dialog"
check "the process lasts while the main window is open" kill -0 "$pid"
import -window root "$artifacts/failure-main-window.png" 2> /dev/null
xdotool windowfocus "$dialog" key Return 2> /dev/null
for _ in $(seq 100); do kill -0 "$pid" 2> /dev/null || break; sleep 0.1; done
ended() { ! kill -0 "$pid" 2> /dev/null; }
check "OK in the main window ends the process" ended
ended || kill "$pid"
wait "$pid"
check "nothing is opened when the note cannot be created" test ! -s "$record"
check "no note is left in the refusing folder" test ! -e "/sys/kernel/$today"

# The same in Wine's virtual desktop, which draws captions, for screenshots
# a person can look at. The message box is centred and the main window at
# 0, 0: a click in each makes it active for the Return that presses OK.
(cd /sys/kernel && exec timeout 60 wine explorer /desktop=QuorvinDesktop,640x360 "$program") &
pid=$!
for _ in $(seq 100); do [ -n "$(windows_named QuorvinDesktop)" ] && break; sleep 0.1; done
sleep 3
import -window root -crop 640x360+0+0 "$artifacts/desktop-failure-message.png" 2> /dev/null
xdotool mousemove 320 180 click 1 key Return
sleep 2
import -window root -crop 640x360+0+0 "$artifacts/desktop-failure-main-window.png" 2> /dev/null
xdotool mousemove 100 100 click 1 key Return
for _ in $(seq 100); do kill -0 "$pid" 2> /dev/null || break; sleep 0.1; done
check "in a desktop too, OK on the message and then on the main window ends the run" ended
ended || kill "$pid"
wait "$pid"

finish
