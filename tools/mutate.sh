#!/usr/bin/env bash
# Mutation testing: plants one plausible mistake at a time in the product code
# (daynote/, app/, afx/, cli/), rebuilds it in build/mutate-native or
# build/mutate-win32, and runs the tests that can see it: natively for files
# the Linux command compiles, under Wine (a session of its own) for files
# only the Windows program compiles. Prints each mutant that no test fails
# on, and the score. A developer's tool, not part of tools/test.sh.
#
#   tools/mutate.sh [--list] [--sample N --seed S] [--kind KIND] [--build native|win32] [GLOB...]
#     GLOB              product files, e.g. 'daynote/*.cpp' (default: all)
#     --list            print the mutants and run nothing
#     --sample N        run N of them, drawn with --seed S (default 1)
#     --build B         only files whose mutants build B tests (native or win32)
#     --survivors FILE  write the survivors to FILE too
#     --resume OUTPUT   reuse the verdicts in an earlier run's OUTPUT, run the rest
#   tools/mutants-equivalent.txt lists the survivors judged equivalent or
#   harmless, which are not run and do not count.
#
# The mutated file is the one in this checkout: do not build or edit it while
# a run is on. It is put back after each mutant, on Ctrl-C and on SIGTERM,
# and at the next start if a run was killed outright. On a shared machine:
# nice -n 10 tools/mutate.sh ...
set -euo pipefail
cd "$(dirname "$0")/.."
helper=tools/mutate.py

python3 "$helper" restore
for arg in "$@"; do
  case $arg in --list | -h | --help) exec python3 "$helper" run "$@" ;; esac
done

child=
session=
finish() {
  if [ -n "$child" ]; then
    kill -TERM "$child" 2> /dev/null || true
    wait "$child" 2> /dev/null || true
  fi
  python3 "$helper" restore || true
  if [ -n "$session" ]; then wine_session_stop; fi
}
trap finish EXIT
trap 'exit 130' INT
trap 'exit 143' TERM HUP

python3 "$helper" configure
if [ "$(python3 "$helper" needs-wine "$@")" = yes ]; then
  . tools/wine-session.sh
  wine_session_start "$PWD/build/mutate-win32/wine-prefix"
  session=1
fi
# In the background, so that a signal reaches this script's traps at once.
python3 "$helper" run "$@" &
child=$!
status=0
wait "$child" || status=$?
child=
exit "$status"
