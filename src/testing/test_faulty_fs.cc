// SPDX-License-Identifier: GPL-3.0-or-later
#include "testing/test_faulty_fs.h"

#include <fcntl.h>
#include <stdio.h>
#include <sys/stat.h>

#include <cerrno>
#include <cstring>

namespace qm {
namespace testing {

bool FaultyFs::NameIn(int dir_fd, const char* name, Name* out) const {
  std::lock_guard<std::recursive_mutex> lock(mu_);
  const std::string whole = name ? name : "";
  std::string parent = ".", base = whole;
  const std::size_t slash = whole.rfind('/');
  if (slash != std::string::npos) {
    parent = slash == 0 ? "/" : whole.substr(0, slash);
    base = whole.substr(slash + 1);
  }
  if (base.empty() || base == "." || base == "..") return false;
  struct stat st;
  if (::fstatat(dir_fd, parent.c_str(), &st, 0) != 0) return false;
  *out = Name(st.st_dev, st.st_ino, base);
  return true;
}

bool FaultyFs::NameOf(const char* path, Name* out) const { return NameIn(AT_FDCWD, path, out); }

bool FaultyFs::HeldOpen(const Name& name) const {
  std::lock_guard<std::recursive_mutex> lock(mu_);
  for (const auto& open : open_names_) {
    if (open.second == name) return true;
  }
  return false;
}

void FaultyFs::Renamed(const Name& from, const Name& to) {
  std::lock_guard<std::recursive_mutex> lock(mu_);
  for (auto& open : open_names_) {
    if (open.second == from) open.second = to;
  }
}

ino_t FaultyFs::InodeOf(const Name& name) {
  std::lock_guard<std::recursive_mutex> lock(mu_);
  auto it = inode_numbers_.find(name);
  if (it == inode_numbers_.end()) it = inode_numbers_.emplace(name, ++next_inode_).first;
  return it->second;
}

int FaultyFs::Stat(const char* path, struct stat* st) {
  std::lock_guard<std::recursive_mutex> lock(mu_);
  const int rc = FileSystem::Stat(path, st);
  Name name;
  if (rc == 0 && inodes_per_name_ && NameOf(path, &name)) st->st_ino = InodeOf(name);
  return rc;
}

int FaultyFs::Lstat(const char* path, struct stat* st) {
  std::lock_guard<std::recursive_mutex> lock(mu_);
  const int rc = FileSystem::Lstat(path, st);
  Name name;
  if (rc == 0 && inodes_per_name_ && NameOf(path, &name)) st->st_ino = InodeOf(name);
  return rc;
}

int FaultyFs::StatAt(int dir_fd, const char* name, struct stat* st, int flags) {
  std::lock_guard<std::recursive_mutex> lock(mu_);
  const int rc = FileSystem::StatAt(dir_fd, name, st, flags);
  Name n;
  if (rc == 0 && inodes_per_name_ && NameIn(dir_fd, name, &n)) st->st_ino = InodeOf(n);
  return rc;
}

int FaultyFs::Statx(const char* path, int flags, unsigned mask, struct statx* stx) {
  std::lock_guard<std::recursive_mutex> lock(mu_);
  const int rc = FileSystem::Statx(path, flags, mask, stx);
  Name name;
  if (rc == 0 && inodes_per_name_ && NameOf(path, &name)) stx->stx_ino = InodeOf(name);
  return rc;
}

int FaultyFs::StatxAt(int dir_fd, const char* name, int flags, unsigned mask, struct statx* stx) {
  std::lock_guard<std::recursive_mutex> lock(mu_);
  const int rc = FileSystem::StatxAt(dir_fd, name, flags, mask, stx);
  Name n;
  if (rc == 0 && inodes_per_name_ && NameIn(dir_fd, name, &n)) stx->stx_ino = InodeOf(n);
  return rc;
}

int FaultyFs::EntryStat(DIR* dir, const char* name, struct stat* st, int flags) {
  std::lock_guard<std::recursive_mutex> lock(mu_);
  const int rc = FileSystem::EntryStat(dir, name, st, flags);
  Name n;
  if (rc == 0 && inodes_per_name_ && NameIn(::dirfd(dir), name, &n)) st->st_ino = InodeOf(n);
  return rc;
}

int FaultyFs::Fstat(int fd, struct stat* st) {
  std::lock_guard<std::recursive_mutex> lock(mu_);
  const int rc = FileSystem::Fstat(fd, st);
  if (rc == 0 && inodes_per_name_) {
    auto it = open_names_.find(fd);
    if (it != open_names_.end()) st->st_ino = InodeOf(it->second);
  }
  return rc;
}

int FaultyFs::Close(int fd) {
  std::lock_guard<std::recursive_mutex> lock(mu_);
  open_names_.erase(fd);
  return FileSystem::Close(fd);
}

int FaultyFs::LinkAt(int from_dir, const char* from, int to_dir, const char* to, int flags) {
  std::lock_guard<std::recursive_mutex> lock(mu_);
  if (refuse_links_) {
    errno = EPERM;
    return -1;
  }
  const int rc = FileSystem::LinkAt(from_dir, from, to_dir, to, flags);
  if (rc == 0 && after_link) after_link(to);
  return rc;
}

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
  const int fd = FileSystem::Open(path, flags, mode);
  Name name;
  if (fd >= 0 && (busy_while_open_ || inodes_per_name_) && NameOf(path, &name)) {
    open_names_[fd] = name;
  }
  return fd;
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
    if (n > 0) written_ += n;
    return n;
  }
  const ssize_t n = FileSystem::Write(fd, buffer, size);
  if (n > 0) written_ += n;
  return n;
}

int FaultyFs::Unlink(const char* path) {
  std::lock_guard<std::recursive_mutex> lock(mu_);
  ++unlinks_;
  if (unlink_failures_ > 0) {
    --unlink_failures_;
    errno = unlink_err_;
    return -1;
  }
  Name name;
  if (busy_while_open_ && NameOf(path, &name) && HeldOpen(name)) {
    errno = EBUSY;
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
  const int fd = FileSystem::OpenAt(dir_fd, name, flags, mode);
  Name n;
  if (fd >= 0 && (busy_while_open_ || inodes_per_name_) && (flags & O_TMPFILE) != O_TMPFILE &&
      NameIn(dir_fd, name, &n)) {
    open_names_[fd] = n;
  }
  return fd;
}

int FaultyFs::RenameAt(int from_dir, const char* from, int to_dir, const char* to, unsigned flags) {
  std::lock_guard<std::recursive_mutex> lock(mu_);
  if (rename_failures_ > 0) {
    --rename_failures_;
    errno = rename_err_;
    return -1;
  }
  if (refuse_noreplace_ && (flags & RENAME_NOREPLACE) != 0) {
    errno = EINVAL;
    return -1;
  }
  Name before, after;
  const bool named = (busy_while_open_ || inodes_per_name_) && NameIn(from_dir, from, &before) &&
                     NameIn(to_dir, to, &after);
  const int rc = FileSystem::RenameAt(from_dir, from, to_dir, to, flags);
  if (rc == 0 && named) Renamed(before, after);
  return rc;
}

int FaultyFs::UnlinkAt(int dir_fd, const char* name, int flags) {
  std::lock_guard<std::recursive_mutex> lock(mu_);
  ++unlinks_;
  if (unlink_failures_ > 0) {
    --unlink_failures_;
    errno = unlink_err_;
    return -1;
  }
  auto fault = unlink_name_faults_.find(name);
  if (fault != unlink_name_faults_.end()) {
    errno = fault->second;
    return -1;
  }
  Name n;
  if (busy_while_open_ && NameIn(dir_fd, name, &n) && HeldOpen(n)) {
    errno = EBUSY;
    return -1;
  }
  return FileSystem::UnlinkAt(dir_fd, name, flags);
}

}  // namespace testing
}  // namespace qm
