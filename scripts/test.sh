#!/usr/bin/env bash
# Sets up the machine, builds, and runs every test: the Linux build's, then
# the Windows programs' (cross-built, the 64-bit tests under wine64; the
# 32-bit build compiled and linked). Extra arguments go to ctest (for
# example: -L config). LAUNCHER_WINDOWS=0 leaves the Windows part out.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/bootstrap.sh
scripts/build.sh
ctest --test-dir "${BUILD_DIR:-build}" --output-on-failure -j 2 "$@"
if [ "${LAUNCHER_WINDOWS:-1}" != 0 ]; then
  LAUNCHER_HOST_BUILD=${BUILD_DIR:-build} scripts/test-windows.sh "$@"
fi
