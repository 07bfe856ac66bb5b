#!/usr/bin/env bash
# The Windows zip as a user gets it: its checksum, exactly the program, a
# read-me and the licence, the texts with Windows line ends, and the program
# runs from it; then the setup beside it. A recorder is the .txt opener.
#   zip_test.sh QUORVIN.ZIP RECORDER.EXE WINDOW_TOOL.EXE   (under the Wine session of the test command)
zip=$(realpath "$1")
setup=${zip%-win32.zip}-setup.exe
. "$(dirname "$0")/lib.sh"
# Unix names reach Windows intact only in UTF-8; no menu entries in the home.
export LC_ALL=C.UTF-8 WINEDLLOVERRIDES="$WINEDLLOVERRIDES;winemenubuilder.exe=d"
export QUORVIN_RECORD=$(winepath -w "$scratch/record")
wine reg add 'HKLM\Software\Classes\.txt' /ve /d txtfile /f > /dev/null 2>&1
wine reg add 'HKLM\Software\Classes\txtfile\shell\open\command' /ve /f \
  /d "\"$(winepath -w "$2")\" \"%1\"" > /dev/null 2>&1
opened() {  # opened NOTE [HEADER]: the shell, on its own, started the opener on NOTE, a whole note (today's)
  for _ in $(seq 100); do [ -s "$scratch/record" ] && break; sleep 0.1; done
  same "$(tr -d '\r' < "$scratch/record" && rm "$scratch/record")" "$(winepath -w "$1")" &&
    same "$(od -An -c "$1")" "$(printf '%s\r\n\r\n' "${2:-$header}" | od -An -c)"
}

folder=quorvin-1.0.0.1-win32
check "SHA256SUMS beside the packages names the setup and the zip, and their hashes" \
  sh -c 'cd "$1" && sha256sum --quiet --strict -c SHA256SUMS && [ "$(cut -c67- SHA256SUMS)" = "$2" ]' \
  _ "$(dirname "$zip")" "$(basename "$setup")"$'\n'"$(basename "$zip")"
check "the zip holds exactly the program, its read-me and its licence" \
  same "$(cmake -E tar tf "$zip" | sort | tr '\n' ' ')" \
  "$folder/LICENSE.txt $folder/Quorvin.exe $folder/README.txt "
cd "$scratch" && cmake -E tar xf "$zip"
check "README.txt and LICENSE.txt have Windows line ends throughout" \
  same "$(cat "$folder"/*.txt | grep -c $'\r$')" "$(cat "$folder"/*.txt | wc -l)"
check "the read-me says where notes go" grep -q '"Start in"' "$folder/README.txt"

mkdir notes && cd notes
wine "../$folder/Quorvin.exe"
check "Quorvin.exe from the zip exits 0 under Wine" same "$?" 0
check "Quorvin.exe from the zip makes today's note whole and opens it" opened "$PWD/$today"

cd "$scratch" && touch file && check "the setup is under 256 KiB" test "$(stat -c %s "$setup")" -lt 262144
# Nothing of earlier runs; Documents and Desktop the prefix's own, not links to the home.
users=$WINEPREFIX/drive_c/users/$(id -un)
installed=$users/AppData/Local/Programs/Quorvin
key='HKCU\Software\Microsoft\Windows\CurrentVersion\Uninstall\Quorvin'
shortcut="$users/AppData/Roaming/Microsoft/Windows/Start Menu/Programs/Today's note.lnk" previous=${shortcut%/*}/"Previous note.lnk"
rm -rf "$installed" "$shortcut" "$previous" "$users/Documents" "$users/Desktop"
mkdir "$users/Documents" "$users/Desktop" && wine reg delete "$key" /f > /dev/null 2>&1
wine reg delete 'HKCU\Software\Quorvin' /f > /dev/null 2>&1
left() {  # what a setup made: the program's files|shortcuts|the version in Apps & features|settings
  echo "$(ls -A "$installed" 2> /dev/null | paste -sd ' ')|$(ls "$shortcut" "$previous" 2> /dev/null | wc -l)|$(wine reg query \
    "$key" /v DisplayVersion 2> /dev/null | tr -d '\r' | grep -o '[0-9.]*$')|$(wine reg query 'HKCU\Software\Quorvin' 2> /dev/null | grep -c 'Notes folder')"
}
for bad in "$(winepath -w "$scratch/file")\\Notes" "$(winepath -w "$scratch/file")" 'C:\windows\Notes' 'C:\windows\system32\Notes' \
  "Z:${WINEPREFIX//\//\\}\\drive_c\\windows\\Notes" "$(printf 'n%.0s' $(seq 250))" "$(winepath -w "$scratch")\\a<b>Notes"; do
  wine "$setup" /S "/NOTES=$bad"
  check "a setup that cannot use the notes folder ...${bad: -24} exits non-zero, making none" \
    same "$?:$(ls -d "$WINEPREFIX/drive_c/windows/Notes" nn* a*Notes 2> /dev/null):$(left)" "2::|0||0"
done
# On the folder page, the same is said when Install is clicked, in a message that fits the screen, and the page stays.
window() { for _ in $(seq 300); do xdotool search --onlyvisible --name "^$1\$" 2> /dev/null | head -1 | grep . && return; sleep 0.1; done; }
tool=$(realpath "$3") bad="$(winepath -w "$scratch")\\$(printf 'n%.0s' $(seq 200))\\a<b"
wine "$setup" "/NOTES=$bad" & pid=$!
page=$(window 'Quorvin Setup ') && wine "$tool" post 'Quorvin Setup ' 0x0111 1
box=$(window Quorvin) && said=$(wine "$tool" text Quorvin | tr -d '\r')
width=$(wine "$tool" rect Quorvin | awk '{ print $3 - $1 }') && xdotool windowfocus --sync "$box" key Return
for _ in $(seq 300); do xdotool getwindowname "$box" > /dev/null 2>&1 || break; sleep 0.1; done
check "the folder page refuses ${bad: -24} on Install, saying why, in lines of 48 characters ($width pixels); it stays" \
  same "$said:$((width <= 1024)):$(window 'Quorvin Setup '):$(ls -d nn* 2> /dev/null)" "$(fold -w48 <<< "$bad")
cannot be a folder: Windows allows none of < > : \" | ? * in a folder's name.

Choose another folder for your notes.:1:$page:"
wine "$tool" post 'Quorvin Setup ' 0x0111 2 && wait "$pid"
# Files first: a program folder that is a file leaves no shortcut and no key.
mkdir -p "${installed%/*}" && touch "$installed" && wine "$setup" /S
check "a setup that cannot make the program's folder exits non-zero, registering nothing" same "$?:$(left)" "2:$installed|0||0"
rm "$installed" && notes=$scratch/Łodź/%USERNAME%
wine "$setup" /S "/NOTES=Łodź\\%USERNAME%" && wine "$setup" /S
check "a silent install into a new folder Łodź\\%USERNAME% (relative), then one over it, exit 0" same "$?" 0
program='C:\users\'$(id -un)'\AppData\Local\Programs\Quorvin'
size=0 && for file in "$installed"/*; do size=$((size + ($(stat -c %s "$file") + 1023) / 1024)); done
check "Apps & features shows Quorvin, its version, publisher, icon and size (the uninstaller's too), and removes it" \
  same "$(wine reg query "$key" 2> /dev/null | tr -d '\r' | tr -s ' ' | sed -n 's/^ //p' | sort | paste -sd ' ')" \
  "DisplayIcon REG_SZ $program\\Quorvin.exe DisplayName REG_SZ Quorvin DisplayVersion REG_SZ 1.0.0.1 \
EstimatedSize REG_DWORD $(printf 0x%x $size) InstallLocation REG_SZ $program NoModify REG_DWORD 0x1 \
NoRepair REG_DWORD 0x1 Publisher REG_SZ Quorvin QuietUninstallString REG_SZ \"$program\\Uninstall.exe\" /S \
UninstallString REG_SZ \"$program\\Uninstall.exe\""
(cd / && wine start /unix "$shortcut")
check "the Start menu's Today's note, after the upgrade, makes and opens a note in Łodź\\%USERNAME%" \
  opened "$notes/$today"
check "it starts in the program's folder, as the notes folder's name holds %" grep -qx ".${program//\\/\\\\}" <(strings -el "$shortcut")
printf '2001/01/01   Monday\r\n\r\n' > "$notes/2001_01_01.txt" && (cd / && wine start /unix "$previous")
check "its Previous note opens the note before today's there" opened "$notes/2001_01_01.txt" "2001/01/01   Monday"
check "there is no desktop shortcut unless asked for" same "$(ls -A "$users/Desktop")" ""

# While Quorvin runs (its message that notes are not kept in the Windows folder waits for OK), an
# update and the quiet uninstall change nothing, nor does an older setup over a newer Quorvin: the
# program stays as it was (its read-me, removed here, stays away), and so does its version.
refuses() {  # refuses WHAT COMMAND...
  local before; before=$(left) && "${@:2}"
  check "$1 exits non-zero, changing nothing" same "$?:$(left)" "2:$before"
}
(cd "$WINEPREFIX/drive_c/windows" && exec wine "$installed/Quorvin.exe") & held=$!
window Quorvin > /dev/null && rm "$installed/README.txt"
wine reg add "$key" /v DisplayVersion /d 1.0.0.0 /f > /dev/null 2>&1
refuses "with Quorvin running, an update from 1.0.0.0" wine "$setup" /S
refuses "with Quorvin running, the quiet uninstall" wine "$installed/Uninstall.exe" /S
kill $held && wait $held
wine reg add "$key" /v DisplayVersion /d 1.0.0.2 /f > /dev/null 2>&1
refuses "over Quorvin 1.0.0.2, the setup of 1.0.0.1" wine "$setup" /S
mkdir Downloads && cp "$installed/Uninstall.exe" Downloads && touch Downloads/README.txt Downloads/LICENSE.txt
refuses "a copy of the uninstaller run from Downloads, next to a read-me and a licence," wine Downloads/Uninstall.exe /S
wine reg add "$key" /v DisplayVersion /d 1.0.0.0 /f > /dev/null 2>&1 && wine "$setup" /S
check "then an update from 1.0.0.0 puts back the program and 1.0.0.1, and the copy's neighbours are there" \
  same "$?:$(left):$(ls Downloads | paste -sd ' ')" \
  "0:LICENSE.txt Quorvin.exe README.txt Uninstall.exe|2|1.0.0.1|1:LICENSE.txt README.txt Uninstall.exe"
# A notes folder at a drive's root reaches Quorvin whole, given as "Q:\\"; a silent update keeps a
# notes folder on a drive that is not there now (a USB stick), and updates the program.
ln -sfn "$scratch" "$WINEPREFIX/dosdevices/q:" && wine "$setup" /S '/NOTES=Q:\' && (cd / && wine start /unix "$shortcut")
check "the Today's note of the notes folder Q:\\ opens Q:\\$today" same "$(settled "$scratch/record" | tr -d '\r')" "Q:\\$today"
rm "$scratch/record"; timeout 120 wine "$setup" '/NOTES=Q:\' & while kill -0 $! 2> /dev/null; do wine "$tool" post 'Quorvin Setup ' 0x0111 1; sleep 0.3; done  # Install, Finish: until it ends
wait $!; check "on the setup's pages too Q:\\ stays whole: Open today's note now opens Q:\\$today" same "$?:$(settled "$scratch/record" | tr -d '\r')" "0:Q:\\$today"
rm "$scratch/record" && wine "$setup" /S '/NOTES=Q:\Notes' && rm "$WINEPREFIX/dosdevices/q:"
rm "$installed/README.txt" && wine "$setup" /S
check "a silent update while the notes folder's drive is gone exits 0, the program whole, the folder kept" \
  same "$?:$(left):$(wine reg query 'HKCU\Software\Quorvin' | tr -d '\r' | sed -n 's/.*REG_SZ *//p')" \
  "0:LICENSE.txt Quorvin.exe README.txt Uninstall.exe|2|1.0.0.1|1:Q:\Notes"

printf 'my line\r\n' > "$notes/2001_01_01.txt" && temp=$(ls "$users/Temp")
wine "$installed/Uninstall.exe" /S
check "the quiet uninstall exits 0 when all but its own file is gone: the program, its shortcut and its keys" \
  same "$?:$(left | sed 's/^Uninstall.exe|/|/')" "0:|0||0"
for _ in $(seq 100); do [ -e "$installed" ] || [ "$(ls "$users/Temp")" != "$temp" ] || break; sleep 0.1; done
check "just after, its own file and folder are gone, and its helper in the temporary folder" \
  same "$(ls -d "$installed" 2> /dev/null):$(ls "$users/Temp")" ":$temp"
check "the uninstaller leaves the notes" same "$(cat "$notes"/*)" $'my line\r\n'"$header"$'\r\n\r'
# /D= chooses the program's folder, which an update keeps; a notes folder inside it outlives the uninstall.
prog=$(winepath -w "$scratch")\\prog
wine "$setup" /S '/D=prog'; status=$? && wine "$setup" /S "/D=$prog%USERNAME%"  # the shell would expand it in a shortcut
status=$status$? && wine "$setup" /S "/NOTES=$prog\\Notes" "/D=$prog" && wine "$setup" /S && printf 'mine\r\n' > prog/Notes/2001_01_01.txt
check "/D= relative or holding % exits 2; a full one chooses the program's folder, which the next setup keeps" same "$status:$?:$(ls prog | \
  paste -sd ' '):$(wine reg query "$key" /v InstallLocation | tr -d '\r' | sed -n 's/.*REG_SZ *//p')" "22:0:LICENSE.txt Notes Quorvin.exe \
README.txt Uninstall.exe:$prog"
wine prog/Uninstall.exe /S && for _ in $(seq 100); do [ -e prog/Uninstall.exe ] || break; sleep 0.1; done
check "the uninstall there keeps the notes folder inside the program's folder, and every note" \
  same "$?:$(ls -R prog | paste -sd ' '):$(cat prog/Notes/*)" $'0:prog: Notes  prog/Notes: 2001_01_01.txt:mine\r'
# With no earlier setup, notes go to the user's own Documents\Notes; the user's own desktop Today's note stays.
printf 'my shortcut' > "$users/Desktop/Today's note.lnk" && wine "$setup" /S && (cd / && wine start /unix "$shortcut")
check "a first setup without /NOTES= makes Documents\\Notes and its shortcut opens notes there" \
  opened "$users/Documents/Notes/$today"

# The installed folder by its Z:\ path is the installed folder; another is refused while Quorvin is installed.
location() { wine reg query "$key" /v InstallLocation 2> /dev/null | tr -d '\r' | sed -n 's/.*REG_SZ *//p'; }
wine "$setup" /S "/D=Z:${installed//\//\\}"
check "/D= by the installed folder's Z:\\ path updates it where it is" same "$?:$(location)" "0:$program"
refuses "/D= of a second program folder while Quorvin is installed" wine "$setup" /S "/D=$(winepath -w "$scratch")\\other"
check "and makes no folder" same "$(ls -d other 2> /dev/null)" ""
# The uninstaller removes only the files it recorded making: not a file the user put there, even by the name of its own.
printf 'mine\r\n' > "$installed/mine.txt" && printf 'my read-me\r\n' > r && mv r "$installed/README.txt"
wine "$installed/Uninstall.exe" /S; status=$? && for _ in $(seq 100); do [ -e "$installed/Uninstall.exe" ] || break; sleep 0.1; done
check "the uninstall keeps the user's files in the program's folder, a read-me of theirs, and their desktop Today's note" \
  same "$status:$(ls -A "$installed" | paste -sd ' '):$(cat "$installed"/* | tr -d '\r' | paste -sd ' '):$(cat "$users/Desktop/"*)" \
  "0:README.txt mine.txt:my read-me mine:my shortcut"
# Not installed: /D= of a folder of the user's, or of a drive's root, is refused, the user's files kept.
rm -r "$installed" && mkdir mine empty && printf 'my index of notes\r\n' > mine/README.txt && printf 'x\r\n' > mine/2001_01_01.txt
ln -sfn "$scratch/mine" "$WINEPREFIX/dosdevices/r:" && ln -sfn "$scratch/empty" "$WINEPREFIX/dosdevices/e:"
for dir in "$(winepath -w "$scratch")\\mine" 'R:\'; do
  wine "$setup" /S '/NOTES=R:\' "/D=$dir"
  check "/D=${dir: -4} holding the user's files is refused, the files as they were" \
    same "$?:$(left):$(cat mine/* | tr -d '\r' | paste -sd ' ')" "2:|0||0:x my index of notes"
done
wine "$setup" /S '/NOTES=E:\'
check "an empty drive's root E:\\ is a notes folder" same "$?:$(wine reg query 'HKCU\Software\Quorvin' | tr -d '\r' | sed -n 's/.*REG_SZ *//p')" '0:E:\'
# A shortcut that cannot be written stops an update, or a first install, with the earlier state exactly as it was.
state() {
  find "$installed" "${shortcut%/*}" "$users/Desktop" "$scratch/elsewhere" 2> /dev/null | sort | while read -r f; do [ -d "$f" ] && echo "$f" || md5sum "$f"; done
  wine reg query "$key" /s; wine reg query 'HKCU\Software\Quorvin' /s
}
wine reg add "$key" /v DisplayVersion /d 1.0.0.0 /f > /dev/null 2>&1 && before=$(state)
chattr +i "${shortcut%/*}" && wine "$setup" /S "/NOTES=$(winepath -w "$scratch")\\elsewhere"; status=$?; chattr -i "${shortcut%/*}"
check "an update whose shortcuts cannot be written exits 2 and leaves everything as it was" same "$status:$(state)" "2:$before"
wine "$setup" /S
# An uninstall followed at once by an install, three times: the entry's uninstaller is there, and works.
for _ in 1 2 3; do wine "$installed/Uninstall.exe" /S && wine "$setup" /S; echo $?; done > statuses
for _ in $(seq 100); do [ "$(ls "$users/Temp")" != "$temp" ] || break; sleep 0.1; done
uninstaller=$(wine reg query "$key" /v UninstallString | tr -d '\r' | sed -n 's/.*REG_SZ *"\(.*\)"$/\1/p')
wine "$uninstaller" /S
check "an uninstall and at once an install, three times, leave a working uninstaller" same "$(paste -sd ' ' statuses):$?:$(left | sed 's/^Uninstall.exe|/|/')" \
  "0 0 0:0:|0||0"
for _ in $(seq 100); do [ -e "$installed" ] || break; sleep 0.1; done
chattr +i "${shortcut%/*}" && wine "$setup" /S; status=$?; chattr -i "${shortcut%/*}"
check "a first install whose shortcuts cannot be written exits 2, leaving no program folder" same "$status:$(left):$(ls -d "$installed" 2> /dev/null)" "2:|0||0:"
# Two setups at once (the first held on its page, its folder in quotes): one installs, the other ends with 2; the settings and the shortcuts agree.
for round in 1 2 3; do
  wine "$setup" "/NOTES=\"$(winepath -w "$scratch")\\a$round\"" & window 'Quorvin Setup ' > /dev/null  # pasted with its quotes
  wine "$setup" /S "/NOTES=$(winepath -w "$scratch")\\b$round"; echo $?
  while kill -0 $! 2> /dev/null; do wine "$tool" post 'Quorvin Setup ' 0x0111 1; sleep 0.3; done; wait $!; echo $?
  setting=$(wine reg query 'HKCU\Software\Quorvin' | tr -d '\r' | sed -n 's/.*REG_SZ *//p')
  echo "${setting##*\\}" && strings -el "$shortcut" "$previous" | grep -cF "\"$setting\""  # the arguments
done > statuses
check "two setups at once, three times: the second ends with 2, and both shortcuts give the first's notes folder, as the settings do" \
  same "$(paste -sd ' ' statuses)" "2 0 a1 2 2 0 a2 2 2 0 a3 2"
finish
