#!/usr/bin/env bash
# The launcher's main job, end to end on this machine:
#   1. makes a sample game (a few hundred files in nested folders, one large
#      file, a "system" client folder whose jux.exe records how it was started),
#   2. publishes it as an update-server tree with `launcher-publish publish`,
#   3. serves that tree with nginx on loopback, and beside it the sample news
#      page (assets/news),
#   4. packs a launcher whose update server is that nginx and whose news page
#      is that page,
#   5. brings an empty game folder up to date: with a display ($DISPLAY names
#      an X server that answers) the windowed `launcher` opens there, shows the
#      news and the update, and the player presses its start button and closes
#      it; without one (or with --cli) `launcher-cli update --start` does it,
#   6. damages a file and runs `launcher-cli check`, which repairs it,
#   7. starts the game client with `launcher-cli start`.
#
#   scripts/demo.sh [--cli] [BUILD_DIR]   (default: ./build; build it first with scripts/build.sh)
#
# The folders stay behind for a look; the script prints where they are.
set -euo pipefail

here=$(cd "$(dirname "$0")/.." && pwd)
use_window=true
if [ "${1:-}" = --cli ]; then
    use_window=false
    shift
fi
build=$(cd "${1:-$here/build}" && pwd)
cli="$build/src/cli/launcher-cli"
window_launcher="$build/src/app/launcher"
publisher="$build/src/publish/launcher-publish"
for tool in nginx python3 "$cli" "$publisher"; do
    command -v "$tool" >/dev/null || { echo "demo.sh: $tool not found (run scripts/bootstrap.sh and scripts/build.sh)" >&2; exit 2; }
done
if $use_window; then
    if [ -z "${DISPLAY:-}" ] || ! xwininfo -root >/dev/null 2>&1; then
        use_window=false
        echo "No usable display (\$DISPLAY=${DISPLAY:-}): the launcher runs without its window."
    elif [ ! -x "$window_launcher" ]; then
        use_window=false
        echo "The windowed launcher was not built (Qt 6 missing): it runs without its window."
    fi
fi

work=$(mktemp -d /tmp/launcher-demo.XXXXXX)
chmod 755 "$work"
. "$here/scripts/lib/nginx.sh"
. "$here/scripts/lib/sample_game.sh"
sample_game_assets="$here/assets"
trap stop_nginx EXIT

step() { printf '\n== %s\n' "$*"; }

step "1. Sample game in $work/game"
make_sample_game "$work/game" 60 64
echo "$(find "$work/game" -type f | wc -l) files, $(du -sh "$work/game" | cut -f1)"

step "2. Publish it into $work/server"
"$publisher" publish "$work/game" "$work/server" --check 'system\jux.ini' --check 'system\jux.exe'

step "3. Serve it with nginx on loopback, the news page beside it"
cp -r "$here/assets/news" "$work/news"
chmod -R a+rX "$work/server" "$work/news"
rate=""
# In the window the update is slowed to 8 MiB/s a connection so that the
# player sees it go.
if $use_window; then rate="location / { limit_rate 8m; }"; fi
start_nginx "$work/server" "$work/nginx" "location /news/ { alias $work/news/; } $rate"
port=$nginx_port
echo "update server http://127.0.0.1:$port/, news page http://127.0.0.1:$port/news/"

step "4. Pack a launcher whose update server is that nginx"
write_sample_config "$work/demo.cfg" "http://127.0.0.1:$port/" "http://127.0.0.1:$port/news/"
mkdir -p "$work/bin" "$work/installed"
"$publisher" package --skin "$here/assets/skin" --config "$work/demo.cfg" \
    --into "$cli" --output "$work/bin/launcher"
if $use_window; then
    "$publisher" package --skin "$here/assets/skin" --config "$work/demo.cfg" \
        --into "$window_launcher" --output "$work/installed/launcher"
fi

if $use_window; then
    step "5. The launcher window in the empty folder $work/installed"
    cat <<'PLAYER'
The launcher window is open: it shows the news page and brings the game up to
date. When the start button lights up, press it to start the game, then close
the window (its x button) to go on.
PLAYER
    # The browser engine's start-up report would only fill the terminal.
    QT_LOGGING_RULES="qt.webenginecontext=false" "$work/installed/launcher" ||
        echo "The launcher window ended with exit status $?."
    if [ -f "$work/installed/system/started.txt" ]; then
        cat "$work/installed/system/started.txt"
    else
        echo "The game was not started from the window."
    fi
else
    step "5. launcher update --start into the empty folder $work/installed"
    "$work/bin/launcher" update --start --folder "$work/installed"
    for _ in $(seq 1 50); do [ -f "$work/installed/system/started.txt" ] && break; sleep 0.1; done
    cat "$work/installed/system/started.txt"
fi
diff -r -x updater -x started.txt -x launcher "$work/game" "$work/installed" && echo "The installed folder equals the published game."

step "6. Damage a file, then launcher check"
printf 'damaged' >"$work/installed/data/maps/item7.dat"
"$work/bin/launcher" check --folder "$work/installed"
diff -r -x updater -x started.txt -x launcher "$work/game" "$work/installed" && echo "The check repaired the damaged file."

step "7. Start the game with launcher start"
rm -f "$work/installed/system/started.txt"
"$work/bin/launcher" start --folder "$work/installed"
for _ in $(seq 1 50); do [ -f "$work/installed/system/started.txt" ] && break; sleep 0.1; done
cat "$work/installed/system/started.txt"

cat <<DONE

Folders (left in place; remove with: rm -rf $work):
  sample game        $work/game
  update server      $work/server   (was served at http://127.0.0.1:$port/)
  news page          $work/news
  packed launcher    $work/bin/launcher$($use_window && echo "
  launcher window    $work/installed/launcher")
  installed game     $work/installed   (previous list and settings in updater/)
DONE
