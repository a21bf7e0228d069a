// SPDX-License-Identifier: GPL-3.0-or-later
// Reading the file system ahead of a search, on worker threads.
//
// A search asks the file system one thing after another on the window's
// thread: a folder's status, its listing, the status of its subfolders,
// later every file's time stamps.  A disk answers many requests at once, so
// while a ReadAheadSession lives, worker threads read ahead what the thread
// that made the session is about to ask, and answer the FileSystem layer's
// calls (platform/file_system.h) from what they read instead of the kernel.
//
// What is read ahead is given as a plan: one stage of the search (AheadKind,
// with the exact calls it makes) and its paths, in the order the caller
// will ask.  The answers are those the kernel gives to the same calls; the
// callers do not change.  A call that does not match the plan goes to the
// kernel as before, and is counted as missed: a change to the search's
// calls that its plan does not follow shows as a falling share of answered
// calls (Answered(), Missed()), which the tests watch.
//
// How a request goes from the walker to a worker and back:
//
//   the walker, the gathering     platform/              this room
//   -------------------------     ---------              ---------
//   ReadAhead plan(kind, paths) -----------------------> engine: StartPlan
//                                                          | the window of
//                                                          v parts
//                                                        workers claim parts
//                                                        in order, read each
//                                                        path (part.cc), mark
//                                                        the part ready
//   Yield() ----------------> YieldWaiter -------------> wait for the next
//                             (yield.h)                  part, the event
//                                                        loop turning
//   Fs().Stat(path) --------> FsAnswerer --------------> the caller's cursor
//                             (file_system.h,            finds the path in
//                             this thread's)             the plan, takes its
//                                                        part (ready, or
//   <-- the kernel's answer, as read ahead <------------ waited for) and
//                                                        answers from it
//
// The platform layer includes nothing of this room: the session installs
// its answerer and its waiter, both for the session's thread only.
//
// Freshness: nothing read at an earlier change count (change_count.h) is
// used afterwards.  The count moves on after every change this process
// makes to the file system, and after anything that may make one on this
// thread (a test's yield hook, a dialog), so a read after it sees the
// change, as the plain walk would.  Changes by other processes come at no
// fixed point of the walk; reading ahead only moves the moment each thing
// is read a little earlier.  A listing is taken whole when it is read, as
// readdir reads a folder in one go; the status of its entries is checked
// against the count at each call.  What one stage read also answers a
// later one while the count stands (stage_memo.h).
//
// Workers: as many read at once as there are cores while everything comes
// from memory, all of them (Options::threads) once reads wait on the disk;
// then parts are small.  The caller waits for the part it needs rather
// than reading it itself.  The workers stand back while the window's
// thread waits for a core (pacing.h), and a yield waits for the next part
// with the event loop turning, so neither the workers nor a busy disk keep
// the window from answering.
//
// Bounds: a plan holds at most 8,192 listed entries, or 1,024 paths' stamps
// (4,096 while reads wait on the disk), ahead of the caller, plus what the
// workers are reading; a folder of more than 1,024 entries is not read
// ahead but listed by the caller.  The workers only read status and
// listings, never a file's contents.  They stop when the plan ends, and
// end with the session.
#ifndef QUENMOOR_SEARCH_READ_AHEAD_READ_AHEAD_H_
#define QUENMOOR_SEARCH_READ_AHEAD_READ_AHEAD_H_

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "search/read_ahead/ahead_paths.h"

namespace qm {

class SessionAnswerer;

// The worker threads of one search, for plans started on the thread that
// makes the session.  One session at a time.
class ReadAheadSession {
 public:
  struct Options {
    int threads = 16;
    // Work from the start as once reads have waited on the disk: small
    // parts, all workers (tests).
    bool as_from_disk = false;
  };
  ReadAheadSession();
  explicit ReadAheadSession(const Options& options);
  ~ReadAheadSession();
  ReadAheadSession(const ReadAheadSession&) = delete;
  ReadAheadSession& operator=(const ReadAheadSession&) = delete;

  // The calls this thread made of the FileSystem layer's reading calls
  // while the session lived that were answered from what the workers read,
  // and those that went to the kernel instead.
  std::uint64_t Answered() const;
  std::uint64_t Missed() const;
  // The same, over all sessions so far.
  static std::uint64_t AnsweredInAll();
  static std::uint64_t MissedInAll();

  // The options of sessions made with the default constructor (the search
  // run's); threads 0 makes no workers, so nothing is read ahead (a plain
  // one-thread search, to compare against).  Returns the previous options.
  static Options SetDefaults(const Options& options);

 private:
  std::unique_ptr<SessionAnswerer> answerer_;
};

// Reads ahead what this thread is about to ask of `paths` in stage `kind`,
// while it lives, when a session lives on this thread; otherwise does
// nothing.  Starting a plan ends the one before.  `paths` must outlive the
// plan.
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

}  // namespace qm

#endif  // QUENMOOR_SEARCH_READ_AHEAD_READ_AHEAD_H_
