// SPDX-License-Identifier: GPL-3.0-or-later
// The file-system object: deleting a file with a force flag, and copying a
// file over another, for the file helpers (fsutil/file_helpers.h); and the
// complete copy of an open file that moving files makes.  (The walk reads
// folders with a listing of its own, search/walker.h.)
//
// One object is made per routine call and dropped when the routine ends; it
// keeps nothing.  Failures are thrown as Failure with the classic error
// numbers (70 Permission denied, 76 Path not found, 53 File not found, 61
// Disk full, ...).
#ifndef QUENMOOR_PLATFORM_FOLDER_OBJECT_H_
#define QUENMOOR_PLATFORM_FOLDER_OBJECT_H_

#include <sys/stat.h>

#include <cstdint>
#include <string>

#include "platform/file_system.h"
#include "platform/new_file.h"

namespace qm {

class FileSystemObject {
 public:
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
