#!/usr/bin/env bash
# Builds the release a second time, from a copy of the source tree at
# another path, and compares every file of dist/ and the archive byte for
# byte with the first build's.
#   rebuild_and_compare.sh SOURCE_DIR DIST_DIR
set -uo pipefail
source=$1
dist=$2
work=$(mktemp -d /tmp/vorlane-rebuild.XXXXXX)
trap 'rm -rf "$work"' EXIT
mkdir "$work/src"
tar -C "$source" --exclude=./build --exclude=./dist -cf - . | tar -C "$work/src" -xf - || exit 1
cmake -S "$work/src" -B "$work/build" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$work/src/cmake/toolchain-mingw-i686.cmake" \
  -DCMAKE_BUILD_TYPE=Release -DVORLANE_TESTS=OFF -DVORLANE_DIST_DIR="$work/dist" >"$work/configure.log" 2>&1 ||
  { cat "$work/configure.log"; exit 1; }
cmake --build "$work/build" >"$work/build.log" 2>&1 || { cat "$work/build.log"; exit 1; }

first=$(cd "$dist" && ls | sort)
second=$(cd "$work/dist" && ls | sort)
[ "$first" = "$second" ] || { echo "FAIL: the builds made other files: [$first] and [$second]"; exit 1; }
failed=0
for file in $first; do
  if cmp -s "$dist/$file" "$work/dist/$file"; then
    echo "same: $file"
  else
    echo "FAIL: $file differs: $(cmp "$dist/$file" "$work/dist/$file" | head -n1)"
    failed=1
  fi
done
exit $failed
