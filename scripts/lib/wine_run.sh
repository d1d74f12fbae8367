#!/usr/bin/env bash
# Runs a 64-bit Windows program under wine64 for CTest (the cross build's
# CMAKE_CROSSCOMPILING_EMULATOR):  wine_run.sh PREFIX PROGRAM [ARGUMENTS...]
# PREFIX is the build's own wine prefix, made on first use; wine's own
# messages are silenced so that the program's output is what CTest sees.
set -euo pipefail
prefix=$1
shift
export WINEPREFIX=$prefix
export WINEDEBUG=-all
# Central European time with daylight saving: the date tests check the
# rules in force at each date against it (tests/support/time_zone.h).
export TZ=Europe/Berlin
# No Mono or Gecko installers: the tests are plain console programs.
export WINEDLLOVERRIDES="mscoree=;mshtml="
if [ ! -f "$prefix/system.reg" ]; then
  mkdir -p "$(dirname "$prefix")"
  # Tests started at once must not make the prefix twice.
  (
    flock 9
    if [ ! -f "$prefix/system.reg" ]; then
      /usr/lib/wine/wine64 wineboot --init >/dev/null 2>&1 || true
      /usr/lib/wine/wineserver -w || true
    fi
  ) 9>"$prefix.lock"
fi
# The program writes to files that are followed as they grow: a process of
# the wine session can keep the program's inherited output open after the
# program ended, and CTest would wait for that pipe for as long as any other
# test keeps the session alive.
output=$(mktemp)
errors=$(mktemp)
program=
trap 'rm -f "$output" "$errors"' EXIT
trap '[ -n "$program" ] && kill "$program" 2>/dev/null; exit 143' TERM INT HUP
/usr/lib/wine/wine64 "$@" 0<&0 >"$output" 2>"$errors" &
program=$!
tail -s 0.1 -n +1 -f --pid="$program" "$output" &
tail -s 0.1 -n +1 -f --pid="$program" "$errors" >&2 &
status=0
wait "$program" || status=$?
wait
exit "$status"
