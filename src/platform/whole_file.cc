#include "platform/whole_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "platform/failure.h"

namespace qm {
namespace {

std::string Megabytes(off_t bytes) {
  return std::to_string((bytes + 1024 * 1024 - 1) / (1024 * 1024)) + " MB";
}

Failure Unreadable(const std::string& what, const std::string& path, int err) {
  const Failure plain = FailureFromErrno(err);
  return Failure(plain.number(), what + " " + path + " cannot be read: " + plain.what());
}

}  // namespace

std::string KindOfEntry(mode_t mode) {
  switch (mode & S_IFMT) {
    case S_IFDIR: return "a folder";
    case S_IFIFO: return "a FIFO";
    case S_IFCHR:
    case S_IFBLK: return "a device";
    case S_IFSOCK: return "a socket";
    case S_IFLNK: return "a link";
  }
  return "a file";
}

bool ReadWholeFile(const std::string& path, std::size_t max_bytes, const std::string& what,
                   std::string* out) {
  // The type is looked at before anything is opened: opening a device can
  // act on it, and opening a FIFO can wait for a writer.
  struct stat st;
  if (::stat(path.c_str(), &st) != 0) {
    if (errno == ENOENT || errno == ENOTDIR) return false;
    throw Unreadable(what, path, errno);
  }
  auto check = [&](const struct stat& s) {
    if (!S_ISREG(s.st_mode)) {
      throw Failure(kErrPathFileAccess, what + " " + path + " is " + KindOfEntry(s.st_mode) +
                                            ", not a file");
    }
    if (static_cast<std::size_t>(s.st_size) > max_bytes) {
      throw Failure(kErrPathFileAccess, what + " " + path + " is too large (" +
                                            Megabytes(s.st_size) + ")");
    }
  };
  check(st);
  // O_NONBLOCK: should a FIFO have taken the file's place since, the open
  // still returns at once, and the second look refuses it.
  const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
  if (fd < 0) {
    if (errno == ENOENT) return false;
    throw Unreadable(what, path, errno);
  }
  struct Closer {
    int fd;
    ~Closer() { ::close(fd); }
  } closer{fd};
  if (::fstat(fd, &st) != 0) throw Unreadable(what, path, errno);
  check(st);
  out->clear();
  char buffer[65536];
  for (;;) {
    const ssize_t n = ::read(fd, buffer, sizeof buffer);
    if (n < 0) {
      if (errno == EINTR) continue;
      throw Unreadable(what, path, errno);
    }
    if (n == 0) break;
    out->append(buffer, static_cast<std::size_t>(n));
    if (out->size() > max_bytes) {
      throw Failure(kErrPathFileAccess, what + " " + path + " is too large (" +
                                            Megabytes(static_cast<off_t>(out->size())) + ")");
    }
  }
  return true;
}

}  // namespace qm
