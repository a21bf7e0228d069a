// SPDX-License-Identifier: GPL-3.0-or-later
// A file system that fails chosen calls, for faults a test running as root
// cannot provoke for real: a refused or vanishing listing, a full disk, a
// read error, a refused delete or stat; and the ways of network and FUSE
// file systems (SMB, sshfs) that a local disk does not have.  Everything
// else is the real thing.  The search calls it from several threads: its
// calls take turns.
#ifndef QUENMOOR_TESTING_TEST_FAULTY_FS_H_
#define QUENMOOR_TESTING_TEST_FAULTY_FS_H_

#include <sys/types.h>

#include <functional>
#include <map>
#include <mutex>
#include <new>
#include <set>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "platform/file_system.h"

namespace qm {
namespace testing {

class FaultyFs : public FileSystem {
 public:
  // The listing of `path` (as passed to OpenDir) fails with `err` once
  // `entries` names other than "." and ".." have been read; with 0 the
  // opening itself fails.
  void FailListing(const std::string& path, int entries, int err) {
    listing_faults_[path] = Fault{entries, err};
  }
  // Statfs of exactly `path` fails with `err`.
  void FailStatfs(const std::string& path, int err) { statfs_faults_[path] = err; }
  // Writes fail with `err` once `bytes` bytes have been written in all.
  void FailWritesAfter(long bytes, int err) {
    write_budget_ = bytes;
    write_err_ = err;
  }
  // Reads fail with `err` once `bytes` bytes have been read in all.
  void FailReadsAfter(long bytes, int err) {
    read_budget_ = bytes;
    read_err_ = err;
  }
  // The next `times` unlinks fail with `err`.
  void FailUnlinks(int times, int err) {
    unlink_failures_ = times;
    unlink_err_ = err;
  }
  // Every unlink of an entry named `name` fails with `err`.
  void FailUnlinksOf(const std::string& name, int err) { unlink_name_faults_[name] = err; }
  // The next `times` renames fail with `err`.
  void FailRenames(int times, int err) {
    rename_failures_ = times;
    rename_err_ = err;
  }
  // Unnamed temporary files are refused, as on a file system without them.
  void RefuseUnnamedFiles() { refuse_tmpfile_ = true; }
  // Renames that must not replace (RENAME_NOREPLACE) fail with EINVAL, and
  // hard links with EPERM, as on an SMB share through FUSE.
  void RefuseNoReplaceRenames() { refuse_noreplace_ = true; }
  void RefuseLinks() { refuse_links_ = true; }
  // A name that a descriptor opened through this layer still holds open
  // cannot be removed (EBUSY), as on an SMB share: removing a file that is
  // still open fails there.
  void BusyWhileOpen() { busy_while_open_ = true; }
  // Every name gets an inode number of its own, given the first time the
  // name is looked up, as sshfs gives them: two names of one file show two
  // numbers, and a name looked up again after ForgetInodes() a new one.
  void InodesPerName() { inodes_per_name_ = true; }
  void ForgetInodes() {
    inode_numbers_.clear();
    next_inode_ += 1000000;
  }
  // Runs before every write.
  std::function<void()> before_write;
  // Runs after every hard link made through LinkAt, with the new name.
  std::function<void(const char* name)> after_link;

  // Every path passed to Open or OpenAt, and how many unlinks were attempted.
  const std::vector<std::string>& opened() const { return opened_; }
  int unlinks() const { return unlinks_; }
  // Bytes written through this layer.
  long written() const { return written_; }

  int Stat(const char* path, struct stat* st) override;
  int Lstat(const char* path, struct stat* st) override;
  int StatAt(int dir_fd, const char* name, struct stat* st, int flags) override;
  int Statx(const char* path, int flags, unsigned mask, struct statx* stx) override;
  int StatxAt(int dir_fd, const char* name, int flags, unsigned mask, struct statx* stx) override;
  int EntryStat(DIR* dir, const char* name, struct stat* st, int flags) override;
  int Fstat(int fd, struct stat* st) override;
  int Close(int fd) override;
  int LinkAt(int from_dir, const char* from, int to_dir, const char* to, int flags) override;
  int Statfs(const char* path, struct statfs* sfs) override;
  DIR* OpenDir(const char* path) override;
  struct dirent* ReadDir(DIR* dir) override;
  int CloseDir(DIR* dir) override;
  int Open(const char* path, int flags, mode_t mode) override;
  ssize_t Read(int fd, void* buffer, std::size_t size) override;
  ssize_t Write(int fd, const void* buffer, std::size_t size) override;
  int Unlink(const char* path) override;
  int OpenAt(int dir_fd, const char* name, int flags, mode_t mode) override;
  int RenameAt(int from_dir, const char* from, int to_dir, const char* to, unsigned flags) override;
  int UnlinkAt(int dir_fd, const char* name, int flags) override;

 private:
  struct Fault {
    int entries;
    int err;
  };
  std::map<std::string, Fault> listing_faults_;
  std::map<DIR*, Fault> open_listings_;
  std::map<std::string, int> statfs_faults_;
  long write_budget_ = -1;
  int write_err_ = 0;
  long read_budget_ = -1;
  int read_err_ = 0;
  int unlink_failures_ = 0;
  std::map<std::string, int> unlink_name_faults_;
  int unlink_err_ = 0;
  int unlinks_ = 0;
  int rename_failures_ = 0;
  int rename_err_ = 0;
  bool refuse_tmpfile_ = false;
  bool refuse_noreplace_ = false;
  bool refuse_links_ = false;
  bool busy_while_open_ = false;
  bool inodes_per_name_ = false;
  long written_ = 0;
  std::vector<std::string> opened_;
  // A name: the device and inode of its folder, and the name in it.
  using Name = std::tuple<dev_t, ino_t, std::string>;
  bool NameIn(int dir_fd, const char* name, Name* out) const;
  bool NameOf(const char* path, Name* out) const;
  bool HeldOpen(const Name& name) const;
  void Renamed(const Name& from, const Name& to);
  // The inode number a name shows (InodesPerName).
  ino_t InodeOf(const Name& name);
  std::map<int, Name> open_names_;  // descriptors opened through this layer
  std::map<Name, ino_t> inode_numbers_;
  ino_t next_inode_ = 1000000;
  mutable std::recursive_mutex mu_;
};

// Memory running out, on cue, while the stamp of a file of one name is read
// (std::bad_alloc): only a file system of the test's own can make that
// happen.
class OutOfMemoryFs : public FileSystem {
 public:
  explicit OutOfMemoryFs(std::string name) : name_(std::move(name)) {}
  int StatxAt(int dir_fd, const char* name, int flags, unsigned mask, struct statx* stx) override {
    if (name_ == name) throw std::bad_alloc();
    return FileSystem::StatxAt(dir_fd, name, flags, mask, stx);
  }

 private:
  std::string name_;
};

}  // namespace testing
}  // namespace qm

#endif  // QUENMOOR_TESTING_TEST_FAULTY_FS_H_
