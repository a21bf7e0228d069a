#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Installs what is missing, builds what starting needs (the program, its hand
# pointer and its Samples folder), and starts Quenmoor.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh quenmoor hand_cursor samples
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ] && [ -z "${QT_QPA_PLATFORM:-}" ]; then
  echo "No display found: start Quenmoor on a virtual display with: xvfb-run -a $(pwd)/build/quenmoor" >&2
  exit 2
fi
echo "Quenmoor is starting. To try it: click \"Load Sample/Example Folder\", then \"Start Finding Unused Files\"."
exec build/quenmoor
