#!/usr/bin/env bash
# The Windows zip as a user gets it: its checksum, exactly the program, a
# read-me and the licence, the texts with Windows line ends, and the program
# runs from it.
#   zip_test.sh QUORVIN.ZIP   (under the Wine session of the test command)
zip=$(realpath "$1")
. "$(dirname "$0")/lib.sh"

folder=quorvin-1.0.0.1-win32
check "SHA256SUMS beside the zip names it and its hash" \
  sh -c 'cd "$1" && sha256sum --quiet --strict -c SHA256SUMS && [ "$(cut -c67- SHA256SUMS)" = "$2" ]' \
  _ "$(dirname "$zip")" "$(basename "$zip")"
check "the zip holds exactly the program, its read-me and its licence" \
  same "$(cmake -E tar tf "$zip" | sort | tr '\n' ' ')" \
  "$folder/LICENSE.txt $folder/Quorvin.exe $folder/README.txt "
cd "$scratch" && cmake -E tar xf "$zip"
for text in README.txt LICENSE.txt; do
  check "$text has Windows line ends throughout" \
    same "$(grep -c $'\r$' "$folder/$text")" "$(wc -l < "$folder/$text")"
done
check "the read-me says where notes go" grep -q '"Start in"' "$folder/README.txt"

mkdir notes && cd notes
wine "../$folder/Quorvin.exe"
check "Quorvin.exe from the zip exits 0 under Wine" same "$?" 0
check "Quorvin.exe from the zip makes today's note" \
  same "$(head -n 1 "$(date +%Y_%m_%d).txt" | tr -d '\r')" "$(LC_ALL=C date '+%Y/%m/%d   %A')"
finish
