#!/usr/bin/env bash
# Runs one set: builds the benchmarks (Release unless BUILD_TYPE says otherwise) and runs every
# one of them once, one after the other, under Wine on a display of its own, printing each
# one's output with the load average before it and the seconds it took.
# Usage: [ONLY="bench_a bench_b"] bench/run_set.sh [name=runs ...]   e.g. bench/run_set.sh bench_skin_edit=3
# (a benchmark named there is given that number of runs instead of its default).
# Export WINEPREFIX first to use a Wine prefix of your own.
set -euo pipefail
export BUILD_TYPE="${BUILD_TYPE:-Release}"
source "$(dirname "$0")/../scripts/env.sh"
"$ROOT/scripts/setup"
use_chinese_windows "$@"
# The display first: the build runs the bank builder under Wine (see scripts/test).
start_xvfb
start_wine_server

declare -A runs=()
for arg in "$@"; do
  [[ "$arg" =~ ^(bench_[a-z_]+)=([0-9]+)$ ]] || { echo "not name=runs: $arg" >&2; exit 2; }
  runs[${BASH_REMATCH[1]}]=${BASH_REMATCH[2]}
done
# ONLY="bench_a bench_b" runs just those (a set of the benchmarks a change reaches).
names=${ONLY:-$(cd "$ROOT/bench" && ls bench_*.cpp | sed 's/\.cpp$//')}

if [ ! -f "$BUILD/CMakeCache.txt" ]; then
  cmake -S "$ROOT" -B "$BUILD" -DCMAKE_TOOLCHAIN_FILE="$ROOT/cmake/mingw-i686.cmake" \
    -DCMAKE_BUILD_TYPE="$BUILD_TYPE" -DEXAMPREP_CACHE="$EXAMPREP_CACHE" >/dev/null
fi
# shellcheck disable=SC2086  # one target per name
cmake --build "$BUILD" -j"${JOBS:-4}" --target $names -- --no-print-directory >"$BUILD/bench-build.log" 2>&1 \
  || { tail -40 "$BUILD/bench-build.log" >&2; echo "build failed (log: $BUILD/bench-build.log)" >&2; exit 1; }

echo "set on $(git -C "$ROOT" rev-parse --short HEAD)$(git -C "$ROOT" diff --quiet HEAD -- || echo ' (with changes not committed)'), $BUILD_TYPE, $(nproc) cores, $(date -u '+%F %T') UTC"
start=$SECONDS
for name in $names; do
  echo
  echo "== $name ${runs[$name]:-} (load average $(cut -d' ' -f1-3 /proc/loadavg))"
  began=$SECONDS
  # shellcheck disable=SC2086  # no argument when no runs are given
  (cd "$BUILD/bench" && wine "./$name.exe" ${runs[$name]:-}) || echo "$name failed: exit code $?"
  echo "-- $name: $((SECONDS - began)) s, load average $(cut -d' ' -f1-3 /proc/loadavg)"
done
echo
echo "set done in $((SECONDS - start)) s"
