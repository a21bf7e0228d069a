#include "platform/file_system.h"

#include <linux/magic.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "platform/failure.h"
#include "platform/read_ahead.h"
#include "platform/yield.h"

namespace qm {
namespace {

FileSystem& DefaultFs() {
  static FileSystem fs;
  return fs;
}

FileSystem* g_current = nullptr;

// Kernel file systems that hold no user files.  Their folders read as
// hidden + system, so a search of "/" stays out of /proc, /sys and the like.
bool IsPseudoMagic(unsigned long magic) {
  switch (magic) {
    case PROC_SUPER_MAGIC:
    case SYSFS_MAGIC:
    case DEVPTS_SUPER_MAGIC:
    case DEBUGFS_MAGIC:
    case TRACEFS_MAGIC:
    case SECURITYFS_MAGIC:
    case CGROUP_SUPER_MAGIC:
    case CGROUP2_SUPER_MAGIC:
    case PSTOREFS_MAGIC:
    case BPF_FS_MAGIC:
    case 0x62656570:  // configfs
    case 0x19800202:  // mqueue
    case BINFMTFS_MAGIC:
    case 0x65735543:  // fusectl
    case EFIVARFS_MAGIC:
    case SELINUX_MAGIC:
    case SMACK_MAGIC:
    case NSFS_MAGIC:
    case 0x67596969:  // rpc_pipefs
      return true;
  }
  return false;
}

}  // namespace

int FileSystem::Stat(const char* path, struct stat* st) {
  int rc;
  if (ahead::Stat(path, st, &rc)) return rc;
  return ::stat(path, st);
}
int FileSystem::Lstat(const char* path, struct stat* st) { return ::lstat(path, st); }
int FileSystem::StatAt(int dir_fd, const char* name, struct stat* st, int flags) {
  return ::fstatat(dir_fd, name, st, flags);
}
int FileSystem::Statx(const char* path, int flags, unsigned mask, struct statx* stx) {
  int rc;
  if (ahead::Statx(path, flags, mask, stx, &rc)) return rc;
  return ::statx(AT_FDCWD, path, flags, mask, stx);
}
int FileSystem::Statfs(const char* path, struct statfs* sfs) { return ::statfs(path, sfs); }
DIR* FileSystem::OpenDir(const char* path) {
  DIR* dir;
  if (ahead::OpenDir(path, &dir)) return dir;
  return ::opendir(path);
}
struct dirent* FileSystem::ReadDir(DIR* dir) {
  struct dirent* entry;
  if (ahead::ReadDir(dir, &entry)) return entry;
  return ::readdir(dir);
}
int FileSystem::CloseDir(DIR* dir) {
  int rc;
  if (ahead::CloseDir(dir, &rc)) return rc;
  return ::closedir(dir);
}
int FileSystem::EntryStat(DIR* dir, const char* name, struct stat* st, int flags) {
  int rc;
  if (ahead::EntryStat(dir, name, st, flags, &rc)) return rc;
  return ::fstatat(::dirfd(dir), name, st, flags);
}
int FileSystem::Open(const char* path, int flags, mode_t mode) {
  const int fd = ::open(path, flags, mode);
  if ((flags & (O_WRONLY | O_RDWR | O_CREAT | O_TRUNC)) != 0) CountChangeTurn();
  return fd;
}
ssize_t FileSystem::Read(int fd, void* buffer, std::size_t size) {
  return ::read(fd, buffer, size);
}
ssize_t FileSystem::Write(int fd, const void* buffer, std::size_t size) {
  const ssize_t n = ::write(fd, buffer, size);
  CountChangeTurn();
  return n;
}
int FileSystem::Fstat(int fd, struct stat* st) { return ::fstat(fd, st); }
int FileSystem::Fchmod(int fd, mode_t mode) {
  const int rc = ::fchmod(fd, mode);
  CountChangeTurn();
  return rc;
}
int FileSystem::Futimens(int fd, const struct timespec times[2]) {
  const int rc = ::futimens(fd, times);
  CountChangeTurn();
  return rc;
}
int FileSystem::Fsync(int fd) { return ::fsync(fd); }
int FileSystem::Close(int fd) { return ::close(fd); }
int FileSystem::Rename(const char* from, const char* to) {
  const int rc = ::rename(from, to);
  CountChangeTurn();
  return rc;
}
int FileSystem::Unlink(const char* path) {
  const int rc = ::unlink(path);
  CountChangeTurn();
  return rc;
}

FileSystem& Fs() { return g_current ? *g_current : DefaultFs(); }

FileSystem* SetFs(FileSystem* fs) {
  FileSystem* previous = g_current;
  g_current = fs;
  return previous;
}

PathInfo StatPath(const std::string& path, bool follow) {
  PathInfo info;
  struct stat st;
  if (path.empty()) return info;
  int rc = follow ? Fs().Stat(path.c_str(), &st) : Fs().Lstat(path.c_str(), &st);
  if (rc != 0) return info;
  info.exists = true;
  info.is_regular = S_ISREG(st.st_mode);
  info.is_dir = S_ISDIR(st.st_mode);
  info.size = static_cast<std::uint64_t>(st.st_size);
  info.dev = st.st_dev;
  info.ino = st.st_ino;
  info.mode = st.st_mode;
  return info;
}

bool SameFile(const std::string& a, const std::string& b) {
  PathInfo ia = StatPath(a);
  if (!ia.exists) return false;
  PathInfo ib = StatPath(b);
  return ib.exists && ia.dev == ib.dev && ia.ino == ib.ino;
}

bool MountKinds::IsPseudo(dev_t dev, const char* path) {
  for (const auto& known : known_) {
    if (known.first == dev) return known.second;
  }
  struct statfs sfs;
  if (Fs().Statfs(path, &sfs) != 0) throw FailureFromErrno(errno, true);
  bool pseudo = IsPseudoMagic(static_cast<unsigned long>(sfs.f_type));
  known_.emplace_back(dev, pseudo);
  return pseudo;
}

std::uint32_t AttributesOf(const std::string& path, const struct stat& followed,
                           MountKinds* mounts) {
  // The path's own entry: without its final separators, or lstat would
  // follow a link named by "link/".
  std::size_t end = path.size();
  while (end > 1 && path[end - 1] == '/') --end;
  std::string own(path, 0, end);
  struct stat st;
  if (Fs().Lstat(own.c_str(), &st) != 0) throw FailureFromErrno(errno, true);

  std::uint32_t attributes = 0;
  if (S_ISLNK(st.st_mode)) attributes |= kAttrReparsePoint;
  std::size_t slash = own.rfind('/');
  std::size_t name_start = slash == std::string::npos ? 0 : slash + 1;
  if (name_start < own.size() && own[name_start] == '.') attributes |= kAttrHidden;
  if (S_ISDIR(followed.st_mode)) {
    attributes |= kAttrDirectory;
    MountKinds local;
    if ((mounts ? mounts : &local)->IsPseudo(followed.st_dev, path.c_str())) {
      attributes |= kAttrHidden | kAttrSystem;
    }
  } else if ((followed.st_mode & S_IWUSR) == 0) {
    attributes |= kAttrReadOnly;
  }
  return attributes;
}

bool ReadAttributes(const std::string& path, std::uint32_t* attributes) {
  struct stat st;
  if (path.empty() || Fs().Stat(path.c_str(), &st) != 0) return false;
  try {
    *attributes = AttributesOf(path, st, nullptr);
  } catch (const Failure&) {
    return false;
  }
  return true;
}

}  // namespace qm
