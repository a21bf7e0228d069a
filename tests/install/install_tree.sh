#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# `cmake --install` into a temporary prefix: the program, its data and
# translations, the desktop entry, icon, AppStream metadata, man page,
# copyright and changelog land where they should, the two metadata files
# pass their validators (when installed), the installed program finds its
# German translation, and it starts and finds its sample folder.
#
#   bash tests/install/install_tree.sh BUILD_DIR
set -uo pipefail
BUILD=$(cd "${1:?usage: install_tree.sh BUILD_DIR}" && pwd)
HERE=$(cd "$(dirname "$0")" && pwd)
fail() { echo "install_tree: FAILED: $*" >&2; exit 1; }
# shellcheck source=probe.sh
. "$HERE/probe.sh"
P=$(mktemp -d /tmp/quenmoor-install.XXXXXX)
trap 'rm -rf "$P"' EXIT

cmake --install "$BUILD" --prefix "$P" >"$P.log" 2>&1 || { cat "$P.log" >&2; rm -f "$P.log"; fail "cmake --install"; }
rm -f "$P.log"
ID=org.example.Quenmoor
for f in bin/quenmoor share/quenmoor/HAND-M.CUR share/quenmoor/Samples/readme.txt \
         share/quenmoor/examples/skin/x/o.cjs share/quenmoor/examples/skin/README.md \
         libexec/quenmoor/make_samples share/applications/$ID.desktop \
         share/icons/hicolor/scalable/apps/$ID.svg share/metainfo/$ID.metainfo.xml \
         share/man/man1/quenmoor.1.gz share/quenmoor/translations/quenmoor_de.qm \
         share/doc/quenmoor/copyright share/doc/quenmoor/changelog.gz; do
  [ -f "$P/$f" ] || fail "$f is not installed"
done
[ -x "$P/bin/quenmoor" ] || fail "bin/quenmoor is not executable"
# The skin is an example only: the window keeps its plain look.
[ -e "$P/share/quenmoor/x" ] && fail "a skin is installed as the active one"
gzip -t "$P/share/man/man1/quenmoor.1.gz" || fail "the man page is not gzip"
gzip -t "$P/share/doc/quenmoor/changelog.gz" || fail "the changelog is not gzip"
out=$(LC_ALL=de_DE.UTF-8 LANGUAGE= "$P/bin/quenmoor" --help 2>&1)
grep -q '^Aufruf: quenmoor' <<<"$out" || fail "the installed program does not speak German: $out"
if command -v desktop-file-validate >/dev/null; then
  desktop-file-validate "$P/share/applications/$ID.desktop" || fail "desktop-file-validate"
else
  echo "install_tree: desktop-file-validate is missing (desktop-file-utils); not validated"
fi
if command -v appstreamcli >/dev/null; then
  appstreamcli validate --no-net "$P/share/metainfo/$ID.metainfo.xml" ||
    fail "appstreamcli validate"
else
  echo "install_tree: appstreamcli is missing (appstream); not validated"
fi
# The install dated the samples from today, as a build does.
[ "$(stat -c %Y "$P/share/quenmoor/Samples/planned/next-month.txt")" -gt "$(date +%s)" ] ||
  fail "the installed samples were not dated from today"
probe_installed "$P"
echo "install_tree: passed"
