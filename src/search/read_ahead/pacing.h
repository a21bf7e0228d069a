// SPDX-License-Identifier: GPL-3.0-or-later
// The workers' pacing: how many of them read at once, and when they stand
// back for the caller.
//
// Disk mode.  While everything comes from memory, as many workers read at
// once as there are cores; once a read has waited on the disk, all of them
// do, since many requests under way keep a disk busy that one after
// another would leave idle.  After a read from memory, one fewer reads at
// once, down to the number of cores.
//
// Standing back.  The caller is the window's thread, which takes every
// answer in order; when it waits for a core, reading further ahead gains
// nothing, and many workers, each waking for a short read again and again,
// keep it from its turn for tens of milliseconds, as the scheduler hands
// the core to whoever ran least.  So the caller counts its progress as it
// asks (Beat), and a worker that finds no progress for 2 ms while the
// caller is not waiting for the workers (or that the caller's wait ran out
// 2 ms ago) stands back, between two reads, asleep until the caller moves
// on or waits for the workers.  One of those standing back looks every
// millisecond and wakes the others; the rest sleep, so nothing wakes in
// the caller's way.
#ifndef QUENMOOR_SEARCH_READ_AHEAD_PACING_H_
#define QUENMOOR_SEARCH_READ_AHEAD_PACING_H_

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <limits>
#include <mutex>

namespace qm {

class Pacing {
 public:
  static constexpr std::int64_t kStarvedNs = 2000000;
  static constexpr std::int64_t kBackOffNs = 1000000;
  // A deadline for a wait that only the workers end.
  static constexpr std::int64_t kForever = std::numeric_limits<std::int64_t>::max();

  // `workers` in all, `cores` of them reading at once from memory.
  Pacing(int workers, int cores, bool from_disk);

  // The clock of the watch and of the caller's waits.
  static std::int64_t NowNs();

  // Disk mode, under the engine's lock.
  int active() const { return active_; }
  bool from_disk() const { return from_disk_; }
  // A worker's read is done; true when it waited on the disk (every worker
  // may read now).
  bool AfterRead(bool waited_on_disk);

  // The caller's side, on its thread.  Beat() counts a call, showing
  // progress once in 64, which is often enough to tell milliseconds apart
  // and keeps the shared count from bouncing between the cores.
  void Beat() {
    if ((++calls_ & 63) == 0) BeatNow();
  }
  void BeatNow() {
    beat_.store(beat_.load(std::memory_order_relaxed) + 1, std::memory_order_relaxed);
  }
  // The caller is about to sleep until the workers wake it or `deadline_ns`
  // (kForever: until they wake it); then it runs again.
  void CallerWaits(std::int64_t deadline_ns);
  void CallerRuns();
  // A worker woke the sleeping caller: it may run from now on, as if it had
  // made progress.  Under the engine's lock.
  void CallerWoken();

  // The workers' side.  What a worker last saw of the caller's progress,
  // and when it first saw it unchanged: its own, so the workers write
  // nothing shared to keep watch.
  struct Watch {
    std::uint64_t beat = 0;
    std::int64_t unchanged_since = 0;  // 0: not yet seen unchanged
    unsigned pauses = 0;
  };
  // True when the caller shows no progress for kStarvedNs while not waiting
  // for the workers, or its wait ran out that long ago.
  bool CallerStarved(Watch* watch, std::int64_t now) const;
  // True while the caller sleeps until the workers wake it, or in a wait
  // that has not run out.
  bool CallerAwaitsWorkers(std::int64_t now) const;
  // Between two reads: stands back while the caller is starved (above).
  // A read takes microseconds: the watch looks once in 8 reads.
  void StandBack(Watch* watch) {
    if ((++watch->pauses & 7) == 0) StandBackIfStarved(watch);
  }
  // Ends every standing back at once (a plan ends, the workers stop).
  void Release();
  // Workers standing back now (tests).
  int standing_back() const { return standing_back_.load(); }

 private:
  const int most_;
  const int fewest_;
  int active_;
  bool from_disk_;

  void StandBackIfStarved(Watch* watch);

  std::uint64_t calls_ = 0;  // the caller's, towards the next beat
  // Read by the workers without a lock, on a cache line of their own.
  alignas(64) std::atomic<std::uint64_t> beat_{0};
  // While the caller sleeps: when its wait runs out (kForever: when the
  // workers wake it); 0 while it runs.
  std::atomic<std::int64_t> asleep_until_{0};
  std::atomic<int> standing_back_{0};

  std::mutex back_mu_;
  std::condition_variable back_cv_;
  bool watching_ = false;        // one standing back looks for the caller
  std::uint64_t releases_ = 0;  // Release() calls
};

}  // namespace qm

#endif  // QUENMOOR_SEARCH_READ_AHEAD_PACING_H_
