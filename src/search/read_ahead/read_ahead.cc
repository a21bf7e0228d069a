// SPDX-License-Identifier: GPL-3.0-or-later
#include "search/read_ahead/read_ahead.h"

#include <atomic>
#include <cerrno>
#include <string_view>

#include "platform/change_count.h"
#include "platform/file_system.h"
#include "platform/yield.h"
#include "search/read_ahead/engine.h"
#include "search/read_ahead/listing_cursor.h"
#include "search/read_ahead/stage_memo.h"

namespace qm {
namespace {

ReadAheadSession::Options& Defaults() {
  static ReadAheadSession::Options options;
  return options;
}

// Only one session lives at a time.
std::atomic<bool> g_session_lives{false};
std::atomic<std::uint64_t> g_answered_before{0};
std::atomic<std::uint64_t> g_missed_before{0};

void Answer(int err, int* rc) {
  *rc = err == 0 ? 0 : -1;
  if (err != 0) errno = err;
}

// Listings handed out and still open when their session ended: they stay
// readable until closed.
class LeftoverCursors : public FsAnswerer {
 public:
  bool Stat(const char*, struct stat*, int*) override { return false; }
  bool Statx(const char*, int, unsigned, struct statx*, int*) override { return false; }
  bool OpenDir(const char*, DIR**) override { return false; }
  bool ReadDir(DIR* dir, struct dirent** entry) override { return CursorNext(dir, entry); }
  bool CloseDir(DIR* dir, int* rc) override {
    const bool closed = CursorClose(dir, rc);
    if (OpenCursorCount() == 0) SetFsAnswerer(nullptr);
    return closed;
  }
  bool EntryStat(DIR* dir, const char* name, struct stat* st, int flags, int* rc) override {
    return CursorEntryStat(dir, name, flags, ChangeCount(), st, rc) != EntryStatus::kNotACursor;
  }
};

}  // namespace

// The session's answers to this thread's calls, and its waiter at yields:
// each call goes the one way its stage gives it, and is counted as answered
// or missed.
class SessionAnswerer : public FsAnswerer, public YieldWaiter {
 public:
  explicit SessionAnswerer(const ReadAheadSession::Options& options)
      : engine_(options.threads, options.as_from_disk) {}

  std::uint64_t StartPlan(AheadKind kind, const AheadPaths* paths) {
    EndPlan(plan_);
    std::uint64_t walked_change = 0;
    walked_ = memo_.StageStarts(kind, ChangeCount(), &walked_change);
    plan_ = engine_.StartPlan(kind, paths, walked_, walked_change);
    return plan_;
  }

  void EndPlan(std::uint64_t id) {
    if (id == 0 || id != plan_) return;
    engine_.EndPlan(id);
    plan_ = 0;
    if (walked_) memo_.ListingsUsed();
    walked_ = nullptr;
  }

  // FsAnswerer.
  bool Stat(const char* path, struct stat* st, int* rc) override {
    engine_.Beat();
    if (engine_.InPlan(AheadKind::kListings)) {
      // The file test of a listed link or unknown entry, by its full path.
      return Counted(LastEntryStatus(path, kLinkEntryFlags, ChangeCount(), st, rc) ==
                     EntryStatus::kAnswered);
    }
    if (engine_.InPlan(AheadKind::kFolders)) {
      std::size_t i = 0;
      if (const Part* part = engine_.Find(path, &i)) {
        const StatResult& r = part->status[i - part->first];
        Answer(r.err, rc);
        if (r.err == 0) {
          *st = r.st;
          memo_.KeepFolderStatus(path, r.st, part->change);
        }
        return Counted(true);
      }
    }
    // The walk's later reads of a folder's status as it hands it up.
    if (memo_.FolderStatus(path, ChangeCount(), st)) {
      *rc = 0;
      return Counted(true);
    }
    return Counted(false);
  }

  bool Statx(const char* path, int flags, unsigned mask, struct statx* stx, int* rc) override {
    engine_.Beat();
    if (!engine_.InPlan(AheadKind::kStamps) || flags != kStampFlags ||
        (mask & ~kStampMask) != 0) {
      return Counted(false);
    }
    std::size_t i = 0;
    const Part* part = engine_.Find(path, &i);
    if (!part) return Counted(false);
    const StatxResult& r = part->stamps[i - part->first];
    Answer(r.err, rc);
    if (r.err == 0) *stx = r.stx;
    return Counted(true);
  }

  bool OpenDir(const char* path, DIR** dir) override {
    engine_.Beat();
    const bool walk = engine_.InPlan(AheadKind::kFolders);
    if (!walk && !engine_.InPlan(AheadKind::kListings)) return Counted(false);
    std::size_t i = 0;
    const Part* part = engine_.Find(path, &i);
    if (!part) return Counted(false);
    const std::shared_ptr<const Listing>& listing = part->listings[i - part->first];
    // Not read ahead: too large, or no folder when it was read.
    if (!listing || !listing->read) return Counted(false);
    int rc = 0;
    Answer(listing->open_err, &rc);
    if (listing->open_err != 0) {
      *dir = nullptr;
      return Counted(true);
    }
    *dir = OpenListingCursor(listing, part->change);
    if (walk) memo_.KeepListing(*listing, part->change);
    return Counted(true);
  }

  bool ReadDir(DIR* dir, struct dirent** entry) override { return CursorNext(dir, entry); }
  bool CloseDir(DIR* dir, int* rc) override { return CursorClose(dir, rc); }

  bool EntryStat(DIR* dir, const char* name, struct stat* st, int flags, int* rc) override {
    engine_.Beat();
    return Counted(CursorEntryStat(dir, name, flags, ChangeCount(), st, rc));
  }

  // YieldWaiter.
  bool Pending() override { return engine_.NextPending(); }
  bool WaitFor(std::int64_t timeout_ns) override { return engine_.WaitForNext(timeout_ns); }

  std::uint64_t answered() const { return answered_; }
  std::uint64_t missed() const { return missed_; }

 private:
  bool Counted(bool answered) {
    ++(answered ? answered_ : missed_);
    return answered;
  }
  // A status call about an entry of a listing handed out: answered from the
  // listing, or read again by the entry's path (missed, but done).
  bool Counted(EntryStatus how) {
    if (how == EntryStatus::kAnswered) ++answered_;
    if (how != EntryStatus::kAnswered) ++missed_;
    return how != EntryStatus::kNotACursor;
  }

  // The workers read the memo's walked listings: it goes after them.
  StageMemo memo_;
  ReadAheadEngine engine_;
  std::uint64_t plan_ = 0;
  const WalkedListings* walked_ = nullptr;
  std::uint64_t answered_ = 0;
  std::uint64_t missed_ = 0;
};

namespace {

// The session living on this thread.
thread_local SessionAnswerer* t_session = nullptr;

}  // namespace

ReadAheadSession::ReadAheadSession() : ReadAheadSession(Defaults()) {}

ReadAheadSession::ReadAheadSession(const Options& options) {
  if (options.threads <= 0 || g_session_lives.exchange(true)) return;
  answerer_ = std::make_unique<SessionAnswerer>(options);
  t_session = answerer_.get();
  SetFsAnswerer(answerer_.get());
  SetYieldWaiter(answerer_.get());
}

ReadAheadSession::~ReadAheadSession() {
  if (!answerer_) return;
  SetYieldWaiter(nullptr);
  static LeftoverCursors leftover;
  SetFsAnswerer(OpenCursorCount() > 0 ? &leftover : nullptr);
  t_session = nullptr;
  g_answered_before += answerer_->answered();
  g_missed_before += answerer_->missed();
  answerer_.reset();
  g_session_lives = false;
}

std::uint64_t ReadAheadSession::Answered() const { return answerer_ ? answerer_->answered() : 0; }
std::uint64_t ReadAheadSession::Missed() const { return answerer_ ? answerer_->missed() : 0; }

std::uint64_t ReadAheadSession::AnsweredInAll() {
  return g_answered_before + (t_session ? t_session->answered() : 0);
}

std::uint64_t ReadAheadSession::MissedInAll() {
  return g_missed_before + (t_session ? t_session->missed() : 0);
}

ReadAheadSession::Options ReadAheadSession::SetDefaults(const Options& options) {
  Options previous = Defaults();
  Defaults() = options;
  return previous;
}

ReadAhead::ReadAhead(AheadKind kind, const AheadPaths& paths) {
  if (t_session) plan_ = t_session->StartPlan(kind, &paths);
}

ReadAhead::ReadAhead(AheadKind kind, const std::vector<std::string>& paths) {
  if (t_session) {
    copy_ = std::make_unique<AheadPathList>(paths);
    plan_ = t_session->StartPlan(kind, copy_.get());
  }
}

ReadAhead::~ReadAhead() {
  if (t_session) t_session->EndPlan(plan_);
}

}  // namespace qm
