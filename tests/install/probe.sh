# SPDX-License-Identifier: GPL-3.0-or-later
# Shared by the install and package tests: starts an installed quenmoor on
# the offscreen platform with the start probe (start_probe.cc) and checks it
# found its sample folder and searched it.
#
#   probe_installed PREFIX   (PREFIX/bin/quenmoor, PREFIX/share/quenmoor)
# Needs BUILD (the build folder) and fail().
probe_installed() {
  local prefix=$1 home out samples
  samples="$prefix/share/quenmoor/Samples/"
  home=$(mktemp -d /tmp/quenmoor-probe-home.XXXXXX)
  out=$(cd / && env -u DISPLAY -u WAYLAND_DISPLAY HOME="$home" XDG_CONFIG_HOME="$home/.config" \
    XDG_DATA_HOME="$home/.local/share" XDG_RUNTIME_DIR="$home" QT_QPA_PLATFORM=offscreen \
    QT_PLUGIN_PATH="$BUILD/test_plugins" QT_QPA_GENERIC_PLUGINS=quenmoorstartprobe \
    timeout 60 "$prefix/bin/quenmoor" 2>"$home/stderr")
  local rc=$? err
  err=$(cat "$home/stderr")
  rm -rf "$home"
  [ $rc -eq 0 ] || fail "the installed program ended with $rc: $out $err"
  grep -qxF "folder	$samples" <<<"$out" || fail "the sample folder row is not $samples: $out"
  # "Before today" by date modified: the samples from earlier days, none of
  # today's or next month's, and nothing from anywhere else.
  local found
  found=$(grep -c '^found	' <<<"$out")
  [ "$found" -ge 8 ] || fail "only $found sample files found before today: $out"
  grep '^found	' <<<"$out" | grep -vqF "found	$samples" && fail "a result outside $samples: $out"
  grep -qE "^found	$samples(readme|planned/)" <<<"$out" && fail "today's samples count as older: $out"
  echo "found $found sample files in $samples"
}
