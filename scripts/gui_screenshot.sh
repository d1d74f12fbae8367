#!/usr/bin/env bash
# Pictures of the windowed launcher, by hand: runs the window test
# (tests/gui_run/gui_window_run.sh, also CTest's gui_window_run) against the
# build, on a virtual display of its own. It publishes a small sample game,
# serves it and the sample news page with nginx, runs a packed `launcher` in
# an empty folder, and saves the screen before, during and after the update:
#   BUILD_DIR/screenshots/launcher_before.png
#   BUILD_DIR/screenshots/launcher_during.png
#   BUILD_DIR/screenshots/launcher_after.png
# KEEP_WORK=1 keeps its work folder (the game, the server tree, the installed
# folder, the logs) and prints where it is.
#
#   scripts/gui_screenshot.sh [BUILD_DIR]     (default: ./build)
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "${1:-$here/build}" && pwd)
exec bash "$here/tests/gui_run/gui_window_run.sh" "$here" "$build/src/app/launcher" \
    "$build/src/publish/launcher-publish" "$build/screenshots"
