#!/usr/bin/env bash
# Runs the windowed launcher from a scratch folder under a virtual display and
# saves a picture of the screen once the window has been up for a while.
# usage: scripts/gui_screenshot.sh [BUILD_DIR] [SECONDS]
set -euo pipefail
build=${1:-build}
seconds=${2:-4}
out="$build/screenshots"
mkdir -p "$out"
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
cp "$build/src/app/launcher" "$scratch/launcher"

export LAUNCHER_SHOT="$out/launcher_main.png" LAUNCHER_EXE="$scratch/launcher" LAUNCHER_WAIT="$seconds"
xvfb-run -a -s "-screen 0 1024x768x24" bash -c '
  "$LAUNCHER_EXE" & pid=$!
  sleep "$LAUNCHER_WAIT"
  /usr/bin/python3 -c "
import os
from PIL import ImageGrab
ImageGrab.grab(xdisplay=os.environ[\"DISPLAY\"]).save(os.environ[\"LAUNCHER_SHOT\"])
"
  kill "$pid"; wait "$pid" || true
'
echo "screenshot: $LAUNCHER_SHOT"
