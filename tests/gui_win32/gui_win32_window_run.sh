#!/usr/bin/env bash
# The native Windows launcher (launcher.exe) run for real under wine64 on a
# virtual X display (Xvfb), against nginx on loopback:
#   - a small sample game is published with `launcher-publish publish` and
#     served with a rate limit, so that its update takes a few seconds; its
#     client system/jux.exe is the recording client, a Windows program that
#     records how it was started;
#   - a launcher.exe packed with the default skin and a configuration naming
#     that server is started from an otherwise empty folder;
#   - the window must come up at the size of the skin's background, centred,
#     cut to the skin's outline (xwininfo -shape), with the start button
#     disabled; it must show progress during the update and end with an
#     enabled start button; the installed files must equal the published
#     game. Wine runs here without its browser engine: the news page counts
#     as failed and the update starts all the same;
#   - clicking the start button starts system/jux.exe in the client folder;
#   - after the minimize button, a second launcher of the same instance
#     exits 0 without touching its folder and the first window is shown;
#   - the settings button opens the settings window in the skin's look, its
#     check box and Ok button take a choice back to the main window;
#   - the close button ends the launcher with exit status 0 after it saved
#     the player's settings (with the window's place and that choice) in
#     updater/.
#   - dragged by its background, the window follows the pointer;
#   - with no update server answering, the message panel opens with its text.
# Pictures of the screen go to SHOT_DIR: win32_before.png, win32_during.png,
# win32_after.png, win32_settings.png, win32_no_server.png; and
# win32_failure.png when a check fails.
#
#   tests/gui_win32/gui_win32_window_run.sh SOURCE_DIR LAUNCHER_EXE LAUNCHER_PUBLISH CLIENT_EXE \
#       SHOT_DIR WINE_PREFIX
#
# LAUNCHER_PUBLISH is this machine's launcher-publish. CTest runs it as
# gui_win32_window_run (label gui_win32). Exit status 77 (skipped) when wine64,
# Xvfb, xdotool, xwininfo, xmessage, nginx or Pillow are missing; the work
# folder is kept on failure (or always with KEEP_WORK=1).
set -uo pipefail

if [ $# -ne 6 ]; then
    echo "usage: $0 SOURCE_DIR LAUNCHER_EXE LAUNCHER_PUBLISH CLIENT_EXE SHOT_DIR WINE_PREFIX" >&2
    exit 2
fi
source_dir=$(cd "$1" && pwd)
launcher=$2
publisher=$3
client=$4
shots=$5
prefix=$6
here=$(cd "$(dirname "$0")" && pwd)
skin="$source_dir/assets/skin"
wine=/usr/lib/wine/wine64

skip() {
    echo "SKIPPED: $*"
    exit 77
}
[ -x "$wine" ] || skip "wine64 is not installed"
[ -f "$launcher" ] || skip "launcher.exe not found at $launcher"
[ -x "$publisher" ] || skip "launcher-publish not found at $publisher"
[ -f "$client" ] || skip "the recording client not found at $client"
for tool in Xvfb xdotool xwininfo xmessage nginx; do
    command -v "$tool" >/dev/null || skip "$tool is not installed (scripts/bootstrap.sh installs it)"
done
/usr/bin/python3 -c 'import PIL' 2>/dev/null || skip "python3-pil is not installed"

picture() { /usr/bin/python3 "$source_dir/tests/gui_run/window_picture.py" "$@"; }

work=$(mktemp -d /tmp/launcher-win32-window.XXXXXX)
chmod 755 "$work"
mkdir -p "$shots"
rm -f "$shots"/win32_{before,during,after,settings,no_server,failure}.png
# shellcheck source=../../scripts/lib/nginx.sh
. "$source_dir/scripts/lib/nginx.sh"
# shellcheck source=../../scripts/lib/sample_game.sh
. "$source_dir/scripts/lib/sample_game.sh"
sample_game_assets="$source_dir/assets"

export WINEPREFIX=$prefix WINEDEBUG=-all
# No Mono, and no browser engine: its installer would ask on the screen.
export WINEDLLOVERRIDES="mscoree=;mshtml="

xvfb_pid=""
launcher_pid=""
other_pid=""
watch_pid=""
passed=false

end_process() {
    local pid=$1
    [ -n "$pid" ] || return 0
    kill "$pid" 2>/dev/null || true
    wait "$pid" 2>/dev/null || true
}

cleanup() {
    end_process "$watch_pid"
    end_process "$launcher_pid"
    end_process "$other_pid"
    stop_nginx
    # The prefix's wine server goes with the display it served.
    /usr/lib/wine/wineserver -k 2>/dev/null || true
    end_process "$xvfb_pid"
    if $passed && [ "${KEEP_WORK:-0}" != 1 ]; then
        rm -rf "$work"
    else
        echo "work folder kept: $work"
    fi
}
trap cleanup EXIT

fail() {
    echo "FAIL: $*"
    if [ -n "${DISPLAY:-}" ] && [ -n "$xvfb_pid" ] && picture grab "$shots/win32_failure.png" 2>/dev/null; then
        echo "screen at the failure: $shots/win32_failure.png"
    fi
    for log in launcher.log second.log watch.log no_server.log nginx/error.log xvfb.log; do
        if [ -s "$work/$log" ]; then
            echo "--- $log (last 40 lines)"
            tail -n 40 "$work/$log"
        fi
    done
    if [ -f "$work/nginx/access.log" ]; then
        echo "--- requests the server answered: $(wc -l <"$work/nginx/access.log")"
        grep -v '\.vdp ' "$work/nginx/access.log" | tail -n 10
    fi
    echo "--- installed folder"
    (cd "$work/installed" 2>/dev/null && find . -maxdepth 2 | sort | head -n 30)
    exit 1
}

step() { printf '== [%3d s] %s\n' "$SECONDS" "$*"; }

wait_for() {
    local seconds=$1
    shift
    local deadline=$((SECONDS + seconds))
    until "$@"; do
        [ $SECONDS -lt $deadline ] || return 1
        sleep 0.2
    done
}

launcher_running() {
    local state
    state=$(ps -o stat= -p "$launcher_pid" 2>/dev/null)
    [ -n "$state" ] && [[ $state != Z* ]]
}
launcher_ended() { ! launcher_running; }

stacking_order() { xwininfo -int -root -children | sed -n 's/^ *\([0-9][0-9]*\) .*/\1/p'; }
stacked_above() {
    local order upper lower
    order=$(stacking_order)
    upper=$(grep -nx "$1" <<<"$order" | cut -d: -f1)
    lower=$(grep -nx "$2" <<<"$order" | cut -d: -f1)
    [ -n "$upper" ] && [ -n "$lower" ] && [ "$upper" -lt "$lower" ]
}

click_control() {
    local left top width height
    read -r left top width height < <(picture control "$skin" "$1")
    [[ ${height:-} =~ ^[0-9]+$ ]] || fail "the skin gives no place for $1"
    xdotool mousemove $((win_x + left + width / 2)) $((win_y + top + height / 2))
    sleep 0.2
    xdotool click 1
}

step "Virtual display"
screen_w=1280
screen_h=1024
# -noreset: the server does not reset when its last client leaves, which
# would refuse the next launcher's connection for a moment.
Xvfb -displayfd 9 -screen 0 "${screen_w}x${screen_h}x24" -nolisten tcp -noreset -wr \
    9>"$work/display" >"$work/xvfb.log" 2>&1 &
xvfb_pid=$!
wait_for 15 grep -q '[0-9]' "$work/display" || fail "Xvfb did not start"
export DISPLAY=":$(tr -d '\n' <"$work/display")"
echo "DISPLAY=$DISPLAY"

step "Wine prefix $prefix"
if [ ! -f "$prefix/system.reg" ]; then
    mkdir -p "$(dirname "$prefix")"
    "$wine" wineboot --init >"$work/wineboot.log" 2>&1 || true
    /usr/lib/wine/wineserver -w || true
fi
[ -f "$prefix/system.reg" ] || { cat "$work/wineboot.log"; fail "the wine prefix was not made"; }

step "Sample game, published and served"
make_sample_game "$work/game" 20 2
cp "$client" "$work/game/system/jux.exe"
"$publisher" publish "$work/game" "$work/server" --check 'system\jux.ini' --check 'system\jux.exe' \
    >"$work/publish.log" 2>&1 || { cat "$work/publish.log"; fail "launcher-publish publish failed"; }
cp -r "$source_dir/assets/news" "$work/news"
chmod -R a+rX "$work/server" "$work/news"
start_nginx "$work/server" "$work/nginx" "access_log $work/nginx/access.log;
        location / { limit_rate 256k; }
        location /news/ { alias $work/news/; }" || fail "nginx did not start"
url="http://127.0.0.1:$nginx_port"
echo "$(find "$work/game" -type f | wc -l) files served at $url/"

step "launcher.exe packed with that server, in an empty folder"
instance="Win32WindowTest$$"
write_sample_config "$work/launcher.cfg" "$url/" "$url/news/" "$instance"
mkdir -p "$work/installed" "$work/second"
"$publisher" package --skin "$skin" --config "$work/launcher.cfg" --into "$launcher" \
    --output "$work/installed/launcher.exe" >"$work/package.log" 2>&1 ||
    { cat "$work/package.log"; fail "launcher-publish package failed"; }
cp -p "$work/installed/launcher.exe" "$work/second/launcher.exe"
read -r skin_w skin_h < <(picture size "$skin")
echo "skin background: ${skin_w}x${skin_h}"

step "The window comes up"
xdotool mousemove 0 0
(cd "$work/installed" && exec "$wine" launcher.exe) >"$work/launcher.log" 2>&1 &
launcher_pid=$!
window=""
find_window() {
    launcher_running || fail "the launcher exited before showing its window"
    window=$(xdotool search --onlyvisible --name "^$instance\$" 2>/dev/null | head -n 1)
    [ -n "$window" ]
}
wait_for 60 find_window || fail "no visible window titled $instance within 60 s"
geometry=""
settled() {
    local now
    now=$(xdotool getwindowgeometry --shell "$window")
    [ "$now" = "$geometry" ] && return 0
    geometry=$now
    sleep 0.3
    return 1
}
wait_for 10 settled || fail "the window kept moving"
eval "$(sed -n 's/^\(X\|Y\|WIDTH\|HEIGHT\)=\([0-9-]*\)$/win_\1=\2/p' <<<"$geometry" | tr 'A-Z' 'a-z')"
echo "window $window at $win_x,$win_y, ${win_width}x${win_height}"
[ "$win_width" = "$skin_w" ] && [ "$win_height" = "$skin_h" ] ||
    fail "the window is ${win_width}x${win_height}, the skin's background ${skin_w}x${skin_h}"
[ "$win_x" = $(((screen_w - skin_w) / 2)) ] && [ "$win_y" = $(((screen_h - skin_h) / 2)) ] ||
    fail "the window is not centred on the ${screen_w}x${screen_h} screen"
xwininfo -shape -id "$window" >"$work/xwininfo-shape.txt" 2>&1
grep -q 'Window shape extents' "$work/xwininfo-shape.txt" ||
    { cat "$work/xwininfo-shape.txt"; fail "the window has no shape (xwininfo -shape)"; }
sleep 0.3
picture grab "$shots/win32_before.png"
picture watch "$skin" "$win_x" "$win_y" "$shots/win32_before.png" "$shots/win32_during.png" \
    "$shots/win32_after.png" 90 >"$work/watch.log" 2>&1 &
watch_pid=$!
picture shape "$shots/win32_before.png" "$skin" "$win_x" "$win_y" ||
    fail "the window is not cut to the skin's outline"
state=$(picture button "$shots/win32_before.png" "$skin" Button_StartGame "$win_x" "$win_y")
[ "$state" = disabled ] || fail "before the update the start button shows: $state (expected its disabled image)"

step "The update runs and ends with the start button enabled"
wait "$watch_pid"
watch_status=$?
watch_pid=""
cat "$work/watch.log"
[ $watch_status -eq 0 ] || fail "the update did not show progress and end as it should"
diff -r -x updater -x launcher.exe "$work/game" "$work/installed" >"$work/diff.txt" ||
    { head -n 20 "$work/diff.txt"; fail "the installed folder differs from the published game"; }
echo "the installed folder equals the published game"

step "The start button starts the game client"
started() {
    [ -s "$work/installed/system/record" ] && return 0
    click_control Button_StartGame
    sleep 1
    [ -s "$work/installed/system/record" ]
}
wait_for 30 started || fail "clicking the start button did not start system/jux.exe"
cat "$work/installed/system/record"
echo
grep -qi 'system|0|$' "$work/installed/system/record" ||
    fail "jux.exe did not run in the client folder without parameters"
xdotool mousemove 0 0

step "Minimized, then a second launcher of the same instance brings the first forward"
click_control Button_Minimize
sleep 0.5
xdotool mousemove 0 0
xmessage -title "Other window $$" -geometry "400x300+$((win_x + 100))+$((win_y + 100))" \
    "Another program's window" >/dev/null 2>&1 &
other_pid=$!
other=""
find_other() {
    other=$(xdotool search --onlyvisible --name "^Other window $$\$" 2>/dev/null | head -n 1)
    [ -n "$other" ]
}
wait_for 10 find_other || fail "the other window did not appear"
xdotool windowraise "$other"
(cd "$work/second" && timeout 60 "$wine" launcher.exe) >"$work/second.log" 2>&1
second_status=$?
[ $second_status -eq 0 ] || fail "the second launcher exited with status $second_status"
[ "$(ls -A "$work/second")" = launcher.exe ] ||
    fail "the second launcher changed its folder: $(ls -A "$work/second")"
viewable() { xwininfo -id "$window" | grep -q 'Map State: IsViewable'; }
in_front() { viewable && stacked_above "$window" "$other"; }
wait_for 15 in_front || fail "the first launcher did not come forward: shown:" \
    "$(viewable && echo yes || echo no), above the other window:" \
    "$(stacked_above "$window" "$other" && echo yes || echo no)"
launcher_running || fail "the first launcher ended"
echo "the second launcher exited 0; the first window is shown above the other window"
end_process "$other_pid"
other_pid=""

step "The settings window"
click_control Button_Config
dialog_x=$((win_x + skin_w / 2 - 260 - 60))
dialog_y=$((win_y + skin_h / 2 - 180 - 60))
sleep 2 # it unrolls over about a second
# Closing after the game start, checked (the box at 335, 136, 13 x 17), goes
# back to the main window with Ok (400, 304, 99 x 33) and into the settings file.
xdotool mousemove $((dialog_x + 341)) $((dialog_y + 144))
sleep 0.2
xdotool click 1
xdotool mousemove 0 0
sleep 0.3
picture grab "$shots/win32_settings.png"
picture dialog "$shots/win32_settings.png" "$dialog_x" "$dialog_y" ||
    fail "the settings window is not shown"
xdotool mousemove $((dialog_x + 449)) $((dialog_y + 320))
sleep 0.2
xdotool click 1
sleep 0.5
xdotool mousemove 0 0
# With the pointer elsewhere, the settings button shows its normal image again.
config_normal() {
    picture grab "$work/after_settings.png" &&
        [ "$(picture button "$work/after_settings.png" "$skin" Button_Config "$win_x" "$win_y")" = common ]
}
wait_for 5 config_normal || fail "after the settings window the settings button shows:" \
    "$(picture button "$work/after_settings.png" "$skin" Button_Config "$win_x" "$win_y")"
echo "the settings window closed; the settings button shows its normal image"

step "Dragged by its background"
xdotool mousemove $((win_x + 400)) $((win_y + 20))
sleep 0.2
xdotool mousedown 1
for offset in 10 20 30; do
    sleep 0.1
    xdotool mousemove $((win_x + 400 + offset)) $((win_y + 20 + offset * 2 / 3))
done
sleep 0.2
xdotool mouseup 1
sleep 0.3
xdotool mousemove 0 0
now_x=""
now_y=""
moved() {
    eval "$(xdotool getwindowgeometry --shell "$window" | sed -n 's/^\(X\|Y\)=\([0-9-]*\)$/now_\1=\2/p' | tr 'A-Z' 'a-z')"
    [ "$now_x" = $((win_x + 30)) ] && [ "$now_y" = $((win_y + 20)) ]
}
wait_for 5 moved || fail "the drag moved the window from $win_x,$win_y to $now_x,$now_y, not by 30,20"
win_x=$now_x
win_y=$now_y
echo "the window moved with the pointer to $win_x,$win_y"

step "The close button ends the launcher"
click_control Button_Close
wait_for 30 launcher_ended || fail "the launcher did not end after its close button"
wait "$launcher_pid"
status=$?
launcher_pid=""
[ $status -eq 0 ] || fail "the launcher exited with status $status"
settings=$(find "$work/installed/updater" -maxdepth 1 -iname '*.ini' | head -n 1)
[ -n "$settings" ] || fail "no settings file in updater/"
tr -d '\r' <"$settings" | grep -qix "left = $win_x" && tr -d '\r' <"$settings" | grep -qix "top = $win_y" ||
    { cat "$settings"; fail "the settings file does not hold the window's place $win_x,$win_y"; }
tr -d '\r' <"$settings" | grep -qix "autoclose = true" ||
    { cat "$settings"; fail "the settings file does not hold the choice made in the settings window"; }
echo "exit status 0; $(basename "$settings") holds the window's place and the choice made"

step "No update server: the message panel opens and says so"
dead_port=$(python3 -c 'import socket; s = socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])')
write_sample_config "$work/no_server.cfg" "http://127.0.0.1:$dead_port/" "$url/news/" "NoServer$$"
mkdir -p "$work/no_server"
"$publisher" package --skin "$skin" --config "$work/no_server.cfg" --into "$launcher" \
    --output "$work/no_server/launcher.exe" >"$work/package.log" 2>&1 ||
    { cat "$work/package.log"; fail "launcher-publish package failed"; }
(cd "$work/no_server" && exec "$wine" launcher.exe) >"$work/no_server.log" 2>&1 &
launcher_pid=$!
instance="NoServer$$"
wait_for 60 find_window || fail "no visible window titled $instance within 60 s"
geometry=""
wait_for 10 settled || fail "the window kept moving"
eval "$(sed -n 's/^\(X\|Y\)=\([0-9-]*\)$/win_\1=\2/p' <<<"$geometry" | tr 'A-Z' 'a-z')"
panel_shown() {
    picture grab "$shots/win32_no_server.png" &&
        picture panel "$shots/win32_no_server.png" "$skin" "$win_x" "$win_y" >"$work/panel.txt" 2>&1
}
wait_for 40 panel_shown || { cat "$work/panel.txt"; fail "the message panel did not open"; }
cat "$work/panel.txt"
click_control Button_Close
wait_for 30 launcher_ended || fail "the launcher without a server did not end after its close button"
wait "$launcher_pid"
status=$?
launcher_pid=""
[ $status -eq 0 ] || fail "the launcher without a server exited with status $status"

passed=true
echo "screenshots in $shots: win32_before.png win32_during.png win32_after.png win32_settings.png" \
    "win32_no_server.png"
echo "gui_win32_window_run: all checks passed"
