// The operating-system calls the file-system layer makes, in one place.
//
// Everything that touches the file system (the walker, the stamp readers,
// the file helpers, the folder object) goes through the current FileSystem
// instance, Fs().  The default instance makes the plain POSIX calls, or
// answers from what a search's worker threads read ahead (read_ahead.h); tests
// install a subclass that fails chosen calls, to produce what a test running
// as root cannot provoke for real (a refused listing, a folder that vanishes
// mid-listing, a full disk, a refused delete).
//
// The calls follow the POSIX convention: -1 (or nullptr) with errno set.
// The calls that change the file system count a turn (yield.h), so nothing
// read ahead before the change is used after it; code of this process that
// changes files another way must count one too.
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

namespace qm {

class FileSystem {
 public:
  virtual ~FileSystem() = default;

  virtual int Stat(const char* path, struct stat* st);
  virtual int Lstat(const char* path, struct stat* st);
  virtual int StatAt(int dir_fd, const char* name, struct stat* st, int flags);
  virtual int Statx(const char* path, int flags, unsigned mask, struct statx* stx);
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

// Attribute bits in the Windows layout.
enum FileAttribute : std::uint32_t {
  kAttrReadOnly = 1,
  kAttrHidden = 2,
  kAttrSystem = 4,
  kAttrDirectory = 16,
  kAttrArchive = 32,
  kAttrReparsePoint = 1024,
};

// What the move command and the helpers need to know of one path.
struct PathInfo {
  bool exists = false;
  bool is_regular = false;
  bool is_dir = false;
  std::uint64_t size = 0;
  dev_t dev = 0;
  ino_t ino = 0;
  mode_t mode = 0;
};

// Reads `path`, following a final symbolic link when `follow` is true.  A
// path that cannot be read gives exists == false.
PathInfo StatPath(const std::string& path, bool follow = true);

// True when both paths exist and name the same file (device and inode,
// following links), however they are spelled.
bool SameFile(const std::string& a, const std::string& b);

// Remembers, per device, whether a file system is a kernel pseudo-filesystem
// (proc, sysfs, cgroup and their like).  One statfs per device seen.
class MountKinds {
 public:
  // `path` is any path on device `dev`.  Throws Failure when the file system
  // cannot be asked.
  bool IsPseudo(dev_t dev, const char* path);

 private:
  std::vector<std::pair<dev_t, bool>> known_;
};

// The attribute value of `path` (see the top of this file); `followed` is the
// path's status with links followed.  Throws Failure when the path's own
// entry cannot be read.  `mounts` may be nullptr.
std::uint32_t AttributesOf(const std::string& path, const struct stat& followed,
                           MountKinds* mounts);

// The attribute value of `path`; false when the path cannot be read.
bool ReadAttributes(const std::string& path, std::uint32_t* attributes);

}  // namespace qm

#endif  // QUENMOOR_PLATFORM_FILE_SYSTEM_H_
