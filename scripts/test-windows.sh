#!/usr/bin/env bash
# Builds the Windows programs and tests (scripts/build-windows.sh) and runs
# the 64-bit tests under wine64. The 32-bit build is compiled and linked only:
# this machine cannot run 32-bit programs. Extra arguments go to ctest (for
# example: -L platform). LAUNCHER_WINDOWS_ARCH=x86_64 skips the i686 build.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/build-windows.sh "${LAUNCHER_WINDOWS_ARCH:-all}"
ctest --test-dir build-windows-x86_64 --output-on-failure -j 2 "$@"
