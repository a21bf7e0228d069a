// SPDX-License-Identifier: GPL-3.0-or-later
// Runs every test inside one QApplication on the offscreen platform, with a
// private home so no test touches the user's settings or trash.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <QApplication>
#include <string>

#include "testing/test_env.h"

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
