#!/usr/bin/env bash
# Times `launcher-publish publish` on a 2,000-file, 1 GiB game folder: the
# first release, then a release after one file changed. Beside them the floor
# of disk and hashing: `md5sum` of every file plus `cp` of the folder (and
# with `sync`, since a publish flushes what it wrote to the disk).
#   bench/publish.sh [BUILD_DIR]
set -euo pipefail
build_dir=${1:-build}
publish="$build_dir/src/publish/launcher-publish"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

echo "Making the game folder in $work/game ..."
mkdir -p "$work/game"
for folder in $(seq 1 20); do
  mkdir -p "$work/game/data$folder"
  for file in $(seq 1 99); do
    head -c 4096 /dev/urandom > "$work/game/data$folder/file$file.dat"
  done
done
# 1,980 small files (about 8 MiB) and 20 large ones filling the rest of 1 GiB.
for big in $(seq 1 20); do
  head -c $((1016 * 1024 * 1024 / 20)) /dev/urandom > "$work/game/data$big/large$big.pak"
done
sync

time_it() {
  local start end
  start=$(date +%s.%N)
  "$@" > /dev/null
  end=$(date +%s.%N)
  echo "$end - $start" | bc
}

floor() {
  find "$work/game" -type f -print0 | xargs -0 md5sum > /dev/null
  cp -r "$work/game" "$work/copy"
}
floor_synced() {
  floor
  sync
}

first=$(time_it "$publish" publish "$work/game" "$work/server")
echo "changed" >> "$work/game/data7/file3.dat"
second=$(time_it "$publish" publish "$work/game" "$work/server")
rm -rf "$work/copy"
copy=$(time_it floor)
rm -rf "$work/copy"
sync
copy_synced=$(time_it floor_synced)

ratio() { echo "scale=2; $1 / $2" | bc; }
echo "files: $(find "$work/game" -type f | wc -l), size: $(du -sh "$work/game" | cut -f1)"
echo "first release:            ${first} s"
echo "after a one-file change:  ${second} s"
echo "md5sum + cp:              ${copy} s"
echo "md5sum + cp + sync:       ${copy_synced} s"
echo "first release / (md5sum + cp):          $(ratio "$first" "$copy")"
echo "first release / (md5sum + cp + sync):   $(ratio "$first" "$copy_synced")"
echo "one-file change / (md5sum + cp + sync): $(ratio "$second" "$copy_synced")"
