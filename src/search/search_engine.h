// SPDX-License-Identifier: GPL-3.0-or-later
// A search run on threads of its own: every folder below each root of the
// criteria walked (folder_walk.h), every file's stamp of the chosen date
// type read and judged by the criteria, the matching files handed over in
// chunks, in the order the walk collects them, to one receiver (the window
// or the command line).
//
//   receiver                         SearchEngine
//   --------                         ------------
//   Start(criteria, news) ---------> the search's thread walks each root in
//                                    turn; workers list folders and judge
//                                    their files
//   news() <------------------------ a chunk, a report, or the end is ready
//   Take() -> chunks, reports, notes,
//             finished
//   Stop() ------------------------> ends at the next folder; Take() then
//                                    says finished within milliseconds
//
// The receiver never waits on the file system: the search's thread waits
// only for its workers, and a worker stuck on a slow mount is left to
// finish on its own.
#ifndef QUENMOOR_SEARCH_SEARCH_ENGINE_H_
#define QUENMOOR_SEARCH_SEARCH_ENGINE_H_

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "platform/failure.h"
#include "search/access_times.h"
#include "search/found_files.h"
#include "search/search_criteria.h"

namespace qm {

// The search run's routine identifier, which its error reports show.
extern const char kSearchRunRoutineId[];

// One failure the search reports: the routine, the failure, the line.
struct SearchReport {
  std::string routine;
  Failure failure;
  int line;
};

// What a search has done so far.
struct SearchCounts {
  std::uint64_t folders = 0;  // listed
  std::uint64_t files = 0;    // whose date was read
  std::uint64_t found = 0;    // that matched
  // Left out without a word in the rows: files kept by the filters whose
  // file system does not keep the date judged (no birth time), and files
  // and folders whose names are not valid UTF-8.
  std::uint64_t undated = 0;
  std::uint64_t unreadable_names = 0;
};

class SearchEngine {
 public:
  struct Options {
    // The most workers reading at once (once reads wait on a disk).
    int threads = 16;
    // Files gathered into one chunk before it is handed over, at most.
    std::size_t chunk_files = 32768;
  };

  SearchEngine();
  explicit SearchEngine(const Options& options);
  // Stops the search; never waits for a thread.
  ~SearchEngine();
  SearchEngine(const SearchEngine&) = delete;
  SearchEngine& operator=(const SearchEngine&) = delete;

  // Starts the search.  `news` is called on one of the search's threads
  // whenever Take() has something new; not again until Take() is called.
  void Start(SearchCriteria criteria, std::function<void()> news);
  // Asks the search to end; it keeps what it judged so far.
  void Stop();

  struct Taken {
    std::vector<std::unique_ptr<FoundChunk>> chunks;
    std::vector<SearchReport> reports;
    // Mounts reached whose access dates do not tell use (a search by Date
    // Accessed), each once in a search.
    std::vector<SearchNote> notes;
    bool finished = false;
  };
  // What came since the last call.
  Taken Take();
  // Waits at most `timeout_ms` for something to take; true when there is.
  bool WaitForNews(int timeout_ms);

  SearchCounts Counts() const;
  // The folder the search is at.
  std::string Folder() const;

  // Threads of every search still alive, and a wait of at most
  // `timeout_ms` for none to be (tests, before they take away a file
  // system of their own).
  static bool WaitForThreadsToEnd(int timeout_ms);

  struct State;

 private:
  Options options_;
  std::shared_ptr<State> state_;
};

}  // namespace qm

#endif  // QUENMOOR_SEARCH_SEARCH_ENGINE_H_
