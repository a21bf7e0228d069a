// SPDX-License-Identifier: GPL-3.0-or-later
#include "search/read_ahead/engine.h"

#include <sys/resource.h>

#include <algorithm>
#include <chrono>

#include "platform/change_count.h"

namespace qm {
namespace {

// Listed entries held ahead of the caller, beyond the part it is at.
constexpr std::size_t kMaxHeldEntries = 8192;

// How a plan is cut into parts: paths per part, and parts held at most.
// A part is read by one worker, path after path; the caller waits for the
// part it needs.  When reads wait on the disk, parts are small, so many
// workers read at once and none takes long; otherwise large, so the parts
// cost little to hand over.
struct Cut {
  std::size_t paths;
  std::size_t parts;
};
Cut CutOf(AheadKind kind, bool disk) {
  switch (kind) {
    case AheadKind::kFolders:
    case AheadKind::kListings:
      return disk ? Cut{2, 512} : Cut{8, 32};
    case AheadKind::kStamps:
      break;
  }
  return disk ? Cut{16, 256} : Cut{256, 4};
}

int Cores() {
  const unsigned cores = std::thread::hardware_concurrency();
  return cores == 0 ? 1 : static_cast<int>(cores);
}

// Blocks this thread has read from the disk so far.
long BlocksRead() {
  struct rusage usage;
  return ::getrusage(RUSAGE_THREAD, &usage) == 0 ? usage.ru_inblock : 0;
}

}  // namespace

// Between two reads a worker stands back when the caller is starved.
class ReadAheadEngine::StandingBack : public BetweenReads {
 public:
  explicit StandingBack(Pacing* pacing) : pacing_(pacing) {}
  void Pause() override { pacing_->StandBack(&watch_); }

 private:
  Pacing* pacing_;
  Pacing::Watch watch_;
};

ReadAheadEngine::ReadAheadEngine(int threads, bool from_disk)
    : pacing_(std::max(threads, 1), Cores(), from_disk) {
  for (int i = 0; i < std::max(threads, 1); ++i) threads_.emplace_back([this] { Work(); });
}

ReadAheadEngine::~ReadAheadEngine() {
  EndPlan(plan_id_);
  {
    std::lock_guard<std::mutex> lock(mu_);
    stop_ = true;
  }
  work_cv_.notify_all();
  pacing_.Release();
  for (std::thread& t : threads_) t.join();
}

std::uint64_t ReadAheadEngine::StartPlan(AheadKind kind, const AheadPaths* paths,
                                         const WalkedListings* walked,
                                         std::uint64_t walked_change) {
  EndPlan(plan_id_);
  std::lock_guard<std::mutex> lock(mu_);
  const Cut cut = CutOf(kind, pacing_.from_disk());
  plan_.id = ++plan_ids_;
  plan_.read.kind = kind;
  plan_.read.paths = paths;
  plan_.read.part_paths = cut.paths;
  plan_.read.walked = walked;
  plan_.read.walked_change = walked_change;
  plan_.parts = (paths->Count() + cut.paths - 1) / cut.paths;
  window_.Start(plan_.parts, cut.parts, kMaxHeldEntries);
  has_plan_ = plan_.parts > 0;
  cursor_.Start(kind, paths, cut.paths);
  plan_id_ = plan_.id;
  seen_change_ = ChangeCount();
  work_cv_.notify_all();
  return plan_.id;
}

void ReadAheadEngine::EndPlan(std::uint64_t id) {
  if (id == 0 || id != plan_id_) return;
  std::vector<std::shared_ptr<Part>> garbage;
  {
    std::unique_lock<std::mutex> lock(mu_);
    has_plan_ = false;
    window_.End();
    pacing_.Release();
    // The paths may go once the plan ends: wait for the workers reading them.
    while (in_flight_ != 0) WaitForWorkers(lock, ended_cv_);
    window_.TakeGarbage(&garbage);
  }
  plan_id_ = 0;
  cursor_.End();
}

const Part* ReadAheadEngine::Find(std::string_view path, std::size_t* i) {
  pacing_.Beat();
  *i = cursor_.Locate(path);
  if (*i == PlanCursor::kNone) return nullptr;
  const std::size_t part = cursor_.PartOf(*i);
  const std::uint64_t now = ChangeCount();
  if (const Part* held = cursor_.Held(part, now)) return held;
  Acquire(part, now);
  return cursor_.Held(part, now);
}

void ReadAheadEngine::Acquire(std::size_t part, std::uint64_t now) {
  std::unique_lock<std::mutex> lock(mu_);
  if (now != seen_change_) {
    Wake(window_.Invalidate(now));
    seen_change_ = now;
  }
  if (part != window_.caller_part()) Wake(window_.Advance(part));
  for (;;) {
    std::shared_ptr<Part> read;
    switch (window_.Look(part, now, &read)) {
      case PartWindow::State::kReady:
        cursor_.Hold(part, std::move(read));
        return;
      case PartWindow::State::kClaimed:
        break;
      case PartWindow::State::kFree:
        // The workers take it next; the caller waits for them rather than
        // reading it itself, as they have many reads under way at once
        // and read each path relative to its open folder.
        window_.Want(part);
        work_cv_.notify_all();
        break;
    }
    WaitForWorkers(lock, ready_cv_);
  }
}

bool ReadAheadEngine::WaitForNext(std::int64_t timeout_ns) {
  const std::size_t part = cursor_.NextNeeded();
  if (part == PlanCursor::kNone) return false;
  const std::int64_t deadline_ns = Pacing::NowNs() + timeout_ns;
  std::unique_lock<std::mutex> lock(mu_);
  for (;;) {
    std::shared_ptr<Part> read;
    const std::uint64_t now = ChangeCount();
    const PartWindow::State state = window_.Look(part, now, &read);
    const bool reading = state == PartWindow::State::kClaimed;
    // A part not yet claimed is waited for when the workers will take it
    // without the caller moving on.
    const bool coming = state == PartWindow::State::kFree && window_.WillClaim(part);
    if (!reading && !coming) return false;
    if (!WaitForWorkers(lock, ready_cv_, deadline_ns)) {
      return window_.Look(part, ChangeCount(), &read) == PartWindow::State::kClaimed;
    }
  }
}

bool ReadAheadEngine::WaitForWorkers(std::unique_lock<std::mutex>& lock,
                                     std::condition_variable& cv, std::int64_t deadline_ns) {
  caller_waiting_ = true;
  pacing_.CallerWaits(deadline_ns);
  bool in_time = true;
  if (deadline_ns != Pacing::kForever) {
    const std::chrono::steady_clock::time_point deadline{std::chrono::nanoseconds(deadline_ns)};
    in_time = cv.wait_until(lock, deadline) == std::cv_status::no_timeout;
  } else {
    cv.wait(lock);
  }
  caller_waiting_ = false;
  pacing_.CallerRuns();
  return in_time;
}

void ReadAheadEngine::Wake(std::size_t parts) {
  const int may_read = std::min(idle_, pacing_.active() - in_flight_ - waking_);
  for (std::size_t k = 0; k < parts && static_cast<int>(k) < may_read; ++k) {
    ++waking_;
    work_cv_.notify_one();
  }
}

std::size_t ReadAheadEngine::Claimable() const {
  if (!has_plan_ || in_flight_ >= pacing_.active()) return PartWindow::kNone;
  return window_.Claimable();
}

void ReadAheadEngine::Work() {
  StandingBack pause(&pacing_);
  std::unique_lock<std::mutex> lock(mu_);
  for (;;) {
    std::size_t part;
    while (!stop_ && (part = Claimable()) == PartWindow::kNone) {
      ++idle_;
      work_cv_.wait(lock);
      --idle_;
      if (waking_ > 0) --waking_;
    }
    if (stop_) return;
    // The count is read before anything is: what changes in a count that
    // ends later makes this part stale.
    const std::uint64_t change = ChangeCount();
    const std::uint64_t gen = window_.Claim(part, change);
    const Plan plan = plan_;
    ++in_flight_;
    std::vector<std::shared_ptr<Part>> garbage;
    window_.TakeGarbage(&garbage);
    lock.unlock();
    garbage.clear();
    const long blocks_before = BlocksRead();
    std::shared_ptr<Part> read = ReadPart(plan.read, part, change, &pause);
    const bool waited_on_disk = BlocksRead() != blocks_before;
    lock.lock();
    --in_flight_;
    if (pacing_.AfterRead(waited_on_disk)) Wake(static_cast<std::size_t>(pacing_.active()));
    if (has_plan_ && plan_.id == plan.id) window_.Complete(part, gen, &read);
    if (caller_waiting_) {
      ready_cv_.notify_all();
      pacing_.CallerWoken();
    }
    if (in_flight_ == 0 && !has_plan_) ended_cv_.notify_all();
    if (read) {
      // Dropped: freed without the lock held.
      lock.unlock();
      read.reset();
      lock.lock();
    }
  }
}

}  // namespace qm
