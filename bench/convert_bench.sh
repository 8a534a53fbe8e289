#!/usr/bin/env bash
# The converter's benchmark: generated Microsoft and GNU maps of 100 MB or
# more converted by an optimised build without sanitizers, the input in
# the page cache and the output to a file, without --demangle. Prints the
# throughput and the peak memory, and the peak memory of maps whose
# symbols lie at many or at few addresses. Never fails on a figure.
#   bench/convert_bench.sh [MEGABYTES]   default 128
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cd "$root"
megabytes=${1:-128}
build=build/bench-native
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DCMAKE_CXX_FLAGS=-O2 -DVORLANE_TESTS=OFF \
  >"$build.configure.log" 2>&1 || { cat "$build.configure.log"; exit 1; }
cmake --build "$build" --target vorlane-map make_linker_map -j2 >"$build.build.log" 2>&1 ||
  { cat "$build.build.log"; exit 1; }
tool=$build/mapconvert/vorlane-map
work=$build/maps
mkdir -p "$work"

# run NAME MAP: seconds, MB/s and peak RSS of one conversion.
run() {
  local name=$1 map=$2
  cat "$map" >/dev/null
  local start end
  start=$(date +%s%N)
  /usr/bin/time -f '%M' -o "$work/time.txt" "$tool" -q "$map" -o "$work/out.txt"
  end=$(date +%s%N)
  local bytes lines
  bytes=$(stat -c %s "$map")
  lines=$(wc -l <"$work/out.txt")
  awk -v name="$name" -v bytes="$bytes" -v ns=$((end - start)) -v rss="$(cat "$work/time.txt")" -v lines="$lines" \
    'BEGIN { printf "%-34s %8.1f MB %9d lines %7.2f s %8.1f MB/s %8.1f MB peak\n",
             name, bytes / 1048576, lines, ns / 1e9, bytes / 1048576 / (ns / 1e9), rss / 1024 }'
}

generate() { [ -s "$work/$2" ] || "$build/bench/make_linker_map" "$1" "$work/$2" "$megabytes" ${3:-}; }

generate link link.map
generate gnu gnu.map
generate gnu gnu-few.map 1000
generate link link-few.map 1000

printf '\nvorlane-map on generated maps (optimised, no sanitizers, input cached, output to a file; goal >= 150 MB/s)\n'
run "Microsoft map, every address own" "$work/link.map"
run "GNU map, every address own" "$work/gnu.map"
printf '\nPeak memory follows the distinct addresses, not the input size\n'
run "Microsoft map, 1000 addresses" "$work/link-few.map"
run "GNU map, 1000 addresses" "$work/gnu-few.map"
