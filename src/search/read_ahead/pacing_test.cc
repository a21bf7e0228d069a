// SPDX-License-Identifier: GPL-3.0-or-later
#include "search/read_ahead/pacing.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

namespace qm {
namespace {

constexpr std::int64_t kMs = 1000000;

TEST(PacingTest, AReadFromTheDiskSetsEveryWorkerReadingAndMemoryTakesThemBack) {
  Pacing pacing(/*workers=*/16, /*cores=*/2, /*from_disk=*/false);
  EXPECT_EQ(pacing.active(), 2);
  EXPECT_FALSE(pacing.AfterRead(false));
  EXPECT_EQ(pacing.active(), 2);
  EXPECT_TRUE(pacing.AfterRead(true));
  EXPECT_EQ(pacing.active(), 16);
  EXPECT_TRUE(pacing.from_disk());
  for (int k = 0; k < 20; ++k) pacing.AfterRead(false);
  EXPECT_EQ(pacing.active(), 2);
  EXPECT_TRUE(pacing.from_disk());  // parts stay small for the next plans
  EXPECT_EQ(Pacing(16, 2, true).active(), 16);
  EXPECT_EQ(Pacing(1, 4, false).active(), 1);
}

TEST(PacingTest, TheCallerIsStarvedAfterTwoMillisecondsWithoutProgressOrAfterItsWaitRanOut) {
  Pacing pacing(4, 2, false);
  Pacing::Watch watch;
  const std::int64_t t = 1000 * kMs;
  EXPECT_FALSE(pacing.CallerStarved(&watch, t));  // first look
  EXPECT_FALSE(pacing.CallerStarved(&watch, t + 2 * kMs));
  EXPECT_TRUE(pacing.CallerStarved(&watch, t + 3 * kMs));
  // Progress: 64 calls make a beat.
  for (int k = 0; k < 64; ++k) pacing.Beat();
  EXPECT_FALSE(pacing.CallerStarved(&watch, t + 4 * kMs));
  EXPECT_FALSE(pacing.CallerStarved(&watch, t + 5 * kMs));
  // Asleep until the workers wake it: never starved, however long.
  pacing.CallerWaits(Pacing::kForever);
  EXPECT_TRUE(pacing.CallerAwaitsWorkers(t + 100 * kMs));
  EXPECT_FALSE(pacing.CallerStarved(&watch, t + 100 * kMs));
  pacing.CallerRuns();
  // A wait with a deadline: starved once it ran out 2 ms ago.
  pacing.CallerWaits(t + 200 * kMs);
  EXPECT_TRUE(pacing.CallerAwaitsWorkers(t + 199 * kMs));
  EXPECT_FALSE(pacing.CallerAwaitsWorkers(t + 201 * kMs));
  EXPECT_FALSE(pacing.CallerStarved(&watch, t + 201 * kMs));
  EXPECT_TRUE(pacing.CallerStarved(&watch, t + 203 * kMs));
  // Woken by a worker: it may run, as if it had made progress.
  pacing.CallerWoken();
  EXPECT_FALSE(pacing.CallerAwaitsWorkers(t + 203 * kMs));
  EXPECT_FALSE(pacing.CallerStarved(&watch, t + 203 * kMs));
}

// Waits up to a second for `condition`.
template <class F>
bool Eventually(F condition) {
  for (int k = 0; k < 1000 && !condition(); ++k) {
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  return condition();
}

TEST(PacingTest, AWorkerStandsBackUntilTheCallerMovesOnWaitsOrThePlanEnds) {
  Pacing pacing(4, 2, false);
  std::atomic<bool> done{false};
  std::atomic<int> reads{0};
  // A worker pausing between reads; the caller makes no progress.
  std::thread worker([&] {
    Pacing::Watch watch;
    while (!done) {
      pacing.StandBack(&watch);
      ++reads;
      std::this_thread::sleep_for(std::chrono::microseconds(200));
    }
  });
  ASSERT_TRUE(Eventually([&] { return pacing.standing_back() == 1; }));
  const int before = reads;
  std::this_thread::sleep_for(std::chrono::milliseconds(5));
  EXPECT_EQ(reads, before);  // no read while standing back

  pacing.BeatNow();  // the caller moves on
  ASSERT_TRUE(Eventually([&] { return reads > before; }));
  ASSERT_TRUE(Eventually([&] { return pacing.standing_back() == 1; }));

  const int waited = reads;
  pacing.CallerWaits(Pacing::kForever);  // the caller waits for the workers
  ASSERT_TRUE(Eventually([&] { return reads > waited; }));
  pacing.CallerRuns();
  ASSERT_TRUE(Eventually([&] { return pacing.standing_back() == 1; }));

  done = true;
  pacing.Release();  // the plan ends
  worker.join();
  EXPECT_EQ(pacing.standing_back(), 0);
}

}  // namespace
}  // namespace qm
