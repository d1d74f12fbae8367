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
exec /usr/lib/wine/wine64 "$@"
