// SPDX-License-Identifier: GPL-3.0-or-later
// Runs every test inside one QApplication on the offscreen platform, with a
// private home so no test touches the user's settings or trash.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <QApplication>
#include <string>

#include "testing/test_env.h"

#if defined(__SANITIZE_THREAD__)
// Under the thread sanitizer (scripts/test.sh, build-tsan): stop at the
// first report.  Qt comes from Debian's packages, built without the
// sanitizer: the synchronisation inside its own thread pool (which the
// offscreen platform uses to draw a shown window) cannot be seen, so its
// handing of work from one of its threads to another would read as a race.
extern "C" const char* __tsan_default_options() { return "halt_on_error=1"; }
extern "C" const char* __tsan_default_suppressions() {
  return "race:libQt6Core.so.6\nrace:libQt6Gui.so.6\n";
}
#endif

int main(int argc, char** argv) {
  if (!getenv("QT_QPA_PLATFORM")) setenv("QT_QPA_PLATFORM", "offscreen", 1);
  static qm::testing::TempDir home;
  setenv("HOME", home.path().c_str(), 1);
  setenv("XDG_CONFIG_HOME", (home.path() + "/.config").c_str(), 1);
  setenv("XDG_DATA_HOME", (home.path() + "/.local/share").c_str(), 1);
  ::testing::InitGoogleTest(&argc, argv);
  QApplication app(argc, argv);
  return RUN_ALL_TESTS();
}
