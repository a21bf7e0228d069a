// SPDX-License-Identifier: GPL-3.0-or-later
// Files this program makes in a user's folder: a copy, a trash info file,
// a probe.  Each has no name of the user's kind until it is complete.
//
// Where the file system offers unnamed temporary files (O_TMPFILE), a new
// file has no name at all until Place() gives it one, and a kill leaves
// nothing.  Elsewhere (FUSE, NFS, SMB and the like) it has a hidden name of
// this program's own while it is written:
//
//     .qm-<16 hex digits>-<8 hex check digits>.tmp
//
// The check digits are derived from the other sixteen, so a file that merely
// looks like one of ours is never taken for one.  The file's maker holds a
// lock on it as long as it lives; a file of such a name that nobody holds
// was left by a copy of the program that was ended mid-way, and the next
// move or trash into that folder removes it (RemoveLeftoverTemporaries).
#ifndef QUENMOOR_PLATFORM_NEW_FILE_H_
#define QUENMOOR_PLATFORM_NEW_FILE_H_

#include <sys/types.h>

#include <cstdint>
#include <string>

namespace qm {

// A new file that has no name of its own until it is complete.  Place()
// gives it its name without replacing anything; until then a failure or
// the object's end removes it.
class NewFile {
 public:
  NewFile() = default;
  ~NewFile();
  NewFile(const NewFile&) = delete;
  NewFile& operator=(const NewFile&) = delete;

  // Opens the file for writing in `dir_fd`; 0 or errno.
  int Create(int dir_fd, mode_t mode);
  // The same, always under a hidden name of ours (never unnamed): a probe
  // that is to be seen by name.
  int CreateNamed(int dir_fd, mode_t mode);
  int fd() const { return fd_; }
  // The hidden name while it has one, else "".
  const std::string& temporary_name() const { return temp_name_; }
  // 0, EEXIST when `name` is taken (the file is still unnamed),
  // kNoSafeRename where the file system can neither rename without
  // replacing nor link, or errno.  fd() may be closed once placed.
  int Place(const char* name);
  // Gives the file `name` in one rename, replacing what is there; 0 or
  // errno.
  int PlaceOver(const char* name);

 private:
  int dir_fd_ = -1;
  int fd_ = -1;
  std::string temp_name_;  // the hidden name, where one was needed
  bool placed_ = false;
};

// The hidden name of ours made from `random`, and whether `name` is one.
std::string TemporaryName(std::uint64_t random);
// A hidden name of ours from a fresh random number.
std::string NewTemporaryName();
bool IsTemporaryName(const char* name);

// Removes from the folder open as `dir_fd` the temporary files that copies
// of this program left there when they were ended mid-way: only names of
// ours, only regular files, only those whose maker no longer holds them.
// Returns how many went.
int RemoveLeftoverTemporaries(int dir_fd);

}  // namespace qm

#endif  // QUENMOOR_PLATFORM_NEW_FILE_H_
