// SPDX-License-Identifier: GPL-3.0-or-later
// The read-ahead engine: the worker threads, and the caller's way to the
// part it needs.  It ties together the window of parts (part_window.h),
// the caller's cursor through the plan (plan_cursor.h) and the workers'
// pacing (pacing.h) under one lock, with three waits: workers wait for a
// part to claim, the caller for a part to be ready, and the end of a plan
// for the workers still reading its paths.
#ifndef QUENMOOR_SEARCH_READ_AHEAD_ENGINE_H_
#define QUENMOOR_SEARCH_READ_AHEAD_ENGINE_H_

#include <pthread.h>

#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string_view>
#include <thread>
#include <vector>

#include "search/read_ahead/ahead_paths.h"
#include "search/read_ahead/pacing.h"
#include "search/read_ahead/part.h"
#include "search/read_ahead/part_window.h"
#include "search/read_ahead/plan_cursor.h"
#include "search/read_ahead/walked_listings.h"

namespace qm {

class ReadAheadEngine {
 public:
  // `threads` workers (at least 1); `from_disk` starts in disk mode.
  ReadAheadEngine(int threads, bool from_disk);
  ~ReadAheadEngine();
  ReadAheadEngine(const ReadAheadEngine&) = delete;
  ReadAheadEngine& operator=(const ReadAheadEngine&) = delete;

  // Starts a plan over `paths` (which must outlive it), ending the one
  // before; for kListings, `walked` (read at `walked_change`) answers the
  // folders it holds.  Returns the plan's id.
  std::uint64_t StartPlan(AheadKind kind, const AheadPaths* paths,
                          const WalkedListings* walked = nullptr,
                          std::uint64_t walked_change = 0);
  // Ends plan `id` if it is the current one, once no worker reads its paths.
  void EndPlan(std::uint64_t id);
  // The current plan's stage, when one is under way.
  bool InPlan(AheadKind kind) const { return cursor_.active() && cursor_.kind() == kind; }

  // The caller's side, on its thread.  The part that holds `path`, read
  // after the latest change, waiting for the workers if need be, with the
  // path's index in *i; nullptr when the path is not in the plan near where
  // the caller is.
  const Part* Find(std::string_view path, std::size_t* i);
  // A call made, for the workers' watch on the caller's progress.
  void Beat() { pacing_.Beat(); }

  // For the yield: whether the caller's next call likely needs a part it
  // does not hold (cheap), and a wait of at most `timeout_ns` for it while
  // a worker reads it or is about to; true when it is still being read
  // after that.
  bool NextPending() const { return cursor_.NextNeeded() != PlanCursor::kNone; }
  bool WaitForNext(std::int64_t timeout_ns);

 private:
  // The plan as the workers read it.
  struct Plan {
    std::uint64_t id = 0;
    PlanToRead read;
    std::size_t parts = 0;
  };
  class StandingBack;

  void Work();
  std::size_t Claimable() const;
  void Acquire(std::size_t part, std::uint64_t now);
  // The caller sleeps on `cv` until woken or `deadline_ns`; false when the
  // deadline passed.
  bool WaitForWorkers(std::unique_lock<std::mutex>& lock, std::condition_variable& cv,
                      std::int64_t deadline_ns = Pacing::kForever);
  // Wakes as many idle workers as may read now, up to `parts`.
  void Wake(std::size_t parts);

  std::vector<std::thread> threads_;

  // Shared with the workers, under mu_.
  std::mutex mu_;
  std::condition_variable work_cv_;   // workers wait for a part to claim
  std::condition_variable ready_cv_;  // the caller waits for a part
  std::condition_variable ended_cv_;  // a plan's end waits for the workers
  bool stop_ = false;
  Plan plan_;
  bool has_plan_ = false;
  std::uint64_t plan_ids_ = 0;
  PartWindow window_;
  int in_flight_ = 0;
  int idle_ = 0;
  int waking_ = 0;  // notified, not yet awake
  bool caller_waiting_ = false;
  Pacing pacing_;

  // The caller's side.
  PlanCursor cursor_;
  std::uint64_t plan_id_ = 0;
  std::uint64_t seen_change_ = 0;
};

}  // namespace qm

#endif  // QUENMOOR_SEARCH_READ_AHEAD_ENGINE_H_
