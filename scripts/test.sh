#!/usr/bin/env bash
# Sets up the machine, builds, and runs every test. Extra arguments go to ctest
# (for example: -L config).
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/bootstrap.sh
scripts/build.sh
ctest --test-dir "${BUILD_DIR:-build}" --output-on-failure -j 2 "$@"
