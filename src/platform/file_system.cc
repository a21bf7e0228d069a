// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/file_system.h"

#include <linux/magic.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <QCoreApplication>
#include <cerrno>
#include <cstring>

#include "platform/failure.h"

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

int FileSystem::Stat(const char* path, struct stat* st) { return ::stat(path, st); }
int FileSystem::Lstat(const char* path, struct stat* st) { return ::lstat(path, st); }
int FileSystem::StatAt(int dir_fd, const char* name, struct stat* st, int flags) {
  return ::fstatat(dir_fd, name, st, flags);
}
int FileSystem::Statx(const char* path, int flags, unsigned mask, struct statx* stx) {
  return ::statx(AT_FDCWD, path, flags, mask, stx);
}
int FileSystem::StatxAt(int dir_fd, const char* name, int flags, unsigned mask, struct statx* stx) {
  return ::statx(dir_fd, name, flags, mask, stx);
}
int FileSystem::Statfs(const char* path, struct statfs* sfs) { return ::statfs(path, sfs); }
DIR* FileSystem::OpenDir(const char* path) { return ::opendir(path); }
struct dirent* FileSystem::ReadDir(DIR* dir) {
  return ::readdir(dir);
}
int FileSystem::CloseDir(DIR* dir) { return ::closedir(dir); }
int FileSystem::EntryStat(DIR* dir, const char* name, struct stat* st, int flags) {
  return ::fstatat(::dirfd(dir), name, st, flags);
}
int FileSystem::Open(const char* path, int flags, mode_t mode) { return ::open(path, flags, mode); }
ssize_t FileSystem::Read(int fd, void* buffer, std::size_t size) {
  return ::read(fd, buffer, size);
}
ssize_t FileSystem::Write(int fd, const void* buffer, std::size_t size) {
  return ::write(fd, buffer, size);
}
int FileSystem::Fstat(int fd, struct stat* st) { return ::fstat(fd, st); }
int FileSystem::Fchmod(int fd, mode_t mode) { return ::fchmod(fd, mode); }
int FileSystem::Futimens(int fd, const struct timespec times[2]) { return ::futimens(fd, times); }
int FileSystem::Fsync(int fd) { return ::fsync(fd); }
int FileSystem::Close(int fd) { return ::close(fd); }
int FileSystem::Rename(const char* from, const char* to) { return ::rename(from, to); }
int FileSystem::Unlink(const char* path) { return ::unlink(path); }
int FileSystem::OpenAt(int dir_fd, const char* name, int flags, mode_t mode) {
  return ::openat(dir_fd, name, flags, mode);
}
int FileSystem::RenameAt(int from_dir, const char* from, int to_dir, const char* to,
                         unsigned flags) {
  return ::renameat2(from_dir, from, to_dir, to, flags);
}
int FileSystem::LinkAt(int from_dir, const char* from, int to_dir, const char* to, int flags) {
  return ::linkat(from_dir, from, to_dir, to, flags);
}
int FileSystem::UnlinkAt(int dir_fd, const char* name, int flags) {
  return ::unlinkat(dir_fd, name, flags);
}
int FileSystem::SymlinkAt(const char* text, int dir_fd, const char* name) {
  return ::symlinkat(text, dir_fd, name);
}
int FileSystem::ReadMountInfo(std::string* text) {
  text->clear();
  const int fd = ::open("/proc/self/mountinfo", O_RDONLY | O_CLOEXEC);
  if (fd < 0) return -1;
  char buffer[16384];
  for (;;) {
    const ssize_t n = ::read(fd, buffer, sizeof buffer);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      const int err = errno;
      ::close(fd);
      if (n == 0) return 0;
      errno = err;
      return -1;
    }
    text->append(buffer, static_cast<std::size_t>(n));
  }
}

FileSystem& Fs() { return g_current ? *g_current : DefaultFs(); }

FileSystem* SetFs(FileSystem* fs) {
  FileSystem* previous = g_current;
  g_current = fs;
  return previous;
}

namespace {
// The reason's wording, in English; nullptr for the system's own.
const char* ReasonWording(int code) {
  switch (code) {
    case kChangedSinceSearch:
      return QT_TRANSLATE_NOOP("qm::FileSystem", "it changed since the search");
    case kChangedWhileMoving:
      return QT_TRANSLATE_NOOP("qm::FileSystem", "it changed while it was being moved");
    case kNotCopyable:
      return QT_TRANSLATE_NOOP("qm::FileSystem", "it is not a regular file or a link");
    case kFolderGone:
      return QT_TRANSLATE_NOOP("qm::FileSystem", "the folder it was to go to is gone");
    case kNoSafeRename:
      return QT_TRANSLATE_NOOP("qm::FileSystem",
                               "that file system cannot add it without risk to another file");
    case ENOENT:
    case ENOTDIR:
      return QT_TRANSLATE_NOOP("qm::FileSystem", "file not found");
    case ENOSPC:
    case EDQUOT:
      return QT_TRANSLATE_NOOP("qm::FileSystem", "no space left");
    case EACCES:
    case EPERM:
      return QT_TRANSLATE_NOOP("qm::FileSystem", "permission denied");
    case EROFS:
      return QT_TRANSLATE_NOOP("qm::FileSystem", "read-only file system");
    case EBUSY:
    case ETXTBSY:
      return QT_TRANSLATE_NOOP("qm::FileSystem", "the file is in use");
    case EIO:
      return QT_TRANSLATE_NOOP("qm::FileSystem", "the disk could not be read or written");
    case ENAMETOOLONG:
      return QT_TRANSLATE_NOOP("qm::FileSystem", "the name is too long there");
    case EMLINK:
      return QT_TRANSLATE_NOOP("qm::FileSystem", "that folder cannot take more entries");
  }
  return nullptr;
}
}  // namespace

std::string ReasonText(int code) {
  if (const char* wording = ReasonWording(code)) return Translated("qm::FileSystem", wording);
  std::string text = std::strerror(code);
  // In English the reason reads in lower case after a name; a system
  // speaking another language keeps its capitals (German nouns have them).
  const bool english = std::strcmp(std::strerror(ENOENT), "No such file or directory") == 0;
  if (english && !text.empty() && text[0] >= 'A' && text[0] <= 'Z') {
    text[0] = static_cast<char>(text[0] + 32);
  }
  return text;
}

std::string ParentOf(const std::string& path) {
  const std::size_t slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  return slash == 0 ? "/" : path.substr(0, slash);
}

std::string BaseName(const std::string& path) {
  const std::size_t slash = path.rfind('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

ListedFolders::~ListedFolders() {
  if (fd_ >= 0) Fs().Close(fd_);
}

int ListedFolders::Open(const std::string& path, std::string* name) {
  std::string folder = ParentOf(path);
  *name = BaseName(path);
  if (fd_ >= 0 && folder == folder_) return fd_;
  if (fd_ >= 0) Fs().Close(fd_);
  folder_.clear();
  fd_ = Fs().Open(folder.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC);
  if (fd_ < 0) return -1;
  if (Fs().Fstat(fd_, &status_) != 0) {
    const int err = errno;
    Fs().Close(fd_);
    fd_ = -1;
    errno = err;
    return -1;
  }
  folder_ = std::move(folder);
  return fd_;
}

int CheckListed(int dir_fd, const char* name, const FileId& id, struct stat* st) {
  struct statx stx;
  if (Fs().StatxAt(dir_fd, name, AT_SYMLINK_NOFOLLOW | AT_NO_AUTOMOUNT,
                   STATX_BASIC_STATS | FileId::kMask, &stx) != 0) {
    return errno;
  }
  if (!id.Known() || FileId::Of(stx) != id) return kChangedSinceSearch;
  *st = {};
  st->st_dev = makedev(stx.stx_dev_major, stx.stx_dev_minor);
  st->st_ino = stx.stx_ino;
  st->st_mode = stx.stx_mode;
  st->st_nlink = stx.stx_nlink;
  st->st_uid = stx.stx_uid;
  st->st_gid = stx.stx_gid;
  st->st_size = static_cast<off_t>(stx.stx_size);
  st->st_atim = {stx.stx_atime.tv_sec, stx.stx_atime.tv_nsec};
  st->st_mtim = {stx.stx_mtime.tv_sec, stx.stx_mtime.tv_nsec};
  st->st_ctim = {stx.stx_ctime.tv_sec, stx.stx_ctime.tv_nsec};
  return 0;
}

FileId IdOfPath(const std::string& path) {
  struct statx stx;
  if (path.empty() ||
      Fs().Statx(path.c_str(), AT_SYMLINK_NOFOLLOW | AT_NO_AUTOMOUNT, FileId::kMask, &stx) != 0) {
    return FileId();
  }
  return FileId::Of(stx);
}

int RenameNoReplace(int from_dir, const char* from, int to_dir, const char* to) {
  if (Fs().RenameAt(from_dir, from, to_dir, to, RENAME_NOREPLACE) == 0) return 0;
  const int err = errno;
  if (err != EINVAL && err != ENOSYS && err != ENOTSUP) return err;
  // No RENAME_NOREPLACE here: a hard link cannot replace an entry either.
  // Between the two calls the file has both names; it is never without one.
  if (Fs().LinkAt(from_dir, from, to_dir, to, 0) != 0) {
    return errno == EPERM || errno == EOPNOTSUPP || errno == ENOSYS ? kNoSafeRename : errno;
  }
  if (Fs().UnlinkAt(from_dir, from, 0) != 0) {
    const int unlink_err = errno;
    Fs().UnlinkAt(to_dir, to, 0);
    return unlink_err;
  }
  return 0;
}

bool MountKinds::Known(dev_t dev, bool* pseudo) const {
  for (const auto& known : known_) {
    if (known.first == dev) {
      *pseudo = known.second;
      return true;
    }
  }
  return false;
}

void MountKinds::Remember(dev_t dev, bool pseudo) {
  bool known;
  if (!Known(dev, &known)) known_.emplace_back(dev, pseudo);
}

bool MountKinds::IsPseudo(dev_t dev, const char* path) {
  bool pseudo;
  if (Known(dev, &pseudo)) return pseudo;
  struct statfs sfs;
  if (Fs().Statfs(path, &sfs) != 0) throw FailureFromErrno(errno, true);
  pseudo = IsPseudoMagic(static_cast<unsigned long>(sfs.f_type));
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

}  // namespace qm
