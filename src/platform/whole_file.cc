// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/whole_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QCoreApplication>
#include <cerrno>

#include "platform/failure.h"

namespace qm {
namespace {

std::string Megabytes(off_t bytes) {
  return std::to_string((bytes + 1024 * 1024 - 1) / (1024 * 1024)) + " MB";
}

Failure NotAFile(const WholeFileWords& words, const std::string& path, mode_t mode) {
  return Failure(kErrPathFileAccess,
                 Translated(words.context, words.not_a_file, {path, KindOfEntry(mode)}));
}

Failure TooLarge(const WholeFileWords& words, const std::string& path, off_t bytes) {
  return Failure(kErrPathFileAccess,
                 Translated(words.context, words.too_large, {path, Megabytes(bytes)}));
}

Failure Unreadable(const WholeFileWords& words, const std::string& path, int err) {
  const Failure plain = FailureFromErrno(err);
  return Failure(plain.number(), Translated(words.context, words.unreadable, {path, plain.what()}));
}

}  // namespace

std::string KindOfEntry(mode_t mode) {
  const char* kind = QT_TRANSLATE_NOOP("qm::WholeFile", "a file");
  switch (mode & S_IFMT) {
    case S_IFDIR: kind = QT_TRANSLATE_NOOP("qm::WholeFile", "a folder"); break;
    case S_IFIFO: kind = QT_TRANSLATE_NOOP("qm::WholeFile", "a FIFO"); break;
    case S_IFCHR:
    case S_IFBLK: kind = QT_TRANSLATE_NOOP("qm::WholeFile", "a device"); break;
    case S_IFSOCK: kind = QT_TRANSLATE_NOOP("qm::WholeFile", "a socket"); break;
    case S_IFLNK: kind = QT_TRANSLATE_NOOP("qm::WholeFile", "a link"); break;
  }
  return Translated("qm::WholeFile", kind);
}

bool ReadWholeFile(const std::string& path, std::size_t max_bytes, const WholeFileWords& words,
                   std::string* out) {
  // The type is looked at before anything is opened: opening a device can
  // act on it, and opening a FIFO can wait for a writer.
  struct stat st;
  if (::stat(path.c_str(), &st) != 0) {
    if (errno == ENOENT || errno == ENOTDIR) return false;
    throw Unreadable(words, path, errno);
  }
  auto check = [&](const struct stat& s) {
    if (!S_ISREG(s.st_mode)) throw NotAFile(words, path, s.st_mode);
    if (static_cast<std::size_t>(s.st_size) > max_bytes) throw TooLarge(words, path, s.st_size);
  };
  check(st);
  // O_NONBLOCK: should a FIFO have taken the file's place since, the open
  // still returns at once, and the second look refuses it.
  const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
  if (fd < 0) {
    if (errno == ENOENT) return false;
    throw Unreadable(words, path, errno);
  }
  struct Closer {
    int fd;
    ~Closer() { ::close(fd); }
  } closer{fd};
  if (::fstat(fd, &st) != 0) throw Unreadable(words, path, errno);
  check(st);
  out->clear();
  char buffer[65536];
  for (;;) {
    const ssize_t n = ::read(fd, buffer, sizeof buffer);
    if (n < 0) {
      if (errno == EINTR) continue;
      throw Unreadable(words, path, errno);
    }
    if (n == 0) break;
    out->append(buffer, static_cast<std::size_t>(n));
    if (out->size() > max_bytes) throw TooLarge(words, path, static_cast<off_t>(out->size()));
  }
  return true;
}

}  // namespace qm
