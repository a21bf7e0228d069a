#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Fails when a room of src/ includes a room above it: base/ includes only
# itself; platform/ only base/; fsutil/, settings/ and search/ nothing of
# app/, scope/ or results/.  Tests may also include testing/.  Run by ctest.
set -euo pipefail
src="${1:-$(dirname "$0")/../src}"

allowed() {  # the rooms a file of room $1 may include
  case "$1" in
    base) echo "base" ;;
    platform) echo "base platform" ;;
    fsutil) echo "base platform fsutil" ;;
    settings) echo "base platform settings" ;;
    search) echo "base platform fsutil settings search" ;;
  esac
}

status=0
checked=0
for room in base platform fsutil settings search; do
  [ -d "$src/$room" ] || continue
  for file in "$src/$room"/*.h "$src/$room"/*.cc; do
    [ -e "$file" ] || continue
    checked=$((checked + 1))
    rooms=$(allowed "$room")
    case "$file" in *_test.cc) rooms="$rooms testing" ;; esac
    while IFS= read -r line; do
      target=$(sed -E 's/^[[:space:]]*#[[:space:]]*include[[:space:]]*"([^"]*)".*/\1/' <<<"$line")
      target_room=$(dirname "$target")
      ok=0
      for r in $rooms; do
        [ "$target_room" = "$r" ] && ok=1
      done
      if [ $ok -eq 0 ]; then
        echo "${file#"$src"/}: includes \"$target\", above its room ($room/)" >&2
        status=1
      fi
    done < <(grep -E '^[[:space:]]*#[[:space:]]*include[[:space:]]*"' "$file" || true)
  done
done
if [ $checked -eq 0 ]; then
  echo "no sources found under $src" >&2
  exit 1
fi
[ $status -eq 0 ] && echo "layers: $checked files, every include goes down"
exit $status
