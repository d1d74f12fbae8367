#!/usr/bin/env bash
# Times `launcher-cli update` into an empty folder from nginx on loopback, for
# many small files and for one large file, next to `aria2c -i` fetching the
# same packed archives (download only: no verification, extraction or dating).
#
#   bench/update.sh [BUILD_DIR]              (default: ./build)
#   FILES=2000 FILE_KIB=16 LARGE_MIB=512 bench/update.sh
#
# Also times `curl -K` fetching the small archives one after another on one
# connection, and an update of the small files in one release with the large
# file. Prints files per second and MB/s for each, and the ratios the
# throughput goals are stated in.
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)
. "$here/lib/bench_setup.sh" update.sh "${1:-}"
files=${FILES:-2000}
file_kib=${FILE_KIB:-16}
large_mib=${LARGE_MIB:-512}
require_tools nginx aria2c curl python3 "$cli" "$publisher"

echo "update.sh: making $files files of $file_kib KiB and one of $large_mib MiB"
mkdir -p "$work/small"
python3 - "$work/small" "$files" "$file_kib" <<'PY'
import os, sys
folder, count, kib = sys.argv[1], int(sys.argv[2]), int(sys.argv[3])
for i in range(count):
    sub = os.path.join(folder, "data", "set%02d" % (i % 40))
    os.makedirs(sub, exist_ok=True)
    with open(os.path.join(sub, "f%05d.dat" % i), "wb") as out:
        out.write(os.urandom(kib * 1024))
PY
mkdir -p "$work/large"
head -c "$((large_mib * 1024 * 1024))" /dev/urandom >"$work/large/world.pak"

"$publisher" publish "$work/small" "$work/www/small" >/dev/null
"$publisher" publish "$work/large" "$work/www/large" >/dev/null
mkdir -p "$work/mixed"
cp -r "$work/small/data" "$work/mixed/"
ln "$work/large/world.pak" "$work/mixed/world.pak"
"$publisher" publish "$work/mixed" "$work/www/mixed" >/dev/null
chmod -R a+rX "$work/www"

start_nginx "$work/www" "$work/nginx"
port=$nginx_port

pack() { # pack NAME URL
    sed -e "/^url=/d" -e "s|^\[updateservers\]|[updateservers]\nurl=$2|" \
        "$root/assets/config.txt" >"$work/$1.cfg"
    "$publisher" package --skin "$root/assets/skin" --config "$work/$1.cfg" \
        --into "$cli" --output "$work/$1" >/dev/null
}
pack launcher-small "http://127.0.0.1:$port/small/"
pack launcher-large "http://127.0.0.1:$port/large/"
pack launcher-mixed "http://127.0.0.1:$port/mixed/"

now() { date +%s.%N; }
bytes_below() { find "$1" -name '*.vdp' ! -name updater.lst.vdp -printf '%s\n' | awk '{s += $1} END {print s}'; }

declare -A seconds_of
report() { # report WHAT FILES BYTES SECONDS
    seconds_of[$1]=$4
    python3 -c "
import sys
what, files, size, seconds = sys.argv[1], int(sys.argv[2]), int(sys.argv[3]), float(sys.argv[4])
print('%-34s %8.2f s %10.1f files/s %9.1f MB/s' % (what, seconds, files / seconds, size / 1e6 / seconds))
" "$@"
}

run_update() { # run_update NAME FILES
    local target="$work/installed-$1"
    local start end
    start=$(now)
    "$work/launcher-$1" update --folder "$target" >"$work/$1.log" 2>&1
    end=$(now)
    report "launcher-cli update ($1)" "$2" "$(bytes_below "$work/www/$1")" "$(python3 -c "print($end - $start)")"
}

run_aria2c() { # run_aria2c NAME FILES
    local list="$work/$1.aria2"
    : >"$list"
    (cd "$work/www/$1" && find . -name '*.vdp' ! -name updater.lst.vdp | sed 's|^\./||') | while read -r name; do
        printf 'http://127.0.0.1:%s/%s/%s\n  out=%s\n' "$port" "$1" "$name" "$name" >>"$list"
    done
    local start end
    start=$(now)
    aria2c -q -i "$list" -d "$work/aria2c-$1" -j 6 -x 6 -s 6 --allow-overwrite=true \
        --auto-file-renaming=false --file-allocation=none
    end=$(now)
    report "aria2c -i ($1, download only)" "$2" "$(bytes_below "$work/www/$1")" "$(python3 -c "print($end - $start)")"
}

run_curl() { # run_curl NAME FILES
    local list="$work/$1.curl"
    : >"$list"
    (cd "$work/www/$1" && find . -name '*.vdp' ! -name updater.lst.vdp | sed 's|^\./||') | while read -r name; do
        printf 'url = "http://127.0.0.1:%s/%s/%s"\noutput = "%s/curl-%s/%s"\n' \
            "$port" "$1" "$name" "$work" "$1" "$name" >>"$list"
    done
    local start end
    start=$(now)
    curl -s --create-dirs -K "$list"
    end=$(now)
    report "curl -K ($1, download only)" "$2" "$(bytes_below "$work/www/$1")" "$(python3 -c "print($end - $start)")"
}

ratio() { python3 -c "import sys; print('%.2f' % (float(sys.argv[1]) / float(sys.argv[2])))" "$@"; }

sync
run_update small "$files"
run_curl small "$files"
run_aria2c small "$files"
run_update mixed "$((files + 1))"
run_update large 1
run_aria2c large 1

small_rate=$(python3 -c "print('%.0f' % ($files / ${seconds_of[launcher-cli update (small)]}))")
echo
echo "small files: $small_rate files/s (goal at least 1000);" \
    "$(ratio "${seconds_of[curl -K (small, download only)]}" "${seconds_of[launcher-cli update (small)]}")x" \
    "the rate of curl -K (goal at least 0.35)"
echo "small files with the large one in the release:" \
    "$(ratio "${seconds_of[launcher-cli update (mixed)]}" "$(python3 -c "print(${seconds_of[launcher-cli update (small)]} + ${seconds_of[launcher-cli update (large)]})")")x" \
    "the time of the two updates apart"
echo "large file: $(ratio "${seconds_of[launcher-cli update (large)]}" "${seconds_of[aria2c -i (large, download only)]}")x" \
    "the time of aria2c (goal at most 1.6)"
