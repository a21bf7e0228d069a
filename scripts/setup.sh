#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Installs the Debian packages Quenmoor needs that are missing, then builds it
# into ./build: the targets named as arguments, or everything.  Used by
# start.sh and test.sh.
#
# Installing needs root: run as root, or as a user with sudo; a user without
# either is told what to install.
set -euo pipefail
cd "$(dirname "$0")/.."

packages=(
  g++ cmake ninja-build pkg-config
  qt6-base-dev libgl-dev libvulkan-dev libgtest-dev
  qt6-tools-dev qt6-tools-dev-tools qt6-l10n-tools qt6-translations-l10n locales
  fonts-liberation fontconfig tzdata
  xvfb xauth xdotool trash-cli libglib2.0-bin findutils coreutils
  libx11-dev libxfixes-dev python3
  dpkg-dev file desktop-file-utils appstream lintian
  bindfs dbus xclip clang-format
)
missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done
# The German window's test runs under this locale.
locale=de_DE.UTF-8
need_locale=
locale -a 2>/dev/null | grep -qix 'de_DE\.utf-\?8' || need_locale=1
if [ ${#missing[@]} -gt 0 ] || [ -n "$need_locale" ]; then
  if [ "$(id -u)" -eq 0 ]; then
    as_root=(env DEBIAN_FRONTEND=noninteractive)
  elif command -v sudo >/dev/null; then
    # sudo clears the environment, so the setting goes through it.
    as_root=(sudo DEBIAN_FRONTEND=noninteractive)
  else
    if [ ${#missing[@]} -gt 0 ]; then
      echo "Quenmoor needs these Debian packages, which are not installed:" >&2
      echo "  ${missing[*]}" >&2
      echo "Install them as root, for example with:" >&2
      echo "  su -c 'apt-get update && apt-get install -y ${missing[*]}'" >&2
    fi
    if [ -n "$need_locale" ]; then
      echo "Its tests need the locale $locale: as root, enable it in /etc/locale.gen" >&2
      echo "and run locale-gen." >&2
    fi
    echo "then run the command again." >&2
    exit 1
  fi
  if [ ${#missing[@]} -gt 0 ]; then
    echo "Installing missing packages: ${missing[*]}"
    "${as_root[@]}" apt-get update -qq
    "${as_root[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
  fi
  if [ -n "$need_locale" ]; then
    echo "Generating the locale $locale"
    "${as_root[@]}" sh -c "sed -i 's/^# *\\($locale UTF-8\\)/\\1/' /etc/locale.gen &&
      { grep -qx '$locale UTF-8' /etc/locale.gen || echo '$locale UTF-8' >> /etc/locale.gen; } &&
      locale-gen"
  fi
fi

cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
ninja -C build "$@"
