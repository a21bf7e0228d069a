// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/folder_object.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <vector>

#include "platform/failure.h"

namespace qm {
namespace {

// 0 once all of `data` is written, or errno.
int WriteAll(int fd, const char* data, std::size_t size) {
  while (size > 0) {
    ssize_t n = Fs().Write(fd, data, size);
    if (n < 0) {
      if (errno == EINTR) continue;
      return errno;
    }
    if (n == 0) return ENOSPC;
    data += n;
    size -= static_cast<std::size_t>(n);
  }
  return 0;
}

// Extended attributes, ACLs among them (system.posix_acl_*), as far as the
// target takes them; like mv, a copy is not refused for one it cannot take.
void CopyAttributes(int in_fd, int out_fd) {
  ssize_t size = ::flistxattr(in_fd, nullptr, 0);
  if (size <= 0) return;
  std::vector<char> names(static_cast<std::size_t>(size));
  size = ::flistxattr(in_fd, names.data(), names.size());
  if (size <= 0) return;
  std::vector<char> value;
  for (ssize_t at = 0; at < size; at += static_cast<ssize_t>(std::strlen(&names[at])) + 1) {
    const char* name = &names[static_cast<std::size_t>(at)];
    ssize_t length = ::fgetxattr(in_fd, name, nullptr, 0);
    if (length < 0) continue;
    value.resize(static_cast<std::size_t>(length) + 1);
    length = ::fgetxattr(in_fd, name, value.data(), value.size());
    if (length < 0) continue;
    ::fsetxattr(out_fd, name, value.data(), static_cast<std::size_t>(length), 0);
  }
}

}  // namespace

void FileSystemObject::DeleteFile(const std::string& path, bool force) const {
  struct stat st;
  if (path.empty() || Fs().Lstat(path.c_str(), &st) != 0) {
    throw Failure(kErrFileNotFound);
  }
  if (S_ISDIR(st.st_mode)) throw Failure(kErrFileNotFound);
  if (!force && S_ISREG(st.st_mode) && (st.st_mode & S_IWUSR) == 0) {
    throw Failure(kErrPermissionDenied);
  }
  if (Fs().Unlink(path.c_str()) != 0) throw FailureFromErrno(errno);
}

void FileSystemObject::CopyFile(const std::string& source, const std::string& destination) const {
  struct stat src;
  if (source.empty() || Fs().Stat(source.c_str(), &src) != 0) {
    throw Failure(kErrFileNotFound);
  }
  // Only regular files are copied; checking before the open means a FIFO is
  // never opened (which could block) and a device is never read.
  if (!S_ISREG(src.st_mode)) throw Failure(kErrFileNotFound);
  if (destination.empty()) throw Failure(kErrPathNotFound);
  struct stat dst;
  if (Fs().Stat(destination.c_str(), &dst) == 0) {
    if (dst.st_dev == src.st_dev && dst.st_ino == src.st_ino) {
      throw Failure(kErrPermissionDenied);  // the same file: nothing to copy
    }
    if (S_ISDIR(dst.st_mode)) throw Failure(kErrPermissionDenied);
  }

  // O_NONBLOCK: should the name have turned into a FIFO since the check, the
  // open still returns at once and the check below refuses it.  O_NOATIME
  // keeps the source's access time where the kernel allows it.
  const int base_flags = O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC;
  int in_fd = Fs().Open(source.c_str(), base_flags | O_NOATIME);
  if (in_fd < 0 && errno == EPERM) in_fd = Fs().Open(source.c_str(), base_flags);
  if (in_fd < 0) throw FailureFromErrno(errno);
  ScopedFd in(in_fd);
  struct stat opened;
  if (Fs().Fstat(in.get(), &opened) != 0) throw FailureFromErrno(errno);
  if (!S_ISREG(opened.st_mode) || opened.st_dev != src.st_dev || opened.st_ino != src.st_ino) {
    throw Failure(kErrFileNotFound);
  }

  ScopedFd folder(Fs().Open(ParentOf(destination).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (folder.get() < 0) throw FailureFromErrno(errno, true);
  NewFile copy;
  int err = CopyOpenFile(in.get(), opened, folder.get(), &copy);
  if (err != 0) throw FailureFromErrno(err);
  const std::string name = BaseName(destination);
  err = copy.Place(name.c_str());
  // Replacing the file there: in one rename.
  if (err == EEXIST) err = copy.PlaceOver(name.c_str());
  if (err != 0) throw FailureFromErrno(err, true);
  Fs().Fsync(folder.get());  // the new name itself is made durable
}

int CopyOpenFile(int in_fd, const struct stat& st, int dir_fd, NewFile* out) {
  int err = out->Create(dir_fd, 0600);
  if (err != 0) return err;
  const int out_fd = out->fd();
  std::vector<char> buffer(1 << 20);
  for (;;) {
    ssize_t n = Fs().Read(in_fd, buffer.data(), buffer.size());
    if (n < 0) {
      if (errno == EINTR) continue;
      return errno;
    }
    if (n == 0) break;
    err = WriteAll(out_fd, buffer.data(), static_cast<std::size_t>(n));
    if (err != 0) return err;
  }
  // Owner first (a change of owner can clear the set-id bits), then the
  // permission bits, the attributes, and the times last.
  mode_t mode = st.st_mode & 07777;
  if (::fchown(out_fd, st.st_uid, st.st_gid) != 0) {
    mode &= 0777;  // set-id bits only go with the owner they were set by
    ::fchown(out_fd, static_cast<uid_t>(-1), st.st_gid);  // the group, at least
  }
  if (Fs().Fchmod(out_fd, mode) != 0) return errno;
  CopyAttributes(in_fd, out_fd);
  const struct timespec times[2] = {st.st_atim, st.st_mtim};
  if (Fs().Futimens(out_fd, times) != 0) return errno;
  if (Fs().Fsync(out_fd) != 0) return errno;
  return 0;
}

}  // namespace qm
