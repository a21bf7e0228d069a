// SPDX-License-Identifier: GPL-3.0-or-later
// The walk of a folder list, level by level, on worker threads.
//
// The result is the walker's (walker.h): the given folders, then every
// accepted folder below them in level order, children of one parent in the
// order the file system lists them.  Worker threads list the folders, as
// many at once as the disk can use; the thread that runs the walk takes
// their listings in that order, decides which subfolders are new (a folder
// reached twice, through links or mounts, is walked once), and releases
// them to the workers in turn.
//
//   Run() (the walk's thread)           workers
//   -------------------------           -------
//   given folders -> queue -----------> claim the next folder, list it,
//                                        read its files (FilesVisitor::Read)
//   take each listing in queue order <-- mark it done
//   new subfolders -> queue ----------->   ...
//   FilesVisitor::Collected(folder)
//
// Nothing the walk's thread does waits on the file system: it waits only
// for the workers, and looks at the stop flag every few milliseconds, so a
// walk on a slow or stuck mount ends at once when asked.  A worker stuck in
// a call finishes it on its own time and leaves: workers hold what they use
// (the queue, the visitor) and never outlive the process's need for it.
//
// Workers: one more than there are cores while listings come from memory;
// once a worker finds that listings wait (on a disk, a network, a FUSE
// daemon: a listing that waited three times, or three of its last four
// measured listings that waited) up to Options::threads, so many requests
// are under way at once.
#ifndef QUENMOOR_SEARCH_FOLDER_WALK_H_
#define QUENMOOR_SEARCH_FOLDER_WALK_H_

#include <atomic>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/failure.h"
#include "platform/mounts.h"
#include "search/filters.h"
#include "search/walker.h"

namespace qm {

// What a walk does with the files of the folders it collects.
class FilesVisitor {
 public:
  // What a worker made of one folder's files.
  class Files {
   public:
    virtual ~Files() = default;
  };
  virtual ~FilesVisitor() = default;
  // On a worker: the files of `folder`, read into `listing`, which is still
  // open.
  virtual std::unique_ptr<Files> Read(const std::string& folder, const FolderListing& listing) = 0;
  // On a worker: `folder` belongs to the walk's result, but its files could
  // not be listed (errno `err`).
  virtual std::unique_ptr<Files> Failed(const std::string& folder, int err) = 0;
  // On the walk's thread, in the order of the walk's result: a folder of
  // the result, with what Read or Failed made of its files (nullptr when
  // it has none to list: a given entry that is no folder).
  virtual void Collected(const std::string& folder, std::unique_ptr<Files> files) = 0;
  // On the walk's thread, every few milliseconds while it waits for the
  // next folder's listing: what was collected so far need not wait with it.
  virtual void Waiting() {}
};

class FolderWalk {
 public:
  struct Options {
    bool recursive = true;
    // The most workers reading at once.
    int threads = 16;
    // Folders left out: neither listed nor entered (nullptr: none).  They
    // act on the folders found below the given ones, never on those.
    std::shared_ptr<const FolderExclusions> exclude;
    // Folders on another mount than the given folder they lie under are
    // neither listed nor entered.
    bool one_file_system = false;
    // The mounts (for the trash folders at their tops, and for
    // one_file_system); read by the walk itself when not given.
    std::shared_ptr<const MountTable> mounts;
  };
  // Reports a failure of the walk's own steps, on the walk's thread.
  using Reporter = std::function<void(const char* routine, const Failure& failure, int line)>;

  // `visitor` may be nullptr (folders only); `stop`, when given, ends the
  // walk early once set.
  FolderWalk(const Options& options, std::shared_ptr<FilesVisitor> visitor, Reporter report,
             std::shared_ptr<const std::atomic<bool>> stop = nullptr);
  ~FolderWalk();
  FolderWalk(const FolderWalk&) = delete;
  FolderWalk& operator=(const FolderWalk&) = delete;

  // Walks `folders` and returns the folder list GetSubDirectories2016
  // leaves; what was walked so far when stopped.
  std::vector<std::string> Run(const std::vector<std::string>& folders);

  // Called on the walk's thread with each folder it takes next, before it
  // waits for the folder's listing (for a window that shows progress).
  void OnNext(std::function<void(const std::string&)> next) { on_next_ = std::move(next); }

  // Worker threads of every walk still alive, and a wait of at most
  // `timeout_ms` for none to be (tests, before they take away a file
  // system of their own).
  static int LiveWorkers();
  static bool WaitForWorkersToEnd(int timeout_ms);

  // What the walk's thread and its workers share.
  struct Shared;

 private:
  std::shared_ptr<Shared> shared_;
  Reporter report_;
  std::function<void(const std::string&)> on_next_;
};

}  // namespace qm

#endif  // QUENMOOR_SEARCH_FOLDER_WALK_H_
