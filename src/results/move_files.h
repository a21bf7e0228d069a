// Moving files into one folder without ever losing one.
//
// A move is a copy followed by the removal of the source; the source goes
// only once a complete copy is at the target.  On one file system a rename
// does both at once and keeps every stamp.  A file the same move already put
// at a target is never replaced: the later file gets a name that does not
// clash ("name (2).ext").  A target that is the source itself (the file's
// own folder, or the same file through a link or another spelling) is left
// untouched.
#ifndef QUENMOOR_RESULTS_MOVE_FILES_H_
#define QUENMOOR_RESULTS_MOVE_FILES_H_

#include <set>
#include <string>

namespace qm {

class FileMover {
 public:
  // `folder` ends in "/".
  explicit FileMover(std::string folder) : folder_(std::move(folder)) {}

  // The look-up before a file is moved: true when `path` names an entry that
  // is neither hidden, system nor a folder.
  static bool LookUp(const std::string& path);

  // The part of `path` after its last "/".
  static std::string FileNameOf(const std::string& path);

  enum Step { kMoved, kCopied, kSameFile, kNotCopied };
  struct Copy {
    Step step = kNotCopied;
    std::string target;
  };

  // Brings `source` to the folder: kMoved when a rename moved it whole,
  // kCopied when a complete copy is at the target (the source is still
  // there), kSameFile when the target is the source itself, kNotCopied
  // otherwise.
  Copy CopyToFolder(const std::string& source);

  // Removes the source of a completed copy; true when it is gone.
  bool RemoveSource(const std::string& source);

 private:
  std::string TargetFor(const std::string& name) const;
  std::string folder_;
  std::set<std::string> placed_;  // targets this move has written
};

}  // namespace qm

#endif  // QUENMOOR_RESULTS_MOVE_FILES_H_
