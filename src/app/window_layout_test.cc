// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/window_layout.h"

#include <gtest/gtest.h>

#include "app/window_state.h"

namespace qm {
namespace {

const WindowLayout kLayout(QSize(1064, 485), 26);
const Anchor kWholeLeftList{false, 0, 1, 0, 1};
const Anchor kLeftHalfUnderResults{true, 0, 0.5, 1, 1};
const Anchor kRightHalfUnderResults{true, 0.5, 1, 1, 1};
const Anchor kResults{true, 0, 1, 0, 1};
const QRect kFolders(8, 8, 520, 169);
const QRect kResultsRect(536, 42, 520, 368);
const QRect kSelectAll(536, 416, 256, 27);
const QRect kUnselectAll(800, 416, 256, 27);

TEST(WindowLayoutTest, AtTheDesignedSizeNothingMoves) {
  const QSize size = kLayout.DefaultSize();
  EXPECT_EQ(size, QSize(1064, 511));
  EXPECT_EQ(kLayout.Place(kFolders, kWholeLeftList, size), kFolders);
  EXPECT_EQ(kLayout.Place(kResultsRect, kResults, size), kResultsRect);
  EXPECT_EQ(kLayout.Place(kSelectAll, kLeftHalfUnderResults, size), kSelectAll);
  EXPECT_EQ(kLayout.StatusPlace(size), QRect(0, 485, 1064, 26));
}

TEST(WindowLayoutTest, GrowingGivesTheResultsMostOfTheWidthAndTheListsTheHeight) {
  const QSize size(1064 + 401, 511 + 100);
  const QRect folders = kLayout.Place(kFolders, kWholeLeftList, size);
  const QRect results = kLayout.Place(kResultsRect, kResults, size);
  EXPECT_EQ(folders, QRect(8, 8, 520 + 100, 169 + 100));
  EXPECT_EQ(results, QRect(536 + 100, 42, 520 + 301, 368 + 100));
  // The buttons under the results keep to its edges and split it in two,
  // with the same gap between them.
  const QRect left = kLayout.Place(kSelectAll, kLeftHalfUnderResults, size);
  const QRect right = kLayout.Place(kUnselectAll, kRightHalfUnderResults, size);
  EXPECT_EQ(left.left(), results.left());
  EXPECT_EQ(right.right(), results.right());
  EXPECT_EQ(right.left() - left.right(), kUnselectAll.left() - kSelectAll.right());
  EXPECT_EQ(left.top(), kSelectAll.top() + 100);
  EXPECT_EQ(left.height(), kSelectAll.height());
  EXPECT_EQ(kLayout.StatusPlace(size), QRect(0, 611 - 26, 1465, 26));
}

TEST(WindowLayoutTest, BelowTheDesignedSizeOnlyTheListsShrinkAndEverythingStaysInside) {
  const QSize least = kLayout.MinimumSize();
  // At 200% a 1600x900 screen is 800x450, less panel and title bar.
  EXPECT_LE(least.width(), 760);
  EXPECT_LE(least.height(), 390);
  const QRect folders = kLayout.Place(kFolders, kWholeLeftList, least);
  EXPECT_EQ(folders.width(), kFolders.width());
  EXPECT_GT(folders.height(), 30);
  const QRect results = kLayout.Place(kResultsRect, kResults, least);
  EXPECT_EQ(results.left(), kResultsRect.left());
  EXPECT_LE(results.right(), least.width() - 8);
  EXPECT_GT(results.width(), 150);
  // The frame with the date rules keeps its size and ends above the status
  // line.
  const QRect frame2 = kLayout.Place(QRect(8, 303, 520, 175), {false, 0, 1, 1, 1}, least);
  EXPECT_EQ(frame2.size(), QSize(520, 175));
  EXPECT_LE(frame2.bottom(), kLayout.StatusPlace(least).top());
  // Smaller than that, the window lays out as at its least size.
  EXPECT_EQ(kLayout.Place(kFolders, kWholeLeftList, QSize(300, 200)), folders);
}

// The least size comes from the captions: the lowest two buttons stand one
// above the other once the results are too narrow for both side by side,
// each across the column, and the list ends a row higher.
TEST(WindowLayoutTest, TooNarrowForTwoCaptionsTheLowestButtonsStandOneAboveTheOther) {
  WindowLayout layout(QSize(1064, 485), 26);
  layout.SetResultsColumn(536, 520, 34, 230, 460);
  const Anchor list{true, 0, 1, 0, 1, Anchor::kListEndsARowHigher};
  const Anchor select_all{true, 0, 0.5, 1, 1, Anchor::kRowHigher};
  const Anchor send{true, 0, 0.5, 1, 1, Anchor::kAcrossARowHigher};
  const Anchor move{true, 0.5, 1, 1, 1, Anchor::kAcross};
  const QRect send_rect(536, 450, 256, 27), move_rect(800, 450, 256, 27);
  EXPECT_EQ(layout.MinimumSize(), QSize(1064 - 290, 511 - 129));
  // Designed size and a little below: side by side, as drawn.
  EXPECT_FALSE(layout.Stacked(layout.DefaultSize()));
  EXPECT_EQ(layout.Place(send_rect, send, layout.DefaultSize()), send_rect);
  const QSize narrow(1064 - 61, 511);  // results 459 wide
  ASSERT_TRUE(layout.Stacked(narrow));
  const QRect results = layout.Place(kResultsRect, list, narrow);
  EXPECT_EQ(results, QRect(536, 42, 459, 368 - 34));
  EXPECT_EQ(layout.Place(kSelectAll, select_all, narrow).top(), 416 - 34);
  EXPECT_EQ(layout.Place(send_rect, send, narrow), QRect(536, 450 - 34, 459, 27));
  EXPECT_EQ(layout.Place(move_rect, move, narrow), QRect(536, 450, 459, 27));
  // The least size: the column as narrow as the widest caption.
  EXPECT_EQ(layout.Place(move_rect, move, QSize(10, 10)).width(), 230);
}

TEST(WindowStateTest, AWindowOpensOnTheScreenAndNoLargerThanIt) {
  const QSize least = kLayout.MinimumSize();
  // A 1600x900 screen at 200%, less a panel and a title bar.
  const QRect small(0, 0, 800, 450 - 32 - 32);
  const QRect first = FitToScreen(QRect(), kLayout.DefaultSize(), least, small);
  EXPECT_TRUE(small.contains(first)) << first.x() << "," << first.y();
  EXPECT_EQ(first.size(), QSize(800, 386));
  // A place remembered on a screen that is gone comes back onto this one.
  const QRect big(0, 0, 1920, 1050);
  const QRect moved = FitToScreen(QRect(3000, 1200, 1200, 700), kLayout.DefaultSize(), least, big);
  EXPECT_EQ(moved, QRect(720, 350, 1200, 700));
  // The default size, centred, on a screen it fits.
  EXPECT_EQ(FitToScreen(QRect(), kLayout.DefaultSize(), least, big).size(), QSize(1064, 511));
}

}  // namespace
}  // namespace qm
