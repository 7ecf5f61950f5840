# Shared settings of scripts/test and scripts/run (sourced, not run).
ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
export EXAMPREP_CACHE="${EXAMPREP_CACHE:-/var/cache/examprep}"
export WINEPREFIX="${WINEPREFIX:-$EXAMPREP_CACHE/wine}"
export WINEARCH=win32
export WINEDEBUG="${WINEDEBUG:--all}"
BUILD_TYPE="${BUILD_TYPE:-Debug}"
# Used only where ccache is installed: objects are shared between checkouts in other folders.
export CCACHE_BASEDIR="${CCACHE_BASEDIR:-$(dirname "$ROOT")}"
export CCACHE_NOHASHDIR=1
BUILD="${BUILD_DIR:-$ROOT/build/$BUILD_TYPE}"

# Configures (first time) and builds everything in $BUILD.
build_all() {
  if [ ! -f "$BUILD/CMakeCache.txt" ]; then
    cmake -S "$ROOT" -B "$BUILD" -DCMAKE_TOOLCHAIN_FILE="$ROOT/cmake/mingw-i686.cmake" \
      -DCMAKE_BUILD_TYPE="$BUILD_TYPE" -DEXAMPREP_CACHE="$EXAMPREP_CACHE" >/dev/null \
      || { echo "configure failed" >&2; return 1; }
  fi
  cmake --build "$BUILD" -j"${JOBS:-$(nproc)}" -- --no-print-directory >"$BUILD/build.log" 2>&1 \
    || { grep -E -B2 -A8 'error|Error|错误' "$BUILD/build.log" | head -80 >&2; echo "build failed (full log: $BUILD/build.log)" >&2; return 1; }
}

# Holds the Wine prefix for this script until it ends (the lock's descriptor is inherited by
# what it starts, all ended by start_xvfb's exit trap). A prefix has one Wine server and one
# desktop process, bound to the display its first program met, and that trap stops the
# server: a second script on the same prefix would have its programs ended in the middle of
# their run (exit code 0, no summary) when the first one ends, and their X requests sent to
# the other script's display (X errors that end them). So a second script waits here for
# the first, at most PREFIX_WAIT seconds (an hour unless set).
hold_wine_prefix() {
  mkdir -p "$WINEPREFIX"
  exec 9>>"$WINEPREFIX/.session-lock"
  flock -n 9 && return 0
  echo "the Wine prefix $WINEPREFIX is in use by another script; waiting for it to end" >&2
  flock -w "${PREFIX_WAIT:-3600}" 9 && return 0
  echo "the Wine prefix $WINEPREFIX is still in use; giving up" >&2
  return 1
}

# Starts one Xvfb display for this script and exports DISPLAY; stopped on exit, and the
# prefix's Wine server with it (so the script holds the prefix first).
start_xvfb() {
  local n
  hold_wine_prefix || return 1
  for n in $(seq 90 120); do
    [ -e "/tmp/.X$n-lock" ] && continue
    Xvfb ":$n" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
    XVFB_PID=$!
    sleep 1
    if kill -0 "$XVFB_PID" 2>/dev/null; then
      export DISPLAY=":$n"
      trap 'kill $XVFB_PID 2>/dev/null; wineserver -k 2>/dev/null || true' EXIT
      return 0
    fi
  done
  echo "could not start Xvfb" >&2
  return 1
}

# Starts the prefix's Wine server, and Wine's own background programs (its desktop among
# them, so after start_xvfb), with their streams on /dev/null. Started by the first test
# instead, they would keep CTest's output pipe open, and CTest would count the whole run as
# that test's time, or time it out. The background programs end when no Wine program runs,
# so a keeper (a "pause" reading a pipe this shell holds open) runs until the script ends or
# start_xvfb's exit trap stops the server (-p keeps it till then).
start_wine_server() {
  wineserver -p </dev/null >/dev/null 2>&1 || true
  local fifo
  fifo="$(mktemp -u)"
  mkfifo "$fifo"
  wine cmd /c pause <"$fifo" >/dev/null 2>&1 &
  exec 8>"$fifo"
  rm -f "$fifo"
}

# Wine programs run in a simplified-Chinese Windows: Wine takes code page 936 and its Chinese
# system dialogs from the Unix locale, which scripts/setup makes (so this comes after setup),
# and draws text unsmoothed, as such a Windows draws 宋体 (scripts/wine-fonts.conf).
# The script is started again in that locale rather than switched to it: a shell started
# before setup made the locale cannot load it, and bash would warn. Give it the script's
# arguments.
use_chinese_windows() {
  if [ "${LANG:-}" != zh_CN.UTF-8 ] || [ "${LC_ALL:-}" != zh_CN.UTF-8 ]; then
    exec env LANG=zh_CN.UTF-8 LC_ALL=zh_CN.UTF-8 "$0" "$@"
  fi
  export FONTCONFIG_FILE="$ROOT/scripts/wine-fonts.conf"
}

# A crashing test program ends at once instead of waiting in Wine's debugger.
export WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-winedbg.exe=d}"
