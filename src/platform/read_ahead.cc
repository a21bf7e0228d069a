// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/read_ahead.h"

#include <pthread.h>
#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <thread>

#include "platform/kept_status.h"
#include "platform/listing.h"
#include "platform/listing_cursor.h"
#include "platform/listing_reads.h"
#include "platform/walked_listings.h"
#include "platform/yield.h"

namespace qm {
namespace {

constexpr std::size_t kNone = static_cast<std::size_t>(-1);
// A folder of more entries than this is listed by the caller itself.
constexpr std::size_t kMaxListedEntries = 1024;
// Listed entries held ahead of the caller, beyond the part it is at.
constexpr std::size_t kMaxHeldEntries = 8192;
// Listed entries of the walk kept for the gathering's second listing of the
// same folders (WalkedListings); past this many, no more are kept.
constexpr std::size_t kMaxWalkedEntries = std::size_t{1} << 22;
// How far past its last answer a call may find its path in the plan (the
// paths it skipped are those the caller passed over: a walker entry that is
// no folder, a listing that failed).
constexpr std::size_t kLookAhead = 8;
constexpr int kStampFlags = AT_SYMLINK_NOFOLLOW | AT_NO_AUTOMOUNT;
constexpr unsigned kStampMask = STATX_BASIC_STATS | STATX_BTIME;
// The flags the walker's EntryStat() and the listing's Stat() use.
constexpr int kFolderEntryFlags = AT_NO_AUTOMOUNT;
constexpr int kLinkEntryFlags = 0;
// The workers stand back when the caller has made no progress for this long
// without waiting for them, and look again after kBackOffNs.
constexpr std::int64_t kStarvedNs = 2000000;
constexpr std::int64_t kBackOffNs = 1000000;

// One clock for the workers' watch and the caller's waits.
using WaitClock = std::chrono::steady_clock;
std::int64_t NowNs() {
  return std::chrono::duration_cast<std::chrono::nanoseconds>(WaitClock::now().time_since_epoch())
      .count();
}

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
  return disk ? Cut{16, 256} : Cut{64, 16};
}

struct StatxResult {
  int err = 0;
  struct statx stx;
};

// What was read for one part of a plan.
struct Part {
  std::size_t first = 0;   // the index of its first path
  std::uint64_t turn = 0;  // the change turn it was read in
  std::size_t entries = 0; // listed entries held
  std::vector<StatResult> status;                    // kFolders
  std::vector<StatxResult> stamps;                   // kStamps
  std::vector<std::shared_ptr<const Listing>> listings;  // kFolders, kListings
};

ReadAheadSession::Options& Defaults() {
  static ReadAheadSession::Options options;
  return options;
}

}  // namespace

AheadPathList::AheadPathList(const std::vector<std::string>& paths) {
  std::size_t total = 0;
  for (const std::string& p : paths) total += p.size();
  text_.reserve(total);
  spans_.reserve(paths.size());
  for (const std::string& p : paths) {
    Span span;
    span.begin = text_.size();
    text_.append(p);
    span.end = text_.size();
    // The last component starts after the last "/" that is not the final
    // character; a path without one is read whole.
    const std::size_t search_end = p.size() > 1 ? p.size() - 2 : 0;
    const std::size_t slash = p.empty() ? std::string::npos : p.rfind('/', search_end);
    span.name = slash == std::string::npos || slash + 1 >= p.size() ? span.end
                                                                    : span.begin + slash + 1;
    spans_.push_back(span);
  }
}

std::string_view AheadPathList::Folder(std::size_t i) const {
  const Span& c = spans_[i];
  // A path read whole has all of it here and an empty name.
  return std::string_view(text_).substr(c.begin, (c.name == c.end ? c.end : c.name) - c.begin);
}

std::string_view AheadPathList::Name(std::size_t i) const {
  const Span& c = spans_[i];
  return std::string_view(text_).substr(c.name, c.end - c.name);
}

// The workers and the plan they read for, and the caller's side of it.
class ReadAheadEngine {
 public:
  explicit ReadAheadEngine(const ReadAheadSession::Options& options)
      : owner_(::pthread_self()),
        caller_reads_(options.caller_reads),
        most_(options.threads),
        fewest_(std::min(options.threads, Cores())),
        active_(options.as_from_disk ? most_ : fewest_),
        disk_seen_(options.as_from_disk) {
    for (int i = 0; i < options.threads; ++i) threads_.emplace_back([this] { Work(); });
  }

  ~ReadAheadEngine() {
    EndPlan(plan_id_);
    {
      std::lock_guard<std::mutex> lock(mu_);
      stop_ = true;
    }
    work_cv_.notify_all();
    back_cv_.notify_all();
    for (std::thread& t : threads_) t.join();
  }

  bool OnOwnerThread() const { return ::pthread_equal(owner_, ::pthread_self()) != 0; }

  std::uint64_t StartPlan(AheadKind kind, const AheadPaths* paths) {
    EndPlan(plan_id_);
    // The walk is over once its folders are listed for their files.
    if (kind != AheadKind::kFolders) kept_.Clear();
    // The gathering's listings are the walk's, where they are still fresh.
    const bool use_walked =
        kind == AheadKind::kListings && !walked_.empty() && walked_turn_ == ChangeTurns();
    if (!use_walked && kind != AheadKind::kFolders) walked_.Clear();
    std::lock_guard<std::mutex> lock(mu_);
    plan_.walked = use_walked ? &walked_ : nullptr;
    plan_.walked_turn = walked_turn_;
    const Cut cut = CutOf(kind, disk_seen_);
    plan_.id = ++plan_ids_;
    plan_.kind = kind;
    plan_.paths = paths;
    plan_.count = paths->Count();
    plan_.part_paths = cut.paths;
    plan_.parts = (plan_.count + cut.paths - 1) / cut.paths;
    plan_.window = cut.parts;
    slots_.assign(cut.parts, Slot());
    has_plan_ = plan_.count > 0;
    caller_part_ = 0;
    next_claim_ = 0;
    held_ = 0;
    // The caller's side.
    plan_id_ = plan_.id;
    kind_ = kind;
    part_paths_ = cut.paths;
    paths_ = has_plan_ ? paths : nullptr;
    pos_ = 0;
    asked_ = false;
    current_.reset();
    current_part_ = kNone;
    current_mine_ = false;
    seen_turn_ = ChangeTurns();
    work_cv_.notify_all();
    return plan_.id;
  }

  void EndPlan(std::uint64_t id) {
    if (id == 0 || id != plan_id_) return;
    std::unique_lock<std::mutex> lock(mu_);
    has_plan_ = false;
    for (Slot& s : slots_) Free(s);
    held_ = 0;
    // The paths may go once the plan ends: wait for the workers reading them.
    while (in_flight_ != 0) WaitForWorkers(lock, ended_cv_);
    std::vector<std::shared_ptr<Part>> garbage;
    garbage.swap(garbage_);
    if (plan_.walked) walked_.Clear();
    plan_.walked = nullptr;
    lock.unlock();
    plan_id_ = 0;
    paths_ = nullptr;
    current_.reset();
  }

  bool Stat(const char* path, struct stat* st, int* rc) {
    if (paths_ && kind_ == AheadKind::kListings && ListedStat(path, st, rc)) return true;
    if (paths_ && kind_ == AheadKind::kFolders) {
      const Part* part = nullptr;
      const std::size_t i = Find(path, &part);
      if (part) {
        const StatResult& r = part->status[i - part->first];
        ++answered_;
        Answer(r.err, rc);
        if (r.err == 0) {
          *st = r.st;
          KeepFolderStatus(path, r.st, part->turn);
        }
        return true;
      }
    }
    return KeptFolderStatus(path, st, rc);
  }

  bool Statx(const char* path, int flags, unsigned mask, struct statx* stx, int* rc) {
    if (!paths_ || kind_ != AheadKind::kStamps) return false;
    if (flags != kStampFlags || (mask & ~kStampMask) != 0) return false;
    const Part* part = nullptr;
    const std::size_t i = Find(path, &part);
    if (!part) return false;
    const StatxResult& r = part->stamps[i - part->first];
    ++answered_;
    Answer(r.err, rc);
    if (r.err == 0) *stx = r.stx;
    return true;
  }

  bool OpenDir(const char* path, DIR** dir) {
    if (!paths_ || (kind_ != AheadKind::kFolders && kind_ != AheadKind::kListings)) return false;
    const Part* part = nullptr;
    const std::size_t i = Find(path, &part);
    if (!part) return false;
    const std::shared_ptr<const Listing>& listing = part->listings[i - part->first];
    if (!listing || !listing->read) {
      ++missed_;
      return false;
    }
    ++answered_;
    int rc = 0;
    Answer(listing->open_err, &rc);
    if (listing->open_err != 0) {
      *dir = nullptr;
      return true;
    }
    *dir = OpenListingCursor(listing, part->turn);
    if (kind_ == AheadKind::kFolders) KeepWalked(*listing, part->turn);
    return true;
  }

  // Counts how a listing handed out answered a status call; true when it
  // was one of them.
  bool Count(EntryStatus how) {
    Beat();
    if (how == EntryStatus::kAnswered) ++answered_;
    if (how == EntryStatus::kReadAgain) ++missed_;
    return how != EntryStatus::kNotACursor;
  }

  // True when the path the caller will most likely ask for next lies in a
  // part it has not taken yet; cheap, without the lock.
  bool NextInNewPart() const {
    if (!paths_) return false;
    const std::size_t next = asked_ ? pos_ + 1 : 0;
    return next < paths_->Count() && next / part_paths_ != current_part_;
  }

  // Waits up to `timeout_ns` for the part holding the path the caller will
  // most likely ask for next, while a worker reads it or the workers are
  // about to; true when a worker is still reading it after that.  A part
  // no worker has taken by then is left to the call that asks for it.
  bool WaitForNext(std::int64_t timeout_ns) {
    if (!NextInNewPart()) return false;
    const std::size_t part = (asked_ ? pos_ + 1 : 0) / part_paths_;
    const std::int64_t deadline_ns = NowNs() + timeout_ns;
    std::unique_lock<std::mutex> lock(mu_);
    const Slot& s = slots_[part % plan_.window];
    auto reading = [&] { return s.part == part && s.state == kClaimed && s.turn == ChangeTurns(); };
    for (;;) {
      // Not yet taken: the workers take it next, as the caller leaves such
      // parts to them.
      const bool coming = s.state == kFree && next_claim_ <= part && part < plan_.parts &&
                          (!caller_reads_ || disk_seen_) && !threads_.empty();
      if (!reading() && !coming) return false;
      if (!WaitForWorkers(lock, ready_cv_, deadline_ns)) return reading();
    }
  }

  std::uint64_t answered_ = 0;
  std::uint64_t missed_ = 0;

 private:
  enum State : std::uint8_t { kFree, kClaimed, kReady, kMine };
  struct Slot {
    std::size_t part = kNone;
    State state = kFree;
    std::uint64_t gen = 0;
    std::uint64_t turn = 0;
    std::shared_ptr<Part> read;
  };
  struct Plan {
    std::uint64_t id = 0;
    AheadKind kind = AheadKind::kFolders;
    const AheadPaths* paths = nullptr;
    std::size_t count = 0;
    std::size_t part_paths = 1;
    std::size_t parts = 0;
    std::size_t window = 1;
    // kListings: the walk's listings, read in `walked_turn`.
    const WalkedListings* walked = nullptr;
    std::uint64_t walked_turn = 0;
  };

  // The walk reads a folder's status once as a level entry and again, for
  // every level above it, when it hands the folder up.  The first answer,
  // while no turn has come since it was read, answers the others.
  void KeepFolderStatus(const char* path, const struct stat& st, std::uint64_t turn) {
    if (!S_ISDIR(st.st_mode)) return;
    if (turn != kept_turn_) {
      kept_.Clear();
      kept_turn_ = turn;
    }
    kept_.Insert(path, st);
  }

  bool KeptFolderStatus(const char* path, struct stat* st, int* rc) {
    if (kept_.empty()) return false;
    if (kept_turn_ != ChangeTurns()) {
      kept_.Clear();
      return false;
    }
    const struct stat* kept = kept_.Find(path);
    if (!kept) return false;
    *st = *kept;
    *rc = 0;
    ++answered_;
    return true;
  }

  // The walk lists every folder it takes, and the gathering lists the same
  // folders again, in the same order, for their files.  The walk's listings,
  // while no turn has come since, answer the second listing.
  void KeepWalked(const Listing& listing, std::uint64_t turn) {
    if (turn != walked_turn_) {
      walked_.Clear();
      walked_turn_ = turn;
    }
    walked_.Add(listing, kMaxWalkedEntries);
  }

  void Answer(int err, int* rc) {
    *rc = err == 0 ? 0 : -1;
    if (err != 0) errno = err;
  }

  bool Matches(std::size_t i, std::string_view path) const {
    std::string_view folder, name;
    paths_->Parts(i, &folder, &name);
    return path.size() == folder.size() + name.size() &&
           path.compare(0, folder.size(), folder) == 0 &&
           path.compare(folder.size(), name.size(), name) == 0;
  }

  // Finds `path` in the plan near where the caller is.  Returns its index
  // and, in *part, what was read for it after the latest turn; *part stays
  // nullptr when the path is not in the plan or the caller must ask the
  // kernel (counted as missed).
  std::size_t Find(const char* path, const Part** part) {
    *part = nullptr;
    Beat();
    const std::string_view p(path);
    const std::size_t count = paths_->Count();
    std::size_t i = pos_;
    while (i < count && i < pos_ + kLookAhead && !Matches(i, p)) ++i;
    if (i >= count || i >= pos_ + kLookAhead) return kNone;
    pos_ = i;
    asked_ = true;
    const std::size_t part_index = i / part_paths_;
    const std::uint64_t turn = ChangeTurns();
    if (part_index != current_part_ || (!current_mine_ && current_->turn != turn)) {
      Acquire(part_index, turn);
    }
    if (current_mine_) {
      ++missed_;
    } else {
      *part = current_.get();
    }
    return i;
  }

  // Makes part `part` the caller's: read ahead after `turn`, waited for if a
  // worker is reading it, or else the caller's own to read.
  void Acquire(std::size_t part, std::uint64_t turn) {
    std::unique_lock<std::mutex> lock(mu_);
    if (turn != seen_turn_) {
      Invalidate(turn);
      seen_turn_ = turn;
    }
    if (part != caller_part_) Advance(part);
    current_.reset();
    current_mine_ = false;
    current_part_ = part;
    for (;;) {
      Slot& s = slots_[part % plan_.window];
      const bool ours = s.part == part;
      if (ours && s.state == kReady && s.turn == turn) {
        current_ = s.read;
        return;
      }
      if (ours && s.state == kClaimed && s.turn == turn) {
        WaitForWorkers(lock, ready_cv_);
        continue;
      }
      if (ours && s.state == kMine) break;
      if (ours) Free(s);
      // Once reads have waited on the disk the caller leaves them to the
      // workers, who have many under way at once; it would wait on each in
      // turn, with the window unable to answer meanwhile.
      if ((!caller_reads_ || disk_seen_) && !threads_.empty()) {
        if (next_claim_ > part) next_claim_ = part;
        work_cv_.notify_all();
        WaitForWorkers(lock, ready_cv_);
        continue;
      }
      s.part = part;
      s.state = kMine;
      ++s.gen;
      break;
    }
    current_mine_ = true;
  }

  // Drops what was read before `turn`; it is read again.
  void Invalidate(std::uint64_t turn) {
    std::size_t freed = 0;
    for (Slot& s : slots_) {
      if ((s.state == kReady || s.state == kClaimed) && s.turn != turn) {
        Free(s);
        ++freed;
      }
    }
    next_claim_ = caller_part_;
    Wake(freed);
  }

  // Wakes as many idle workers as may read now, up to one per part.
  void Wake(std::size_t parts) {
    const int may_read = std::min(idle_, active_ - in_flight_ - waking_);
    for (std::size_t k = 0; k < parts && static_cast<int>(k) < may_read; ++k) {
      ++waking_;
      work_cv_.notify_one();
    }
  }

  // The caller has moved on to part `part`: the parts before it go, and
  // as many workers wake as there is new room for.
  void Advance(std::size_t part) {
    for (Slot& s : slots_) {
      if (s.part != kNone && s.part < part) Free(s);
    }
    caller_part_ = part;
    if (next_claim_ < part) next_claim_ = part;
    // Workers are woken once half the parts ahead are free, to read several
    // in a row, rather than for every part the caller passes.
    const std::size_t free_parts = caller_part_ + plan_.window - next_claim_;
    if (free_parts * 2 >= plan_.window) Wake(free_parts);
  }

  void Free(Slot& s) {
    if (s.state == kReady && s.read) held_ -= s.read->entries;
    // Freed by a worker, off the caller's thread.
    if (s.read) garbage_.push_back(std::move(s.read));
    s.state = kFree;
    s.part = kNone;
    ++s.gen;
  }

  static int Cores() {
    const unsigned cores = std::thread::hardware_concurrency();
    return cores == 0 ? 1 : static_cast<int>(cores);
  }

  // The next part a worker may read, or kNone.
  std::size_t Claimable() {
    if (!has_plan_ || in_flight_ >= active_) return kNone;
    while (next_claim_ < plan_.parts && next_claim_ < caller_part_ + plan_.window) {
      const Slot& s = slots_[next_claim_ % plan_.window];
      if (s.part == next_claim_ && s.state != kFree) {
        ++next_claim_;
        continue;
      }
      if (s.part != kNone && s.part != next_claim_) return kNone;  // not yet passed
      if (held_ >= kMaxHeldEntries && next_claim_ != caller_part_) return kNone;
      return next_claim_;
    }
    return kNone;
  }

  void Work() {
    CallerWatch watch;
    std::unique_lock<std::mutex> lock(mu_);
    for (;;) {
      std::size_t part;
      while (!stop_ && (part = Claimable()) == kNone) {
        ++idle_;
        work_cv_.wait(lock);
        --idle_;
        if (waking_ > 0) --waking_;
      }
      if (stop_) return;
      ++next_claim_;
      Slot& s = slots_[part % plan_.window];
      s.part = part;
      s.state = kClaimed;
      const std::uint64_t gen = ++s.gen;
      // Read the turn before reading anything: what happened in a turn that
      // ends later makes this part stale.
      s.turn = ChangeTurns();
      const std::uint64_t turn = s.turn;
      const Plan plan = plan_;
      ++in_flight_;
      std::vector<std::shared_ptr<Part>> garbage;
      garbage.swap(garbage_);
      lock.unlock();
      garbage.clear();
      const long blocks_before = BlocksRead();
      std::shared_ptr<Part> read =
          Read(plan, part, turn, [this, &plan, &watch] { StandBack(plan.id, &watch); });
      const bool waited_on_disk = BlocksRead() != blocks_before;
      lock.lock();
      --in_flight_;
      // While the reads wait on the disk, many at once keep it busy; once
      // everything is in memory, as many as there are cores do the work.
      if (waited_on_disk) {
        disk_seen_ = true;
        active_ = most_;
        Wake(static_cast<std::size_t>(most_));
      } else if (active_ > fewest_) {
        --active_;
      }
      Slot& t = slots_[part % plan.window];
      if (has_plan_ && plan_.id == plan.id && t.part == part && t.gen == gen &&
          t.state == kClaimed) {
        t.read = std::move(read);
        t.state = kReady;
        held_ += t.read->entries;
      }
      if (caller_waiting_) {
        ready_cv_.notify_all();
        // The caller may run from the first wake-up on, as if it had just
        // made progress.
        if (caller_asleep_until_.load(std::memory_order_relaxed) != 0) {
          caller_asleep_until_.store(0, std::memory_order_relaxed);
          beat_.fetch_add(1, std::memory_order_relaxed);
        }
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

  template <typename Pause>
  static std::shared_ptr<Part> Read(const Plan& plan, std::size_t part, std::uint64_t turn,
                                    Pause pause) {
    auto read = std::make_shared<Part>();
    read->first = part * plan.part_paths;
    read->turn = turn;
    const std::size_t count = std::min(plan.part_paths, plan.count - read->first);
    RelativeReader at(*plan.paths);
    switch (plan.kind) {
      case AheadKind::kFolders:
        read->status.resize(count);
        read->listings.resize(count);
        for (std::size_t k = 0; k < count; ++k) {
          pause();
          at.Select(read->first + k);
          StatResult& status = read->status[k];
          // The open folder's status is the path's, links followed.
          const int fd = OpenListing(at);
          if (fd >= 0 && ::fstat(fd, &status.st) == 0) {
            status.err = 0;
            read->listings[k] =
                ReadListing(at, fd, kFolderEntryFlags, MayBeFolder, kMaxListedEntries);
          } else {
            const int open_err = errno;
            if (fd >= 0) ::close(fd);
            ReadStatus(at, &status);
            // A path that is no folder is not listed by the walker.
            if (status.err == 0 && S_ISDIR(status.st.st_mode)) {
              read->listings[k] = Unopened(at, open_err);
            }
          }
          if (read->listings[k]) read->entries += read->listings[k]->entries.size();
        }
        break;
      case AheadKind::kListings:
        read->listings.resize(count);
        for (std::size_t k = 0; k < count; ++k) {
          pause();
          std::uint64_t walked_at = WalkedListings::kNone;
          if (plan.walked && plan.walked_turn == turn) {
            std::string_view folder, name;
            plan.paths->Parts(read->first + k, &folder, &name);
            walked_at = plan.walked->Find(folder, name);
          }
          if (walked_at != WalkedListings::kNone) {
            read->listings[k] = plan.walked->Unpack(walked_at);
            read->entries += read->listings[k]->entries.size();
            continue;
          }
          at.Select(read->first + k);
          const int fd = OpenListing(at);
          read->listings[k] = fd >= 0
                                  ? ReadListing(at, fd, kLinkEntryFlags, MayBeLink, kMaxListedEntries)
                                  : Unopened(at, errno);
          read->entries += read->listings[k]->entries.size();
        }
        break;
      case AheadKind::kStamps:
        read->stamps.resize(count);
        for (std::size_t k = 0; k < count; ++k) {
          pause();
          at.Select(read->first + k);
          StatxResult& r = read->stamps[k];
          r.err = ::statx(at.Dir(), at.Name(), kStampFlags, kStampMask, &r.stx) == 0 ? 0 : errno;
        }
        break;
    }
    return read;
  }

  // The caller counts its progress as it asks, once in 64 calls, which is
  // often enough to tell milliseconds apart and keeps the shared count from
  // bouncing between the cores; the workers see from it whether the caller
  // is getting a core.
  void Beat() {
    if ((++calls_ & 63) == 0) BeatNow();
  }
  void BeatNow() {
    beat_.store(beat_.load(std::memory_order_relaxed) + 1, std::memory_order_relaxed);
  }

  // The caller waits on `cv` for the workers, until `deadline_ns` (by
  // NowNs) if one is given; false when the deadline passed.  The lock is
  // mu_.
  bool WaitForWorkers(std::unique_lock<std::mutex>& lock, std::condition_variable& cv,
                      std::int64_t deadline_ns = kForever) {
    caller_waiting_ = true;
    caller_asleep_until_.store(deadline_ns, std::memory_order_relaxed);
    if (standing_back_ > 0) back_cv_.notify_all();
    bool in_time = true;
    if (deadline_ns != kForever) {
      const WaitClock::time_point deadline{std::chrono::nanoseconds(deadline_ns)};
      in_time = cv.wait_until(lock, deadline) == std::cv_status::no_timeout;
    } else {
      cv.wait(lock);
    }
    caller_waiting_ = false;
    caller_asleep_until_.store(0, std::memory_order_relaxed);
    BeatNow();
    return in_time;
  }

  // True while the caller sleeps until the workers wake it, or until a wait
  // that has not run out yet.  A caller whose wait ran out, or whom a worker
  // woke, is ready to run, though it may not have run yet.
  bool CallerAwaitsWorkers() const {
    const std::int64_t until = caller_asleep_until_.load(std::memory_order_relaxed);
    return until != 0 && (until == kForever || NowNs() < until);
  }

  // What a worker last saw of the caller's progress, and when it first saw
  // it unchanged; its own, so the workers write nothing shared to keep watch.
  struct CallerWatch {
    std::uint64_t beat = 0;
    std::int64_t unchanged_since = 0;  // 0: not yet seen unchanged
  };

  // True when the caller has shown no progress for kStarvedNs while not
  // waiting for the workers, or its wait ran out that long ago: it is ready
  // to run but finds no free core.
  bool CallerStarved(CallerWatch* watch) const {
    const std::int64_t until = caller_asleep_until_.load(std::memory_order_relaxed);
    if (until == kForever) return false;
    if (until != 0) return NowNs() - until > kStarvedNs;
    const std::uint64_t beat = beat_.load(std::memory_order_relaxed);
    if (beat != watch->beat) {
      watch->beat = beat;
      watch->unchanged_since = 0;
      return false;
    }
    const std::int64_t now = NowNs();
    if (watch->unchanged_since == 0) watch->unchanged_since = now;
    return now - watch->unchanged_since > kStarvedNs;
  }

  // The window's thread takes every answer in order, so when it waits for a
  // core, reading further ahead gains nothing; and many workers, each waking
  // for a short read again and again, keep it from its turn for tens of
  // milliseconds, as the scheduler hands the core to whoever ran least.  A
  // worker that finds the caller starved stands back, between two reads,
  // asleep until the caller moves on or waits for the workers.  One of
  // those standing back looks every kBackOffNs and wakes the others; the
  // rest sleep, so nothing wakes in the caller's way.
  void StandBack(std::uint64_t plan_id, CallerWatch* watch) {
    if (!CallerStarved(watch)) return;
    std::unique_lock<std::mutex> lock(mu_);
    const std::uint64_t beat = beat_.load(std::memory_order_relaxed);
    auto standing = [&] {
      return !stop_ && has_plan_ && plan_.id == plan_id && !CallerAwaitsWorkers() &&
             beat_.load(std::memory_order_relaxed) == beat;
    };
    ++standing_back_;
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
    --standing_back_;
  }

  // Stat() of an entry of the listing last opened, by its full path.
  bool ListedStat(const char* path, struct stat* st, int* rc) {
    const EntryStatus how = LastEntryStatus(path, kLinkEntryFlags, ChangeTurns(), st, rc);
    Count(how);
    return how == EntryStatus::kAnswered;
  }

  // Blocks this thread has read from the disk so far.
  static long BlocksRead() {
    struct rusage usage;
    return ::getrusage(RUSAGE_THREAD, &usage) == 0 ? usage.ru_inblock : 0;
  }

  const pthread_t owner_;
  const bool caller_reads_;
  const int most_;    // workers
  const int fewest_;  // reading at once when nothing waits on the disk
  std::vector<std::thread> threads_;

  // Shared with the workers, under mu_.
  std::mutex mu_;
  std::condition_variable work_cv_;   // workers wait for a part to read
  std::condition_variable ready_cv_;  // the caller waits for a part
  std::condition_variable ended_cv_;  // a plan's end waits for the workers
  bool stop_ = false;
  Plan plan_;
  bool has_plan_ = false;
  std::uint64_t plan_ids_ = 0;
  std::vector<Slot> slots_;
  std::size_t caller_part_ = 0;
  std::size_t next_claim_ = 0;
  std::size_t held_ = 0;
  std::vector<std::shared_ptr<Part>> garbage_;  // parts passed, to be freed
  int in_flight_ = 0;
  int active_;  // workers that may read at once
  bool disk_seen_;  // a read has waited on the disk
  int idle_ = 0;
  int waking_ = 0;  // notified, not yet awake
  bool caller_waiting_ = false;
  std::condition_variable back_cv_;  // workers standing back (StandBack)
  int standing_back_ = 0;
  bool watching_ = false;  // a worker standing back looks for the caller
  // The caller's progress (Beat), read by the workers without the lock, on
  // a cache line of its own.
  alignas(64) std::atomic<std::uint64_t> beat_{0};
  // While the caller waits for the workers: when its wait runs out
  // (kForever: when they wake it); 0 otherwise.
  static constexpr std::int64_t kForever = INT64_MAX;
  std::atomic<std::int64_t> caller_asleep_until_{0};

  // The caller's side, on the owner thread only.
  std::uint64_t plan_id_ = 0;
  AheadKind kind_ = AheadKind::kFolders;
  std::size_t part_paths_ = 1;
  const AheadPaths* paths_ = nullptr;
  std::size_t pos_ = 0;
  bool asked_ = false;  // pos_ is a path asked for
  std::uint64_t calls_ = 0;  // calls counted towards the next Beat
  std::shared_ptr<Part> current_;
  std::size_t current_part_ = kNone;
  bool current_mine_ = false;
  std::uint64_t seen_turn_ = 0;
  // The status of the walk's folders (KeepFolderStatus), read in kept_turn_.
  KeptStatus kept_;
  std::uint64_t kept_turn_ = 0;
  // The walk's listings in the order it took them (KeepWalked), read in
  // walked_turn_.
  WalkedListings walked_;
  std::uint64_t walked_turn_ = 0;
};

namespace {

std::atomic<ReadAheadEngine*> g_engine{nullptr};

std::uint64_t& AnsweredTotal() {
  static std::uint64_t total = 0;
  return total;
}

// The engine, when this thread owns it.
ReadAheadEngine* Engine() {
  ReadAheadEngine* engine = g_engine.load(std::memory_order_acquire);
  return engine && engine->OnOwnerThread() ? engine : nullptr;
}

}  // namespace

ReadAheadSession::ReadAheadSession() : ReadAheadSession(Defaults()) {}

ReadAheadSession::ReadAheadSession(const Options& options) {
  if (options.threads <= 0 || g_engine.load() != nullptr) return;
  engine_ = new ReadAheadEngine(options);
  g_engine.store(engine_, std::memory_order_release);
}

ReadAheadSession::~ReadAheadSession() {
  if (!engine_) return;
  AnsweredTotal() += engine_->answered_;

  g_engine.store(nullptr, std::memory_order_release);
  delete engine_;
}

std::uint64_t ReadAheadSession::Answered() const { return engine_ ? engine_->answered_ : 0; }
std::uint64_t ReadAheadSession::Missed() const { return engine_ ? engine_->missed_ : 0; }
std::uint64_t ReadAheadSession::AnsweredInAll() {
  ReadAheadEngine* engine = g_engine.load();
  return AnsweredTotal() + (engine ? engine->answered_ : 0);
}

ReadAheadSession::Options ReadAheadSession::SetDefaults(const Options& options) {
  Options previous = Defaults();
  Defaults() = options;
  return previous;
}

ReadAhead::ReadAhead(AheadKind kind, const AheadPaths& paths) {
  if (ReadAheadEngine* engine = Engine()) plan_ = engine->StartPlan(kind, &paths);
}

ReadAhead::ReadAhead(AheadKind kind, const std::vector<std::string>& paths) {
  if (ReadAheadEngine* engine = Engine()) {
    copy_ = std::make_unique<AheadPathList>(paths);
    plan_ = engine->StartPlan(kind, copy_.get());
  }
}

ReadAhead::~ReadAhead() {
  if (ReadAheadEngine* engine = Engine()) engine->EndPlan(plan_);
}

namespace ahead {

bool Stat(const char* path, struct stat* st, int* rc) {
  ReadAheadEngine* engine = Engine();
  return engine && engine->Stat(path, st, rc);
}

bool Statx(const char* path, int flags, unsigned mask, struct statx* stx, int* rc) {
  ReadAheadEngine* engine = Engine();
  return engine && engine->Statx(path, flags, mask, stx, rc);
}

bool OpenDir(const char* path, DIR** dir) {
  ReadAheadEngine* engine = Engine();
  return engine && engine->OpenDir(path, dir);
}

bool ReadDir(DIR* dir, struct dirent** entry) { return CursorNext(dir, entry); }

bool NextPending() {
  ReadAheadEngine* engine = Engine();
  return engine && engine->NextInNewPart();
}

bool WaitForNext(std::int64_t timeout_ns) {
  ReadAheadEngine* engine = Engine();
  return engine && engine->WaitForNext(timeout_ns);
}

bool CloseDir(DIR* dir, int* rc) { return CursorClose(dir, rc); }

bool EntryStat(DIR* dir, const char* name, struct stat* st, int flags, int* rc) {
  const EntryStatus how = CursorEntryStat(dir, name, flags, ChangeTurns(), st, rc);
  if (ReadAheadEngine* engine = Engine()) return engine->Count(how);
  return how != EntryStatus::kNotACursor;
}

}  // namespace ahead
}  // namespace qm
