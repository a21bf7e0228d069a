// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/same_file.h"

#include <fcntl.h>

#include <cerrno>

#include "platform/file_system.h"
#include "platform/new_file.h"

namespace qm {

int SameFolderSeenTwice(int listed, int target) {
  int seen, err;
  {
    NewFile probe;  // removed again at the end of this block
    err = probe.CreateNamed(target, 0600);
    if (err != 0) {
      errno = err;
      return -1;
    }
    struct stat st;
    seen = Fs().StatAt(listed, probe.temporary_name().c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0;
    err = errno;
  }
  if (seen) return 1;
  if (err == ENOENT) return 0;
  errno = err;
  return -1;
}

bool MayBeSameFile(const struct stat& a, const struct stat& b) {
  if (a.st_dev == b.st_dev) return a.st_ino == b.st_ino;
  if ((a.st_mode & S_IFMT) != (b.st_mode & S_IFMT) || a.st_size != b.st_size) return false;
  if (a.st_ino == b.st_ino) return true;
  // A whole second of change time is too coarse to tell two files apart.
  return a.st_ctim.tv_nsec != 0 && a.st_ctim.tv_sec == b.st_ctim.tv_sec &&
         a.st_ctim.tv_nsec == b.st_ctim.tv_nsec;
}

}  // namespace qm
