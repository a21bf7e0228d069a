// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/same_file.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <string>
#include <vector>

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

int NamesShareInodeNumbers(int dir_fd) {
  const std::string second = NewTemporaryName();
  int answer = -1;
  {
    NewFile probe;  // its own name goes at the end of this block
    if (probe.CreateNamed(dir_fd, 0600) != 0) return -1;
    if (Fs().LinkAt(dir_fd, probe.temporary_name().c_str(), dir_fd, second.c_str(), 0) != 0) {
      return -1;
    }
    struct stat a, b;
    if (Fs().StatAt(dir_fd, probe.temporary_name().c_str(), &a, AT_SYMLINK_NOFOLLOW) == 0 &&
        Fs().StatAt(dir_fd, second.c_str(), &b, AT_SYMLINK_NOFOLLOW) == 0) {
      answer = a.st_ino == b.st_ino ? 1 : 0;
    }
  }
  // Once the probe is closed: some file systems remove no name of an open
  // file.  Should it stay, it is a leftover of ours like any other.
  Fs().UnlinkAt(dir_fd, second.c_str(), 0);
  return answer;
}

namespace {
bool ReadAllAt(int fd, char* buffer, std::size_t size, off_t offset) {
  while (size > 0) {
    const ssize_t n = ::pread(fd, buffer, size, offset);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    buffer += n;
    size -= static_cast<std::size_t>(n);
    offset += n;
  }
  return true;
}
}  // namespace

int OpenToCompare(int dir_fd, const char* name) {
  const int flags = O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC;
  const int fd = Fs().OpenAt(dir_fd, name, flags | O_NOATIME);
  if (fd >= 0 || errno != EPERM) return fd;
  return Fs().OpenAt(dir_fd, name, flags);  // not the file's owner
}

bool SameContents(int a, int b, off_t size) {
  const std::size_t kChunk = 256 * 1024;
  std::vector<char> x(kChunk), y(kChunk);
  for (off_t at = 0; at < size;) {
    const std::size_t n = static_cast<std::size_t>(std::min<off_t>(kChunk, size - at));
    if (!ReadAllAt(a, x.data(), n, at) || !ReadAllAt(b, y.data(), n, at)) return false;
    if (std::char_traits<char>::compare(x.data(), y.data(), n) != 0) return false;
    at += static_cast<off_t>(n);
  }
  return true;
}

}  // namespace qm
