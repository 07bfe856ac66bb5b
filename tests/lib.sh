# Shared by the end-to-end tests: a scratch folder, a recording opener and
# checks that count failures instead of stopping at the first.
set -u
failures=0
checks=0

scratch=$(mktemp -d /tmp/quorvin-e2e-XXXXXX)
trap 'cd /; rm -rf "$scratch"' EXIT

check() {  # check DESCRIPTION COMMAND...
  local what=$1
  shift
  checks=$((checks + 1))
  if ! "$@"; then
    echo "FAIL: $what" >&2
    failures=$((failures + 1))
  fi
}

same() { [ "$1" = "$2" ] || { printf '  got:      %q\n  expected: %q\n' "$1" "$2" >&2; false; }; }

finish() {
  echo "$((checks - failures)) passed, $failures failed"
  [ "$failures" -eq 0 ]
}
