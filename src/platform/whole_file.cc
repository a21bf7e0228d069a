// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/whole_file.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <QCoreApplication>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "base/byte_size.h"
#include "platform/failure.h"

namespace qm {
namespace {

Failure NotAFile(const WholeFileWords& words, const std::string& path, mode_t mode) {
  return Failure(kErrPathFileAccess,
                 Translated(words.context, words.not_a_file, {path, KindOfEntry(mode)}));
}

Failure TooLarge(const WholeFileWords& words, const std::string& path, off_t bytes) {
  return Failure(kErrPathFileAccess,
                 Translated(words.context, words.too_large,
                            {path, ByteSizeText(static_cast<ByteCount>(bytes)).toStdString()}));
}

Failure Unreadable(const WholeFileWords& words, const std::string& path, int err) {
  const Failure plain = FailureFromErrno(err);
  return Failure(plain.number(), Translated(words.context, words.unreadable, {path, plain.what()}));
}

bool IsNullDevice(const struct stat& st) {
  return S_ISCHR(st.st_mode) && major(st.st_rdev) == 1 && minor(st.st_rdev) == 3;
}

OwnFileKind KindOf(const struct stat& st) {
  if (S_ISREG(st.st_mode)) return OwnFileKind::kFile;
  if (IsNullDevice(st)) return OwnFileKind::kSwitchedOff;
  return OwnFileKind::kOther;
}

void WriteAll(int fd, const std::string& data) {
  const char* p = data.data();
  std::size_t left = data.size();
  while (left > 0) {
    const ssize_t n = ::write(fd, p, left);
    if (n < 0) {
      if (errno == EINTR) continue;
      throw FailureFromErrno(errno);
    }
    p += n;
    left -= static_cast<std::size_t>(n);
  }
}

void MakeDirs(const std::string& dir) {
  std::size_t pos = 0;
  while (pos != std::string::npos) {
    const std::size_t next = dir.find('/', pos + 1);
    const std::string partial = dir.substr(0, next);
    if (!partial.empty() && ::mkdir(partial.c_str(), 0700) != 0 && errno != EEXIST) {
      throw FailureFromErrno(errno, true);
    }
    pos = next;
  }
}

bool ReadOwnFile(const std::string& path, std::size_t max_bytes, const WholeFileWords& words,
                 bool head_only, std::string* out);

}  // namespace

std::string KindOfEntry(mode_t mode) {
  const char* kind = QT_TRANSLATE_NOOP("qm::WholeFile", "a file");
  switch (mode & S_IFMT) {
    case S_IFDIR:
      kind = QT_TRANSLATE_NOOP("qm::WholeFile", "a folder");
      break;
    case S_IFIFO:
      kind = QT_TRANSLATE_NOOP("qm::WholeFile", "a FIFO");
      break;
    case S_IFCHR:
    case S_IFBLK:
      kind = QT_TRANSLATE_NOOP("qm::WholeFile", "a device");
      break;
    case S_IFSOCK:
      kind = QT_TRANSLATE_NOOP("qm::WholeFile", "a socket");
      break;
    case S_IFLNK:
      kind = QT_TRANSLATE_NOOP("qm::WholeFile", "a link");
      break;
  }
  return Translated("qm::WholeFile", kind);
}

OwnFileKind LookAtOwnFile(const std::string& path, mode_t* mode) {
  struct stat st;
  if (::stat(path.c_str(), &st) != 0) return OwnFileKind::kMissing;
  if (mode) *mode = st.st_mode;
  return KindOf(st);
}

std::string FollowLinks(const std::string& path) {
  std::string current = path;
  for (int hops = 0; hops < 40; ++hops) {
    struct stat st;
    if (::lstat(current.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) return current;
    std::vector<char> target(static_cast<std::size_t>(st.st_size > 0 ? st.st_size : 255) + 2);
    const ssize_t n = ::readlink(current.c_str(), target.data(), target.size());
    if (n < 0) throw FailureFromErrno(errno);
    if (static_cast<std::size_t>(n) >= target.size()) throw Failure(kErrPathFileAccess);  // grew
    std::string next(target.data(), static_cast<std::size_t>(n));
    if (next.empty()) throw Failure(kErrPathNotFound);
    if (next[0] != '/') next = current.substr(0, current.rfind('/') + 1) + next;
    current = next;
  }
  throw FailureFromErrno(ELOOP);
}

bool ReadWholeFile(const std::string& path, std::size_t max_bytes, const WholeFileWords& words,
                   std::string* out) {
  return ReadOwnFile(path, max_bytes, words, false, out);
}

bool ReadOwnFileHead(const std::string& path, std::size_t bytes, const WholeFileWords& words,
                     std::string* out) {
  return ReadOwnFile(path, bytes, words, true, out);
}

namespace {

// Opens `path` with `flags` once it is seen to be a regular file of at most
// `max_bytes` (any size with `head_only`), looking again at what was opened:
// -1 when there is no file or it is the null device.  The type is looked at
// before anything is opened: opening a device can act on it, and opening a
// FIFO can wait for a writer.
int OpenOwnFile(const std::string& path, int flags, std::size_t max_bytes, bool head_only,
                const WholeFileWords& words) {
  struct stat st;
  if (::stat(path.c_str(), &st) != 0) {
    if (errno == ENOENT || errno == ENOTDIR) return -1;
    throw Unreadable(words, path, errno);
  }
  auto check = [&](const struct stat& s) {
    if (!S_ISREG(s.st_mode)) throw NotAFile(words, path, s.st_mode);
    if (!head_only && static_cast<std::size_t>(s.st_size) > max_bytes) {
      throw TooLarge(words, path, s.st_size);
    }
  };
  if (IsNullDevice(st)) return -1;
  check(st);
  // O_NONBLOCK: should a FIFO have taken the file's place since, the open
  // still returns at once, and the second look refuses it.
  const int fd = ::open(path.c_str(), flags | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
  if (fd < 0) {
    if (errno == ENOENT) return -1;
    throw Unreadable(words, path, errno);
  }
  try {
    if (::fstat(fd, &st) != 0) throw Unreadable(words, path, errno);
    if (IsNullDevice(st)) {
      ::close(fd);
      return -1;
    }
    check(st);
  } catch (...) {
    ::close(fd);
    throw;
  }
  return fd;
}

// Reads what `fd` holds from its start, at most `max_bytes` (with
// `head_only` the first `max_bytes`, else more is refused).
void ReadOwnFd(int fd, const std::string& path, std::size_t max_bytes, bool head_only,
               const WholeFileWords& words, std::string* out) {
  out->clear();
  char buffer[65536];
  for (off_t at = 0;;) {
    const ssize_t n = ::pread(fd, buffer, sizeof buffer, at);
    if (n < 0) {
      if (errno == EINTR) continue;
      throw Unreadable(words, path, errno);
    }
    if (n == 0) break;
    out->append(buffer, static_cast<std::size_t>(n));
    at += n;
    if (out->size() > max_bytes) {
      if (!head_only) throw TooLarge(words, path, static_cast<off_t>(out->size()));
      out->resize(max_bytes);
      break;
    }
  }
}

struct Closer {
  int fd;
  ~Closer() {
    if (fd >= 0) ::close(fd);
  }
};

bool ReadOwnFile(const std::string& path, std::size_t max_bytes, const WholeFileWords& words,
                 bool head_only, std::string* out) {
  const int fd = OpenOwnFile(path, O_RDONLY, max_bytes, head_only, words);
  if (fd < 0) return false;
  Closer closer{fd};
  ReadOwnFd(fd, path, max_bytes, head_only, words, out);
  return true;
}

}  // namespace

bool ReplaceWholeFile(const std::string& link_or_path, const std::string& content, mode_t new_mode,
                      const WholeFileWords& words) {
  // The file may lie in a folder being searched.
  // Renaming over a link would replace the link; the file it leads to is
  // replaced instead, from a temporary file beside it.
  const std::string path = FollowLinks(link_or_path);
  // Only a regular file is replaced: a device, a FIFO or a folder there is
  // left as it is (renaming over a device node would replace the node).
  struct stat old;
  const bool had_old = ::lstat(path.c_str(), &old) == 0;
  if (had_old && IsNullDevice(old)) return false;
  if (had_old && !S_ISREG(old.st_mode)) throw NotAFile(words, link_or_path, old.st_mode);
  const std::string dir = path.substr(0, path.rfind('/'));
  MakeDirs(dir);
  std::string temp = path + ".XXXXXX";
  std::vector<char> name(temp.begin(), temp.end());
  name.push_back('\0');
  const int fd = ::mkostemp(name.data(), O_CLOEXEC);
  if (fd < 0) throw FailureFromErrno(errno, true);
  try {
    WriteAll(fd, content);
    // The new file keeps the old one's permission bits and, where this user
    // may give them, its owner and group.
    mode_t mode = new_mode;
    if (had_old) {
      mode = old.st_mode & 07777;
      if (::fchown(fd, old.st_uid, old.st_gid) != 0) {
        mode &= 0777;  // set-id bits only go with the owner they were set by
        (void)::fchown(fd, static_cast<uid_t>(-1), old.st_gid);
      }
    }
    if (::fchmod(fd, mode) != 0 || ::fsync(fd) != 0) throw FailureFromErrno(errno);
  } catch (...) {
    ::close(fd);
    ::unlink(name.data());
    throw;
  }
  if (::close(fd) != 0) {
    const int err = errno;
    ::unlink(name.data());
    throw FailureFromErrno(err);
  }
  // Looked at again just before the rename: a device or FIFO made there
  // meanwhile is not replaced either.
  struct stat now;
  if (::lstat(path.c_str(), &now) == 0 && !S_ISREG(now.st_mode)) {
    ::unlink(name.data());
    if (IsNullDevice(now)) return false;
    throw NotAFile(words, link_or_path, now.st_mode);
  }
  if (::rename(name.data(), path.c_str()) != 0) {
    const int err = errno;
    ::unlink(name.data());
    throw FailureFromErrno(err);
  }
  const int dfd = ::open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (dfd >= 0) {
    ::fsync(dfd);
    ::close(dfd);
  }
  return true;
}

OwnRecordFile::~OwnRecordFile() { Close(); }

void OwnRecordFile::Close() {
  if (fd_ >= 0) ::close(fd_);  // the hold goes with the last descriptor
  fd_ = -1;
  path_.clear();
}

bool OwnRecordFile::Start(const std::string& link_or_path, const std::string& first, mode_t mode,
                          const WholeFileWords& words) {
  Close();
  // As ReplaceWholeFile: the file a link leads to is the one replaced, and
  // only a regular file is.
  const std::string path = FollowLinks(link_or_path);
  struct stat old;
  if (::lstat(path.c_str(), &old) == 0) {
    if (IsNullDevice(old)) return false;
    if (!S_ISREG(old.st_mode)) throw NotAFile(words, link_or_path, old.st_mode);
  }
  const std::string dir = path.substr(0, path.rfind('/'));
  MakeDirs(dir);
  const std::string folder = dir.empty() ? std::string("/") : dir;
  // Unnamed while it is written, where the file system allows that, so a
  // kill leaves nothing; elsewhere under a temporary name beside it.
  std::string temp;
  int fd = ::open(folder.c_str(), O_TMPFILE | O_RDWR | O_CLOEXEC, mode);
  if (fd < 0 && errno != EOPNOTSUPP && errno != EISDIR && errno != EINVAL) {
    throw FailureFromErrno(errno, true);
  }
  if (fd < 0) {
    temp = path + ".XXXXXX";
    fd = ::mkostemp(&temp[0], O_CLOEXEC);
    if (fd < 0) throw FailureFromErrno(errno, true);
  }
  auto drop = [&] {
    ::close(fd);
    if (!temp.empty()) ::unlink(temp.c_str());
  };
  try {
    ::flock(fd, LOCK_EX | LOCK_NB);  // nobody else has it yet
    WriteAll(fd, first);
    if (::fchmod(fd, mode) != 0 || ::fsync(fd) != 0) throw FailureFromErrno(errno);
    if (temp.empty()) {
      // A name for the rename below, made from the descriptor.
      char self[64];
      std::snprintf(self, sizeof self, "/proc/self/fd/%d", fd);
      for (int attempt = 0; attempt < 100; ++attempt) {
        std::string name = path + ".XXXXXX";
        const int probe = ::mkstemp(&name[0]);  // reserves a free name...
        if (probe < 0) throw FailureFromErrno(errno, true);
        ::close(probe);
        ::unlink(name.c_str());  // ... that the link then takes
        if (::linkat(AT_FDCWD, self, AT_FDCWD, name.c_str(), AT_SYMLINK_FOLLOW) == 0) {
          temp = name;
          break;
        }
        if (errno != EEXIST) throw FailureFromErrno(errno, true);
      }
      if (temp.empty()) throw FailureFromErrno(EEXIST, true);
    }
    // Looked at again just before the rename: a device or FIFO made there
    // meanwhile is not replaced either.
    struct stat now;
    if (::lstat(path.c_str(), &now) == 0 && !S_ISREG(now.st_mode)) {
      if (IsNullDevice(now)) {
        drop();
        return false;
      }
      throw NotAFile(words, link_or_path, now.st_mode);
    }
    if (::rename(temp.c_str(), path.c_str()) != 0) throw FailureFromErrno(errno);
  } catch (...) {
    drop();
    throw;
  }
  const int dfd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (dfd >= 0) {
    ::fsync(dfd);
    ::close(dfd);
  }
  // Every later write goes to the end, whatever the offset.
  ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) | O_APPEND);
  fd_ = fd;
  path_ = path;
  return true;
}

bool OwnRecordFile::Open(const std::string& link_or_path, std::size_t max_bytes,
                         const WholeFileWords& words, const char* busy, std::string* content) {
  Close();
  const int fd = OpenOwnFile(link_or_path, O_RDWR | O_APPEND, max_bytes, false, words);
  if (fd < 0) return false;
  Closer held{fd};
  if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
    if (errno == EWOULDBLOCK) {
      throw Failure(kErrPermissionDenied, Translated(words.context, busy, {link_or_path}));
    }
    throw Unreadable(words, link_or_path, errno);
  }
  ReadOwnFd(fd, link_or_path, max_bytes, false, words, content);
  path_ = FollowLinks(link_or_path);
  fd_ = fd;
  held.fd = -1;
  return true;
}

int OwnRecordFile::Cut(off_t size) {
  if (fd_ < 0) return EBADF;
  return ::ftruncate(fd_, size) == 0 ? 0 : errno;
}

int OwnRecordFile::Append(const std::string& record) {
  if (fd_ < 0) return EBADF;
  const char* p = record.data();
  std::size_t left = record.size();
  while (left > 0) {
    const ssize_t n = ::write(fd_, p, left);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return errno;
    if (n == 0) return ENOSPC;
    p += n;
    left -= static_cast<std::size_t>(n);
  }
  return 0;
}

int OwnRecordFile::Sync() {
  if (fd_ < 0) return EBADF;
  return ::fdatasync(fd_) == 0 ? 0 : errno;
}

void OwnRecordFile::Remove() {
  struct stat held, named;
  if (fd_ >= 0 && ::fstat(fd_, &held) == 0 && ::lstat(path_.c_str(), &named) == 0 &&
      held.st_dev == named.st_dev && held.st_ino == named.st_ino) {
    ::unlink(path_.c_str());
  }
  Close();
}

}  // namespace qm
