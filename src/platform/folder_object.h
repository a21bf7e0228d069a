// SPDX-License-Identifier: GPL-3.0-or-later
// The file-system object: folders with their attributes and subfolders,
// deleting a file with a force flag, and copying a file over another.
//
// One object is made per routine call and dropped when the routine ends; it
// remembers only which devices are kernel pseudo-filesystems and the identity
// of the root folder, both for the life of that call.  Failures are thrown as
// Failure with the classic error numbers (70 Permission denied, 76 Path not
// found, 53 File not found, 61 Disk full, ...).
#ifndef QUENMOOR_PLATFORM_FOLDER_OBJECT_H_
#define QUENMOOR_PLATFORM_FOLDER_OBJECT_H_

#include <dirent.h>
#include <sys/stat.h>

#include <cstdint>
#include <string>
#include <utility>

#include "platform/file_system.h"
#include "platform/new_file.h"

namespace qm {

class FileSystemObject;

// One immediate subfolder, as the listing gives it.  `name` points into the
// listing's buffer and is valid until the next call of Next().
struct SubFolderEntry {
  const char* name = nullptr;
  std::size_t name_length = 0;
  dev_t dev = 0;  // the folder it resolves to (links followed)
  ino_t ino = 0;
};

// The immediate subfolders of one folder, in the order the file system lists
// them.  Entries that are folders or links to folders count; "." and ".."
// are left out; an entry that vanishes before it is read is passed over.
class SubFolderList {
 public:
  ~SubFolderList();
  SubFolderList(SubFolderList&& other) noexcept;
  SubFolderList(const SubFolderList&) = delete;
  SubFolderList& operator=(const SubFolderList&) = delete;
  SubFolderList& operator=(SubFolderList&&) = delete;

  // The next subfolder; false when the listing is complete.  Throws Failure
  // 70 when the file system refuses the listing, 76 when the folder no
  // longer exists, another number for other faults.
  bool Next(SubFolderEntry* entry);

 private:
  friend class Folder;
  explicit SubFolderList(DIR* dir) : dir_(dir) {}
  DIR* dir_;
};

class Folder {
 public:
  const std::string& Path() const { return path_; }
  dev_t Device() const { return st_.st_dev; }
  ino_t Inode() const { return st_.st_ino; }

  // The attribute value in the Windows layout (file_system.h).  Throws
  // Failure when the folder's own entry can no longer be read.
  std::uint32_t Attributes() const;

  // True when the folder lies on a kernel pseudo-filesystem, the only place
  // where it carries the system attribute.  Throws Failure as Attributes().
  bool OnPseudoFilesystem() const;

  // True for the root folder "/" (by identity, so also when spelled "//" or
  // reached through a link).
  bool IsRootFolder() const;

  // Starts the listing of the subfolders.  Throws Failure 70 or 76 as above.
  SubFolderList SubFolders() const;

 private:
  friend class FileSystemObject;
  Folder(const FileSystemObject* owner, std::string path, const struct stat& st)
      : owner_(owner), path_(std::move(path)), st_(st) {}
  const FileSystemObject* owner_;
  std::string path_;
  struct stat st_;
};

class FileSystemObject {
 public:
  // The folder at `path` (links followed).  Throws Failure 76 when there is
  // no folder there, 70 when it cannot be reached.
  Folder GetFolder(const std::string& path) const;
  // The same, from a status of `path` (links followed) just read by the
  // caller, so the folder is not looked up twice in a row.
  Folder GetFolder(const std::string& path, const struct stat& st) const;

  // Deletes the file at `path`.  A read-only file goes only with `force`.
  // A folder is not a file: Failure 53, as for a missing file.
  void DeleteFile(const std::string& path, bool force) const;

  // Copies the file `source` onto `destination`, replacing a file there.  What
  // is copied is what CopyOpenFile() copies.  The copy gets its name only once
  // complete and flushed, so a failure at any point leaves no partial file
  // under the destination's name and leaves an existing destination as it
  // was.  Copying a file onto itself copies nothing and fails (Failure 70).
  // A source that is not a regular file (a FIFO, a device, a folder) is
  // refused without being opened for reading (Failure 53).
  void CopyFile(const std::string& source, const std::string& destination) const;

 private:
  friend class Folder;
  bool IsRoot(const struct stat& st) const;
  mutable MountKinds mounts_;
  mutable bool root_known_ = false;
  mutable dev_t root_dev_ = 0;
  mutable ino_t root_ino_ = 0;
};

// Writes into `out`, created in the folder `dir_fd`, a complete copy of the
// regular file open for reading at `in_fd`, whose status is `st`: its
// contents, its owner where allowed, its permission bits, its extended
// attributes and ACLs where the target file system takes them, and its
// access and modified times; then flushes it to disk.  The copy is still
// unnamed (see NewFile).  0 or errno.
int CopyOpenFile(int in_fd, const struct stat& st, int dir_fd, NewFile* out);

}  // namespace qm

#endif  // QUENMOOR_PLATFORM_FOLDER_OBJECT_H_
