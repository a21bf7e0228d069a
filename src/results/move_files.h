// SPDX-License-Identifier: GPL-3.0-or-later
// Moving listed files into one folder without ever losing one.
//
// A file is moved only while its path still names the file the search
// listed (device, inode and type), and every step acts relative to the
// descriptor of the file's folder.  On one file system a rename moves it
// whole.  Across file systems a regular file is copied from a descriptor
// into an unnamed file in the target folder, which gets its name only once
// complete and flushed; the source is removed only while its path still
// names the very file copied, unchanged.  A link is moved as a link (its
// text recreated), never by the contents of what it points to.
//
// Where the folder's file system can neither rename without replacing nor
// make a hard link (an SMB share through FUSE), no copy could be given its
// name safely: a small probe finds that out before the first copy, and
// every file is then refused without being copied.
//
// Nothing in the folder is ever replaced: an arriving file takes the first
// free name of "name.ext", "name (2).ext", "name (3).ext", ...  A name that
// already holds a complete copy of the file (the same size, modified time
// and contents, as an interrupted move leaves it) counts as its arrival: the
// source is then removed without a second copy, once it is shown to be
// another file than the source: a folder reached through another mount (a
// bind mount, a FUSE or network mount of it, an overlay above it) holds the
// source itself under its own name, which is never taken for its copy.
//
// With a journal (results/journal.h) every attempt at a name is written
// there before it is made, and the outcome after, so that Undo can find
// what went, also after a kill.
#ifndef QUENMOOR_RESULTS_MOVE_FILES_H_
#define QUENMOOR_RESULTS_MOVE_FILES_H_

#include <sys/stat.h>

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "platform/file_id.h"
#include "platform/file_system.h"

namespace qm {

class JournalWriter;

// Why a move leaves a file of this name alone (a text marked for
// translation in the context "qm::MoveToFolder"); nullptr when it does not:
// hidden files, and names made only of blanks.
const char* RefusedMoveName(const std::string& name);

class FileMover {
 public:
  FileMover() = default;
  FileMover(const FileMover&) = delete;
  FileMover& operator=(const FileMover&) = delete;

  // Opens the folder to move into, and removes from it what copies of
  // this program ended mid-way left there (new_file.h); 0 or errno.
  int OpenFolder(const std::string& folder);

  enum Outcome {
    kMoved,         // in the folder under `name`, gone from its own
    kAlreadyThere,  // the file is in that folder already: left alone
    kGone,          // nothing at the path any more (file not found)
    kNotMoved,      // left where it is, for `reason`
    kNotRemoved,    // arrived as `name`, but the source stays, for `reason`
  };
  struct Result {
    Outcome outcome = kNotMoved;
    int reason = 0;          // an errno value or a code of ReasonText()
    std::string name;        // its name in the folder (kMoved, kNotRemoved)
    std::int64_t bytes = 0;  // the size of what arrived (kMoved): a link's own
  };

  // Why a file did not go, in the user's language, for every outcome but
  // kMoved: the same words in the window and on the command line.
  static std::string ReasonOf(const Result& result);

  // Moves the file listed at `source` as `listed`.
  Result Move(const std::string& source, const FileId& listed);
  // The same, arriving as exactly `name`, never as a numbered name: a name
  // that is taken (and holds no complete copy of the file) leaves the file
  // where it is, with the reason EEXIST.  What Undo puts back goes so.
  Result MoveAs(const std::string& source, const FileId& listed, const std::string& name);

  // Writes every move to `journal` (may be null) as it happens.
  void SetJournal(JournalWriter* journal) { journal_ = journal; }

  // The name tried for the n-th arrival of `name`: the name itself for
  // n = 1, then "stem (n).ext" (the extension from the last dot, none for
  // a name starting with its only dot).
  static std::string NumberedName(const std::string& name, int n);

 private:
  Result MoveNamed(const std::string& source, const FileId& listed, const std::string& name,
                   bool exact);
  Result MoveOne(const std::string& source, const FileId& listed);
  // The name tried at the n-th attempt, and how many attempts there are.
  std::string Candidate(int n) const;
  int Attempts() const;
  // Tells the journal that the file (status `st`) is to arrive as
  // `candidate`.
  void Announce(const std::string& candidate, const struct stat& st);
  Result Rename(int dir, const std::string& name, const struct stat& st);
  Result Copy(int dir, const std::string& name, const struct stat& st);
  Result CopyLink(int dir, const std::string& name, const struct stat& st);
  // After `placed` has arrived: removes the source while it is still the
  // file that was copied (`copied`).
  Result RemoveSource(int dir, const std::string& name, const struct stat& copied,
                      const std::string& placed);
  enum Holds { kOtherFile, kCopy, kItself };
  // What the folder's entry `candidate` is to the source `name` in `dir`
  // (status `st`; `in_fd` open on it, or -1): the source itself seen
  // through another path, a complete copy of it, or another file.
  Holds HoldsCopyOf(const std::string& candidate, int dir, const std::string& name,
                    const struct stat& st, int in_fd);
  // Whether the folder moved into can give a copy its name without risk to
  // another file (a rename that refuses to replace, or a hard link): 0, or
  // kNoSafeRename, found out once with a small probe file before the first
  // whole file is copied; another errno when the probe could not tell.
  int CanPlaceSafely();
  // Whether the folder moved into is the source's folder `dir` reached
  // through another mount; 0 (no), 1 (yes), or -1 with errno.  Asked once
  // per source folder.
  int SourceFolderIsTarget(int dir);

  ScopedFd folder_;
  std::string folder_path_;  // without a final "/" (but for the root)
  struct stat folder_status_ = {};
  JournalWriter* journal_ = nullptr;
  // The file being moved: its path, identity, and the name it arrives as.
  std::string source_path_;
  FileId listed_;
  std::string arrival_name_;
  bool exact_ = false;
  ListedFolders sources_;
  int place_probe_ = -1;  // CanPlaceSafely()'s answer, once known
  // Source folders (device, inode) already asked about, and the answer.
  std::vector<std::pair<std::pair<dev_t, ino_t>, bool>> aliases_;
};

}  // namespace qm

#endif  // QUENMOOR_RESULTS_MOVE_FILES_H_
