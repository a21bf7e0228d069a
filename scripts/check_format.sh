#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Names the C++ files that clang-format (with .clang-format at the root)
# would change, and fails when there is one: the files changed since main,
# or with --all every file under src/.
#
#   scripts/check_format.sh [--all]
set -euo pipefail
cd "$(dirname "$0")/.."
if [ "${1:-}" = "--all" ]; then
  mapfile -t files < <(find src -name '*.h' -o -name '*.cc' | sort)
else
  base=$(git merge-base HEAD main 2>/dev/null || echo HEAD)
  mapfile -t files < <({ git diff --name-only "$base" -- 'src/*.h' 'src/*.cc';
                         git ls-files --others --exclude-standard -- 'src/*.h' 'src/*.cc'; } |
                       sort -u | while read -r f; do [ -f "$f" ] && echo "$f"; done)
fi
status=0
for f in "${files[@]}"; do
  if ! clang-format --dry-run --Werror "$f" >/dev/null 2>&1; then
    echo "$f: not formatted (clang-format -i $f)" >&2
    status=1
  fi
done
[ $status -eq 0 ] && echo "format: ${#files[@]} files, all formatted"
exit $status
