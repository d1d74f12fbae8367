#!/usr/bin/env bash
# End to end on Windows programs: the build machine's launcher-publish
# publishes a sample game, nginx serves it on loopback, and a Windows
# launcher-cli.exe packed by that launcher-publish (`package --into`) brings
# an empty folder up to date under wine64, starts the sample client, and
# repairs a damaged file with `check`.
#
#   windows_cli_update.sh LAUNCHER_CLI_EXE SAMPLE_CLIENT_EXE HOST_PUBLISH WINE_PREFIX
set -euo pipefail

here=$(cd "$(dirname "$0")/../.." && pwd)
cli_exe=$1 client_exe=$2 publisher=$3 prefix=$4
for tool in nginx python3 "$cli_exe" "$client_exe" "$publisher"; do
    command -v "$tool" >/dev/null || { echo "windows_cli_update.sh: $tool not found" >&2; exit 2; }
done

work=$(mktemp -d /tmp/launcher-windows-e2e.XXXXXX)
chmod 755 "$work"
. "$here/scripts/lib/nginx.sh"
. "$here/scripts/lib/sample_game.sh"
sample_game_assets="$here/assets"
finish() {
    stop_nginx
    rm -rf "$work"
}
trap finish EXIT
# wine reads the arguments in the terminal's character set: UTF-8 here.
wine_run() { LC_ALL=C.UTF-8 "$here/scripts/lib/wine_run.sh" "$prefix" "$@"; }
fail() {
    echo "FAILED: $*" >&2
    exit 1
}

# The sample game with a Windows client and a name outside ASCII, which
# must arrive through the wide-character file functions unchanged; the game
# folder's own name is outside ASCII too, so it must pass the command line.
make_sample_game "$work/game" 6 3
cp "$client_exe" "$work/game/system/jux.exe"
printf 'карта' >"$work/game/data/maps/карта мира.dat"
"$publisher" publish "$work/game" "$work/server" --check 'system\jux.ini' --check 'system\jux.exe'
chmod -R a+rX "$work/server"
start_nginx "$work/server" "$work/nginx"

write_sample_config "$work/windows.cfg" "http://127.0.0.1:$nginx_port/" \
    "http://127.0.0.1:$nginx_port/news/"
installed="$work/установлено"
mkdir -p "$installed"
"$publisher" package --skin "$here/assets/skin" --config "$work/windows.cfg" \
    --into "$cli_exe" --output "$installed/launcher.exe"

folder="Z:$installed"
compare() {
    diff -r -x updater -x started.txt -x launcher.exe "$work/game" "$installed" ||
        fail "$1"
}
wait_for_client() {
    for _ in $(seq 1 300); do
        [ -s "$installed/system/started.txt" ] && return 0
        sleep 0.1
    done
    fail "the sample client was not started"
}

echo "== update --start into an empty folder"
wine_run "$installed/launcher.exe" update --start --folder "$folder" ||
    fail "update ended with exit status $?"
wait_for_client
cat "$installed/system/started.txt"
compare "the installed folder differs from the published game"

echo "== check repairs a damaged file"
printf 'damaged' >"$installed/data/maps/item3.dat"
wine_run "$installed/launcher.exe" check --folder "$folder" ||
    fail "check ended with exit status $?"
compare "check did not repair the damaged file"

echo "== a republished file reaches the folder at its next update"
printf 'КАРТА' >"$work/game/data/maps/карта мира.dat" # the same size, other content
"$publisher" publish "$work/game" "$work/server" --check 'system\jux.ini' \
    --check 'system\jux.exe' | grep '1 file changed since the previous release' ||
    fail "the publisher did not count the changed file"
chmod -R a+rX "$work/server"
wine_run "$installed/launcher.exe" update --folder "$folder" ||
    fail "update after the republish ended with exit status $?"
compare "the republished file did not reach the installed folder"

echo "== start"
rm -f "$installed/system/started.txt"
wine_run "$installed/launcher.exe" start --folder "$folder" ||
    fail "start ended with exit status $?"
wait_for_client
echo "The Windows launcher updated, repaired and started the game."
