#!/usr/bin/env bash
# The Windows zip as a user gets it: its checksum, exactly the program, a
# read-me and the licence, the texts with Windows line ends, and the program
# runs from it; then the setup beside it. A recorder is the .txt opener.
#   zip_test.sh QUORVIN.ZIP RECORDER.EXE   (under the Wine session of the test command)
zip=$(realpath "$1")
setup=${zip%-win32.zip}-setup.exe
. "$(dirname "$0")/lib.sh"
# Unix names reach Windows intact only in UTF-8; no menu entries in the home.
export LC_ALL=C.UTF-8 WINEDLLOVERRIDES="$WINEDLLOVERRIDES;winemenubuilder.exe=d"
export QUORVIN_RECORD=$(winepath -w "$scratch/record")
wine reg add 'HKLM\Software\Classes\.txt' /ve /d txtfile /f > /dev/null 2>&1
wine reg add 'HKLM\Software\Classes\txtfile\shell\open\command' /ve /f \
  /d "\"$(winepath -w "$2")\" \"%1\"" > /dev/null 2>&1
opened() {  # opened NOTE: the shell, on its own, started the opener on NOTE, a whole note
  for _ in $(seq 100); do [ -s "$scratch/record" ] && break; sleep 0.1; done
  same "$(tr -d '\r' < "$scratch/record" && rm "$scratch/record")" "$(winepath -w "$1")" &&
    same "$(od -An -c "$1")" "$(printf '%s\r\n\r\n' "$header" | od -An -c)"
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
key='HKCU\Software\Microsoft\Windows\CurrentVersion\Uninstall\Quorvin'
rm -rf "$users/AppData/Local/Programs/Quorvin" "$users/Documents" "$users/Desktop"
mkdir "$users/Documents" "$users/Desktop" && wine reg delete "$key" /f > /dev/null 2>&1
for bad in "$(winepath -w "$scratch/file")\\Notes" 'C:\windows\Notes' "$(printf 'n%.0s' $(seq 250))"; do
  wine "$setup" /S "/NOTES=$bad"
  check "a setup that cannot use the notes folder ${bad:0:20}... exits non-zero, making none" \
    same "$?:$(ls -d "$WINEPREFIX/drive_c/windows/Notes" nn* 2> /dev/null)" 2:
done
notes=$scratch/Łodź/日本語
wine "$setup" /S "/NOTES=Łodź\\日本語" && wine "$setup" /S
check "a silent install into a new folder Łodź\\日本語 (relative), then one over it, exit 0" same "$?" 0
program='C:\users\'$(id -un)'\AppData\Local\Programs\Quorvin'
size=0 && for file in "$folder"/*; do size=$((size + ($(stat -c %s "$file") + 1023) / 1024)); done
check "Apps & features shows Quorvin, its version, publisher, icon and size, and removes it" \
  same "$(wine reg query "$key" 2> /dev/null | tr -d '\r' | tr -s ' ' | sed -n 's/^ //p' | sort | paste -sd ' ')" \
  "DisplayIcon REG_SZ $program\\Quorvin.exe DisplayName REG_SZ Quorvin DisplayVersion REG_SZ 1.0.0.1 \
EstimatedSize REG_DWORD $(printf 0x%x $size) InstallLocation REG_SZ $program NoModify REG_DWORD 0x1 \
NoRepair REG_DWORD 0x1 Publisher REG_SZ Quorvin QuietUninstallString REG_SZ \"$program\\Uninstall.exe\" /S \
UninstallString REG_SZ \"$program\\Uninstall.exe\""
shortcut="$users/AppData/Roaming/Microsoft/Windows/Start Menu/Programs/Today's note.lnk"
(cd / && wine start /unix "$shortcut")
check "the Start menu's Today's note, after the upgrade, makes and opens a note in Łodź\\日本語" \
  opened "$notes/$today"
check "there is no desktop shortcut unless asked for" same "$(ls -A "$users/Desktop")" ""

printf 'my line\r\n' > "$notes/2001_01_01.txt"
wine "$users/AppData/Local/Programs/Quorvin/Uninstall.exe" /S
# It goes on as a copy of itself, which drops this key last.
for _ in $(seq 50); do wine reg query 'HKCU\Software\Quorvin' > /dev/null 2>&1 || break; sleep 0.2; done
check "the uninstaller removes the program's folder, its shortcut and its keys" sh -c 'test ! -e "$0" -a ! -e "$1" &&
  ! wine reg query "$2" && ! wine reg query "HKCU\Software\Quorvin"' "$users/AppData/Local/Programs/Quorvin" \
  "$shortcut" "$key" > /dev/null 2>&1
check "the uninstaller leaves the notes" same "$(cat "$notes"/*)" $'my line\r\n'"$header"$'\r\n\r'
# With no earlier setup, notes go to the user's own Documents\Notes.
wine "$setup" /S && (cd / && wine start /unix "$shortcut")
check "a first setup without /NOTES= makes Documents\\Notes and its shortcut opens notes there" \
  opened "$users/Documents/Notes/$today"
finish
