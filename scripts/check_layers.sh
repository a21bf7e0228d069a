#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Fails when a file under src/ includes a room above its own, or lies in a
# folder that is no known room.  The rooms, lowest first, and what each may
# include (the same rules the build enforces, CMakeLists.txt's QM_USES_*):
#
#   base      itself
#   platform  base
#   fsutil    base, platform
#   settings  base, platform
#   scope     base, platform, fsutil, settings
#   search    base, platform, fsutil, settings
#   results   base, platform, fsutil, settings, search
#   app       every room above, the window's own
#   testing   every room (helpers for the tests)
#
# A test (*_test.cc) may also include testing/.  Run by ctest.
set -euo pipefail
src="${1:-$(dirname "$0")/../src}"

allowed() {  # the rooms a file of room $1 may include
  case "$1" in
    base) echo "base" ;;
    platform) echo "base platform" ;;
    fsutil) echo "base platform fsutil" ;;
    settings) echo "base platform settings" ;;
    scope) echo "base platform fsutil settings scope" ;;
    search) echo "base platform fsutil settings search" ;;
    results) echo "base platform fsutil settings search results" ;;
    app) echo "base platform fsutil settings scope search results app" ;;
    testing) echo "base platform fsutil settings scope search results app testing" ;;
    *) echo "" ;;
  esac
}

status=0
checked=0
while IFS= read -r -d '' file; do
  relative=${file#"$src"/}
  room=$(dirname "$relative")
  rooms=$(allowed "$room")
  if [ -z "$rooms" ]; then
    echo "$relative: in $room/, which is no room (see scripts/check_layers.sh)" >&2
    status=1
    continue
  fi
  checked=$((checked + 1))
  case "$file" in *_test.cc) rooms="$rooms testing" ;; esac
  while IFS= read -r line; do
    target=$(sed -E 's/^[[:space:]]*#[[:space:]]*include[[:space:]]*"([^"]*)".*/\1/' <<<"$line")
    target_room=$(dirname "$target")
    ok=0
    for r in $rooms; do
      [ "$target_room" = "$r" ] && ok=1
    done
    if [ $ok -eq 0 ]; then
      echo "$relative: includes \"$target\", above its room ($room/)" >&2
      status=1
    fi
  done < <(grep -E '^[[:space:]]*#[[:space:]]*include[[:space:]]*"' "$file" || true)
done < <(find "$src" -type f \( -name '*.h' -o -name '*.cc' \) -print0)
if [ $checked -eq 0 ]; then
  echo "no sources found under $src" >&2
  exit 1
fi
[ $status -eq 0 ] && echo "layers: $checked files, every include goes down"
exit $status
