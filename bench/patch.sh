#!/usr/bin/env bash
# Bytes and time of patched updates of one large file, from nginx on
# loopback, next to zsync on the same pair of versions:
#   a) 64 KiB overwritten in the middle    b) 1 KiB inserted at the start
#   c) 10 scattered 4 KiB changes           d) a file with nothing in common
#
#   bench/patch.sh [BUILD_DIR]              (default: ./build)
#   SIZE_MIB=256 bench/patch.sh
#
# Bytes are counted at the server (nginx's access log, body bytes of every
# request for the file: index and archive ranges, or .zsync and ranges).
# Prints per pair: the launcher's bytes, zsync's, the whole archive's, the
# index's; the launcher's time against `cp` of the file in the same run.
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)
. "$here/lib/bench_setup.sh" patch.sh "${1:-}"
size_mib=${SIZE_MIB:-256}
require_tools nginx python3 zsync zsyncmake "$cli" "$publisher"

echo "patch.sh: making a $size_mib MiB file and its four next versions"
head -c "$((size_mib * 1024 * 1024))" /dev/urandom >"$work/old.pak"
python3 - "$work" <<'PY'
import os, sys
work = sys.argv[1]
old = open(os.path.join(work, "old.pak"), "rb").read()
size = len(old)
pairs = {
    "overwrite": old[:size // 2] + os.urandom(64 << 10) + old[size // 2 + (64 << 10):],
    "insert": os.urandom(1024) + old,
    "scattered": None,
    "unrelated": os.urandom(size),
}
data = bytearray(old)
for i in range(10):
    at = (i * 2 + 1) * size // 21
    data[at:at + 4096] = os.urandom(4096)
pairs["scattered"] = bytes(data)
for name, content in pairs.items():
    os.makedirs(os.path.join(work, "game-" + name), exist_ok=True)
    with open(os.path.join(work, "game-" + name, "world.pak"), "wb") as out:
        out.write(content)
PY

for pair in overwrite insert scattered unrelated; do
    "$publisher" publish "$work/game-$pair" "$work/www/$pair" >/dev/null
    mkdir -p "$work/www/zsync-$pair"
    cp "$work/game-$pair/world.pak" "$work/www/zsync-$pair/world.pak"
    (cd "$work/www/zsync-$pair" && zsyncmake -u world.pak -o world.pak.zsync world.pak >/dev/null)
done
chmod -R a+rX "$work/www"
start_nginx "$work/www" "$work/nginx" "access_log $work/nginx/access.log;"
port=$nginx_port

# Body bytes nginx sent for addresses starting with $1 since line $2 of its log.
bytes_since() {
    tail -n "+$2" "$work/nginx/access.log" |
        awk -v prefix="$1" '$7 ~ "^" prefix { sum += $10 } END { print sum + 0 }'
}
log_lines() { wc -l <"$work/nginx/access.log"; }

pack() { # pack NAME URL
    sed -e "/^url=/d" -e "s|^\[updateservers\]|[updateservers]\nurl=$2|" \
        "$root/assets/config.txt" >"$work/$1.cfg"
    "$publisher" package --skin "$root/assets/skin" --config "$work/$1.cfg" \
        --into "$cli" --output "$work/$1" >/dev/null
}

now() { python3 -c 'import time; print(time.time())'; }
printf '%-10s %14s %14s %14s %10s %9s %9s\n' pair launcher zsync archive index "time/cp" status
for pair in overwrite insert scattered unrelated; do
    pack "launcher-$pair" "http://127.0.0.1:$port/$pair/"
    target="$work/installed-$pair"
    mkdir -p "$target"
    start=$(now)
    cp "$work/old.pak" "$target/world.pak"
    copied=$(python3 -c "print($(now) - $start)")
    line=$(($(log_lines) + 1))
    start=$(now)
    status=0
    "$work/launcher-$pair" update --folder "$target" >"$work/$pair.log" 2>&1 || status=$?
    seconds=$(python3 -c "print($(now) - $start)")
    launcher_bytes=$(bytes_since "/$pair/world.pak" "$line")
    cmp -s "$target/world.pak" "$work/game-$pair/world.pak" || status="wrong"

    cp "$work/old.pak" "$work/zsync-old.pak"
    line=$(($(log_lines) + 1))
    (cd "$work" && zsync -q -i zsync-old.pak -o "zsync-$pair.pak" \
        "http://127.0.0.1:$port/zsync-$pair/world.pak.zsync" >/dev/null 2>&1)
    zsync_bytes=$(bytes_since "/zsync-$pair/world.pak" "$line")
    rm -f "$work/zsync-$pair.pak" "$work/zsync-old.pak"*

    archive=$(stat -c %s "$work/www/$pair/world.pak.vdp")
    index=$(stat -c %s "$work/www/$pair/world.pak.vdp.idx" 2>/dev/null || echo 0)
    printf '%-10s %14s %14s %14s %10s %8.2fx %9s\n' "$pair" "$launcher_bytes" "$zsync_bytes" \
        "$archive" "$index" "$(python3 -c "print($seconds / max($copied, 1e-6))")" "$status"
    rm -rf "$target"
done
