#!/usr/bin/env bash
# Times `launcher-cli update` through a delay proxy (a round trip of twice
# DELAY_MS, optionally a line of MBIT Mbit/s) in front of nginx, next to
# `aria2c -i -j16` and `curl --parallel` fetching the same packed archives
# through the same proxy (download only: no verification, extraction or
# dating). Many small files first, then one large file.
#
#   bench/wan.sh [BUILD_DIR]                               (default: ./build)
#   FILES=2000 FILE_KIB=16 LARGE_MIB=512 DELAY_MS=25 MBIT=200 JOBS=8 bench/wan.sh
#
# Prints each time and the ratios of the launcher's time to the peers', and
# the most connections the launcher held open at once (counted at the proxy).
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)
. "$here/lib/bench_setup.sh" wan.sh "${1:-}"
files=${FILES:-2000}
file_kib=${FILE_KIB:-16}
large_mib=${LARGE_MIB:-512}
delay_ms=${DELAY_MS:-25}
mbit=${MBIT:-200}
jobs=${JOBS:-8}
require_tools nginx aria2c curl python3 "$cli" "$publisher"
proxy_pid=""
bench_on_exit='[ -n "$proxy_pid" ] && kill "$proxy_pid" 2>/dev/null'
mkdir -p "$work/small" "$work/large"

echo "wan.sh: $files files of $file_kib KiB and one of $large_mib MiB;" \
    "round trip $((2 * delay_ms)) ms, line ${mbit} Mbit/s (0: none), $jobs jobs"
python3 - "$work/small" "$files" "$file_kib" <<'PY'
import os, sys
folder, count, kib = sys.argv[1], int(sys.argv[2]), int(sys.argv[3])
for i in range(count):
    sub = os.path.join(folder, "data", "set%02d" % (i % 40))
    os.makedirs(sub, exist_ok=True)
    with open(os.path.join(sub, "f%05d.dat" % i), "wb") as out:
        out.write(os.urandom(kib * 1024))
PY
head -c "$((large_mib * 1024 * 1024))" /dev/urandom >"$work/large/world.pak"
"$publisher" publish "$work/small" "$work/www/small" >/dev/null
"$publisher" publish "$work/large" "$work/www/large" >/dev/null
chmod -R a+rX "$work/www"

start_nginx "$work/www" "$work/nginx"
port=$(python3 -c 'import socket; s = socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])')
start_proxy() { # start_proxy STATS_FILE
    [ -n "$proxy_pid" ] && { kill "$proxy_pid"; wait "$proxy_pid" 2>/dev/null || true; }
    python3 "$here/delay_proxy.py" "$port" "$nginx_port" --delay-ms "$delay_ms" --mbit "$mbit" \
        --stats "$1" &
    proxy_pid=$!
    for _ in $(seq 50); do
        python3 -c "import socket; socket.create_connection(('127.0.0.1', $port)).close()" \
            2>/dev/null && return
        sleep 0.1
    done
    echo "wan.sh: the proxy did not start" >&2
    exit 2
}

pack() { # pack NAME URL
    sed -e "/^url=/d" -e "s|^\[updateservers\]|[updateservers]\nurl=$2|" \
        "$root/assets/config.txt" >"$work/$1.cfg"
    "$publisher" package --skin "$root/assets/skin" --config "$work/$1.cfg" \
        --into "$cli" --output "$work/$1" >/dev/null
}
pack launcher-small "http://127.0.0.1:$port/small/"
pack launcher-large "http://127.0.0.1:$port/large/"

now() { date +%s.%N; }
declare -A seconds_of
timed() { # timed WHAT LOG COMMAND...
    local what=$1 log=$2 start end
    shift 2
    start=$(now)
    "$@" >"$log" 2>&1
    end=$(now)
    seconds_of[$what]=$(python3 -c "print('%.2f' % ($end - $start))")
    printf '%-44s %8s s\n' "$what" "${seconds_of[$what]}"
}
archives() { (cd "$work/www/$1" && find . -name '*.vdp' ! -name updater.lst.vdp | sed 's|^\./||'); }
aria2_list() { archives "$1" | while read -r name; do
    printf 'http://127.0.0.1:%s/%s/%s\n  out=%s\n' "$port" "$1" "$name" "$name"; done; }
curl_list() { archives "$1" | while read -r name; do
    printf 'url = "http://127.0.0.1:%s/%s/%s"\noutput = "%s/curl-%s/%s"\n' \
        "$port" "$1" "$name" "$work" "$1" "$name"; done; }
aria2_list small >"$work/small.aria2"
aria2_list large >"$work/large.aria2"
curl_list small >"$work/small.curl"
curl_list large >"$work/large.curl"
aria2() { aria2c -q --allow-overwrite=true --auto-file-renaming=false --file-allocation=none "$@"; }

start_proxy "$work/launcher-small.stats"
timed "launcher-cli update (small)" "$work/small.log" \
    "$work/launcher-small" update --jobs "$jobs" --folder "$work/installed-small"
start_proxy "$work/other.stats"
timed "aria2c -i -j16 (small)" /dev/null aria2 -i "$work/small.aria2" -d "$work/aria2c-small" -j 16
timed "curl --parallel --parallel-max 16 (small)" /dev/null \
    curl -s --create-dirs --parallel --parallel-max 16 -K "$work/small.curl"
start_proxy "$work/launcher-large.stats"
timed "launcher-cli update (large)" "$work/large.log" \
    "$work/launcher-large" update --jobs "$jobs" --folder "$work/installed-large"
start_proxy "$work/other.stats"
timed "aria2c -x6 -s6 (large)" /dev/null aria2 -i "$work/large.aria2" -d "$work/aria2c-large" -x 6 -s 6
timed "curl (large, one connection)" /dev/null curl -s --create-dirs -K "$work/large.curl"

ratio() { python3 -c "import sys; print('%.2f' % (float(sys.argv[1]) / float(sys.argv[2])))" "$@"; }
most_open() { sed -n 's/^most_open //p' "$1"; }
echo
echo "small files: launcher $(ratio "${seconds_of[launcher-cli update (small)]}" "${seconds_of[aria2c -i -j16 (small)]}")x" \
    "the time of aria2c -j16 (goal at most 1.0)," \
    "$(ratio "${seconds_of[launcher-cli update (small)]}" "${seconds_of[curl --parallel --parallel-max 16 (small)]}")x that of curl --parallel;" \
    "at most $(most_open "$work/launcher-small.stats") connections open at once"
echo "large file: launcher $(ratio "${seconds_of[launcher-cli update (large)]}" "${seconds_of[aria2c -x6 -s6 (large)]}")x" \
    "the time of aria2c -x6 (goal at most 1.2)," \
    "$(ratio "${seconds_of[launcher-cli update (large)]}" "${seconds_of[curl (large, one connection)]}")x that of curl;" \
    "at most $(most_open "$work/launcher-large.stats") connections open at once"
