#!/usr/bin/env bash
# Quorvin.exe end to end under Wine: real windows, the shell's real "open"
# (a recorder registered for .txt files), real files. Needs WINEPREFIX and
# DISPLAY (the test command provides them). Screenshots go to ARTIFACTS.
#   wine_program_test.sh Quorvin.exe recorder.exe window_tool.exe ARTIFACTS PLANTED.DLL
program=$(realpath "$1")
recorder=$(realpath "$2")
tool=$(realpath "$3")
artifacts=$(mkdir -p "$4" && realpath "$4")
planted_dll=$(realpath "$5")
. "$(dirname "$0")/lib.sh"

windows_path() { winepath -w "$1" 2> /dev/null; }
record=$scratch/record
export QUORVIN_RECORD=$(windows_path "$record")
register() {  # register COMMAND: the "open" command of .txt files, as the shell reads it (not their default verb)
  wine reg add 'HKLM\Software\Classes\.txt' /ve /d txtfile /f > /dev/null 2>&1
  wine reg add 'HKLM\Software\Classes\txtfile\shell\print\command' /ve /d '"C:\gone\print.exe" "%1"' /f > /dev/null 2>&1
  wine reg add 'HKLM\Software\Classes\txtfile\shell' /ve /d print /f > /dev/null 2>&1
  wine reg add 'HKLM\Software\Classes\txtfile\shell\open\command' /ve /d "$1" /f > /dev/null 2>&1
}
recorder_command="\"$(windows_path "$recorder")\" \"%1\""
register "$recorder_command"

fresh() {
  folder=$scratch/$1
  mkdir -p "$folder"
  rm -f "$record" "$record.sizes"
  cd "$folder" || exit 1
}
# The shell starts the recorder on its own; give it time to write.
recorded() {
  for _ in $(seq 100); do [ -s "$record" ] && break; sleep 0.1; done
  tr -d '\r' < "$record" 2> /dev/null
}
windows_named() { xdotool search --onlyvisible --name "^$1\$" 2> /dev/null; }
crlf_header() { printf '%s\r\n\r\n' "$header"; }

# What the program asks of Windows, in order, as Wine's relay traces its own
# calls (its code lies at 0x004xxxxx; not those of programs it starts, or
# that Wine starts meanwhile): pointers as *, handles numbered as they are
# returned, the copy's random part as *.
wine reg add 'HKCU\Software\Wine\Debug' /v RelayFromInclude /f /d quorvin.exe > /dev/null 2>&1
wine reg add 'HKCU\Software\Wine\Debug' /v RelayInclude /f /d "CreateFileW;WriteFile;FlushFileBuffers;\
NtSetInformationFile;SetFileInformationByHandle;CloseHandle;CoInitializeEx;ShellExecuteExW;CoUninitialize;\
SHOpenWithDialog;SendMessageW;PostMessageW" > /dev/null 2>&1
own_calls() {  # the exit status, then the calls, each ending ";"
  WINEDEBUG=+relay,trace+exec wine "$program" 2> "$scratch/relay" > /dev/null
  printf '%s;' $?
  awk 'NR == 1 { own = substr($0, 1, index($0, ":")) }  # its first thread; a desktop process it starts is at 004 too
  index($0, own) != 1 { next }
  / ret=004/ && /:Call / {
    thread = substr($0, 1, index($0, ":")); sub(/^[^:]*:Call [^.]*\./, ""); sub(/\) ret=.*/, ""); sub(/[0-9a-f]+ L".*\\\\/, ""); sub(/\.(quorvin-)?[a-z0-9]+"/, ".*")
    n = split(substr($0, index($0, "(") + 1), args, ","); call = substr($0, 1, index($0, "("))
    for (i = 1; i <= n; i++) call = call (i > 1 ? "," : "") (i == 1 && args[i] in handle ? handle[args[i]] : \
      args[i] ~ /^00(0[1-9a-f]|[1-9a-f])/ || (i == 4 && call ~ /SetInformation|SetFileInformation/) ? "*" : args[i])
  }
  / ret=004/ && /:Ret / { sub(/.*retval=/, ""); sub(/ .*/, ""); if (call ~ /^CreateFileW/ && $0 != "ffffffff") $0 = handle[$0] = "h" ++handles
    print call ") = " ($0 ~ /^00(0[1-9a-f]|[1-9a-f])/ ? "*" : $0) }
  /SHELL_execute mask/ && index($0, thread) == 1 { sub(/.*SHELL_execute /, ""); sub(/ class=.*/, ""); print }' "$scratch/relay" | tr '\n' ';'
}
# The window takes its icons, large and small. The Windows folder, then the
# current folder and each folder above it, are opened for their identities
# (no note goes in the Windows folder, whatever path leads there); the
# template is looked for; the note is written and flushed in a copy the
# system deletes when it is closed, named by a link, and opened by name in a
# single-threaded COM apartment, the shell to finish before the window asks
# to be closed.
icons="SendMessageW(*,00000080,00000001,*) = 00000000;SendMessageW(*,00000080,00000000,*) = 00000000;"
identities() {  # identities FOLDER: those calls, on handles h1 and up
  local path names=(windows) name n=0
  path=$(windows_path "$1")
  while [[ $path == *\\* ]]; do names+=("${path##*\\}") && path=${path%\\*}; done
  for name in "${names[@]}" ''; do
    n=$((n + 1)) && printf 'CreateFileW(%s",%s) = h%d;CloseHandle(h%d) = 00000001;' "$name" \
      00000080,00000007,00000000,00000003,02000000,00000000 $n $n
  done
}
handles=$(identities "$scratch/normal" | grep -o CreateFileW | wc -l)
note=h$((handles + 1)) renamed=h$((handles + 2))
copy="CreateFileW(template.*,80000000,00000007,00000000,00000003,02000000,00000000) = ffffffff;\
CreateFileW(.$today.*,40010000,00000005,00000000,00000001,04000080,00000000) = $note;WriteFile($note,*,\
$(printf %08x $((${#header} + 4))),*,00000000) = 00000001;FlushFileBuffers($note) = 00000001;\
NtSetInformationFile($note,*,*,*,0000000b) = "
opened_here() { echo "CoInitializeEx(00000000,00000006) = 00000000;mask=0x00000500 hwnd=00000000 verb=L\"open\" \
file=L\".\\\\$today\" parm=(null) dir=L\"$(windows_path . | sed 's/\\/\\\\/g')\" show=0x00000001;\
ShellExecuteExW(*) = 00000001;CoUninitialize() = *;PostMessageW(*,00000010,00000000,00000000) = 00000001;"; }
fresh normal
check "a normal run exits 0 after these calls" same "$(own_calls)" \
  "0;$icons$(identities "$folder")${copy}00000000;CloseHandle($note) = 00000001;$(opened_here)"
check "the shell opens the note's full path; a new note is the header with CR LF line ends; no window is left" \
  same "$(recorded):$(od -An -c "$today" | tr -s ' '):$(windows_named Quorvin)" \
  "$(windows_path "$folder/$today"):$(crlf_header | od -An -c | tr -s ' '):"
# A FAT disk has no links: the content moves to a copy that is not deleted
# when closed (or only until it is flushed), which is renamed.
fresh fat
if truncate -s 8M ../fat.img && mkfs.vfat ../fat.img > /dev/null && fusefat -o rw+ ../fat.img . > /dev/null 2>&1; then
  cd "$folder"
  check "on FAT, a copy is written, flushed and renamed, and opened" same "$(own_calls)$(recorded)" "0;$icons$(identities "$folder")${copy}c0000022;CreateFileW(.$today.*,\
40010000,00000005,00000000,00000001,00000080,00000000) = $renamed;CloseHandle($note) = 00000001;SetFileInformationByHandle($renamed,\
00000004,*,*) = 00000001;WriteFile($renamed,*,$(printf %08x $((${#header} + 4))),*,00000000) = 00000001;FlushFileBuffers($renamed) = 00000001;\
SetFileInformationByHandle($renamed,00000004,*,*) = 00000001;SetFileInformationByHandle($renamed,00000003,*,*) = 00000001;\
CloseHandle($renamed) = 00000001;$(opened_here)$(windows_path "$folder/$today")"
  cd / && fusermount -uz "$folder"
else echo "SKIP: no FAT disk through FUSE"; fi

fresh existing && printf 'my line\r\n' > "$today" && touch -d '2001-01-01 10:00' "$today"
before=$(stat -c '%s %Y' "$today"):$(md5sum < "$today")
(cd / && wine "$program" "$(windows_path "$folder")")
check "an existing note in the folder given is opened, untouched byte for byte and time for time" \
  same "$(recorded):$(stat -c '%s %Y' "$today"):$(md5sum < "$today")" "$(windows_path "$folder/$today"):$before"


fresh program-folder && mkdir beside current && cp "$program" beside/Quorvin.exe && printf 'stale\r\n' > "beside/$today"
(cd current && wine ../beside/Quorvin.exe)
check "the note is made and opened in the current folder; the one beside the program is untouched" same \
  "$(recorded):$(head -c ${#header} "current/$today"):$(cat "beside/$today")" "$(windows_path "$folder/current/$today"):$header:"$'stale\r'

# A DLL planted beside the program, where it is downloaded, is never loaded,
# even with a load order that prefers a DLL of the program's own to the
# system's, as Windows does for DLLs it does not know: not the shell's
# libraries or USER32, which the program loads itself once it has restricted
# the search, nor any they load in turn, nor what windows and the shell's
# "open" load. (msvcrt, the C runtime, is imported: loaded with the program.)
check "Quorvin.exe imports from KERNEL32 and msvcrt only, and is marked terminal-server aware" same "$(i686-w64-mingw32-objdump \
  -p "$program" | sed -n 's/.*DLL Name: //p; s/.*\(TERMINAL_SERVICE_AWARE\).*/\1/p' | sort | tr '\n' ' ')" "KERNEL32.dll TERMINAL_SERVICE_AWARE msvcrt.dll "
for dll in user32 gdi32 win32u imm32 version advapi32 sechost ucrtbase zlib1 shell32 shlwapi \
  shcore ole32 combase rpcrt4 oleaut32 actxprxy uxtheme comctl32; do
  fresh "planted $dll"
  cp "$program" . && cp "$planted_dll" "$dll.dll"
  WINEDLLOVERRIDES="$WINEDLLOVERRIDES;$dll=n,b" wine ./Quorvin.exe
  check "a $dll.dll planted beside the program is not loaded" \
    same "$?:$(ls planted-dll-was-loaded 2> /dev/null):$(recorded)" "0::$(windows_path "$PWD/$today")"
done

fresh "no USER32"
WINEDLLOVERRIDES="$WINEDLLOVERRIDES;user32=d" wine "$program"
check "where USER32 cannot be loaded no window can say so: exit status 1 at once, nothing made or opened" \
  same "$?:$(ls):$(cat "$record" 2> /dev/null)" "1::"

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

# Folders whose names no ANSI code page holds, or that the shell would expand, each beside the
# look-alike that best-fit characters or %NAME% would turn it into, holding a note of the same name,
# and C:\windows.notes, whose name only begins as the Windows folder's: the editor gets exactly
# the note of the folder the program was started in.
fresh look-alikes
user=$(wine cmd /c 'echo %USERNAME%' 2> /dev/null | tr -d '\r')
lookalikes=("$folder/Lodz" "$folder/NOTES" "$folder/$user" "$folder")
for lookalike in "${lookalikes[@]}"; do
  mkdir -p "$lookalike" && printf 'look-alike\r\n' > "$lookalike/$today"
done
for name in 'Łodź' 'ＮＯＴＥＳ' '．．' '日本語' 'emoji😀' '%USERNAME%' "$WINEPREFIX/drive_c/windows.notes"; do
  cd "$folder" && mkdir -p "$name" && cd "$name" && rm -f "$record" "$today"
  timeout 30 wine "$program"  # a refusal would wait on its message
  check "in $name: exit 0, the note made there, and exactly it given to the editor" \
    same "$?:$(cat "$today"):$(recorded)" "0:$(crlf_header):$(windows_path "$PWD/$today")"
done
check "no look-alike's note was touched" same "$(cat "${lookalikes[@]/%//$today}" | sort -u)" \
  $'look-alike\r'

# The failure paths, with real windows. The message box is read back as a
# user reads it.
ask() { wine "$tool" "$@" 2> /dev/null | tr -d '\r'; }
box_text() { ask text Quorvin | tr -d '\n'; }
# Where a window's centre is, to the pixel: halves are rounded down.
halves() { awk '{ print int(($1 + $3) / 2), int(($2 + $4) / 2) }'; }
centre() { ask rect "$1" | halves; }
near() { [ "$(awk -v a="$1" -v b="$2" 'BEGIN { split(a, p); split(b, q); d = p[1] - q[1]; e = p[2] - q[2]; print (d * d <= 1 && e * e <= 1) }')" = 1 ] || same "$1" "$2"; }
wait_for_window() {  # wait_for_window TITLE [NOT_THIS_ID]: a visible window's id
  for _ in $(seq 100); do
    for id in $(windows_named "$1"); do [ "$id" != "${2:-}" ] && { echo "$id"; return; }; done
    sleep 0.1
  done
}
wait_until_gone() { for _ in $(seq 100); do xdotool getwindowname "$1" > /dev/null 2>&1 || return; sleep 0.1; done; }
ended() { ! kill -0 "$pid" 2> /dev/null; }
wait_until_ended() { for _ in $(seq 100); do ended && return; sleep 0.1; done; }
# Keys (Return for the default button, space for the focused one) go in once the window has the
# focus; then wait for the window to go, so that the next step starts from the state it expects.
press_ok() { xdotool windowfocus --sync "$1" key "${2:-Return}" 2> /dev/null && wait_until_gone "$1"; }
post() { wine "$tool" post "$@" 2> /dev/null; }
start() {  # start FOLDER [ARGUMENT]...: Quorvin in FOLDER (as Windows spells it, if it does), in the background, traced; sets pid
  if [[ $1 == ?:\\* ]]; then (cd / && WINEDEBUG=+relay exec wine start /wait /d "$1" /unix "$program" "${@:2}" 2> "$scratch/relay") &
  else (cd "$1" && WINEDEBUG=+relay exec wine "$program" "${@:2}" 2> "$scratch/relay") &
  fi
  pid=$!
}
exit_status() { wait_until_ended; ended || kill "$pid"; wait "$pid"; }

# A start in FOLDER, given ARGUMENTS, that says TEXT (or what begins so, where
# it ends in "...") in one message, then ends with STATUS: at once, or after
# the main window that stays where the note could not be made or looked up
# (a STATUS of "1 after the window").
said_once() {  # said_once WHY FOLDER TEXT STATUS [ARGUMENT]...
  start "$2" "${@:5}"
  local box dialog text
  box=$(wait_for_window Quorvin)
  text=$(ask text Quorvin | tr -d '\n')
  [ "${3%...}" = "$3" ] || text=${text:0:$((${#3} - 3))}...
  check "$1: the message says so" same "$text" "$3"
  longest=$(ask text Quorvin | awk '!/ / { n = length > n ? length : n } END { print n }')  # of the runs it broke
  [ -n "$box" ] && rect=$(ask rect Quorvin) && width=$(awk '{ print $3 - $1 }' <<< "$rect") && press_ok "$box"
  [ "$4" = "1 after the window" ] && dialog=$(wait_for_window Quorvin "$box") && [ -n "$dialog" ] && press_ok "$dialog"
  exit_status
  check "$1: exit status $4 after one message" same "$?:$(windows_named Quorvin)" "${4%% *}:"
}
# Ready but not opened: the message names the note and the reason. Where
# no program is set up, the user is first offered a choice (Wine's fails).
opening_fails() {  # opening_fails WHY REASON OFFERED
  fresh "$1"
  said_once "$1" "$folder" "Today's note is ready, but Windows cannot open it:$(windows_path "$folder/$today")$2." 2
  check "$1: the note is kept; a choice of program offered $3 times" \
    same "$(cat "$folder/$today"):$(grep -c 'Call shell32.SHOpenWithDialog' "$scratch/relay")" "$(crlf_header):$3"
}
wine reg delete 'HKLM\Software\Classes\.txt' /f > /dev/null 2>&1
opening_fails "no program for .txt" "No program is set up to open text files" 1
opening_fails nul "No program is set up to open text files" 0  # the shell fails otherwise: no choice
register '"C:\gone\editor.exe" "%1"'
opening_fails "a program that is gone" \
  'The program set up to open text files cannot be found (text files open with: "C:\gone\editor.exe" "%1")' 0
register '"C:\windows\win.ini" "%1"'
opening_fails "a program that is no program" \
  'The program set up to open text files cannot be started (text files open with: "C:\windows\win.ini" "%1")' 0
# A shell library that cannot be loaded (a damaged system file) is named.
shell32=$WINEPREFIX/drive_c/windows/system32/shell32.dll && cp "$shell32" "$scratch" && printf 'MZ damaged' > "$shell32"
fresh "damaged shell32" && WINEDLLOVERRIDES="$WINEDLLOVERRIDES;shell32=n" said_once "a damaged shell32.dll" "$folder" \
  "Cannot open $today: Bad EXE format for shell32.dll." 2
cp "$scratch/shell32.dll" "$shell32"
# A note that is gone when the shell fails (here a link to nothing, which
# counts as present) is said to have disappeared, not the program; here at a
# drive's root (as on a USB stick), where the folder's path ends in "\".
fresh vanished
register '"C:\gone\editor.exe" "%1"'
ln -s nowhere "$today" && ln -sfn "$folder" "$WINEPREFIX/dosdevices/q:"
said_once "a vanished note" "$folder" "Today's note disappeared before Windows could open it:Q:\\${today}\
It was removed or moved meanwhile, or it is a link to nothing." 2
fresh "self-link" && ln -s "$today" "$today" && said_once "a note that links to itself" "$folder" "Today's note is ready, \
but Windows cannot open it:$(windows_path "$folder/$today")The filename cannot be resolved (text files open with: \"C:\\gone\\editor.exe\" \"%1\")." 2
said_once "another day's note that cannot be opened" "$folder" "The note is ready, but Windows cannot open it:$(windows_path \
  "$folder/$yesterday")The program set up to open text files cannot be found (text files open with: \"C:\\gone\\editor.exe\" \"%1\")." 2 -d -1
# An empty drive, as a new USB stick is, holds no note before today's; the Windows folder is none to look in.
fresh "empty drive" && ln -sfn "$folder" "$WINEPREFIX/dosdevices/q:"
said_once "--previous on an empty drive" "$scratch" "No note before $(date +%F) in Q:\\." 1 --previous 'Q:\'
kept_out="notes are not kept in the Windows folder, where Windows starts a program when the folder it was to start in could not be used."
said_once "--next in the Windows folder" "$scratch" "Cannot look for notes in C:\\windows: $kept_out" "1 after the window" --next 'C:\windows'
rm "$WINEPREFIX/dosdevices/q:"
register "$recorder_command"

# The folder as an argument is taken as it is, %NAME% and all; a template's bytes follow the header
# as they are; yesterday's note is headed as today's would be then; --previous opens the newest
# earlier note and makes none.
fresh arguments && notes=$folder/'%USERNAME% notes' && mkdir "$notes" && printf -- '- [ ] plan\n' > "$notes/template.txt"
touch "$notes/2001_01_01.txt" "$notes/2026_02_30.txt" && start / "$(windows_path "$notes")" && exit_status
check "a folder named %USERNAME% notes given: exit 0, today's note made there with the template, and opened" \
  same "$?:$(cat "$notes/$today"):$(recorded)" "0:$(printf '%s\r\n\r\n- [ ] plan' "$header"):$(windows_path "$notes/$today")"
for case in "--date=yesterday:$yesterday" "--previous:$yesterday" "--prev --date=$(date -d yesterday +%F):2001_01_01.txt"; do
  rm -f "$record" && start "$notes" ${case%:*} && exit_status
  check "${case%:*}: exit 0, ${case#*:} opened" same "$?:$(recorded)" "0:$(windows_path "$notes/${case#*:}")"
done
check "yesterday's note is headed as on that day; nothing else made" same "$(cat "$notes/$yesterday"):$(ls "$notes" | wc -l)" \
  "$(printf '%s\r\n\r\n- [ ] plan' "$yesterday_header"):5"
said_once "no note before 2001" "$notes" "No note before 2001-01-01 in $(windows_path "$notes")." 1 --previous -d 2001-01-01
said_once "a missing folder" "$notes" "Cannot use folder \"missing\": File not found." 1 missing
said_once "a pattern, taken as a name" "$notes" "Cannot use folder \"*\": Invalid name." 1 '*'
long=$(printf 'm%.0s' $(seq 3000))
said_once "a missing folder of 3000 characters" "$notes" "Cannot use folder \"${long:0:35}..." 1 -d +2 "$long"
check "a missing folder of 3000 characters is said in a box no taller than the screen" \
  same "$(awk '{ print ($2 >= 0 && $4 <= 768) }' <<< "$rect")" 1
said_once "-p" "$notes" "Options '-p' and '--path' print the note's path, and Quorvin.exe has no console to print on.Quorvin \
/? shows how to start it." 64 -p
said_once "a day that is not there" "$notes" "Invalid date '2023-02-29': the calendar has no such day.Quorvin /? shows \
how to start it." 64 -d 2023-02-29
said_once "/?" "$notes" "Quorvin [options] [folder]Opens today's note (YYYY_MM_DD.txt) in the folder given..." 0 '/?'
said_once "/help" "$notes" "Quorvin [options] [folder]Opens today's note (YYYY_MM_DD.txt) in the folder given..." 0 /help
said_once "--version" "$notes" "Quorvin 1.0.0.1Copyright (C) 2026 Quorvin. MIT licence." 0 -V
check "answers and refusals make nothing" same "$(ls "$notes" | wc -l)" 5
# A synced folder: an untouched note gives its name to a Dropbox copy holding words, which opens;
# where both hold words, nothing changes, the note opens and a message then names the copy.
fresh synced && dropbox="${today%.txt} (Ann's conflicted copy $(date +%F)).txt" && crlf_header > "$today" && printf words > "$dropbox"
start "$folder" && exit_status
check "an untouched note beside a Dropbox copy holding words: exit 0, the words are the note, opened" \
  same "$?:$(recorded):$(cat "$today"):$(ls)" "0:$(windows_path "$folder/$today"):words:$today"
# (Keys do not reach a box shown after the shell started the recorder: OK is posted.)
printf mine > "$dropbox" && rm -f "$record" && start "$folder" && box=$(wait_for_window Quorvin)
check "both holding words, the note is opened, then a message names the copy" same "$(recorded):$(box_text)" \
  "$(windows_path "$folder/$today"):Another version of \"$today\" is in \"$dropbox\", kept as the sync tool left it."
post Quorvin 0x0111 1; exit_status
check "after OK, exit 0, both kept as they are" same "$?:$(cat "$today"):$(cat "$dropbox")" "0:words:mine"
fresh "dangling template" && ln -s nowhere template.txt && said_once "a template that leads nowhere" "$folder" \
  "'$today' was made with its header alone: 'template.txt' in $(windows_path "$folder") is a link to nothing." 0
check "a template that leads nowhere is said before the note, made whole, opens" same "$(recorded):$(cat "$today")" \
  "$(windows_path "$folder/$today"):$(crlf_header)"

# A note path of 259 characters is legal, and made; Wine's shell cannot open
# it, which is said in full in a box that fits the screen. The program runs
# from a path of 261 characters, which it reads in full for its name.
fresh long
deep=$folder
while [ $(( $(windows_path "$deep" | wc -m) + 200 )) -lt 245 ]; do deep=$deep/$(printf 'd%.0s' $(seq 199)); done
deep=$deep/$(printf 'e%.0s' $(seq $(( 244 - $(windows_path "$deep" | wc -m) ))))
mkdir -p "$deep/bin" && cp "$program" "$deep/bin"
check "the long note path is 259 characters" same "$(windows_path "$deep/$today" | tr -d '\n' | wc -m)" 259
program=$deep/bin/Quorvin.exe said_once "a 259-character note path" "$deep" "Today's note is ready, but Windows cannot open it:$(windows_path \
  "$deep/$today")Path not found (text files open with: $recorder_command)." 2
check "the message for a 259-character path fits a 1024-pixel screen ($width pixels), its runs in lines of 48 characters at most" \
  same "$(( ${width:-9999} <= 1024 )):$longest" 1:48
check "the 259-character note is made" same "$(cat "$deep/$today")" "$(crlf_header)"
# Wine's shell fails in a folder named as a device, and leaves the current folder as "nul" meanwhile.
fresh nul && said_once "a folder named nul" "$folder" "Today's note is ready, but Windows cannot open it:$(windows_path \
  "$folder/$today")Bad device type (text files open with: $recorder_command)." 2

# A folder that refuses new files even to root, named outside the code
# page (/sys/kernel where chattr is not to be had): message, main window,
# About box, exit status 1.
fresh "refusing Łodź 日本語"
refusing=$folder
chattr +i "$refusing" 2> /dev/null || refusing=/sys/kernel
start "$refusing"
message_box=$(wait_for_window Quorvin)
check "a failure to create the note shows a message naming the note, the folder as Windows names it, the reason, \
an icon, owned by the main window, after one try" same "$(box_text):$(ask icon Quorvin):$(grep -a 'Call KERNEL32.CreateFileW' \
  "$scratch/relay" | grep -cF ".$today.")" "Cannot create $today in $(windows_path "$refusing"): Access denied.:1 1:1"
import -window root "$artifacts/failure-message.png" 2> /dev/null
[ -n "$message_box" ] && press_ok "$message_box"
dialog=$(wait_for_window Quorvin "$message_box")
check "after the message the main window stays open, and the process with it" sh -c '[ -n "$0" ] && kill -0 "$1"' \
  "$dialog" "$pid"
check "the main window is centred on the screen's work area" near "$(centre Quorvin)" \
  "$(ask workarea | halves)"
import -window root "$artifacts/failure-main-window.png" 2> /dev/null

# The About entry, last in the system menu, as a user chooses it by keys; and the command with low bits set.
for command in menu 0x001F; do
  if [ $command = menu ]; then xdotool windowfocus --sync "$dialog" key alt+space Up Return; else post Quorvin 0x0112 $command; fi
  about=$(wait_for_window "About Quorvin")
  check "About by $command opens the About box, while which the main window takes no input" \
    same "${about:+opened}:$(ask enabled Quorvin)" opened:0
  check "the About box is centred over the main window" near "$(centre "About Quorvin")" "$(centre Quorvin)"
  [ -n "$about" ] && press_ok "$about" "$([ $command = menu ] && echo space)"
  check "OK in the About box ($command, OK focused) closes it; the main window stays open" \
    same "$(windows_named "About Quorvin"):$(windows_named Quorvin)" ":$dialog"
done
# Moved, then shown again (WM_SHOWWINDOW), the About box stays where it is; its owner minimised, it hides.
post Quorvin 0x0112 0x001F && about=$(wait_for_window "About Quorvin") && xdotool windowmove --sync "$about" 10 20
sleep 1 && moved=$(ask rect "About Quorvin") && post "About Quorvin" 0x0018 1 && sleep 1 && post "About Quorvin" 0x0018 0 1
for _ in $(seq 100); do hidden=$(windows_named "About Quorvin"); [ -z "$hidden" ] && break; sleep 0.1; done
check "the About box, moved, stays where it is when shown again, and hides with its owner" \
  same "$(ask rect "About Quorvin"):$hidden" "$moved:"
post "About Quorvin" 0x0111 1 && sleep 1 && post Quorvin 0x0006 1  # OK; then the main window activated, as by a click
post Quorvin 0x0112 0xF010 && sleep 1 && moving=$(ask moving Quorvin) && xdotool windowfocus --sync "$dialog" key Escape
sleep 1 && check "Move from the system menu moves the main window by keys until Escape, once" same "$moving:$(ask moving Quorvin)" 1:0
post Quorvin 0x0112 0x0020
sleep 1.5
check "system command 0x0020 opens nothing" same "$(windows_named "About Quorvin")" ""
[ -n "$dialog" ] && press_ok "$dialog" space
exit_status
check "OK in the main window, focused, ends the run with exit status 1, nothing opened and no note left" \
  same "$?:$(cat "$record" 2> /dev/null):$(ls "$refusing/$today" 2> /dev/null)" "1::"
[ "$refusing" = "$folder" ] && chattr -i "$refusing"

# A full disk: the note cannot be written, which is said, and no copy is left.
fresh "full disk" && mount -t tmpfs -o size=12k tmpfs . && cd "$folder" && { cat /dev/zero > filler; } 2> /dev/null
said_once "a full disk" "$folder" "Cannot write $today in $(windows_path "$folder"): Disk full." "1 after the window"
check "a full disk is left as it was" same "$(ls -A)" filler; cd / && umount "$folder"

# A folder Wine cannot make the current one (a trailing dot) starts the
# program in the Windows folder: no note there, but a message and exit 1.
fresh "trailing dot."
rm -f "$WINEPREFIX/drive_c/windows/$today"
said_once "started in the Windows folder instead of its own" "$folder" "Cannot look for $today in C:\\windows: $kept_out" "1 after the window"
check "started in the Windows folder, it makes no note there" test ! -e "$WINEPREFIX/drive_c/windows/$today"
# The same by other paths: through Wine's Z: drive, and through a link to a folder in it named by one letter.
rm -rf "$WINEPREFIX/drive_c/windows/q" && mkdir "$WINEPREFIX/drive_c/windows/q" && ln -s "$WINEPREFIX/drive_c/windows/q" "$scratch/link"
for alias in "Z:${WINEPREFIX//\//\\}\\drive_c\\windows" "$(windows_path "$scratch")\\link"; do
  said_once "started in $alias" "$alias" "Cannot look for $today in $alias: $kept_out" "1 after the window"
done

# Starts at the same instant: one note, and the editor never finds it other
# than whole.
fresh crowd
quorvin_exe() { wine "$program"; }
RECORD=$record check_crowds quorvin_exe 3 8

# The same in Wine's virtual desktop, which draws captions, for screenshots
# a person can look at; the tool finds the windows on that desktop.
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
on_desktop() { QUORVIN_DESKTOP=QuorvinDesktop wine "$tool" rect "$1" > /dev/null 2>&1; }
for _ in $(seq 100); do on_desktop Quorvin || on_desktop "About Quorvin" || break; sleep 0.1; done
check "in a desktop too, the message, the About box and the main window each end" \
  test -z "$(on_desktop Quorvin && echo left)$(on_desktop "About Quorvin" && echo left)"
# The virtual desktop outlives its last window for a while, and meanwhile
# Windows reports its size as the screen's: end it with the Wine session.
wineserver -k
wait "$pid"

finish
