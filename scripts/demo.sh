#!/usr/bin/env bash
# The launcher's main job, end to end on this machine:
#   1. makes a sample game (a few hundred files in nested folders, one large
#      file, a "system" client folder whose jux.exe records how it was started),
#   2. publishes it as an update-server tree with `launcher-publish publish`,
#   3. serves that tree with nginx on loopback,
#   4. packs a launcher whose update server is that nginx,
#   5. runs `launcher-cli update --start` into an empty game folder,
#   6. damages a file and runs `launcher-cli check`, which repairs it,
#   7. starts the game client with `launcher-cli start`.
#
#   scripts/demo.sh [BUILD_DIR]        (default: ./build; build it first with scripts/build.sh)
#
# The folders stay behind for a look; the script prints where they are.
set -euo pipefail

here=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "${1:-$here/build}" && pwd)
cli="$build/src/cli/launcher-cli"
publisher="$build/src/publish/launcher-publish"
for tool in nginx python3 "$cli" "$publisher"; do
    command -v "$tool" >/dev/null || { echo "demo.sh: $tool not found (run scripts/bootstrap.sh and scripts/build.sh)" >&2; exit 2; }
done

work=$(mktemp -d /tmp/launcher-demo.XXXXXX)
chmod 755 "$work"
. "$here/scripts/lib/nginx.sh"
trap stop_nginx EXIT

step() { printf '\n== %s\n' "$*"; }

step "1. Sample game in $work/game"
mkdir -p "$work/game/system"
for set in maps sounds textures/world textures/ui models/characters; do
    mkdir -p "$work/game/data/$set"
    for i in $(seq 1 60); do
        head -c $(( (i * 997) % 20000 + 100 )) /dev/urandom >"$work/game/data/$set/item$i.dat"
    done
done
head -c $((64 * 1024 * 1024)) /dev/urandom >"$work/game/data/world.pak"
cat >"$work/game/system/jux.exe" <<'CLIENT'
#!/bin/sh
# The sample game client: records how it was started.
printf 'jux.exe started in %s with %s argument(s): %s\n' "$PWD" "$#" "$*" >started.txt
CLIENT
printf '[client]\r\nserver=127.0.0.1\r\n' >"$work/game/system/jux.ini"
echo "$(find "$work/game" -type f | wc -l) files, $(du -sh "$work/game" | cut -f1)"

step "2. Publish it into $work/server"
"$publisher" publish "$work/game" "$work/server" --check 'system\jux.ini' --check 'system\jux.exe'

step "3. Serve it with nginx on loopback"
chmod -R a+rX "$work/server"
start_nginx "$work/server" "$work/nginx"
port=$nginx_port
echo "http://127.0.0.1:$port/"

step "4. Pack a launcher whose update server is that nginx"
sed -e "/^url=/d" -e "s|^\[updateservers\]|[updateservers]\nurl=http://127.0.0.1:$port/|" \
    -e "s|^useping=.*|useping=false|" "$here/assets/config.txt" >"$work/demo.cfg"
mkdir -p "$work/bin"
"$publisher" package --skin "$here/assets/skin" --config "$work/demo.cfg" \
    --into "$cli" --output "$work/bin/launcher"

step "5. launcher update --start into the empty folder $work/installed"
"$work/bin/launcher" update --start --folder "$work/installed"
for _ in $(seq 1 50); do [ -f "$work/installed/system/started.txt" ] && break; sleep 0.1; done
cat "$work/installed/system/started.txt"
diff -r -x updater -x started.txt "$work/game" "$work/installed" && echo "The installed folder equals the published game."

step "6. Damage a file, then launcher check"
printf 'damaged' >"$work/installed/data/maps/item7.dat"
"$work/bin/launcher" check --folder "$work/installed"
diff -r -x updater -x started.txt "$work/game" "$work/installed" && echo "The check repaired the damaged file."

step "7. Start the game with launcher start"
rm -f "$work/installed/system/started.txt"
"$work/bin/launcher" start --folder "$work/installed"
for _ in $(seq 1 50); do [ -f "$work/installed/system/started.txt" ] && break; sleep 0.1; done
cat "$work/installed/system/started.txt"

cat <<DONE

Folders (left in place; remove with: rm -rf $work):
  sample game        $work/game
  update server      $work/server   (was served at http://127.0.0.1:$port/)
  packed launcher    $work/bin/launcher
  installed game     $work/installed   (previous list and settings in updater/)
DONE
