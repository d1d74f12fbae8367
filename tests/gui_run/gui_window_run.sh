#!/usr/bin/env bash
# The windowed launcher on a display of its own (Xvfb), against nginx on
# loopback, the way a player meets it:
#   - a small sample game is published with `launcher-publish publish` and
#     served with a rate limit, so that its update takes a few seconds; the
#     sample news page (assets/news) is served beside it;
#   - a launcher packed with the default skin and a configuration naming that
#     server and that news page is started from an otherwise empty folder;
#   - the window must come up at the size of the skin's background, centred,
#     cut to the skin's outline, with the start button disabled; it must show
#     progress during the update, then the news page and an enabled start
#     button; the installed files must equal the published game;
#   - clicking the start button (at its skin position) starts system/jux.exe;
#   - after the minimize button, a second launcher of the same instance exits
#     0 without touching its folder and brings the first window to the front
#     (shown, on top of another window, with the focus);
#   - the settings button opens the settings window in the skin's look; after
#     its Ok button, with the pointer elsewhere, the settings button shows its
#     normal image;
#   - the close button ends the launcher with exit status 0 after it saved
#     the player's settings in updater/;
#   - with no update server answering (the news page served), the message
#     panel opens readable above the news page (checked by its pixels);
#   - with a damaged file list on the server, the message panel opens, the
#     start button stays disabled (the empty folder has no game to start),
#     and nothing is installed;
#   - with a news server that accepts the connection and never answers, the
#     update still starts (after the news page's 10 s time limit) and ends
#     with the start button enabled; there, in Russian, the settings window is
#     pictured, and with the client gone from the folder the start button
#     shows the reason in the message panel.
# Pictures of the screen go to SHOT_DIR: launcher_before.png,
# launcher_during.png, launcher_after.png, launcher_settings.png,
# launcher_no_server.png, launcher_damaged.png, launcher_silent_news.png, launcher_settings_ru.png,
# launcher_cannot_start.png; and launcher_failure.png when a check fails.
#
#   tests/gui_run/gui_window_run.sh SOURCE_DIR LAUNCHER LAUNCHER_PUBLISH SHOT_DIR
#
# CTest runs it as gui_window_run (label gui); scripts/gui_screenshot.sh runs
# it by hand. Exit status 77 (skipped) when the windowed launcher was not built
# or Xvfb, xdotool, xwininfo, xmessage, nginx or Pillow are missing; the work
# folder is kept on failure (or always with KEEP_WORK=1).
set -uo pipefail

if [ $# -ne 4 ]; then
    echo "usage: $0 SOURCE_DIR LAUNCHER LAUNCHER_PUBLISH SHOT_DIR" >&2
    exit 2
fi
source_dir=$(cd "$1" && pwd)
launcher=$2
publisher=$3
shots=$4
here=$(cd "$(dirname "$0")" && pwd)
skin="$source_dir/assets/skin"

skip() {
    echo "SKIPPED: $*"
    exit 77
}
[ -n "$launcher" ] && [ -x "$launcher" ] || skip "the windowed launcher was not built (Qt 6 Widgets missing)"
[ -x "$publisher" ] || skip "launcher-publish not found at $publisher"
for tool in Xvfb xdotool xwininfo xmessage nginx; do
    command -v "$tool" >/dev/null || skip "$tool is not installed (scripts/bootstrap.sh installs it)"
done
/usr/bin/python3 -c 'import PIL' 2>/dev/null || skip "python3-pil is not installed"

picture() { /usr/bin/python3 "$here/window_picture.py" "$@"; }

work=$(mktemp -d /tmp/launcher-window.XXXXXX)
chmod 755 "$work"
mkdir -p "$shots"
rm -f "$shots"/launcher_{before,during,after,failure,settings,no_server,damaged,silent_news,settings_ru,cannot_start}.png
# shellcheck source=../../scripts/lib/nginx.sh
. "$source_dir/scripts/lib/nginx.sh"
# shellcheck source=../../scripts/lib/sample_game.sh
. "$source_dir/scripts/lib/sample_game.sh"
sample_game_assets="$source_dir/assets"

xvfb_pid=""
launcher_pid=""
other_pid=""
watch_pid=""
silent_pid=""
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
    end_process "$silent_pid"
    stop_nginx
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
    if [ -n "${DISPLAY:-}" ] && [ -n "$xvfb_pid" ] && picture grab "$shots/launcher_failure.png" 2>/dev/null; then
        echo "screen at the failure: $shots/launcher_failure.png"
    fi
    if [ -n "$launcher_pid" ] && launcher_running; then
        echo "the launcher (pid $launcher_pid) is still running"
    fi
    for log in launcher.log second.log watch.log no_server.log damaged.log silent_news.log silent.log \
        nginx/error.log xvfb.log; do
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
    ls -l "$shots" 2>/dev/null
    exit 1
}

step() { printf '== [%3d s] %s\n' "$SECONDS" "$*"; }

# Waits up to $1 seconds for the command after it to succeed.
wait_for() {
    local seconds=$1
    shift
    local deadline=$((SECONDS + seconds))
    until "$@"; do
        [ $SECONDS -lt $deadline ] || return 1
        sleep 0.1
    done
}

# Whether the first launcher still runs (an ended one that was not waited for
# stays a zombie).
launcher_running() {
    local state
    state=$(ps -o stat= -p "$launcher_pid" 2>/dev/null)
    [ -n "$state" ] && [[ $state != Z* ]]
}
launcher_ended() { ! launcher_running; }

# Window ids (decimal) of the root's children, the top of the stack first
# (the order xwininfo lists them in).
stacking_order() { xwininfo -int -root -children | sed -n 's/^ *\([0-9][0-9]*\) .*/\1/p'; }

# Whether window $1 lies above window $2.
stacked_above() {
    local order
    order=$(stacking_order)
    local upper lower
    upper=$(grep -nx "$1" <<<"$order" | cut -d: -f1)
    lower=$(grep -nx "$2" <<<"$order" | cut -d: -f1)
    [ -n "$upper" ] && [ -n "$lower" ] && [ "$upper" -lt "$lower" ]
}

# Clicks the centre of the main window's control $1 (placed by the skin).
click_control() {
    local left top width height
    read -r left top width height < <(picture control "$skin" "$1")
    [[ ${height:-} =~ ^[0-9]+$ ]] || fail "the skin gives no place for $1"
    xdotool mousemove $((win_x + left + width / 2)) $((win_y + top + height / 2)) click 1
}

step "Virtual display"
screen_w=1280
screen_h=1024
# -wr: a plain white root window, so that what lies outside the window's
# outline is told from the window by its colour. -noreset: the server does
# not reset when its last client leaves, which would refuse the next
# launcher's connection for a moment.
Xvfb -displayfd 9 -screen 0 "${screen_w}x${screen_h}x24" -nolisten tcp -noreset -wr \
    9>"$work/display" >"$work/xvfb.log" 2>&1 &
xvfb_pid=$!
wait_for 15 grep -q '[0-9]' "$work/display" || fail "Xvfb did not start"
export DISPLAY=":$(tr -d '\n' <"$work/display")"
export QT_QPA_PLATFORM=xcb
unset WAYLAND_DISPLAY
# The launchers' browser profile and runtime files stay in the work folder.
export HOME="$work/home" XDG_RUNTIME_DIR="$work/runtime"
mkdir -p "$HOME" "$XDG_RUNTIME_DIR"
chmod 700 "$XDG_RUNTIME_DIR"
echo "DISPLAY=$DISPLAY"

step "Sample game, published and served"
make_sample_game "$work/game" 20 2
"$publisher" publish "$work/game" "$work/server" --check 'system\jux.ini' --check 'system\jux.exe' \
    >"$work/publish.log" 2>&1 || { cat "$work/publish.log"; fail "launcher-publish publish failed"; }
cp -r "$source_dir/assets/news" "$work/news"
chmod -R a+rX "$work/server" "$work/news"
# The update tree is sent at 256 KiB/s a connection so that the update lasts
# a few seconds; the news page comes at full speed.
start_nginx "$work/server" "$work/nginx" "access_log $work/nginx/access.log;
        location / { limit_rate 256k; }
        location /news/ { alias $work/news/; }" || fail "nginx did not start"
url="http://127.0.0.1:$nginx_port"
echo "$(find "$work/game" -type f | wc -l) files served at $url/, news at $url/news/"

step "Launcher packed with that server and news page, in an empty folder"
instance="WindowTest$$"
write_sample_config "$work/launcher.cfg" "$url/" "$url/news/" "$instance"
mkdir -p "$work/installed" "$work/second"
"$publisher" package --skin "$skin" --config "$work/launcher.cfg" --into "$launcher" \
    --output "$work/installed/launcher" >"$work/package.log" 2>&1 ||
    { cat "$work/package.log"; fail "launcher-publish package failed"; }
cp -p "$work/installed/launcher" "$work/second/launcher"
read -r skin_w skin_h < <(picture size "$skin")
[[ ${skin_w:-} =~ ^[0-9]+$ && ${skin_h:-} =~ ^[0-9]+$ ]] || fail "the skin's background size could not be read"
echo "skin background: ${skin_w}x${skin_h}"

# Starts ./launcher in folder $1 (instance title $2, output into $3, extra
# environment after that) and waits for its window to be shown and placed:
# sets launcher_pid, window, win_x, win_y, win_width, win_height.
start_launcher() {
    local folder=$1 title=$2 log=$3
    shift 3
    # Keep the pointer off the window so the buttons show their normal images.
    xdotool mousemove 0 0
    (cd "$folder" && exec env "$@" ./launcher) >"$log" 2>&1 &
    launcher_pid=$!
    window=""
    find_window() {
        launcher_running || fail "the launcher exited before showing its window"
        window=$(xdotool search --onlyvisible --name "^$title\$" 2>/dev/null | head -n 1)
        [ -n "$window" ]
    }
    wait_for 30 find_window || fail "no visible window titled $title within 30 s"
    # The window is placed right after it is mapped: read its place once it holds.
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
}

# Clicks the close button and checks that the launcher ends with status 0.
close_launcher() {
    click_control Button_Close
    wait_for 15 launcher_ended || fail "the launcher did not end after its close button"
    wait "$launcher_pid"
    local status=$?
    launcher_pid=""
    [ $status -eq 0 ] || fail "the launcher exited with status $status"
}

# Packs a launcher for update server $2 and news page $3 with instance title
# $4 into folder $1.
pack_launcher() {
    write_sample_config "$work/$4.cfg" "$2" "$3" "$4"
    mkdir -p "$1"
    "$publisher" package --skin "$skin" --config "$work/$4.cfg" --into "$launcher" \
        --output "$1/launcher" >"$work/package.log" 2>&1 ||
        { cat "$work/package.log"; fail "launcher-publish package failed"; }
}

# Grabs the screen into $1 and checks that the message panel is open and
# readable there.
panel_shown() {
    picture grab "$1" && picture panel "$1" "$skin" "$win_x" "$win_y" >"$work/panel.txt" 2>&1
}

step "The window comes up"
start_launcher "$work/installed" "$instance" "$work/launcher.log"
echo "window $window at $win_x,$win_y, ${win_width}x${win_height}"
[ "$win_width" = "$skin_w" ] && [ "$win_height" = "$skin_h" ] ||
    fail "the window is ${win_width}x${win_height}, the skin's background ${skin_w}x${skin_h}"
[ "$win_x" = $(((screen_w - skin_w) / 2)) ] && [ "$win_y" = $(((screen_h - skin_h) / 2)) ] ||
    fail "the window is not centred on the ${screen_w}x${screen_h} screen"
xwininfo -shape -id "$window" >"$work/xwininfo-shape.txt" 2>&1
# xwininfo gives the bounding shape's extents only for a shaped window.
grep -q 'Window shape extents' "$work/xwininfo-shape.txt" ||
    { cat "$work/xwininfo-shape.txt"; fail "the window has no shape (xwininfo -shape)"; }
sleep 0.2
picture grab "$shots/launcher_before.png"
# The update starts a second after the window shows: watch it from now on
# while the first picture is checked.
picture watch "$skin" "$win_x" "$win_y" "$shots/launcher_before.png" "$shots/launcher_during.png" \
    "$shots/launcher_after.png" 40 >"$work/watch.log" 2>&1 &
watch_pid=$!
picture shape "$shots/launcher_before.png" "$skin" "$win_x" "$win_y" || fail "the window is not cut to the skin's outline"
state=$(picture button "$shots/launcher_before.png" "$skin" Button_StartGame "$win_x" "$win_y")
[ "$state" = disabled ] || fail "before the update the start button shows: $state (expected its disabled image)"

step "The update runs and ends with the start button enabled"
wait "$watch_pid"
watch_status=$?
watch_pid=""
cat "$work/watch.log"
[ $watch_status -eq 0 ] || fail "the update did not show progress and end as it should"
diff -r -x updater -x launcher "$work/game" "$work/installed" >"$work/diff.txt" ||
    { head -n 20 "$work/diff.txt"; fail "the installed folder differs from the published game"; }
echo "the installed folder equals the published game"
grep -q '"GET /news/ HTTP/[0-9.]*" 200 ' "$work/nginx/access.log" ||
    fail "the launcher never fetched the news page"
picture news "$shots/launcher_after.png" "$skin" "$win_x" "$win_y" || fail "the news page is not shown"

step "The start button starts the game client"
started() {
    [ -s "$work/installed/system/started.txt" ] && return 0
    click_control Button_StartGame
    sleep 0.5
    [ -s "$work/installed/system/started.txt" ]
}
wait_for 15 started || fail "clicking the start button did not start system/jux.exe"
cat "$work/installed/system/started.txt"
grep -q "started in $work/installed/system " "$work/installed/system/started.txt" ||
    fail "jux.exe did not run in the client folder"
xdotool mousemove 0 0

step "Minimized, then a second launcher of the same instance brings the first to the front"
# Without a notification area (none runs here) the minimize button sends the
# window to the taskbar; with no window manager to take it there, it stays
# mapped, but the launcher now counts it as minimized and must restore it.
click_control Button_Minimize
sleep 0.3
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
xdotool windowfocus --sync "$other"
stacked_above "$other" "$window" || fail "the other window could not be laid over the launcher"
[ "$(xdotool getwindowfocus)" = "$other" ] || fail "the other window could not take the focus"
timeout 20 "$work/second/launcher" >"$work/second.log" 2>&1
second_status=$?
[ $second_status -eq 0 ] || fail "the second launcher exited with status $second_status"
[ "$(ls -A "$work/second")" = launcher ] || fail "the second launcher changed its folder: $(ls -A "$work/second")"
viewable() { xwininfo -id "$window" | grep -q 'Map State: IsViewable'; }
in_front() { viewable && stacked_above "$window" "$other" && [ "$(xdotool getwindowfocus)" = "$window" ]; }
wait_for 10 in_front || fail "the first launcher did not come to the front: shown:" \
    "$(viewable && echo yes || echo no), stacked above the other window:" \
    "$(stacked_above "$window" "$other" && echo yes || echo no), focus on $(xdotool getwindowfocus) (launcher $window)"
launcher_running || fail "the first launcher ended"
echo "the second launcher exited 0; the first window is on top and has the focus"
end_process "$other_pid"
other_pid=""

step "The settings window, and the settings button after it"
click_control Button_Config
# Placed 60 pixels left of and above the centre of the main window.
dialog_x=$((win_x + skin_w / 2 - 260 - 60))
dialog_y=$((win_y + skin_h / 2 - 180 - 60))
sleep 1.5 # it unrolls over about a second
picture grab "$shots/launcher_settings.png"
picture dialog "$shots/launcher_settings.png" "$dialog_x" "$dialog_y" ||
    fail "the settings window is not shown"
# Its Ok button (400, 304, 99 x 33), then the pointer away from every button.
xdotool mousemove $((dialog_x + 449)) $((dialog_y + 320)) click 1
sleep 0.3
xdotool mousemove 0 0
config_normal() {
    picture grab "$work/after_settings.png" &&
        [ "$(picture button "$work/after_settings.png" "$skin" Button_Config "$win_x" "$win_y")" = common ]
}
wait_for 5 config_normal || fail "after the settings window the settings button shows:" \
    "$(picture button "$work/after_settings.png" "$skin" Button_Config "$win_x" "$win_y")"
echo "the settings window closed; the settings button shows its normal image"

step "The close button ends the launcher"
close_launcher
settings=$(find "$work/installed/updater" -maxdepth 1 -iname '*.ini' | head -n 1)
[ -n "$settings" ] || fail "no settings file in updater/"
tr -d '\r' <"$settings" | grep -qix "left = $win_x" && tr -d '\r' <"$settings" | grep -qix "top = $win_y" ||
    { cat "$settings"; fail "the settings file does not hold the window's place $win_x,$win_y"; }
echo "exit status 0; $(basename "$settings") holds the window's place"

step "Release 2 published while the window is closed: the next start fetches the change"
# The same size and another content: only the file list tells it apart.
file="$work/game/data/maps/item3.dat"
head -c "$(stat -c %s "$file")" /dev/urandom >"$file.new" && mv "$file.new" "$file"
"$publisher" publish "$work/game" "$work/server" --check 'system\jux.ini' --check 'system\jux.exe' \
    >"$work/publish2.log" 2>&1 || { cat "$work/publish2.log"; fail "publishing release 2 failed"; }
grep -q '1 file changed since the previous release' "$work/publish2.log" ||
    { cat "$work/publish2.log"; fail "the publisher did not count the changed file"; }
chmod -R a+rX "$work/server"
start_launcher "$work/installed" "$instance" "$work/launcher2.log"
release_2_installed() {
    diff -r -x updater -x launcher -x started.txt "$work/game" "$work/installed" >"$work/diff2.txt"
}
wait_for 60 release_2_installed ||
    { head -n 20 "$work/diff2.txt"; fail "the next start did not fetch the changed file"; }
release_2_done() {
    picture grab "$shots/launcher_release2.png" &&
        [ "$(picture button "$shots/launcher_release2.png" "$skin" Button_StartGame "$win_x" "$win_y")" = common ]
}
wait_for 30 release_2_done || fail "after fetching release 2 the start button is not enabled"
echo "the next start fetched the file release 2 changed"
close_launcher

step "No update server: the message panel opens above the news page"
dead_port=$(python3 -c 'import socket; s = socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])')
pack_launcher "$work/no_server" "http://127.0.0.1:$dead_port/" "$url/news/" "NoServer$$"
start_launcher "$work/no_server" "NoServer$$" "$work/no_server.log"
wait_for 30 panel_shown "$shots/launcher_no_server.png" ||
    { cat "$work/panel.txt"; fail "the message panel did not open readable above the news page"; }
cat "$work/panel.txt"
picture news "$shots/launcher_no_server.png" "$skin" "$win_x" "$win_y" ||
    fail "the news page is not shown beside the message panel"
close_launcher

step "A damaged file list: the message panel says so and the start button stays disabled"
mkdir -p "$work/server/damaged"
printf '12345 this is no bzip2 stream' >"$work/server/damaged/updater.lst.vdp"
chmod -R a+rX "$work/server/damaged"
pack_launcher "$work/damaged" "$url/damaged/" "$url/news/" "Damaged$$"
start_launcher "$work/damaged" "Damaged$$" "$work/damaged.log"
wait_for 30 panel_shown "$shots/launcher_damaged.png" ||
    { cat "$work/panel.txt"; fail "the message panel did not open for the damaged file list"; }
damaged_state=$(picture button "$shots/launcher_damaged.png" "$skin" Button_StartGame "$win_x" "$win_y")
[ "$damaged_state" = disabled ] ||
    fail "after a damaged file list the start button shows: $damaged_state (expected its disabled image)"
[ -z "$(find "$work/damaged" -mindepth 1 -maxdepth 1 ! -name launcher ! -name updater)" ] ||
    fail "the damaged file list changed the folder: $(ls -A "$work/damaged")"
echo "the message panel is open and the start button disabled; nothing was installed"
close_launcher

step "A news server that never answers: the update starts after the page's time limit"
# Accepts connections and never answers them.
/usr/bin/python3 -c '
import socket, sys, time
s = socket.socket()
s.bind(("127.0.0.1", 0))
s.listen(16)
print(s.getsockname()[1], flush=True)
held = []
while True:
    held.append(s.accept()[0])
' >"$work/silent.port" 2>"$work/silent.log" &
silent_pid=$!
wait_for 10 grep -q '[0-9]' "$work/silent.port" || fail "the silent news server did not start"
silent_url="http://127.0.0.1:$(tr -d '\n' <"$work/silent.port")/news/"
pack_launcher "$work/silent_news" "$url/" "$silent_url" "SilentNews$$"
requests_before=$(wc -l <"$work/nginx/access.log")
start_launcher "$work/silent_news" "SilentNews$$" "$work/silent_news.log" LANG=ru_RU.UTF-8
started_at=$SECONDS
start_enabled() {
    picture grab "$shots/launcher_silent_news.png" &&
        [ "$(picture button "$shots/launcher_silent_news.png" "$skin" Button_StartGame "$win_x" "$win_y")" = common ]
}
wait_for 60 start_enabled || fail "the update did not end with the start button enabled"
echo "the start button was enabled $((SECONDS - started_at)) s after the window showed"
tail -n +$((requests_before + 1)) "$work/nginx/access.log" |
    grep -q '"GET /updater.lst.vdp HTTP/[0-9.]*" 20[06] ' || fail "the launcher never fetched the manifest"
diff -r -x updater -x launcher "$work/game" "$work/silent_news" >"$work/diff.txt" ||
    { head -n 20 "$work/diff.txt"; fail "the folder differs from the published game"; }
echo "the installed folder equals the published game"

step "The settings window in Russian"
click_control Button_Config
sleep 1.5
picture grab "$shots/launcher_settings_ru.png"
picture dialog "$shots/launcher_settings_ru.png" "$dialog_x" "$dialog_y" ||
    fail "the settings window is not shown"
xdotool mousemove $((dialog_x + 449)) $((dialog_y + 320)) click 1
sleep 0.3
xdotool mousemove 0 0

step "A client that cannot start: the start button says why"
rm -f "$work/silent_news/system/jux.exe"
click_control Button_StartGame
xdotool mousemove 0 0
wait_for 15 panel_shown "$shots/launcher_cannot_start.png" ||
    { cat "$work/panel.txt"; fail "the message panel did not open after the start button"; }
cat "$work/panel.txt"
grep -q "Cannot start .*jux.exe" "$work/silent_news.log" ||
    fail "the launcher did not report why the client could not start"
launcher_running || fail "the launcher ended although no game was started"
close_launcher
end_process "$silent_pid"
silent_pid=""

passed=true
echo "screenshots in $shots: launcher_before.png launcher_during.png launcher_after.png" \
    "launcher_settings.png launcher_no_server.png launcher_damaged.png launcher_silent_news.png" \
    "launcher_settings_ru.png launcher_cannot_start.png"
echo "gui_window_run: all checks passed"
