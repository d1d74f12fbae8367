#!/usr/bin/env bash
# Times `launcher-publish publish` on a 2,000-file, 1 GiB game folder: the
# first release, then a release after one file changed.
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

first=$(time_it "$publish" publish "$work/game" "$work/server")
echo "changed" >> "$work/game/data7/file3.dat"
second=$(time_it "$publish" publish "$work/game" "$work/server")
echo "files: $(find "$work/game" -type f | wc -l), size: $(du -sh "$work/game" | cut -f1)"
echo "first release:            ${first} s"
echo "after a one-file change:  ${second} s"
