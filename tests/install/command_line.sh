#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# The program's command line: --help and --version answer without a window
# or a display; --find searches without either, and without a D-Bus
# session, and with --trash or --move-to acts on what it found, which
# --undo takes back; folders as arguments want the window; any other
# argument is refused.  In English, and once in German.
#
#   bash tests/install/command_line.sh BUILD_DIR
set -uo pipefail
BUILD=$(cd "${1:?usage: command_line.sh BUILD_DIR}" && pwd)
fail() { echo "command_line: FAILED: $*" >&2; exit 1; }
# No display of any kind: a window could not open.
run() {
  env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM -u LANGUAGE -u DBUS_SESSION_BUS_ADDRESS \
    LC_ALL="${LC:-C.UTF-8}" TZ=Europe/Berlin "$BUILD/quenmoor" "$@"
}

out=$(run --help 2>&1) || fail "--help exits with $?"
grep -q '^Usage: quenmoor \[--help | --version\]' <<<"$out" || fail "--help says: $out"
out=$(run --version 2>&1) || fail "--version exits with $?"
[[ "$out" =~ ^quenmoor\ [0-9]+\.[0-9]+ ]] || fail "--version says: $out"
for bad in --bogus -platform "--help --version" "/tmp --bogus"; do
  # shellcheck disable=SC2086  # the last case is two arguments
  out=$(run $bad 2>&1)
  rc=$?
  [ $rc -eq 2 ] || fail "'$bad' exits with $rc"
  word=${bad%% *}
  [ "$bad" = "/tmp --bogus" ] && word=--bogus
  grep -q "^quenmoor: unknown argument '$word' (try quenmoor --help)$" <<<"$out" ||
    fail "'$bad' says: $out"
done
# Without arguments, or with folders, the program wants its window, and
# says there is no display.
for args in "" "/tmp" "-- /tmp"; do
  # shellcheck disable=SC2086  # the arguments are split on purpose
  out=$(run $args 2>&1)
  rc=$?
  [ $rc -eq 2 ] && grep -q "no display found" <<<"$out" || fail "'$args', no display: $rc $out"
done
out=$(LC=de_DE.UTF-8 run --bogus 2>&1)
[ "$out" = "quenmoor: unbekanntes Argument „--bogus“ (siehe quenmoor --help)" ] ||
  fail "in German, '--bogus' says: $out"

# --find, on a tree with set dates: a winter and a summer file, a file in a
# subfolder, one the search leaves out, and a name with a tab.
tree=$(mktemp -d)
trap 'rm -rf "$tree"' EXIT
tab=$(printf '\t')
mkdir -p "$tree/sub"
printf 'winter' >"$tree/winter.txt"
printf 'summer!' >"$tree/sub/summer.txt"
printf 'x' >"$tree/~lock.txt"
printf 'tab' >"$tree/a${tab}b"
for f in "$tree/winter.txt" "$tree/~lock.txt" "$tree/a${tab}b"; do
  TZ=Europe/Berlin touch -m -d '2024-01-15 12:00:00' "$f"
done
TZ=Europe/Berlin touch -m -d '2024-07-15 23:30:00' "$tree/sub/summer.txt"
find_() { run --find --date modified "$@"; }
out=$(cd "$tree/sub" && find_ --before 2024-12-31 .. 2>&1) || fail "--find exits with $?: $out"
listed=$(printf '%s\n' "$tree/a${tab}b" "$tree/sub/summer.txt" "$tree/winter.txt" | sort)
[ "$(sort <<<"$out")" = "$listed" ] || fail "--find lists: $out"
out=$(find_ --on 2024-01-15 --format tsv "$tree" | sort)
expected=$(printf '%s\t%s\t%s\n' "$tree/a\\tb" 2024-01-15T12:00:00+01:00 3 \
  "$tree/winter.txt" 2024-01-15T12:00:00+01:00 6 | sort)
[ "$out" = "$expected" ] || fail "--format tsv gives: $out"
out=$(find_ --after 2024-06-30 --format json "$tree/")
python3 -c 'import json, sys
row = json.loads(sys.stdin.read())
assert row == {"path": sys.argv[1], "date": "2024-07-15T23:30:00+02:00", "size": 7}, row' \
  "$tree/sub/summer.txt" <<<"$out" || fail "--format json gives: $out"
[ "$(find_ --between 2024-01-15 2024-01-15 --format null "$tree" | tr '\0' '\n' | sort)" = \
  "$(printf '%s\n' "$tree/a${tab}b" "$tree/winter.txt" | sort)" ] || fail "--format null"
# The first day after the last: no rows, no error.
out=$(find_ --between 2024-12-31 2024-01-01 "$tree" 2>&1) && [ -z "$out" ] ||
  fail "a reversed --between gives $?: $out"
# Filters: a folder left out by name, a least size, a name pattern.
out=$(find_ --before 2024-12-31 --exclude sub --min-size 4 "$tree" 2>&1) &&
  [ "$out" = "$tree/winter.txt" ] || fail "--exclude sub --min-size 4 gives: $out"
out=$(find_ --before 2024-12-31 --name '*.txt' --max-size 6B "$tree" 2>&1) &&
  [ "$out" = "$tree/winter.txt" ] || fail "--name '*.txt' --max-size 6B gives: $out"
# A missing folder is reported and left out; the others are searched.
out=$(find_ --on 2024-07-15 "$tree/missing" "$tree/sub" 2>/dev/null)
rc=$?
[ $rc -eq 1 ] && [ "$out" = "$tree/sub/summer.txt" ] || fail "a missing folder: $rc $out"
err=$(find_ --on 2024-07-15 "$tree/missing" "$tree/sub" 2>&1 >/dev/null)
[ "$err" = "quenmoor: $tree/missing: no such folder; it is left out" ] || fail "says: $err"
# A folder inside one given after it goes, with the window's message.
err=$(find_ --on 2024-07-15 "$tree/sub" "$tree" 2>&1 >/dev/null)
pruned="quenmoor: $tree/sub/ will be removed because it is a subfolder of another folder"
[ "$err" = "$pruned that you added." ] || fail "pruning says: $err"
# Wrong command lines: a reason, a pointer to --help, status 2, no rows.
while IFS='|' read -r args reason; do
  # shellcheck disable=SC2086  # the arguments are split on purpose
  out=$(run --find $args 2>&1)
  rc=$?
  [ $rc -eq 2 ] || fail "'--find $args' exits with $rc: $out"
  [ "$out" = "quenmoor: $reason (try quenmoor --help)" ] || fail "'--find $args' says: $out"
done <<'CASES'
--on 2025-02-30 /tmp|there is no day 2025-02-30
--on 2024-3-1 /tmp|'2024-3-1' is not a date of the form YYYY-MM-DD
--not-accessed-days -3 /tmp|'-3' is not a whole number of days, 0 or more
--not-accessed-days x /tmp|'x' is not a whole number of days, 0 or more
/tmp|no rule: give one of --after, --before, --on, --between, --not-accessed-days
--on 2024-01-01 --after 2024-01-01 /tmp|two rules, '--on' and '--after': give one
--on 2024-01-01|no folder to search
--frobnicate --on 2024-01-01 /tmp|unknown option '--frobnicate'
--date changed --on 2024-01-01 /tmp|unknown date type 'changed': use accessed, modified or created
--format csv --on 2024-01-01 /tmp|unknown format 'csv': use lines, null, tsv or json
/tmp --between 2024-01-01|'--between' needs two dates
--on 2024-01-01 --min-size 10Q /tmp|'10Q' is not a size: give a number and a unit, such as 10M, 1.5G or 500KiB
CASES
out=$(LC=de_DE.UTF-8 run --find --on 2025-02-30 /tmp 2>&1)
[ "$out" = "quenmoor: den Tag 2025-02-30 gibt es nicht (siehe quenmoor --help)" ] ||
  fail "in German, a wrong date says: $out"

# --trash, --move-to, --dry-run and --undo, in a home of their own.
export HOME="$tree/home" XDG_DATA_HOME="$tree/home/.local/share" XDG_STATE_HOME="$tree/home/.local/state"
mkdir -p "$HOME"
# Every entry, with a file's size and dates (a folder's access time is its
# listing's, this one's too).
listing() {
  find "$tree/sub" "$tree/dest" "$HOME" \( -type d -printf '%p/\n' \) -o -printf '%p %s %T@ %A@\n' |
    sort
}
mkdir -p "$tree/dest"
before=$(listing)
out=$(find_ --before 2024-12-31 --trash --dry-run "$tree/sub" 2>"$tree/err")
rc=$?
[ $rc -eq 0 ] || fail "--dry-run exits with $rc: $out"
[ "$out" = "$tree/sub/summer.txt" ] &&
  [ "$(cat "$tree/err")" = "quenmoor: dry run: 1 of 1 file would be moved to the trash; nothing was changed" ] ||
  fail "--trash --dry-run says: $out $(cat "$tree/err")"
rm "$tree/err"
[ "$(listing)" = "$before" ] || fail "--dry-run changed: $(diff <(echo "$before") <(listing))"
out=$(find_ --before 2024-12-31 --move-to "$tree/dest" "$tree/sub" 2>&1) ||
  fail "--move-to exits with $?: $out"
[ "$out" = "$tree/sub/summer.txt" ] && [ -f "$tree/dest/summer.txt" ] && [ ! -e "$tree/sub/summer.txt" ] ||
  fail "--move-to says: $out"
[ -f "$XDG_STATE_HOME/quenmoor/journal" ] || fail "--move-to wrote no journal"
# Its place taken, the file stays where it went, named with the reason.
printf 'other' >"$tree/sub/summer.txt"
out=$(run --undo 2>&1)
rc=$?
[ $rc -eq 1 ] && [ "$out" = "quenmoor: $tree/sub/summer.txt: not put back (its place is taken by another file)" ] ||
  fail "--undo onto a taken place: $rc $out"
out=$(LC=de_DE.UTF-8 run --undo 2>&1)
[ "$out" = "quenmoor: $tree/sub/summer.txt: nicht zurückgelegt (an ihrem Platz liegt eine andere Datei)" ] ||
  fail "in German, --undo onto a taken place says: $out"
rm "$tree/sub/summer.txt"
out=$(run --undo 2>&1) && [ "$out" = "$tree/sub/summer.txt" ] || fail "--undo: $? $out"
[ "$(cat "$tree/sub/summer.txt")" = "summer!" ] && [ ! -e "$tree/dest/summer.txt" ] ||
  fail "--undo did not put summer.txt back"
out=$(run --undo 2>&1) && [ "$out" = "quenmoor: nothing to undo" ] || fail "a second --undo: $? $out"
out=$(find_ --on 2024-01-15 --trash "$tree/sub" "$tree" 2>/dev/null)
[ $? -eq 0 ] && [ ! -e "$tree/winter.txt" ] || fail "--trash: $out"
command -v trash-list >/dev/null && { trash-list 2>/dev/null | grep -F " $tree/winter.txt" >/dev/null || fail "trash-list does not show winter.txt"; }
out=$(run --undo 2>&1) && [ -f "$tree/winter.txt" ] || fail "--undo after --trash: $out"
# (trash-list shows every trash of the machine: only this test's files count.)
command -v trash-list >/dev/null && { ! trash-list 2>/dev/null | grep -F " $tree/" >/dev/null ||
  fail "trash-list still shows $(trash-list 2>&1 | grep -F " $tree/")"; }
echo "command_line: passed"
