// SPDX-License-Identifier: GPL-3.0-or-later
// The operating-system calls the file-system layer makes, in one place.
//
// Everything that touches the file system (the walker, the stamp readers,
// the file helpers, the folder object) goes through the current FileSystem
// instance, Fs().  The default instance makes the plain POSIX calls; tests
// install a subclass that fails chosen calls, to produce what a test running
// as root cannot provoke for real (a refused listing, a folder that vanishes
// mid-listing, a full disk, a refused delete).
//
// The calls follow the POSIX convention: -1 (or nullptr) with errno set.
// The search calls them from several threads at once: an instance must
// allow that.
//
// Attributes are given in the classic Windows layout the walker tests:
// read-only 1, hidden 2, system 4, directory 16, reparse point 1024.
#ifndef QUENMOOR_PLATFORM_FILE_SYSTEM_H_
#define QUENMOOR_PLATFORM_FILE_SYSTEM_H_

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/statfs.h>
#include <sys/types.h>

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "platform/file_id.h"

namespace qm {

class FileSystem {
 public:
  virtual ~FileSystem() = default;

  virtual int Stat(const char* path, struct stat* st);
  virtual int Lstat(const char* path, struct stat* st);
  virtual int StatAt(int dir_fd, const char* name, struct stat* st, int flags);
  virtual int Statx(const char* path, int flags, unsigned mask, struct statx* stx);
  virtual int StatxAt(int dir_fd, const char* name, int flags, unsigned mask, struct statx* stx);
  virtual int Statfs(const char* path, struct statfs* sfs);

  virtual DIR* OpenDir(const char* path);
  // nullptr at the end of the listing (errno unchanged) or on a failure
  // (errno set); callers clear errno before each call.
  virtual struct dirent* ReadDir(DIR* dir);
  virtual int CloseDir(DIR* dir);
  // The status of entry `name` of the listing `dir` (fstatat relative to
  // the listed folder).
  virtual int EntryStat(DIR* dir, const char* name, struct stat* st, int flags);

  virtual int Open(const char* path, int flags, mode_t mode = 0);
  virtual ssize_t Read(int fd, void* buffer, std::size_t size);
  virtual ssize_t Write(int fd, const void* buffer, std::size_t size);
  virtual int Fstat(int fd, struct stat* st);
  virtual int Fchmod(int fd, mode_t mode);
  virtual int Futimens(int fd, const struct timespec times[2]);
  virtual int Fsync(int fd);
  virtual int Close(int fd);
  virtual int Rename(const char* from, const char* to);
  virtual int Unlink(const char* path);

  // The calls relative to an open folder that move and trash make.
  // RenameAt takes renameat2's flags.
  virtual int OpenAt(int dir_fd, const char* name, int flags, mode_t mode = 0);
  virtual int RenameAt(int from_dir, const char* from, int to_dir, const char* to, unsigned flags);
  virtual int LinkAt(int from_dir, const char* from, int to_dir, const char* to, int flags);
  virtual int UnlinkAt(int dir_fd, const char* name, int flags);
  virtual int SymlinkAt(const char* text, int dir_fd, const char* name);

  // The text of /proc/self/mountinfo into *text; 0 or -1 with errno.
  virtual int ReadMountInfo(std::string* text);
};

// The current instance.
FileSystem& Fs();

// Installs `fs` (nullptr restores the default) and returns the previous
// instance.  The caller keeps ownership.
FileSystem* SetFs(FileSystem* fs);

// Installs a file system for the lifetime of the object.
class ScopedFs {
 public:
  explicit ScopedFs(FileSystem* fs) : previous_(SetFs(fs)) {}
  ~ScopedFs() { SetFs(previous_); }
  ScopedFs(const ScopedFs&) = delete;
  ScopedFs& operator=(const ScopedFs&) = delete;

 private:
  FileSystem* previous_;
};

// Closes a descriptor when it goes out of scope.
class ScopedFd {
 public:
  explicit ScopedFd(int fd = -1) : fd_(fd) {}
  ~ScopedFd() {
    if (fd_ >= 0) Fs().Close(fd_);
  }
  ScopedFd(const ScopedFd&) = delete;
  ScopedFd& operator=(const ScopedFd&) = delete;
  int get() const { return fd_; }
  void reset(int fd = -1) {
    if (fd_ >= 0) Fs().Close(fd_);
    fd_ = fd;
  }

 private:
  int fd_;
};

// Attribute bits in the Windows layout.
enum FileAttribute : std::uint32_t {
  kAttrReadOnly = 1,
  kAttrHidden = 2,
  kAttrSystem = 4,
  kAttrDirectory = 16,
  kAttrArchive = 32,
  kAttrReparsePoint = 1024,
};

// Reasons a file was left alone, beside errno values (see ReasonText).
constexpr int kChangedSinceSearch = -1001;  // the path names another file now
constexpr int kChangedWhileMoving = -1002;  // rewritten or replaced mid-way
constexpr int kNotCopyable = -1003;         // neither a regular file nor a link
constexpr int kFolderGone = -1004;          // the folder moved into went away
constexpr int kNoSafeRename = -1005;        // neither no-replace renames nor links

// A reason worded for the user, to stand in brackets after a path: "no
// space left", "permission denied", "read-only file system", "file not
// found", "it changed since the search", ...
std::string ReasonText(int code);

// The folder part of `path`: the text before its last "/" ("/" for a
// path directly below the root, "." for a bare name).
std::string ParentOf(const std::string& path);
// The part of `path` after its last "/" (the whole path without one).
std::string BaseName(const std::string& path);

// The folders of listed files, opened one after another (O_PATH, so no
// right to read them is needed) and kept open while consecutive files share
// one.  Acting relative to the folder's descriptor means the checks and the
// act concern the same folder even if a parent is renamed in between.
class ListedFolders {
 public:
  ListedFolders() = default;
  ~ListedFolders();
  ListedFolders(const ListedFolders&) = delete;
  ListedFolders& operator=(const ListedFolders&) = delete;

  // The descriptor of the folder holding `path` (the text before its last
  // "/"), with `*name` the text after it; -1 with errno set on failure.
  int Open(const std::string& path, std::string* name);
  // The status of the folder Open() returned last.
  const struct stat& Status() const { return status_; }

 private:
  std::string folder_;
  int fd_ = -1;
  struct stat status_ = {};
};

// Whether `name` in `dir_fd` is still the file listed as `id`: 0 when it
// is (its status in *st), ENOENT when nothing is there, kChangedSinceSearch
// when something else is (another file, a folder, a FIFO, or the row has no
// identity), another errno when it cannot be read.  Links are not followed.
// One status read, as the search's.
int CheckListed(int dir_fd, const char* name, const FileId& id, struct stat* st);

// The identity of what `path` names now (a link itself); unknown when it
// cannot be read.
FileId IdOfPath(const std::string& path);

// Renames without ever replacing an entry: renameat2 with RENAME_NOREPLACE,
// or, where the file system lacks it, a hard link under the new name and
// the removal of the old one.  0, EEXIST when the name is taken,
// kNoSafeRename when the file system offers neither, or another errno.
int RenameNoReplace(int from_dir, const char* from, int to_dir, const char* to);

// Remembers, per device, whether a file system is a kernel pseudo-filesystem
// (proc, sysfs, cgroup and their like).  One statfs per device seen.
class MountKinds {
 public:
  // `path` is any path on device `dev`.  Throws Failure when the file system
  // cannot be asked.
  bool IsPseudo(dev_t dev, const char* path);
  // What is known of device `dev` without asking: false when nothing is.
  bool Known(dev_t dev, bool* pseudo) const;
  void Remember(dev_t dev, bool pseudo);

 private:
  std::vector<std::pair<dev_t, bool>> known_;
};

// The attribute value of `path` (see the top of this file); `followed` is the
// path's status with links followed.  Throws Failure when the path's own
// entry cannot be read.  `mounts` may be nullptr.
std::uint32_t AttributesOf(const std::string& path, const struct stat& followed,
                           MountKinds* mounts);

}  // namespace qm

#endif  // QUENMOOR_PLATFORM_FILE_SYSTEM_H_
