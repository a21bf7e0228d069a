// SPDX-License-Identifier: GPL-3.0-or-later
// Reading the file system ahead of a search, on worker threads.
//
// A search asks the file system one thing after another on the window's
// thread: a folder's status, its listing, the status of its subfolders,
// later every file's time stamps.  A disk answers many requests at once, so
// while a ReadAheadSession lives, worker threads read ahead what the thread
// that made the session is about to ask, and the FileSystem layer's own calls
// (file_system.h) answer from what they read instead of asking the kernel.
//
// What is read ahead is given as a plan: a sequence of paths and what will be
// asked of each (AheadKind), in the order the caller will ask.  The answers
// are those the kernel gives to the same calls; the callers do not change.
// A call that does not match the plan, or finds no answer ready, goes to the
// kernel as before.  A test file system installed with ScopedFs sees every
// call as before; its own calls of the FileSystem base methods are answered
// from what was read ahead, so the faults it injects still happen where it
// puts them.
//
// Freshness: nothing read before the latest change turn (yield.h) is used
// afterwards.  A turn is counted after every change this process makes to
// the file system, and after anything that may make one on this thread (a
// test's yield hook, a dialog), so a read after it sees the change, as the
// plain walk would.  Changes by other processes come at no fixed point of
// the walk; reading ahead only moves the moment each thing is read a little
// earlier.  A listing is taken whole when it is read, as readdir reads a
// folder in one go; the status of its entries is checked against the turn at
// each call.

// What the walk read also serves it and the gathering again, while no turn
// has come since: the walk reads each folder's status again for every level
// above it, as it hands the folder up, and the first status read of a
// folder answers those (about 200 bytes per folder, for the walk); and the
// gathering lists the walk's folders again for their files, which the walk's
// own listings answer (walked_listings.h).
//
// Workers: as many read at once as there are cores while everything comes
// from memory, all of them (Options::threads) once reads wait on the disk;
// then parts are small and the caller waits for the workers rather than
// reading itself.  The caller's thread is the window's: when it has been
// ready to run for 2 ms without getting a core, the workers stand back
// between two reads until it moves on, and a yield (yield.h) waits for the
// next part with the event loop turning, so neither the workers nor a busy
// disk keep the window from answering.
//
// Bounds: a plan holds at most kMaxHeldEntries (8,192) listed entries, or
// 1,024 paths' stamps (4,096 while reads wait on the disk, to spread them
// over more of it), ahead of the caller, plus what the workers are reading; a folder of more than 1,024 entries is not read ahead but listed
// by the caller.  The workers only read status and listings, never a file's
// contents.  They stop when the plan ends, and end with the session.
#ifndef QUENMOOR_PLATFORM_READ_AHEAD_H_
#define QUENMOOR_PLATFORM_READ_AHEAD_H_

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace qm {

enum class AheadKind : std::uint8_t {
  // Stat() of each path (a folder, links followed), then OpenDir(), ReadDir()
  // and EntryStat() (links followed) of its entries that may be folders.
  kFolders,
  // OpenDir() and ReadDir() of each folder, and Stat() of its entries that
  // may be links or are of unknown type, by their full path.
  kListings,
  // Statx() of each path with AT_SYMLINK_NOFOLLOW | AT_NO_AUTOMOUNT: the
  // three times, type, inode, mode and the rest of the basic status.
  kStamps,
};

// A sequence of paths, each the join of a folder part (ending in "/") and a
// name part (one component, with or without a final "/"; empty for a path
// read as a whole).  Worker threads read it while a plan lasts, so it must
// not change meanwhile; they read each path relative to its folder, opened
// once for a run of paths in it.
class AheadPaths {
 public:
  virtual ~AheadPaths() = default;
  virtual std::size_t Count() const = 0;
  virtual std::string_view Folder(std::size_t i) const = 0;
  virtual std::string_view Name(std::size_t i) const = 0;
  // Both parts at once.
  virtual void Parts(std::size_t i, std::string_view* folder, std::string_view* name) const {
    *folder = Folder(i);
    *name = Name(i);
  }
};

// A copy of a list of paths, in one block, each cut before its last
// component.
class AheadPathList : public AheadPaths {
 public:
  explicit AheadPathList(const std::vector<std::string>& paths);
  std::size_t Count() const override { return spans_.size(); }
  std::string_view Folder(std::size_t i) const override;
  std::string_view Name(std::size_t i) const override;

 private:
  std::string text_;
  struct Span {
    std::size_t begin, name, end;
  };
  std::vector<Span> spans_;
};

// The worker threads of one search, for plans started on the thread that
// makes the session.  One session at a time.
class ReadAheadSession {
 public:
  struct Options {
    int threads = 16;
    // The caller reads a path itself when no worker has started on it;
    // false makes it wait for the workers (tests, to see every answer come
    // from them).
    bool caller_reads = true;
    // Work from the start as once reads have waited on the disk: small
    // parts, all workers, the caller waiting for them (tests).
    bool as_from_disk = false;
  };
  ReadAheadSession();
  explicit ReadAheadSession(const Options& options);
  ~ReadAheadSession();
  ReadAheadSession(const ReadAheadSession&) = delete;
  ReadAheadSession& operator=(const ReadAheadSession&) = delete;

  // Calls answered from what the workers read, and calls within a plan that
  // went to the kernel instead; for tests and benchmarks.
  std::uint64_t Answered() const;
  std::uint64_t Missed() const;
  // Calls answered from what workers read, by all sessions so far.
  static std::uint64_t AnsweredInAll();

  // The options of sessions made with the default constructor (the search
  // run's); threads 0 makes no workers, so nothing is read ahead (a plain
  // one-thread search, to compare against).  Returns the previous options.
  static Options SetDefaults(const Options& options);

 private:
  class ReadAheadEngine* engine_ = nullptr;
};

// Reads ahead what this thread is about to ask of `paths`, while it lives,
// when a session lives on this thread; otherwise does nothing.  Starting a
// plan ends the one before.  `paths` must outlive the plan.
class ReadAhead {
 public:
  ReadAhead(AheadKind kind, const AheadPaths& paths);
  // The same for a copy of `paths`, made only when a session lives.
  ReadAhead(AheadKind kind, const std::vector<std::string>& paths);
  ~ReadAhead();
  ReadAhead(const ReadAhead&) = delete;
  ReadAhead& operator=(const ReadAhead&) = delete;

 private:
  std::uint64_t plan_ = 0;
  std::unique_ptr<AheadPathList> copy_;
};

// The FileSystem base methods ask these first; each returns true when it
// answered (the call's result in *rc, errno set on failure as the kernel
// sets it).
namespace ahead {
bool Stat(const char* path, struct stat* st, int* rc);
bool Statx(const char* path, int flags, unsigned mask, struct statx* stx, int* rc);
bool OpenDir(const char* path, DIR** dir);
bool ReadDir(DIR* dir, struct dirent** entry);
bool CloseDir(DIR* dir, int* rc);
bool EntryStat(DIR* dir, const char* name, struct stat* st, int flags, int* rc);

// For Yield(): whether the next call this thread will likely make falls in
// what workers have yet to hand over (cheap), and a wait of at most
// `timeout_ns` for it, true when it is still under way after that.  A
// yield waits there, turning the event loop meanwhile, rather than the
// call after it waiting with the window unable to answer.
bool NextPending();
bool WaitForNext(std::int64_t timeout_ns);
}  // namespace ahead

}  // namespace qm

#endif  // QUENMOOR_PLATFORM_READ_AHEAD_H_
