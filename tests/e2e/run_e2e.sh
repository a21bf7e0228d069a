#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# End-to-end test: the built program in a real X window under Xvfb, driven
# from outside with real pointer moves, clicks and key presses (xdotool),
# with a fresh home, real files and the real trash.  Every step leaves a
# screenshot in BUILD_DIR/e2e-shots/; a failure names its step.
#
#   bash tests/e2e/run_e2e.sh BUILD_DIR
set -uo pipefail

BUILD=$(cd "${1:?usage: run_e2e.sh BUILD_DIR}" && pwd)
SRC=$(cd "$(dirname "$0")/../.." && pwd)
HERE="$SRC/tests/e2e"
SHOTS="$BUILD/e2e-shots"
for tool in Xvfb xdotool trash-list python3 xclip; do
  command -v "$tool" >/dev/null || { echo "e2e: $tool is missing (scripts/setup.sh installs it)" >&2; exit 1; }
done
for built in quenmoor screenshot close_window pointer_image; do
  [ -x "$BUILD/$built" ] || { echo "e2e: $BUILD/$built is not built" >&2; exit 1; }
done

T=$(mktemp -d /tmp/quenmoor-e2e.XXXXXX)
rm -rf "$SHOTS"
mkdir -p "$SHOTS"
XVFB_PID=
APP_PID=
DEST=
IMMUTABLE=
BIG=
BIG_PID=
BIG_VIEW=
cleanup() {
  [ -n "$BIG_VIEW" ] && { fusermount -u "$BIG_VIEW" 2>/dev/null || umount "$BIG_VIEW" 2>/dev/null; }
  [ -n "$IMMUTABLE" ] && chattr -i "$IMMUTABLE" 2>/dev/null
  [ -n "$BIG_PID" ] && kill "$BIG_PID" 2>/dev/null
  [ -n "$APP_PID" ] && kill "$APP_PID" 2>/dev/null
  [ -n "$XVFB_PID" ] && kill "$XVFB_PID" 2>/dev/null
  wait 2>/dev/null
  rm -rf "$T"
  [ -n "$DEST" ] && rm -rf "$DEST"
  [ -n "$BIG" ] && rm -rf "$BIG"
}
trap cleanup EXIT

STEP="start-up"
STARTED=$(date +%s%N)
fail() {
  echo "e2e: FAILED at step \"$STEP\": $*" >&2
  "$BUILD/screenshot" "$SHOTS/FAILED-$STEP.png" >/dev/null 2>&1
  [ -s "$T/app.log" ] && { echo "--- program output:" >&2; cat "$T/app.log" >&2; }
  exit 1
}
step() {
  STEP=$1
  local ms=$((($(date +%s%N) - STARTED) / 1000000))
  printf 'e2e: %-20s at %d.%03d s\n' "$STEP" $((ms / 1000)) $((ms % 1000))
}
# wait_for SECONDS CONDITION...: polls the condition every 0.1 s.
wait_for() {
  local limit=$1
  shift
  local end=$((SECONDS + limit))
  until "$@"; do
    [ $SECONDS -ge $end ] && return 1
    sleep 0.1
  done
}

# ---- the virtual display and the program --------------------------------
exec 3>"$T/display"
Xvfb -displayfd 3 -screen 0 1280x800x24 -nolisten tcp -noreset >"$T/xvfb.log" 2>&1 &
XVFB_PID=$!
exec 3>&-
wait_for 10 test -s "$T/display" || fail "Xvfb did not start: $(cat "$T/xvfb.log")"
export DISPLAY=":$(head -1 "$T/display")"

# A fresh home: nothing from the user running the test leaks in.
export HOME="$T/home" XDG_CONFIG_HOME="$T/home/.config" XDG_DATA_HOME="$T/home/.local/share"
export XDG_STATE_HOME="$T/home/.local/state"
export XDG_RUNTIME_DIR="$T/run"
unset QT_QPA_PLATFORM WAYLAND_DISPLAY XDG_CACHE_HOME LANGUAGE
# The program's own English, whatever the user's language: windows are found
# by their titles.
export LC_ALL=C.UTF-8
mkdir -p "$XDG_CONFIG_HOME" "$XDG_DATA_HOME" "$XDG_RUNTIME_DIR"
chmod 700 "$XDG_RUNTIME_DIR"
INI="$XDG_CONFIG_HOME/Vellumark.ini"

# ---- the files the searches find ----------------------------------------
# Access dates relative to today, so each rule finds a known set:
#   After today: 2   On today: 1   Before today: 8
#   Between a year ago and today: 3   Not accessed in 300 days: 6
S="$T/scope"
mkdir -p "$S/child"
# The move's destination: on another file system when there is one at hand,
# so the files are copied and their sources removed rather than renamed.
if [ -d /dev/shm ] && [ -w /dev/shm ] && [ "$(stat -c %d /dev/shm)" != "$(stat -c %d "$T")" ]; then
  DEST=$(mktemp -d /dev/shm/quenmoor-e2e.XXXXXX)
else
  DEST="$T/dest"
  mkdir -p "$DEST"
fi
today=$(date +%F)
accessed() { stat -c %X "$@"; }
at() {  # at FILE DAYS: a file last accessed (and modified) at noon, DAYS from today
  local when
  when="$(date -d "$today $2 days" +%F) 12:00"
  printf '%s\n' "$1" >"$1"
  touch -m -d "$when" "$1" && touch -a -d "$when" "$1" || fail "cannot date $1"
}
at "$S/future-1.txt" +3
at "$S/future-2.txt" +3
at "$S/today.txt" 0
at "$S/recent-1.txt" -100
at "$S/recent-2.txt" -100
for n in a b c d e; do at "$S/old-$n.txt" -400; chmod 640 "$S/old-$n.txt"; done
at "$S/~lock.txt" -400        # never listed
CHILD_OLD="$S/child/old child 100% ü.txt"  # the trash writes it URL-encoded
at "$CHILD_OLD" -500
# Many paths from few files for the long search (a few seconds): s00 and
# every folder below it down to 15 levels hold 36 files and two subfolders,
# x and y, so some 65000 folders and 2.4 million names, nearly all hard
# links.  (Links to folders would not do: a search walks each folder once.)
# It goes on tmpfs where there is one, being quicker to make and to remove
# there, and is laid out while the first steps run.
if [ -d /dev/shm ] && [ -w /dev/shm ]; then
  BIG=$(mktemp -d /dev/shm/quenmoor-e2e-big.XXXXXX)
else
  BIG="$T/big"
fi
python3 - "$BIG" <<'EOF' &
import os, sys
level = [os.path.join(sys.argv[1], "s00")]
made = 0
for depth in range(16):
    below = []
    for folder in level:
        os.mkdir(folder)
        # Fresh files now and then: a file system may allow some 65000
        # links to one file.
        if made % 30000 == 0:
            files = [os.path.join(folder, "f%02d.dat" % f) for f in range(36)]
            for name in files:
                open(name, "w").close()
        else:
            for f, name in enumerate(files):
                os.link(name, os.path.join(folder, "f%02d.dat" % f))
        made += 1
        if depth < 15:
            below += [os.path.join(folder, "x"), os.path.join(folder, "y")]
    level = below
EOF
BIG_PID=$!
SCOPE_FILES=("$S"/*.txt "$S"/child/*.txt)
ACCESSED_BEFORE=$(accessed "${SCOPE_FILES[@]}")
OLD_ACCESSED=$(accessed "$S/old-a.txt")

# ---- driving the window -------------------------------------------------
WIN=
OX=0
OY=0
shot() {  # shot NAME: the step's picture
  "$BUILD/screenshot" "$SHOTS/$1.png" >/dev/null 2>&1 || fail "no screenshot $1.png"
}
look() {  # look: a fresh picture for reading the window
  "$BUILD/screenshot" "$T/look.ppm" >/dev/null 2>&1 || fail "no screenshot to read"
}
rows_in() { look && python3 "$HERE/shot.py" rows "$T/look.ppm" "$OX" "$OY" "$1"; }
ticked() { look && python3 "$HERE/shot.py" ticked "$T/look.ppm" "$OX" "$OY" "$1"; }
rows_are() { [ "$(rows_in "$1")" = "$2" ]; }
expect_rows() {  # expect_rows LIST N WHAT
  wait_for 8 rows_are "$1" "$2" || fail "$3: expected $2 rows in $1, the window shows $(rows_in "$1")"
}
point() {  # point X Y: screen pixels
  # (a synchronous move to where the pointer already is would wait for ever)
  local here
  here=$(xdotool getmouselocation --shell | head -2 | tr '\n' ' ')
  [ "$here" = "X=$1 Y=$2 " ] || xdotool mousemove --sync "$1" "$2"
}
click() {  # click X Y: client pixels of the main window
  point $((OX + $1)) $((OY + $2))
  xdotool click 1
  sleep 0.15
}
key() { xdotool key "$@"; sleep 0.1; }
visible_windows() { xdotool search --onlyvisible --name "$1" 2>/dev/null | sort; }
# A message box carries the program's title, like the main window.
dialog_open() { [ "$(visible_windows '^Quenmoor$' | grep -cvx "$WIN")" -ge 1 ]; }
no_dialog() { ! dialog_open; }
browser_open() { [ -n "$(visible_windows '^Please select folder:$')" ]; }
browser_closed() { ! browser_open; }
# Escape closes the browser; on a loaded machine the first key can come
# before the dialog has the keyboard, so it is pressed again while the
# dialog stays.
escape_browser() {
  local tries
  for tries in 1 2 3 4; do
    key Escape
    wait_for 3 browser_closed && return 0
  done
  return 1
}
dismiss_dialog() {  # Enter on the message box (its default button)
  local box X Y WIDTH HEIGHT
  box=$(visible_windows '^Quenmoor$' | grep -vx "$WIN" | head -1)
  eval "$(xdotool getwindowgeometry --shell "$box" | grep -E '^(X|Y|WIDTH|HEIGHT)=')"
  point $((X + WIDTH / 2)) $((Y + 10))
  key Return
  box_gone() { ! visible_windows '^Quenmoor$' | grep -qx "$box"; }
  wait_for 5 box_gone || fail "the message box did not close on Enter"
}
browse_to() {  # browse_to FOLDER: type the path into the folder browser
  wait_for 8 browser_open || fail "the folder browser did not open"
  local b X Y WIDTH HEIGHT
  b=$(visible_windows '^Please select folder:$' | head -1)
  eval "$(xdotool getwindowgeometry --shell "$b" | grep -E '^(X|Y|WIDTH|HEIGHT)=')"
  point $((X + WIDTH / 2)) $((Y + HEIGHT / 2))
  xdotool type --delay 8 "$1"
  sleep 0.2
  key Return
  wait_for 8 browser_closed || fail "the folder browser stayed open after Enter on $1"
}
setting() {  # setting KEY: its value in the settings file, or <absent>
  python3 - "$INI" "$1" <<'EOF'
import configparser, sys
c = configparser.RawConfigParser()
c.optionxform = str
try:
    c.read(sys.argv[1], encoding="utf-8")
    print(c.get("Quenmoor", sys.argv[2]))
except Exception:
    print("<absent>")
EOF
}
setting_is() { [ "$(setting "$1")" = "$2" ]; }
expect_setting() {
  wait_for 5 setting_is "$1" "$2" || fail "settings: $1 is \"$(setting "$1")\", expected \"$2\""
}
expect_rule() {  # expect_rule N: Option N is the one True rule key
  local k
  for k in 4 5 6 7 8; do
    if [ "$k" = "$1" ]; then expect_setting "Option$k" True; else expect_setting "Option$k" False; fi
  done
}
# The pointer's size and hot spot, e.g. "32x32 hot=10,1".
pointer() { "$BUILD/pointer_image" | cut -d' ' -f1-2; }
pointer_is() { [ "$(pointer)" = "$1" ]; }
pointer_is_not() { [ "$(pointer)" != "$1" ]; }
# The hand is the picture in HAND-M.CUR: its size and hot spot.
HAND=$(python3 - "$BUILD/HAND-M.CUR" <<'EOF'
import struct, sys
d = open(sys.argv[1], "rb").read()
w, h = d[6] or 256, d[7] or 256
x, y = struct.unpack("<HH", d[10:14])
print("%dx%d hot=%d,%d" % (w, h, x, y))
EOF
)
cpu_ticks() { awk '{print $14 + $15}' "/proc/$APP_PID/stat" 2>/dev/null || echo 0; }
app_gone() { ! kill -0 "$APP_PID" 2>/dev/null; }

# The window's designed size, with the status line along its bottom.
DEFAULT_SIZE=1064x511
start_program() {  # start_program [WxH [FOLDER...]]: as the start command leaves it, from the source folder
  local size=${1:-$DEFAULT_SIZE}
  [ $# -gt 0 ] && shift
  (cd "$SRC" && exec "$BUILD/quenmoor" "$@") >>"$T/app.log" 2>&1 &
  APP_PID=$!
  find_window() { WIN=$(visible_windows '^Quenmoor$' | head -1); [ -n "$WIN" ]; }
  wait_for 15 find_window || fail "no visible window captioned Quenmoor"
  eval "$(xdotool getwindowgeometry --shell "$WIN")"
  OX=$X
  OY=$Y
  [ "${WIDTH}x$HEIGHT" = "$size" ] || fail "the window is ${WIDTH}x$HEIGHT, not $size"
  [ "$(xdotool getwindowname "$WIN")" = Quenmoor ] || fail "caption is $(xdotool getwindowname "$WIN")"
  # Start-up reports go before the window shows; give one a moment.
  sleep 0.3
  no_dialog || fail "a message box opened at start-up"
}
# Control centres, client pixels.
START=(796 21)        ADD=(267 196)        CLEAR=(135 230)      SAMPLE=(399 230)
AFTER=(30 334)        BEFORE=(31 364)      ON=(31 394)          BETWEEN=(31 424)
NOT_ACCESSED=(31 454) DAYS=(402 454)       FROM_YEAR=(212 425)
ACCESSED_TYPE=(31 276) CREATED=(271 276)
MOVE=(927 463)        UNSELECT_ALL=(927 429)        TRASH=(663 463)
box() { click 547 $((68 + 14 * ($1 - 1))); }  # the check box of result row N
search() { click "${START[@]}"; }

# ---- 1. the window opens with its caption --------------------------------
step window-opens
start_program
# A first run stores the empty days text that replaced the design's "300".
expect_setting "Access in days" ""
expect_rows list1 0 "a new window"
# Pointers: the arrow over the lists, the hand over the buttons.
point 1270 790
ROOT=$(pointer)  # the bare screen's, outside the window
point $((OX + 700)) $((OY + 300))
wait_for 3 pointer_is_not "$ROOT" || fail "the window sets no pointer of its own"
ARROW=$(pointer)
[ "$ARROW" != "$HAND" ] || fail "the pointer over the result list is the hand"
point $((OX + ${SAMPLE[0]})) $((OY + ${SAMPLE[1]}))
wait_for 3 pointer_is "$HAND" || fail "the pointer over a button is $(pointer), not the hand ($HAND)"
point $((OX + 100)) $((OY + 100))
wait_for 3 pointer_is "$ARROW" || fail "the pointer over the folder list is $(pointer), not the arrow ($ARROW)"
shot 01-window-opens

# ---- 2. the sample folder ------------------------------------------------
step sample-folder
click "${SAMPLE[@]}"
expect_rows list1 1 "Load Sample/Example Folder"
search
# Only the sample file dated next month lies after today.
expect_rows list2 1 "a search of the sample folder for files after today"
no_dialog || fail "a message box opened during the sample search"
shot 02-sample-folder

# ---- 3. a folder added through the folder browser ------------------------
step folder-browser
click "${CLEAR[@]}"
expect_rows list1 0 "Clear List"
click "${ADD[@]}"
browse_to "$S/child"
expect_rows list1 1 "Add Folder Or Drive with $S/child"
shot 03-folder-browser

# ---- 4. a nested row is pruned with its message --------------------------
step nested-row
click "${ADD[@]}"
browse_to "$S"
expect_rows list1 2 "Add Folder Or Drive with $S"
search
wait_for 8 dialog_open || fail "no message about the nested folder"
shot 04-nested-row-message
dismiss_dialog
expect_rows list1 1 "pruning the nested row"
expect_rows list2 2 "After today"
shot 04-nested-row-pruned

# ---- 5. the five rules ---------------------------------------------------
step rule-before
click "${BEFORE[@]}"
expect_rule 5
search
expect_rows list2 8 "Before today"
shot 05-rule-before

step rule-on
click "${ON[@]}"
expect_rule 6
search
expect_rows list2 1 "On today"
shot 05-rule-on

step date-created
# The date type is not remembered; with "Date Created" every file made for
# this test was created today, where the file system records birth times.
saved=$(cat "$INI")
click "${CREATED[@]}"
created_today=0
[ "$(stat -c %W "$S/today.txt")" != 0 ] && created_today=11
search
expect_rows list2 "$created_today" "Date Created, on today"
[ "$(cat "$INI")" = "$saved" ] || fail "choosing the date type changed the settings"
shot 05-date-created
click "${ACCESSED_TYPE[@]}"

step rule-after
click "${AFTER[@]}"
expect_rule 4
search
expect_rows list2 2 "After today"
shot 05-rule-after

step rule-between
# The first date a year back: its year, one step down; leaving the picker
# stores it.
click "${FROM_YEAR[@]}"
key Down
click "${BETWEEN[@]}"
expect_rule 7
year_ago=$(python3 -c 'import datetime as d; t = d.date.today()
try: a = t.replace(year=t.year - 1)
except ValueError: a = t.replace(year=t.year - 1, day=28)
print((a - d.date(1899, 12, 30)).days)')
expect_setting Date1 "$year_ago"
search
expect_rows list2 3 "Between a year ago and today"
shot 05-rule-between

step rule-not-accessed
click "${NOT_ACCESSED[@]}"
expect_rule 8
# The days box is empty on a first run: the search asks for a number.
search
wait_for 8 dialog_open || fail "no message asking for the number of days"
shot 05-rule-days-missing
dismiss_dialog
expect_rows list2 0 "an empty days box"
click "${DAYS[@]}"
xdotool type --delay 30 300
expect_setting "Access in days" 300
search
expect_rows list2 6 "not accessed in 300 days"
shot 05-rule-not-accessed
[ "$(accessed "${SCOPE_FILES[@]}")" = "$ACCESSED_BEFORE" ] || fail "searching changed access times"

# ---- 6. rows ticked with the mouse ---------------------------------------
step tick-rows
# Rows come in walk order: the folder's own files as the file system lists
# them, then its subfolder's.
mapfile -t OLD < <(python3 - "$S" <<'EOF'
import os, sys
for n in os.listdir(sys.argv[1]):
    if n.startswith("old-"):
        print(os.path.join(sys.argv[1], n))
EOF
)
OLD+=("$CHILD_OLD")
[ "${#OLD[@]}" = 6 ] || fail "expected 6 old files, found ${#OLD[@]}"
box 1
box 3
for r in 1 2 3 4 5 6; do
  want=0
  [ "$r" = 1 ] || [ "$r" = 3 ] && want=1
  [ "$(ticked "$r")" = "$want" ] || fail "row $r: ticked is $(ticked "$r"), expected $want"
done
shot 06-tick-rows

# ---- 7. Move To Folder ----------------------------------------------------
step move-to-folder
# Cancelling the browser moves nothing and remembers nothing.
click "${MOVE[@]}"
wait_for 8 browser_open || fail "the folder browser did not open"
escape_browser || fail "Escape did not close the folder browser"
sleep 0.3
[ -z "$(ls "$DEST")" ] || fail "a cancelled move put $(ls "$DEST") in the destination"
expect_setting LastFolder "<absent>"
click "${MOVE[@]}"
browse_to "$DEST"
in_dest() { local i; for i; do [ -f "$DEST/$(basename "${OLD[$i]}")" ] || return 1; done; }
wait_for 10 in_dest 0 2 || fail "the ticked files did not arrive in $DEST: $(ls "$DEST")"
for i in 0 2; do
  [ ! -e "${OLD[$i]}" ] || fail "${OLD[$i]} was moved but is still in its folder"
  moved="$DEST/$(basename "${OLD[$i]}")"
  # (reading it would set its access time)
  [ "$(accessed "$moved")" = "$OLD_ACCESSED" ] || fail "$moved lost its access time"
  [ "$(stat -c %a "$moved")" = 640 ] || fail "$moved lost its permission bits"
  [ "$(cat "$moved")" = "${OLD[$i]}" ] || fail "$moved has other contents"
done
for i in 1 3 4 5; do [ -f "${OLD[$i]}" ] || fail "${OLD[$i]} was not ticked but left its folder"; done
[ "$(ls "$DEST" | wc -l)" = 2 ] || fail "the destination holds $(ls "$DEST")"
expect_setting LastFolder "$DEST"
no_dialog || fail "a message box opened after a clean move"
expect_rows list2 4 "the moved rows leaving the list"
shot 07-move-to-folder
# The next move starts in the remembered folder: Enter takes it.
box 2
click "${MOVE[@]}"
wait_for 8 browser_open || fail "the folder browser did not open again"
sleep 0.3
shot 07-move-remembered-folder
key Return
wait_for 8 browser_closed || fail "Enter did not accept the remembered folder"
wait_for 10 in_dest 3 || fail "${OLD[3]} did not arrive in the remembered folder: $(ls "$DEST")"
[ ! -e "${OLD[3]}" ] || fail "${OLD[3]} was moved but is still in its folder"
expect_rows list2 3 "the second move"
# A file moved into its own folder stays, and says so; its row stays ticked.
box 2
click "${MOVE[@]}"
browse_to "$S"
wait_for 8 dialog_open || fail "no message about a file already in that folder"
shot 07-move-same-folder
dismiss_dialog
[ -f "${OLD[4]}" ] || fail "${OLD[4]}, moved into its own folder, is gone"
expect_setting LastFolder "$S"
expect_rows list2 3 "a move into the file's own folder"
[ "$(ticked 2)" = 1 ] || fail "the row of the file that was not moved is no longer ticked"
click "${UNSELECT_ALL[@]}"
[ "$(ticked 2)" = 0 ] || fail "Unselect All left row 2 ticked"

# ---- 8. Send Checked To Recycle Bin --------------------------------------
step recycle-bin
# Rows now: the old files once at 2 and 5, and the child's file; trash the
# first and the last.
box 1
box 3
click "${TRASH[@]}"
wait_for 8 dialog_open || fail "no confirmation before trashing"
shot 08-recycle-confirm
dismiss_dialog
trashed() { [ ! -e "${OLD[1]}" ] && [ ! -e "${OLD[5]}" ]; }
wait_for 10 trashed || fail "the ticked files are still in place"
[ -f "${OLD[4]}" ] || fail "${OLD[4]} was not ticked but left its folder"
listing=$(trash-list 2>&1)
for i in 1 5; do
  grep -qF " ${OLD[$i]}" <<<"$listing" || fail "trash-list does not show ${OLD[$i]}: $listing"
done
# (trash-list shows every trash on the machine: only this test's files count,
# as other tests running beside it may trash files of their own.)
[ "$(grep -cF " $T/" <<<"$listing")" = 2 ] || fail "the trash holds more than the two files: $listing"
expect_rows list2 1 "the trashed rows leaving the list"
shot 08-recycle-bin
# Ctrl+Z puts both back where they were, out of the trash, and lists them
# again, ticked; the trash then takes them again at one click.  (A click on
# the results' empty part first: without a window manager the keyboard
# goes where the pointer is.)
click 700 300
key ctrl+z
back() { [ -f "${OLD[1]}" ] && [ -f "${OLD[5]}" ]; }
wait_for 10 back || fail "Ctrl+Z did not put the trashed files back"
for i in 1 5; do [ "$(cat "${OLD[$i]}")" = "${OLD[$i]}" ] || fail "${OLD[$i]} came back changed"; done
[ "$(trash-list 2>/dev/null | grep -cF " $T/")" = 0 ] || fail "the trash still lists them: $(trash-list 2>&1)"
expect_rows list2 3 "the files put back"
[ "$(ticked 2)" = 1 ] && [ "$(ticked 3)" = 1 ] || fail "the rows put back are not ticked"
no_dialog || fail "a message box opened after a clean undo"
shot 08-undo
click "${TRASH[@]}"
wait_for 8 dialog_open || fail "no confirmation before trashing again"
dismiss_dialog
wait_for 10 trashed || fail "the files put back did not go to the trash again"
expect_rows list2 1 "the rows trashed again"
# A file the trash cannot take (immutable, where the file system and our
# rights allow that) is named in a message and its row stays ticked.
if chattr +i "${OLD[4]}" 2>/dev/null; then
  IMMUTABLE=${OLD[4]}
  box 1
  click "${TRASH[@]}"
  wait_for 8 dialog_open || fail "no confirmation before trashing"
  dismiss_dialog
  wait_for 8 dialog_open || fail "no message about the file the trash could not take"
  shot 08-recycle-refused
  dismiss_dialog
  chattr -i "$IMMUTABLE"
  IMMUTABLE=
  [ -f "${OLD[4]}" ] || fail "${OLD[4]} could not be trashed but is gone"
  [ "$(trash-list 2>/dev/null | grep -cF " $T/")" = 2 ] || fail "the trash changed: $(trash-list 2>&1)"
  expect_rows list2 1 "a file the trash refused"
  [ "$(ticked 1)" = 1 ] || fail "the row of the file the trash refused is no longer ticked"
  click "${UNSELECT_ALL[@]}"
fi

# ---- 9. the keyboard alone: Copy Path, Tab to Move To Folder ------------
step keyboard
# One row is left; a click on its path selects it and gives the list the
# focus.  Shift+F10 opens the context menu, C its Copy Path.
click 700 68
key shift+F10
sleep 0.3
shot 09-context-menu
key c
clipboard() { xclip -o -selection clipboard 2>/dev/null; }
copied() { [ "$(clipboard)" = "${OLD[4]}" ]; }
wait_for 3 copied || fail "Copy Path put \"$(clipboard)\" on the clipboard, not ${OLD[4]}"
[ "$(ticked 1)" = 0 ] || fail "the context menu ticked the row"
# Tab leaves the list for the buttons under it: Select All, Unselect All,
# Send Checked To Recycle Bin, Move To Folder; Enter presses it.
key Tab Tab Tab Tab
key Return
wait_for 8 browser_open || fail "Tab four times from the results and Enter did not press Move To Folder"
escape_browser || fail "Escape did not close the folder browser"
expect_rows list2 1 "a cancelled move from the keyboard"

# ---- 10. a window that grows ----------------------------------------------
step resize
xdotool windowsize "$WIN" 1200 700
grown() { eval "$(xdotool getwindowgeometry --shell "$WIN")"; [ "${WIDTH}x$HEIGHT" = 1200x700 ]; }
wait_for 5 grown || fail "the window did not take 1200x700: ${WIDTH}x$HEIGHT"
sleep 0.3
shot 10-resized
# Move To Folder keeps to the results' right edge and bottom: 136 pixels
# wider, a quarter to the left column; 189 taller.
click 1038 652
wait_for 8 browser_open || fail "Move To Folder is not where the grown window puts it"
escape_browser || fail "Escape did not close the folder browser"
# Maximised, as far as a display without a window manager has it: the
# whole screen.
xdotool windowmove "$WIN" 0 0 windowsize "$WIN" 1280 800
sleep 0.5
shot 10-maximised
# Back at the designed size and place every control is where it was.
xdotool windowsize "$WIN" 1064 511 windowmove "$WIN" "$OX" "$OY"
sleep 0.5
click "${UNSELECT_ALL[@]}"
box 1
[ "$(ticked 1)" = 1 ] || fail "back at the designed size, row 1's box is not where it was"
click "${UNSELECT_ALL[@]}"
[ "$(ticked 1)" = 0 ] || fail "back at the designed size, Unselect All is not where it was"

# ---- 11. a search stopped with Esc ----------------------------------------
step stop-with-esc
wait "$BIG_PID" || fail "cannot lay out the big tree"
BIG_PID=
click "${CLEAR[@]}"
click "${ADD[@]}"
browse_to "$BIG/s00"
expect_rows list1 1 "adding the big tree"
# Its files were made today: "On this date" (today) lists them.  A whole
# search first, timed: the next one is stopped well into its last part,
# where each file's date is read (stopped while the folders are walked, a
# search has read no dates yet and lists nothing).
click "${ON[@]}"
point $((OX + 700)) $((OY + 300))
began=$(date +%s%N)
search
wait_for 3 pointer_is_not "$ARROW" || fail "no busy pointer during the search"
wait_for 120 pointer_is "$ARROW" || fail "the whole search of the big tree did not end"
whole_ms=$((($(date +%s%N) - began) / 1000000))
before=$(cpu_ticks)
search
wait_for 3 pointer_is_not "$ARROW" || fail "no busy pointer during the search"
sleep "$(awk -v ms="$whole_ms" 'BEGIN { printf "%.2f", ms * 0.8 / 1000 }')"
shot 11-searching
key Escape
# The search ends at once and lists what it found so far.
stopped_at=$(date +%s%N)
wait_for 5 pointer_is "$ARROW" || fail "Esc did not end the search"
resting() { local t=$(cpu_ticks); sleep 0.3; [ $(($(cpu_ticks) - t)) -le 3 ]; }
wait_for 5 resting || fail "the program still works after Esc"
echo "e2e: a whole search took $whole_ms ms; the stopped one ended $((($(date +%s%N) - stopped_at) / 1000000)) ms after Esc"
[ "$(rows_in list2)" -ge 20 ] || fail "the stopped search lists $(rows_in list2) rows"
shot 11-search-stopped
click "${NOT_ACCESSED[@]}"

# ---- 12. closing the window during a long search -------------------------
step close-during-search
# The search runs off the window's thread and takes the big tree on tmpfs
# in a few seconds: this one goes through a FUSE view of it (as a network
# share or an archive mount would be), slow enough for the steps below.
BIG_SEARCHED="$BIG"
mkdir -p "$T/big-view"
if bindfs --no-allow-other "$BIG" "$T/big-view" 2>/dev/null; then
  BIG_VIEW="$T/big-view"
  BIG_SEARCHED="$BIG_VIEW"
fi
click "${CLEAR[@]}"
click "${ADD[@]}"
browse_to "$BIG_SEARCHED/s00"
expect_rows list1 1 "adding the big tree"
before=$(cpu_ticks)
search
# The program works (its processor time grows) while the search runs.
busy() { [ $(($(cpu_ticks) - before)) -ge 30 ]; }
wait_for 20 busy || fail "the search of the big tree did not get going"
# The window keeps answering: a click adds the sample row mid-search.
click "${SAMPLE[@]}"
expect_rows list1 2 "Load Sample/Example Folder during the search"
# The busy pointer shows and the hover over a button keeps it.
point $((OX + 700)) $((OY + 300))
wait_for 3 pointer_is_not "$ARROW" || fail "no busy pointer during the search"
BUSY=$(pointer)
[ "$BUSY" != "$HAND" ] || fail "the busy pointer is the hand"
point $((OX + ${TRASH[0]})) $((OY + ${TRASH[1]}))
sleep 0.2
pointer_is "$BUSY" || fail "hovering over a button during the search shows $(pointer), not the busy pointer $BUSY"
# Adding a folder mid-search leaves the busy pointer in place.
click "${ADD[@]}"
browse_to "$S"
expect_rows list1 3 "Add Folder Or Drive during the search"
point $((OX + 700)) $((OY + 300))
sleep 0.2
pointer_is "$BUSY" || fail "after adding a folder during the search the pointer is $(pointer), not busy"
# While it runs, the folder list refuses removals and "Clear List" does
# nothing, and trashing does not start.
click 100 34
key Delete
click "${CLEAR[@]}"
sleep 0.3
expect_rows list1 3 "Delete and Clear List during the search"
box 1
click "${TRASH[@]}"
sleep 0.5
no_dialog || fail "trashing started during the search"
[ -f "${OLD[4]}" ] || fail "${OLD[4]} left its folder during the search"
still=$(cpu_ticks)
sleep 0.2
[ "$(cpu_ticks)" -gt "$still" ] || fail "the search had ended before the window was closed; make the tree bigger"
shot 12-long-search
"$BUILD/close_window" "$WIN" || fail "could not ask the window to close"
wait_for 3 app_gone || fail "the program still runs 3 s after its window was closed"
wait "$APP_PID"
status=$?
APP_PID=
[ "$status" = 0 ] || fail "the program ended with status $status"

# ---- 13. the choices come back at the next start -------------------------
step restart
saved=$(cat "$INI")
# A folder given as argument is listed as the browser would add it.
start_program "$DEFAULT_SIZE" "$S"
[ "$(cat "$INI")" = "$saved" ] || fail "start-up changed the settings: $(diff <(echo "$saved") "$INI")"
expect_rows list1 1 "a new start with a folder as argument (the folder list is not kept)"
search
# "Not accessed in 300 days" again: of the folder's files only one old file
# is left.
expect_rows list2 1 "the restored rule"
shot 13-restart
# A size given now is the size of the next start.
xdotool windowsize "$WIN" 1100 600
sleep 1.2  # the size is written a moment after it changes
"$BUILD/close_window" "$WIN" || fail "could not ask the window to close"
wait_for 3 app_gone || fail "the program still runs 3 s after its window was closed"
APP_PID=
grep -qiE 'error|warning|assert' "$T/app.log" && fail "the program printed: $(cat "$T/app.log")"

# ---- 14. the window's size comes back at the next start ------------------
step window-size-kept
start_program 1100x600
"$BUILD/close_window" "$WIN" || fail "could not ask the window to close"
wait_for 3 app_gone || fail "the program still runs 3 s after its window was closed"
APP_PID=
rm -f "$XDG_STATE_HOME/quenmoor/window"

# ---- 15. a stored value that cannot be read is reported -----------------
step unreadable-setting
sed -i -e 's/^Option5=.*/Option5=maybe/' -e 's/^Date2=.*//' "$INI"
echo "Date2=not a date" >>"$INI"
(cd "$SRC" && exec "$BUILD/quenmoor") >>"$T/app.log" 2>&1 &
APP_PID=$!
report_id() { visible_windows '^Application Error$' | head -1; }
report_or_window() { [ -n "$(report_id)" ] || find_window; }
reports=0
while :; do
  wait_for 10 report_or_window || fail "neither an error report nor the window appeared"
  report=$(report_id)
  [ -z "$report" ] && break
  reports=$((reports + 1))
  [ $reports -le 2 ] || fail "more than two error reports at start-up"
  [ $reports = 1 ] && shot 15-unreadable-setting
  eval "$(xdotool getwindowgeometry --shell "$report" | grep -E '^(X|Y|WIDTH)=')"
  point $((X + WIDTH / 2)) $((Y + 10))
  key Return
  report_gone() { ! visible_windows '^Application Error$' | grep -qx "$report"; }
  wait_for 5 report_gone || fail "the error report did not close on Enter"
done
[ $reports = 2 ] || fail "expected an error report for each of the two unreadable values, saw $reports"
wait_for 5 find_window || fail "the window did not open after the reports"
"$BUILD/close_window" "$WIN" || fail "could not ask the window to close"
wait_for 3 app_gone || fail "the program still runs 3 s after its window was closed"
APP_PID=
step done
echo "e2e: all steps passed; screenshots in $SHOTS"
