// SPDX-License-Identifier: GPL-3.0-or-later
#include "search/read_ahead/part_window.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

namespace qm {
namespace {

std::shared_ptr<Part> Read(std::size_t entries = 0) {
  auto part = std::make_shared<Part>();
  part->entries = entries;
  return part;
}

// Claims the next claimable part and completes it at change count 0.
std::size_t ClaimAndComplete(PartWindow& w, std::size_t entries = 0) {
  const std::size_t part = w.Claimable();
  if (part == PartWindow::kNone) return part;
  const std::uint64_t gen = w.Claim(part, 0);
  std::shared_ptr<Part> read = Read(entries);
  EXPECT_TRUE(w.Complete(part, gen, &read));
  return part;
}

TEST(PartWindowTest, WorkersClaimInOrderWithinTheWindowAndTheCallerMovesItOn) {
  PartWindow w;
  w.Start(/*parts=*/10, /*window=*/4, /*max_entries=*/1000);
  for (std::size_t p = 0; p < 4; ++p) EXPECT_EQ(ClaimAndComplete(w), p);
  EXPECT_EQ(w.Claimable(), PartWindow::kNone);  // part 4 needs part 0's slot
  std::shared_ptr<Part> read;
  EXPECT_EQ(w.Look(0, 0, &read), PartWindow::State::kReady);
  EXPECT_NE(read, nullptr);
  // Passing one part frees one slot of four: too few to wake anyone for.
  EXPECT_EQ(w.Advance(1), 0u);
  EXPECT_EQ(w.Look(0, 0, &read), PartWindow::State::kFree);
  EXPECT_EQ(w.Claimable(), 4u);
  // Passing two more frees three: enough to wake three workers.
  EXPECT_EQ(w.Advance(3), 3u);
  for (std::size_t p = 4; p < 7; ++p) EXPECT_EQ(ClaimAndComplete(w), p);
  EXPECT_EQ(w.Advance(9), 4u);
  EXPECT_EQ(w.Claimable(), 9u);  // the parts passed over are not read
  EXPECT_EQ(ClaimAndComplete(w), 9u);
  EXPECT_EQ(w.Claimable(), PartWindow::kNone);  // the plan's end
  std::vector<std::shared_ptr<Part>> garbage;
  w.TakeGarbage(&garbage);
  EXPECT_EQ(garbage.size(), 7u);  // parts 0 to 6, freed as they were passed
}

TEST(PartWindowTest, HeldEntriesStopTheClaimsAheadButNeverTheCallersPart) {
  PartWindow w;
  w.Start(10, 8, /*max_entries=*/100);
  EXPECT_EQ(ClaimAndComplete(w, 60), 0u);
  EXPECT_EQ(ClaimAndComplete(w, 60), 1u);
  EXPECT_EQ(w.held_entries(), 120u);
  EXPECT_EQ(w.Claimable(), PartWindow::kNone);
  EXPECT_FALSE(w.WillClaim(2));
  w.Advance(1);  // part 0 goes: 60 held
  EXPECT_EQ(w.Claimable(), 2u);
  EXPECT_EQ(ClaimAndComplete(w, 500), 2u);
  EXPECT_EQ(w.Claimable(), PartWindow::kNone);
  // The caller's own part is claimed whatever is held.
  w.Advance(3);
  EXPECT_EQ(w.held_entries(), 0u);
  EXPECT_EQ(ClaimAndComplete(w, 500), 3u);
  w.Advance(4);
  EXPECT_EQ(w.Claimable(), 4u);
  EXPECT_TRUE(w.WillClaim(4));
}

TEST(PartWindowTest, AReadWhoseClaimWasFreedIsDroppedNotStored) {
  PartWindow w;
  w.Start(10, 4, 1000);
  // Freed by the caller passing it while a worker reads it.
  std::uint64_t gen = w.Claim(w.Claimable(), 0);
  w.Advance(1);
  std::shared_ptr<Part> read = Read();
  EXPECT_FALSE(w.Complete(0, gen, &read));
  EXPECT_NE(read, nullptr);  // left to the worker
  // Freed as stale, claimed again by another worker, then the first worker
  // finishes: only the second claim's read goes in.
  gen = w.Claim(1, /*change=*/0);
  EXPECT_EQ(w.Invalidate(/*now=*/1), 1u);
  EXPECT_EQ(w.Claimable(), 1u);
  const std::uint64_t again = w.Claim(1, 1);
  read = Read();
  EXPECT_FALSE(w.Complete(1, gen, &read));
  EXPECT_TRUE(w.Complete(1, again, &read));
  EXPECT_EQ(w.Look(1, 1, &read), PartWindow::State::kReady);
  // The plan ends while a part is being read.
  gen = w.Claim(w.Claimable(), 1);
  w.End();
  read = Read();
  EXPECT_FALSE(w.Complete(2, gen, &read));
}

TEST(PartWindowTest, WhatWasReadBeforeAChangeIsFreedAndClaimedAgain) {
  PartWindow w;
  w.Start(10, 4, 1000);
  for (int k = 0; k < 3; ++k) ClaimAndComplete(w);  // parts 0-2 at count 0
  w.Advance(1);
  std::shared_ptr<Part> read;
  // A part read at another count than now counts as free.
  EXPECT_EQ(w.Look(1, /*now=*/1, &read), PartWindow::State::kFree);
  EXPECT_EQ(w.Invalidate(1), 2u);
  // The claims go back to the caller's part and read it again.
  EXPECT_EQ(w.Claimable(), 1u);
  const std::uint64_t gen = w.Claim(1, 1);
  read = Read();
  EXPECT_TRUE(w.Complete(1, gen, &read));
  EXPECT_EQ(w.Look(1, 1, &read), PartWindow::State::kReady);
  // Wanting a part moves the claims back to it, over parts read since.
  ClaimAndComplete(w);  // part 2 at count 0: stale for a caller at 1
  w.Advance(2);
  EXPECT_EQ(w.Look(2, 1, &read), PartWindow::State::kFree);
  w.Want(2);
  EXPECT_EQ(w.Claimable(), 2u);
}

}  // namespace
}  // namespace qm
