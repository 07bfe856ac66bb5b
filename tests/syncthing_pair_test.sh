#!/usr/bin/env bash
# Two computers sharing a notes folder through a real Syncthing pair on
# 127.0.0.1, one folder keeping Syncthing's default 10 conflict copies and one
# keeping none. Words typed into the day's note on one computer while the
# other was offline and made its own untouched note are, once both synced and
# started again, the note on both, with nothing left over. When both typed,
# a start changes nothing and names the copy holding the other text.
# Exits 77 (skipped) where syncthing cannot run.
#   syncthing_pair_test.sh QUORVIN
quorvin=$(realpath "$1")
syncthing --version > /dev/null 2>&1 || { echo "skipped: syncthing cannot run here"; exit 77; }
. "$(dirname "$0")/lib.sh"
use_recording_opener
pids=()
trap 'kill "${pids[@]}" 2> /dev/null; wait; cd /; rm -rf "$scratch"' EXIT
trap 'exit 1' INT TERM HUP

# Four ports in a row that nothing listens on: each instance's GUI and sync port.
free() { ! grep -qsi "^ *[0-9]*: [0-9A-F]*:$(printf %04X "$1") " /proc/net/tcp /proc/net/tcp6; }
for _ in $(seq 100); do p=$((20000 + RANDOM % 40000)); free $p && free $((p + 1)) && free $((p + 2)) && free $((p + 3)) && break; done
# Only A dials B, at tcp://127.0.0.1:PORT: when both dial at once, Syncthing 1.19 can hang both connections
# in their greeting for 20 s, and a dial refused by a paused peer is not tried again at once.
declare -A gui=([a]=$p [b]=$((p + 1))) id max=([ten]=10 [zero]=0) peer=([a]=b [b]=a) \
  listen=([a]=127.0.0.1:$((p + 3)) [b]=127.0.0.1:$((p + 2))) dial=([a]=tcp://127.0.0.1:$((p + 2)) [b]=dynamic)
for h in a b; do
  syncthing generate --home="$scratch/$h" --no-default-folder > "$scratch/$h.log" 2>&1 || { cat "$scratch/$h.log"; exit 1; }
  id[$h]=$(grep -om1 '[A-Z0-9]\{7\}\(-[A-Z0-9]\{7\}\)\{7\}' "$scratch/$h/config.xml")
done
for h in a b; do
  folders=
  for f in ten zero; do
    mkdir -p "$scratch/$h/$f/.stfolder"
    folders+="<folder id=\"$f\" path=\"$scratch/$h/$f\" rescanIntervalS=\"3600\" fsWatcherEnabled=\"false\">
      <device id=\"${id[a]}\"/><device id=\"${id[b]}\"/><maxConflicts>${max[$f]}</maxConflicts></folder>"
  done
  cat > "$scratch/$h/config.xml" << XML
<configuration version="36">$folders
  <device id="${id[$h]}"/><device id="${id[${peer[$h]}]}"><address>${dial[$h]}</address><paused>true</paused></device>
  <gui enabled="true" tls="false"><address>127.0.0.1:${gui[$h]}</address><apikey>quorvin-test</apikey></gui>
  <options><listenAddress>tcp://${listen[$h]}</listenAddress><globalAnnounceEnabled>false</globalAnnounceEnabled>
    <localAnnounceEnabled>false</localAnnounceEnabled><relaysEnabled>false</relaysEnabled><natEnabled>false</natEnabled>
    <urAccepted>-1</urAccepted><autoUpgradeIntervalH>0</autoUpgradeIntervalH><crashReportingEnabled>false</crashReportingEnabled>
    <startBrowser>false</startBrowser><reconnectionIntervalS>1</reconnectionIntervalS></options>
</configuration>
XML
  # One process, ours (STMONITORED: no monitor that would start it as its own child), killed when this
  # script dies even by a timeout's SIGKILL, which runs no trap.
  STMONITORED=yes STNOUPGRADE=1 setpriv --pdeathsig KILL syncthing serve --home="$scratch/$h" --no-browser --no-restart \
    --no-upgrade > "$scratch/$h.log" 2>&1 &
  pids+=($!)
done

api() { curl -sf -m 5 -H "X-API-Key: quorvin-test" "${@:3}" "http://127.0.0.1:${gui[$1]}/rest/$2"; }
fields() { sed -nE "s/^ *\"($1)\": *\"?([^\",]*).*/\2/p" | xargs; }  # the named fields of indented JSON, in its order
poll() { for _ in $(seq 200); do "$@" && return; sleep 0.1; done; false; }  # 20 seconds at most
linked() {  # linked N: each side connected to N others (its own entry never is)
  for h in a b; do c=$(api $h system/connections) && [ "$(grep -c '"connected": true' <<< "$c")" = "$1" ] || return; done
}
scan() { for h in a b; do for f in ten zero; do api $h "db/scan?folder=$f" -X POST || return; done; done; }
quiet() {  # connected, every folder idle needing nothing on both sides, each seeing the other complete
  linked 1 || return
  for h in a b; do for f in ten zero; do
    [ "$(api $h "db/status?folder=$f" | fields 'needTotalItems|state')" = "0 idle" ] &&
      [ "$(api $h "db/completion?folder=$f&device=${id[${peer[$h]}]}" | fields 'completion|needItems')" = "100 0" ] || return
  done; done
}
settle() {  # until a scan of both changes nothing: conflict copies made while pulling are seen by a scan only
  local before= now
  for _ in $(seq 10); do
    poll scan && poll quiet || break
    now=$(for h in a b; do for f in ten zero; do api $h "db/status?folder=$f" | fields sequence; done; done)
    [ "$now" = "$before" ] && return; before=$now
  done
  echo "the pair did not settle; its logs:" >&2; tail -n 20 "$scratch"/[ab].log >&2; exit 1
}
offline() {
  api a "system/pause?device=${id[b]}" -X POST && api b "system/pause?device=${id[a]}" -X POST && poll linked 0 ||
    { echo "the pair did not go offline" >&2; exit 1; }
}
online() { poll scan && api b "system/resume?device=${id[a]}" -X POST && api a "system/resume?device=${id[b]}" -X POST && settle; }
online
check "the folders keep Syncthing's default of 10 conflict copies and none" \
  same "$(api a config/folders/ten | fields maxConflicts) $(api b config/folders/zero | fields maxConflicts)" "10 0"

# The desktop types while the laptop is offline; the laptop then makes the day's note, nobody types in it.
offline
for f in ten zero; do
  cd "$scratch/a/$f" && "$quorvin" && echo "met the plumber at nine" >> "$today" && cp "$today" "$scratch/typed-$f"
  cd "$scratch/b/$f" && "$quorvin"
done
online
declare -A status
for h in a b; do for f in ten zero; do cd "$scratch/$h/$f" && "$quorvin"; status[$h$f]=$?; done; done
words_kept() {  # words_kept WHEN
  for h in a b; do for f in ten zero; do
    cd "$scratch/$h/$f" && check "$1, on ${h^^}, keeping ${max[$f]} conflict copies: the start exits 0, the typed words are \
the note, nothing else is left" same "${status[$h$f]}:$(ls -A | grep -vx .stfolder | xargs):$(cat "$today")" "0:$today:$(cat "$scratch/typed-$f")"
  done; done
}
words_kept "after both started"
settle
words_kept "synced once more"

# Both typed while apart: one text is the note, the other a conflict copy on both, and a start says so.
rm -f "$scratch"/[ab]/ten/* && settle && offline
for h in a b; do cd "$scratch/$h/ten" && "$quorvin" && echo "typed on ${h^^}" >> "$today"; done
online
for h in a b; do
  cd "$scratch/$h/ten" || exit 1
  copy=$(ls | grep '\.sync-conflict-') before=$(ls -A; md5sum -- *)
  err=$("$quorvin" 2>&1 > /dev/null); st=$?
  check "both typed, on ${h^^}: one conflict copy; a start exits 0, changes nothing, names the copy in a warning" \
    same "$(wc -w <<< "$copy"):$st:$(ls -A; md5sum -- *):$err" "1:0:$before:quorvin: warning: another version of '$today' is in \
'$copy', kept as the sync tool left it"
done
finish
