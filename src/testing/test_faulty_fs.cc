// SPDX-License-Identifier: GPL-3.0-or-later
#include "testing/test_faulty_fs.h"

#include <cerrno>
#include <cstring>

namespace qm {
namespace testing {

int FaultyFs::Statfs(const char* path, struct statfs* sfs) {
  std::lock_guard<std::recursive_mutex> lock(mu_);
  auto it = statfs_faults_.find(path);
  if (it != statfs_faults_.end()) {
    errno = it->second;
    return -1;
  }
  return FileSystem::Statfs(path, sfs);
}

DIR* FaultyFs::OpenDir(const char* path) {
  std::lock_guard<std::recursive_mutex> lock(mu_);
  auto it = listing_faults_.find(path);
  if (it != listing_faults_.end() && it->second.entries == 0) {
    errno = it->second.err;
    return nullptr;
  }
  DIR* dir = FileSystem::OpenDir(path);
  if (dir && it != listing_faults_.end()) open_listings_[dir] = it->second;
  return dir;
}

struct dirent* FaultyFs::ReadDir(DIR* dir) {
  std::lock_guard<std::recursive_mutex> lock(mu_);
  auto it = open_listings_.find(dir);
  if (it == open_listings_.end()) return FileSystem::ReadDir(dir);
  if (it->second.entries == 0) {
    errno = it->second.err;
    return nullptr;
  }
  struct dirent* ent = FileSystem::ReadDir(dir);
  if (ent && std::strcmp(ent->d_name, ".") != 0 && std::strcmp(ent->d_name, "..") != 0) {
    --it->second.entries;
  }
  return ent;
}

int FaultyFs::CloseDir(DIR* dir) {
  std::lock_guard<std::recursive_mutex> lock(mu_);
  open_listings_.erase(dir);
  return FileSystem::CloseDir(dir);
}

int FaultyFs::Open(const char* path, int flags, mode_t mode) {
  std::lock_guard<std::recursive_mutex> lock(mu_);
  opened_.emplace_back(path);
  return FileSystem::Open(path, flags, mode);
}

ssize_t FaultyFs::Read(int fd, void* buffer, std::size_t size) {
  std::lock_guard<std::recursive_mutex> lock(mu_);
  if (read_budget_ >= 0) {
    if (read_budget_ == 0) {
      errno = read_err_;
      return -1;
    }
    if (static_cast<long>(size) > read_budget_) size = static_cast<std::size_t>(read_budget_);
    ssize_t n = FileSystem::Read(fd, buffer, size);
    if (n > 0) read_budget_ -= n;
    return n;
  }
  return FileSystem::Read(fd, buffer, size);
}

ssize_t FaultyFs::Write(int fd, const void* buffer, std::size_t size) {
  std::lock_guard<std::recursive_mutex> lock(mu_);
  if (before_write) before_write();
  if (write_budget_ >= 0) {
    if (write_budget_ == 0) {
      errno = write_err_;
      return -1;
    }
    if (static_cast<long>(size) > write_budget_) size = static_cast<std::size_t>(write_budget_);
    ssize_t n = FileSystem::Write(fd, buffer, size);
    if (n > 0) write_budget_ -= n;
    return n;
  }
  return FileSystem::Write(fd, buffer, size);
}

int FaultyFs::Unlink(const char* path) {
  std::lock_guard<std::recursive_mutex> lock(mu_);
  ++unlinks_;
  if (unlink_failures_ > 0) {
    --unlink_failures_;
    errno = unlink_err_;
    return -1;
  }
  return FileSystem::Unlink(path);
}

int FaultyFs::OpenAt(int dir_fd, const char* name, int flags, mode_t mode) {
  std::lock_guard<std::recursive_mutex> lock(mu_);
  opened_.emplace_back(name);
  if (refuse_tmpfile_ && (flags & O_TMPFILE) == O_TMPFILE) {
    errno = EOPNOTSUPP;
    return -1;
  }
  return FileSystem::OpenAt(dir_fd, name, flags, mode);
}

int FaultyFs::RenameAt(int from_dir, const char* from, int to_dir, const char* to,
                       unsigned flags) {
  std::lock_guard<std::recursive_mutex> lock(mu_);
  if (rename_failures_ > 0) {
    --rename_failures_;
    errno = rename_err_;
    return -1;
  }
  return FileSystem::RenameAt(from_dir, from, to_dir, to, flags);
}

int FaultyFs::UnlinkAt(int dir_fd, const char* name, int flags) {
  std::lock_guard<std::recursive_mutex> lock(mu_);
  ++unlinks_;
  if (unlink_failures_ > 0) {
    --unlink_failures_;
    errno = unlink_err_;
    return -1;
  }
  return FileSystem::UnlinkAt(dir_fd, name, flags);
}

}  // namespace testing
}  // namespace qm
