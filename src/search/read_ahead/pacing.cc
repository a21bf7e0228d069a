// SPDX-License-Identifier: GPL-3.0-or-later
#include "search/read_ahead/pacing.h"

#include <algorithm>
#include <chrono>

namespace qm {

Pacing::Pacing(int workers, int cores, bool from_disk)
    : most_(workers),
      fewest_(std::max(1, std::min(workers, cores))),
      active_(from_disk ? most_ : fewest_),
      from_disk_(from_disk) {}

std::int64_t Pacing::NowNs() {
  return std::chrono::duration_cast<std::chrono::nanoseconds>(
             std::chrono::steady_clock::now().time_since_epoch())
      .count();
}

bool Pacing::AfterRead(bool waited_on_disk) {
  if (waited_on_disk) {
    from_disk_ = true;
    active_ = most_;
    return true;
  }
  if (active_ > fewest_) --active_;
  return false;
}

void Pacing::CallerWaits(std::int64_t deadline_ns) {
  asleep_until_.store(deadline_ns, std::memory_order_seq_cst);
  if (standing_back_.load(std::memory_order_seq_cst) > 0) {
    std::lock_guard<std::mutex> lock(back_mu_);
    back_cv_.notify_all();
  }
}

void Pacing::CallerRuns() {
  asleep_until_.store(0, std::memory_order_relaxed);
  BeatNow();
}

void Pacing::CallerWoken() {
  if (asleep_until_.load(std::memory_order_relaxed) != 0) {
    asleep_until_.store(0, std::memory_order_relaxed);
    BeatNow();
  }
}

bool Pacing::CallerAwaitsWorkers(std::int64_t now) const {
  const std::int64_t until = asleep_until_.load(std::memory_order_seq_cst);
  return until != 0 && (until == kForever || now < until);
}

bool Pacing::CallerStarved(Watch* watch, std::int64_t now) const {
  const std::int64_t until = asleep_until_.load(std::memory_order_relaxed);
  if (until == kForever) return false;
  if (until != 0) return now - until > kStarvedNs;
  const std::uint64_t beat = beat_.load(std::memory_order_relaxed);
  if (beat != watch->beat) {
    watch->beat = beat;
    watch->unchanged_since = 0;
    return false;
  }
  if (watch->unchanged_since == 0) watch->unchanged_since = now;
  return now - watch->unchanged_since > kStarvedNs;
}

void Pacing::StandBackIfStarved(Watch* watch) {
  if (!CallerStarved(watch, NowNs())) return;
  std::unique_lock<std::mutex> lock(back_mu_);
  const std::uint64_t beat = beat_.load(std::memory_order_relaxed);
  const std::uint64_t releases = releases_;
  standing_back_.fetch_add(1, std::memory_order_seq_cst);
  auto standing = [&] {
    return releases_ == releases && !CallerAwaitsWorkers(NowNs()) &&
           beat_.load(std::memory_order_relaxed) == beat;
  };
  while (standing()) {
    if (watching_) {
      back_cv_.wait(lock);
      continue;
    }
    watching_ = true;
    back_cv_.wait_for(lock, std::chrono::nanoseconds(kBackOffNs));
    watching_ = false;
    if (!standing()) back_cv_.notify_all();
  }
  standing_back_.fetch_sub(1, std::memory_order_seq_cst);
}

void Pacing::Release() {
  std::lock_guard<std::mutex> lock(back_mu_);
  ++releases_;
  back_cv_.notify_all();
}

}  // namespace qm
