// SPDX-License-Identifier: GPL-3.0-or-later
// The directory walker: which folders a search walks and which entries of
// a folder count as its files and subfolders.
//
// Folder paths end in "/"; the root folder is "/"; a child's path is its
// parent's path, its name and "/".  The walk itself, level by level on
// worker threads, is in folder_walk.h; GetSubDirectories2016 below is that
// walk without the files.
#ifndef QUENMOOR_SEARCH_WALKER_H_
#define QUENMOOR_SEARCH_WALKER_H_

#include <dirent.h>
#include <limits.h>
#include <sys/stat.h>
#include <sys/types.h>

#include <cstddef>
#include <cstdint>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

#include "platform/failure.h"
#include "platform/file_system.h"

namespace qm {

// The routine identifier shown in the walker's error reports.
extern const char kWalkerRoutineId[];

// Folders whose path (with its final "/") takes PATH_MAX (4,096) bytes or
// more are not listed: the kernel opens no longer path.
constexpr std::size_t kFolderPathLimit = PATH_MAX;

// Expands `folders` in place.  Afterwards it holds the entries it was given
// (less those whose subfolders could not be listed because the listing was
// refused or the folder vanished), then every accepted folder below them in
// level order: all children of the given entries, then all grandchildren,
// and so on; children of one parent in the order the file system lists them.
// With `recursive` false only the children are added.
//
// A folder is refused when its attribute value is exactly 22 (hidden +
// system + directory, as kernel pseudo-filesystems read) or 1046 (the same
// through a link), unless it is the root folder.  A subfolder is not
// collected when its name fails SubfolderNameAccepted, when it is one of
// the desktop trash's folders (TrashFolders: hidden system folders too), or
// when it resolves to a folder this call has collected already (the same
// device and inode: a link back up the tree, or a second way to one
// folder), so each folder is walked once per call.
//
// Failures are reported through the error trap with this routine's
// identifier, except while entries of one level are being listed, where a
// failure quietly ends the listing of that entry.
void GetSubDirectories2016(std::vector<std::string>& folders, bool recursive);

// True when some character of `name` has a code point below 32 (a control
// character), is "?" (63), or lies in 127..159 (DEL and the C1 controls).
// Names are UTF-8, the code page of Linux: letters of every script, dashes
// and emoji are safe.  A name that is not valid UTF-8 has characters no
// code page holds, and is unsafe.
bool HasUnsafeNameChars(std::string_view name);

// Whether a subfolder named `name` is collected: not "." or "..", no longer
// than a name can be, and without an unsafe character or a "?".
bool SubfolderNameAccepted(std::string_view name);

// The folders of the desktop's trash, which a walk never enters, as a
// hidden system folder: the home trash ($XDG_DATA_HOME/Trash, found by its
// identity) and, at the top of every file system, ".Trash" and ".Trash-N"
// (N any user's id), so a search never lists what is already in the trash.
// Used by the workers of one walk at once.
class TrashFolders {
 public:
  // Whether the subfolder `name`, resolving to `st`, of a folder that is
  // (`at_top`) or is not the top of a file system is one of them.
  bool Is(std::string_view name, const struct stat& st, bool at_top);

 private:
  std::once_flag home_once_;
  bool home_known_ = false;
  dev_t home_dev_ = 0;
  ino_t home_ino_ = 0;
};

// The failure a refused or failed listing stands for: 70 (permission
// denied) and 76 (path not found) are the two that remove a folder from the
// walk.
Failure ListingFailure(int err);
inline bool RemovesFolder(const Failure& failure) {
  return failure.number() == kErrPermissionDenied || failure.number() == kErrPathNotFound;
}

// The attribute rule, for the threads of one walk: whether the folder at
// `path`, whose status (links followed) is `st`, is refused.  It remembers
// which devices are kernel pseudo-filesystems and which folder is the root.
// Throws Failure when the folder's own entry or its file system cannot be
// read.
class RefusalTest {
 public:
  bool Refused(const std::string& path, const struct stat& st);

 private:
  bool IsRoot(const struct stat& st);
  std::mutex mu_;
  MountKinds mounts_;
  bool root_known_ = false;
  dev_t root_dev_ = 0;
  ino_t root_ino_ = 0;
};

// One folder's entries, read in one pass: its subfolders (links to folders
// too) and its files: regular files and links to regular files whose names
// are valid UTF-8.  FIFOs, sockets, devices and broken links are neither;
// nothing is ever opened but the folder itself.  The folder stays open
// while the object lives, for reading its files' stamps relative to it.
class FolderListing {
 public:
  struct Subfolder {
    std::string name;
    struct stat status;  // of the folder it resolves to
  };

  FolderListing() = default;
  ~FolderListing();
  FolderListing(const FolderListing&) = delete;
  FolderListing& operator=(const FolderListing&) = delete;

  // Opens the folder at `path`, forgetting what was read of the one
  // before (the room it took is kept for the next); 0 or errno.
  int Open(const std::string& path);
  // Closes the folder and forgets what was read of it.
  void Close();
  // The open folder's descriptor.
  int fd() const;
  // Reads every entry, keeping the subfolders whose names are accepted
  // when `subfolders` is set and the files when `files` is; 0, or the errno
  // of a failure part-way (what was read before it is kept).
  int Read(bool subfolders, bool files);

  std::vector<Subfolder> subfolders;
  // The files and subfolders Read left out because their names are not
  // valid UTF-8: no text shows them faithfully.
  std::size_t unreadable_names = 0;
  // The open folder's status (links followed), as the walk read it.
  struct stat status = {};
  std::size_t FileCount() const { return file_ends_.size(); }
  // File `i`'s name, NUL-terminated.
  const char* FileName(std::size_t i) const {
    return file_names_.data() + (i == 0 ? 0 : file_ends_[i - 1]);
  }
  // The bytes all file names take.
  std::size_t FileNamesSize() const { return file_names_.size(); }
  std::size_t FileNameSize(std::size_t i) const {
    return file_ends_[i] - (i == 0 ? 0 : file_ends_[i - 1]) - 1;
  }

 private:
  DIR* dir_ = nullptr;
  std::string file_names_;  // each with its NUL
  std::vector<std::uint32_t> file_ends_;
};

}  // namespace qm

#endif  // QUENMOOR_SEARCH_WALKER_H_
