#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Installs what is missing, builds, and runs every test (unit tests on the
# offscreen platform, and the end-to-end test in a real X window); then
# builds the tests of the code that runs on several threads (the
# read-ahead's, the walker's and the search run's) with the thread
# sanitizer, in build-tsan, and runs them there.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
(cd build && ctest --output-on-failure -j2 --timeout 300)
cmake -S . -B build-tsan -G Ninja -DQM_THREAD_SANITIZER=ON -DCMAKE_BUILD_TYPE=Debug \
      -DCMAKE_CXX_FLAGS_DEBUG="-O1 -g1" >/dev/null
ninja -C build-tsan quenmoor_tests
cd build-tsan
ctest --output-on-failure -j2 --timeout 300
