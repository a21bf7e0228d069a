#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# `cpack -G DEB`: the package holds the installed tree under /usr, depends on
# the libraries the binary links (worked out by dpkg-shlibdeps), carries the
# postinst that dates the samples, passes lintian (no error or warning, and
# only the info tags the README lists), and, extracted into a temporary root,
# starts offscreen and finds its sample folder.
#
#   bash tests/install/deb_package.sh BUILD_DIR
set -uo pipefail
BUILD=$(cd "${1:?usage: deb_package.sh BUILD_DIR}" && pwd)
HERE=$(cd "$(dirname "$0")" && pwd)
fail() { echo "deb_package: FAILED: $*" >&2; exit 1; }
# shellcheck source=probe.sh
. "$HERE/probe.sh"
for tool in cpack dpkg-deb dpkg-shlibdeps; do
  command -v "$tool" >/dev/null || fail "$tool is missing (scripts/setup.sh installs dpkg-dev)"
done
T=$(mktemp -d /tmp/quenmoor-deb.XXXXXX)
trap 'rm -rf "$T"' EXIT

(cd "$T" && cpack -G DEB --config "$BUILD/CPackConfig.cmake" -B "$T/out") >"$T/cpack.log" 2>&1 ||
  { cat "$T/cpack.log" >&2; fail "cpack"; }
debs=("$T"/out/quenmoor_*.deb)
[ -f "${debs[0]}" ] || fail "no .deb made: $(ls "$T/out")"
DEB=${debs[0]}
info=$(dpkg-deb --info "$DEB") || fail "dpkg-deb --info"
depends=$(dpkg-deb --field "$DEB" Depends)
for lib in libqt6widgets6 libqt6gui6 libqt6core6 libc6 libstdc++6; do
  [[ ", $depends," =~ ", $lib"[\ ,] ]] || fail "Depends lacks $lib: $depends"
done
grep -q 'postinst' <<<"$info" || fail "no postinst: $info"
contents=$(dpkg-deb --contents "$DEB")
for f in ./usr/bin/quenmoor ./usr/share/quenmoor/Samples/readme.txt ./usr/share/quenmoor/HAND-M.CUR \
         ./usr/libexec/quenmoor/make_samples ./usr/share/applications/org.example.Quenmoor.desktop \
         ./usr/share/man/man1/quenmoor.1.gz ./usr/share/quenmoor/translations/quenmoor_de.qm \
         ./usr/share/doc/quenmoor/copyright ./usr/share/doc/quenmoor/changelog.gz; do
  grep -qE " $f\$" <<<"$contents" || fail "$f is not in the package"
done

[[ ", $(dpkg-deb --field "$DEB" Recommends)," =~ ", qt6-translations-l10n," ]] ||
  fail "the package does not recommend Qt's translations"

# The info tags left, each with its reason in the README.
lintian_allowed='package-contains-documentation-outside-usr-share-doc'
if command -v lintian >/dev/null; then
  lint=$(lintian -EvIL +pedantic "$DEB" 2>/dev/null | grep -E '^[A-Z]: ')
  unexpected=$(grep -vE "^[IP]: quenmoor: ($lintian_allowed) " <<<"$lint")
  [ -z "$unexpected" ] || fail "lintian -EvIL +pedantic says:
$unexpected"
else
  echo "deb_package: lintian is missing (scripts/setup.sh installs it); that check is skipped"
fi

ROOT="$T/root"
dpkg-deb -x "$DEB" "$ROOT" || fail "dpkg-deb -x"
# What the postinst does on installation, here inside the temporary root.
dpkg-deb --ctrl-tarfile "$DEB" | tar -xO ./postinst | grep -q "/usr/libexec/quenmoor/make_samples /usr/share/quenmoor/Samples" ||
  fail "the postinst does not date the samples"
"$ROOT/usr/libexec/quenmoor/make_samples" "$ROOT/usr/share/quenmoor/Samples" || fail "make_samples"
probe_installed "$ROOT/usr"
echo "deb_package: passed ($(basename "$DEB"), Depends: $depends)"
