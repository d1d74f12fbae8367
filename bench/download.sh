#!/usr/bin/env bash
# Times `launcher-cli fetch` (6 ranges) against aria2c (6 connections) and
# curl (one connection) on one file served by nginx on loopback, and reports
# the wall-time ratio ours/aria2c and our peak memory.
#
#   bench/download.sh [BUILD_DIR]      (default: ./build)
#   SIZE_MIB=512 REPEAT=1 bench/download.sh
#
# Bars: ratio at most 1.0; peak memory under 64 MiB. Each tool runs REPEAT
# times (interleaved) and its best wall time counts.
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)
build=$(cd "${1:-$here/../build}" && pwd)
cli="$build/src/cli/launcher-cli"
size_mib=${SIZE_MIB:-512}
repeat=${REPEAT:-1}

for tool in nginx aria2c curl /usr/bin/time "$cli"; do
    command -v "$tool" >/dev/null || { echo "download.sh: $tool not found" >&2; exit 2; }
done

work=$(mktemp -d)
. "$here/../scripts/lib/nginx.sh"
cleanup() {
    stop_nginx
    rm -rf "$work"
}
trap cleanup EXIT

# nginx's workers run as an unprivileged user when started as root: every
# folder on the way to the served file must be readable by others.
chmod 755 "$work"
mkdir -p "$work/www" "$work/nginx" "$work/out"
chmod 755 "$work/www"
echo "download.sh: writing a ${size_mib} MiB file"
head -c "$((size_mib * 1024 * 1024))" /dev/urandom >"$work/www/file.bin"
chmod 644 "$work/www/file.bin"

start_nginx "$work/www" "$work/nginx"
port=$nginx_port
url="http://127.0.0.1:$port/file.bin"

# Runs one download under /usr/bin/time; prints "seconds peak_kib".
timed() {
    local stats="$work/out/time.txt"
    /usr/bin/time -f "%e %M" -o "$stats" "$@" >/dev/null 2>&1 || {
        echo "download.sh: failed: $*" >&2
        exit 1
    }
    cat "$stats"
}

best() { # best of the first column, and the peak memory of that run
    sort -n -k1,1 | head -n1
}

: >"$work/ours.txt"; : >"$work/aria.txt"; : >"$work/curl.txt"
for run in $(seq "$repeat"); do
    echo "download.sh: run $run of $repeat"
    rm -f "$work/out/"*.bin
    timed "$cli" fetch "$url" "$work/out/ours.bin" --threads 6 >>"$work/ours.txt"
    cmp -s "$work/www/file.bin" "$work/out/ours.bin" || { echo "download.sh: our file differs" >&2; exit 1; }
    rm -f "$work/out/"*.bin
    timed aria2c -q -x6 -s6 --allow-overwrite=true -d "$work/out" -o aria.bin "$url" >>"$work/aria.txt"
    rm -f "$work/out/"*.bin
    timed curl -sf -o "$work/out/curl.bin" "$url" >>"$work/curl.txt"
done

read -r ours_s ours_kib < <(best <"$work/ours.txt")
read -r aria_s aria_kib < <(best <"$work/aria.txt")
read -r curl_s curl_kib < <(best <"$work/curl.txt")

printf '\nfile: %d MiB from nginx on 127.0.0.1, best of %d run(s)\n' "$size_mib" "$repeat"
printf '%-22s %8s s   peak %6d MiB\n' "launcher-cli fetch -6" "$ours_s" "$((ours_kib / 1024))"
printf '%-22s %8s s   peak %6d MiB\n' "aria2c -x6 -s6" "$aria_s" "$((aria_kib / 1024))"
printf '%-22s %8s s   peak %6d MiB\n' "curl" "$curl_s" "$((curl_kib / 1024))"
ratio=$(awk -v a="$ours_s" -v b="$aria_s" 'BEGIN { printf "%.2f", (b > 0 ? a / b : 0) }')
printf '\nratio ours/aria2c: %s (bar: at most 1.0)\n' "$ratio"
printf 'our peak memory: %d MiB (bar: under 64 MiB)\n' "$((ours_kib / 1024))"
