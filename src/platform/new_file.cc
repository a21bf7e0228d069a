// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/new_file.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/random.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <ctime>
#include <vector>

#include "platform/file_system.h"

namespace qm {
namespace {

// A 64-bit mix (the finaliser of splitmix64): every bit of the result
// depends on every bit of `x`.
std::uint64_t Mix(std::uint64_t x) {
  x ^= x >> 30;
  x *= 0xBF58476D1CE4E5B9ull;
  x ^= x >> 27;
  x *= 0x94D049BB133111EBull;
  return x ^ (x >> 31);
}

std::uint32_t CheckOf(std::uint64_t random) {
  return static_cast<std::uint32_t>(Mix(random ^ 0x716D2D7061727469ull) >> 32);
}

std::uint64_t RandomWord() {
  std::uint64_t word = 0;
  if (::getrandom(&word, sizeof word, GRND_NONBLOCK) == static_cast<ssize_t>(sizeof word)) {
    return word;
  }
  static std::atomic<std::uint64_t> counter{0};
  return Mix(static_cast<std::uint64_t>(::time(nullptr)) ^
             (static_cast<std::uint64_t>(::getpid()) << 32) ^ ++counter);
}

bool Hex(const char* text, int digits, std::uint64_t* value) {
  *value = 0;
  for (int i = 0; i < digits; ++i) {
    const char c = text[i];
    int digit;
    if (c >= '0' && c <= '9') {
      digit = c - '0';
    } else if (c >= 'a' && c <= 'f') {
      digit = c - 'a' + 10;
    } else {
      return false;
    }
    *value = *value << 4 | static_cast<std::uint64_t>(digit);
  }
  return true;
}

bool SameEntry(const struct stat& a, const struct stat& b) {
  return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

// Takes the lock that marks a temporary file as held by its maker.  True
// when it is ours now; false when another holds it or no lock can be had
// (errno says which).
bool Hold(int fd) { return ::flock(fd, LOCK_EX | LOCK_NB) == 0; }

}  // namespace

std::string TemporaryName(std::uint64_t random) {
  char name[40];
  std::snprintf(name, sizeof name, ".qm-%016llx-%08x.tmp", static_cast<unsigned long long>(random),
                static_cast<unsigned>(CheckOf(random)));
  return name;
}

std::string NewTemporaryName() { return TemporaryName(RandomWord()); }

bool IsTemporaryName(const char* name) {
  // ".qm-" 16 digits "-" 8 digits ".tmp"
  for (int i = 0; i < 4; ++i) {
    if (name[i] != ".qm-"[i]) return false;
  }
  std::uint64_t random, check;
  if (!Hex(name + 4, 16, &random) || name[20] != '-' || !Hex(name + 21, 8, &check)) return false;
  return std::string(name + 29) == ".tmp" && check == CheckOf(random);
}

NewFile::~NewFile() {
  // The hidden name goes while the file is still held, so nobody else
  // takes it for a leftover in between; where the file system removes no
  // name of an open file (SMB), it goes once the file is closed.
  if (!placed_ && !temp_name_.empty()) {
    if (Fs().UnlinkAt(dir_fd_, temp_name_.c_str(), 0) != 0 && errno == EBUSY && fd_ >= 0) {
      Fs().Close(fd_);
      fd_ = -1;
      Fs().UnlinkAt(dir_fd_, temp_name_.c_str(), 0);
    }
  }
  if (fd_ >= 0) Fs().Close(fd_);
}

int NewFile::Create(int dir_fd, mode_t mode) {
  dir_fd_ = dir_fd;
  fd_ = Fs().OpenAt(dir_fd, ".", O_TMPFILE | O_WRONLY | O_CLOEXEC, mode);
  if (fd_ >= 0) return 0;
  if (errno != EOPNOTSUPP && errno != EISDIR && errno != EINVAL) return errno;
  return CreateNamed(dir_fd, mode);
}

int NewFile::CreateNamed(int dir_fd, mode_t mode) {
  dir_fd_ = dir_fd;
  for (int attempt = 0; attempt < 100; ++attempt) {
    const std::string name = NewTemporaryName();
    const int fd = Fs().OpenAt(dir_fd, name.c_str(),
                               O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, mode);
    if (fd < 0) {
      if (errno == EEXIST) continue;
      return errno;
    }
    // A remover that opened the name in the instant before the lock holds
    // it and takes it away: then a fresh name is tried.  Where no lock can
    // be had at all, removers cannot take it either.
    if (Hold(fd) || (errno != EWOULDBLOCK && errno != EAGAIN)) {
      struct stat mine, named;
      if (Fs().Fstat(fd, &mine) == 0 &&
          Fs().StatAt(dir_fd, name.c_str(), &named, AT_SYMLINK_NOFOLLOW) == 0 &&
          SameEntry(mine, named)) {
        fd_ = fd;
        temp_name_ = name;
        return 0;
      }
    }
    Fs().Close(fd);
  }
  return EEXIST;
}

int NewFile::Place(const char* name) {
  if (placed_ || fd_ < 0) return EINVAL;
  if (!temp_name_.empty()) {
    if (Fs().RenameAt(dir_fd_, temp_name_.c_str(), dir_fd_, name, RENAME_NOREPLACE) == 0) {
      placed_ = true;
      return 0;
    }
    const int err = errno;
    if (err != EINVAL && err != ENOSYS && err != ENOTSUP) return err;
    // No rename that refuses to replace: a second name, which cannot
    // replace one either, then the hidden name goes.
    if (Fs().LinkAt(dir_fd_, temp_name_.c_str(), dir_fd_, name, 0) != 0) {
      return errno == EPERM || errno == EOPNOTSUPP || errno == ENOSYS ? kNoSafeRename : errno;
    }
    placed_ = true;
    if (Fs().UnlinkAt(dir_fd_, temp_name_.c_str(), 0) != 0 && errno == EBUSY) {
      // The file is complete: closed, its hidden name can go.
      Fs().Close(fd_);
      fd_ = -1;
      Fs().UnlinkAt(dir_fd_, temp_name_.c_str(), 0);
    }
    // A hidden name that still stays is a second name of the placed file,
    // which the next clearing of the folder removes.
    return 0;
  }
  char self[64];
  std::snprintf(self, sizeof self, "/proc/self/fd/%d", fd_);
  if (Fs().LinkAt(AT_FDCWD, self, dir_fd_, name, AT_SYMLINK_FOLLOW) == 0) {
    placed_ = true;
    return 0;
  }
  if (errno != ENOENT) return errno;
  // Without /proc, linking by descriptor needs a privilege.
  if (Fs().LinkAt(fd_, "", dir_fd_, name, AT_EMPTY_PATH) == 0) {
    placed_ = true;
    return 0;
  }
  return errno;
}

int NewFile::PlaceOver(const char* name) {
  if (placed_ || fd_ < 0) return EINVAL;
  if (temp_name_.empty()) {
    // An unnamed file gets a hidden name first, held like any of ours; it
    // goes again, as any hidden name, should the rename fail.
    Hold(fd_);
    std::string hidden;
    int err = EEXIST;
    for (int attempt = 0; err == EEXIST && attempt < 100; ++attempt) {
      hidden = NewTemporaryName();
      err = Place(hidden.c_str());
    }
    if (err != 0) return err;
    placed_ = false;
    temp_name_ = hidden;
  }
  if (Fs().RenameAt(dir_fd_, temp_name_.c_str(), dir_fd_, name, 0) != 0) return errno;
  placed_ = true;
  return 0;
}

int RemoveLeftoverTemporaries(int dir_fd) {
  std::vector<std::string> names;
  const int list_fd = Fs().OpenAt(dir_fd, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (list_fd < 0) return 0;
  DIR* dir = ::fdopendir(list_fd);
  if (!dir) {
    Fs().Close(list_fd);
    return 0;
  }
  while (const dirent* entry = ::readdir(dir)) {
    if (entry->d_name[0] == '.' && IsTemporaryName(entry->d_name)) names.push_back(entry->d_name);
  }
  ::closedir(dir);

  int removed = 0;
  for (const std::string& name : names) {
    struct stat named;
    if (Fs().StatAt(dir_fd, name.c_str(), &named, AT_SYMLINK_NOFOLLOW) != 0 ||
        !S_ISREG(named.st_mode)) {
      continue;
    }
    const int flags = O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC;
    ScopedFd held(Fs().OpenAt(dir_fd, name.c_str(), O_RDONLY | flags));
    if (held.get() < 0) continue;
    bool free = Hold(held.get());
    if (!free && errno == EBADF) {
      // Where locks are byte ranges underneath (NFS), holding a file whole
      // takes a descriptor open for writing.
      held.reset(Fs().OpenAt(dir_fd, name.c_str(), O_WRONLY | flags));
      free = held.get() >= 0 && Hold(held.get());
    }
    if (!free) continue;  // its maker is still at work, or nobody can tell
    struct stat opened, now;
    if (Fs().Fstat(held.get(), &opened) != 0 || !S_ISREG(opened.st_mode) ||
        Fs().StatAt(dir_fd, name.c_str(), &now, AT_SYMLINK_NOFOLLOW) != 0 ||
        !SameEntry(opened, now)) {
      continue;
    }
    if (Fs().UnlinkAt(dir_fd, name.c_str(), 0) == 0) {
      ++removed;
    } else if (errno == EBUSY) {
      // A file system that removes no name of an open file: let go of it
      // first.  Nobody makes a file of this name meanwhile: names are
      // random and never made again.
      held.reset();
      if (Fs().UnlinkAt(dir_fd, name.c_str(), 0) == 0) ++removed;
    }
  }
  return removed;
}

}  // namespace qm
