// SPDX-License-Identifier: GPL-3.0-or-later
#include "search/read_ahead/plan_cursor.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace qm {
namespace {

std::vector<std::string> Paths(int n) {
  std::vector<std::string> paths;
  for (int i = 0; i < n; ++i) paths.push_back("/t/d" + std::to_string(i / 10) + "/f" + std::to_string(i));
  return paths;
}

TEST(PlanCursorTest, CallsAreFoundFromTheLastOneOnAndNotFarBeyond) {
  const AheadPathList paths(Paths(40));
  PlanCursor cursor;
  cursor.Start(AheadKind::kStamps, &paths, /*part_paths=*/4);
  EXPECT_EQ(cursor.Locate("/t/d0/f0"), 0u);
  EXPECT_EQ(cursor.Locate("/t/d0/f0"), 0u);  // the same path again
  EXPECT_EQ(cursor.Locate("/t/d0/f3"), 3u);  // two passed over
  EXPECT_EQ(cursor.Locate("/t/d0/f1"), PlanCursor::kNone);  // behind
  EXPECT_EQ(cursor.Locate("/t/d2/f25"), PlanCursor::kNone);  // too far ahead
  EXPECT_EQ(cursor.Locate("/t/d0/f4"), 4u);   // the place did not move
  EXPECT_EQ(cursor.Locate("/t/d0/f4x"), PlanCursor::kNone);
  EXPECT_EQ(cursor.Locate("/t/d1/f4"), PlanCursor::kNone);  // same name, other folder
  EXPECT_EQ(cursor.PartOf(4), 1u);
  cursor.End();
  EXPECT_EQ(cursor.Locate("/t/d0/f5"), PlanCursor::kNone);
}

TEST(PlanCursorTest, ThePartNeededNextAndThePartHeld) {
  const AheadPathList paths(Paths(10));
  PlanCursor cursor;
  cursor.Start(AheadKind::kStamps, &paths, 4);
  EXPECT_EQ(cursor.NextNeeded(), 0u);  // nothing asked yet
  auto part = std::make_shared<Part>();
  part->change = 7;
  cursor.Hold(0, part);
  EXPECT_EQ(cursor.NextNeeded(), PlanCursor::kNone);
  EXPECT_EQ(cursor.Held(0, 7), part.get());
  EXPECT_EQ(cursor.Held(0, 8), nullptr);  // read before a change
  EXPECT_EQ(cursor.Held(1, 7), nullptr);
  cursor.Locate("/t/d0/f3");
  EXPECT_EQ(cursor.NextNeeded(), 1u);  // path 4 lies in part 1
  cursor.Locate("/t/d0/f9");
  EXPECT_EQ(cursor.NextNeeded(), PlanCursor::kNone);  // the plan's last path
}

}  // namespace
}  // namespace qm
