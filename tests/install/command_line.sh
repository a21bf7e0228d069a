#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# The program's command line: --help and --version answer without a window
# or a display; any other argument is refused.  In English, and once in
# German.
#
#   bash tests/install/command_line.sh BUILD_DIR
set -uo pipefail
BUILD=$(cd "${1:?usage: command_line.sh BUILD_DIR}" && pwd)
fail() { echo "command_line: FAILED: $*" >&2; exit 1; }
# No display of any kind: a window could not open.
run() {
  env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM -u LANGUAGE LC_ALL="${LC:-C.UTF-8}" \
    "$BUILD/quenmoor" "$@"
}

out=$(run --help 2>&1) || fail "--help exits with $?"
grep -q '^Usage: quenmoor \[--help | --version\]' <<<"$out" || fail "--help says: $out"
out=$(run --version 2>&1) || fail "--version exits with $?"
[[ "$out" =~ ^quenmoor\ [0-9]+\.[0-9]+ ]] || fail "--version says: $out"
for bad in --bogus -platform /tmp "--help --version"; do
  # shellcheck disable=SC2086  # the last case is two arguments
  out=$(run $bad 2>&1)
  rc=$?
  [ $rc -eq 2 ] || fail "'$bad' exits with $rc"
  grep -q "^quenmoor: unknown argument '${bad%% *}' (try quenmoor --help)$" <<<"$out" ||
    fail "'$bad' says: $out"
done
# Without arguments the program wants its window, and says there is no display.
out=$(run 2>&1)
rc=$?
[ $rc -eq 2 ] && grep -q "no display found" <<<"$out" || fail "no arguments, no display: $rc $out"
out=$(LC=de_DE.UTF-8 run --bogus 2>&1)
[ "$out" = "quenmoor: unbekanntes Argument „--bogus“ (siehe quenmoor --help)" ] ||
  fail "in German, '--bogus' says: $out"
echo "command_line: passed"
