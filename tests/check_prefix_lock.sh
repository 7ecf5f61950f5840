#!/usr/bin/env bash
# Two scripts on one Wine prefix: while the first holds it, the second waits and, given up
# on, fails with a message (it never runs beside the first); once the first has ended, the
# second takes the prefix. A script on another prefix does not wait. $1 is the source tree.
set -u
source "$1/scripts/env.sh"
dir="$(mktemp -d)"
trap 'rm -rf "$dir"' EXIT
hold() {  # prefix, seconds to wait; the script's exit code, its messages in $dir/said
  WINEPREFIX="$dir/$1" PREFIX_WAIT="$2" bash -c 'source "$0/scripts/env.sh"; hold_wine_prefix' "$ROOT" 2>"$dir/said"
}
fail() { echo "FAILED: $*"; exit 1; }

WINEPREFIX="$dir/a" bash -c 'source "$0/scripts/env.sh"; hold_wine_prefix && touch "$1" && sleep 4' \
  "$ROOT" "$dir/held" &
first=$!
for _ in $(seq 50); do [ -e "$dir/held" ] && break; sleep 0.1; done
[ -e "$dir/held" ] || fail "the first script did not take the prefix"
hold a 1 && fail "a second script ran beside the first"
grep -q "in use" "$dir/said" || fail "the second script gave up without saying why"
hold b 1 || fail "a script on another prefix waited"
hold a 20 || fail "the second script did not take the prefix after the first ended"
kill -0 "$first" 2>/dev/null && fail "the second script took the prefix before the first ended"
wait "$first"
echo "prefix lock: passed"
