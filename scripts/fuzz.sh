#!/usr/bin/env bash
# Builds the fuzz targets with clang (address and undefined-behaviour
# sanitizers) and runs each for the given number of seconds.
#   scripts/fuzz.sh [SECONDS] [TARGET...]     (default: 60 s, every target)
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-60}
shift || true
build_dir=${FUZZ_BUILD_DIR:-build-fuzz}

CC=clang CXX=clang++ cmake -S . -B "$build_dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DLAUNCHER_FUZZ=ON -DLAUNCHER_TESTS=OFF -DLAUNCHER_BENCH=OFF >/dev/null
cmake --build "$build_dir" -j "${JOBS:-2}"

targets=("$@")
if [ ${#targets[@]} -eq 0 ]; then
  for binary in "$build_dir"/fuzz/fuzz_*; do
    [ -x "$binary" ] && targets+=("$(basename "$binary")")
  done
fi

status=0
for target in "${targets[@]}"; do
  corpus="fuzz-corpus/$target"
  mkdir -p "$corpus"
  echo "== $target for ${seconds}s"
  if ! "$build_dir/fuzz/$target" -max_total_time="$seconds" -print_final_stats=1 "$corpus" \
       > "$build_dir/$target.log" 2>&1; then
    echo "!! $target found a failure; see $build_dir/$target.log"
    status=1
  else
    grep -E 'stat::number_of_executed_units|Done' "$build_dir/$target.log" | tail -1
  fi
done
exit $status
