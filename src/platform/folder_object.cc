#include "platform/folder_object.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <random>
#include <vector>

#include "platform/failure.h"

namespace qm {
namespace {

// Failure of a folder listing: refused or gone are the two that the walker
// acts on; anything else keeps its own number.
Failure ListingFailure(int err) {
  if (err == EACCES || err == EPERM) return Failure(kErrPermissionDenied);
  if (err == ENOENT || err == ENOTDIR) return Failure(kErrPathNotFound);
  return FailureFromErrno(err, true);
}

// Closes a descriptor when it goes out of scope.
class FdCloser {
 public:
  explicit FdCloser(int fd = -1) : fd_(fd) {}
  ~FdCloser() {
    if (fd_ >= 0) Fs().Close(fd_);
  }
  int get() const { return fd_; }
  void reset(int fd) { fd_ = fd; }
  // Closes now and reports the result (a delayed write error shows here).
  int CloseNow() {
    int fd = fd_;
    fd_ = -1;
    return Fs().Close(fd);
  }

 private:
  int fd_;
};

// Removes the temporary copy unless it was renamed into place.
class TempRemover {
 public:
  ~TempRemover() {
    if (!path_.empty()) Fs().Unlink(path_.c_str());
  }
  void Set(const std::string& path) { path_ = path; }
  void Release() { path_.clear(); }

 private:
  std::string path_;
};

void WriteAll(int fd, const char* data, std::size_t size) {
  while (size > 0) {
    ssize_t n = Fs().Write(fd, data, size);
    if (n < 0) {
      if (errno == EINTR) continue;
      throw FailureFromErrno(errno);
    }
    if (n == 0) throw Failure(kErrDiskFull);
    data += n;
    size -= static_cast<std::size_t>(n);
  }
}

std::string FolderOf(const std::string& path) {
  std::size_t slash = path.rfind('/');
  if (slash == std::string::npos) return std::string();
  return path.substr(0, slash + 1);
}

// Opens a new file with a name of its own in `folder` ("" is the current
// folder).  The name starts with "." so it stays out of sight meanwhile.
int CreateTemporary(const std::string& folder, std::string* temp_path) {
  static std::minstd_rand random(static_cast<unsigned>(::getpid()) ^
                                 static_cast<unsigned>(::time(nullptr)));
  for (int attempt = 0; attempt < 100; ++attempt) {
    char name[40];
    std::snprintf(name, sizeof name, ".qmcopy-%08x.tmp",
                  static_cast<unsigned>(random()));
    *temp_path = folder + name;
    int fd = Fs().Open(temp_path->c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (fd >= 0) return fd;
    if (errno != EEXIST) throw FailureFromErrno(errno, true);
  }
  throw Failure(kErrFileExists);
}

}  // namespace

SubFolderList::~SubFolderList() {
  if (dir_) Fs().CloseDir(dir_);
}

SubFolderList::SubFolderList(SubFolderList&& other) noexcept : dir_(other.dir_) {
  other.dir_ = nullptr;
}

bool SubFolderList::Next(SubFolderEntry* entry) {
  if (!dir_) return false;
  for (;;) {
    errno = 0;
    struct dirent* ent = Fs().ReadDir(dir_);
    if (!ent) {
      if (errno != 0) throw ListingFailure(errno);
      return false;
    }
    const char* name = ent->d_name;
    if (name[0] == '.' && (name[1] == '\0' || (name[1] == '.' && name[2] == '\0'))) {
      continue;
    }
    unsigned char type = ent->d_type;
    if (type != DT_DIR && type != DT_LNK && type != DT_UNKNOWN) continue;
    // Resolve links, and learn which folder the entry is, so the walker can
    // tell a link back to an ancestor.  Never opens the entry.
    struct stat st;
    if (Fs().EntryStat(dir_, name, &st, AT_NO_AUTOMOUNT) != 0) continue;
    if (!S_ISDIR(st.st_mode)) continue;
    entry->name = name;
    entry->name_length = std::strlen(name);
    entry->dev = st.st_dev;
    entry->ino = st.st_ino;
    return true;
  }
}

std::uint32_t Folder::Attributes() const {
  return AttributesOf(path_, st_, &owner_->mounts_);
}

bool Folder::OnPseudoFilesystem() const {
  return owner_->mounts_.IsPseudo(st_.st_dev, path_.c_str());
}

bool Folder::IsRootFolder() const { return owner_->IsRoot(st_); }

SubFolderList Folder::SubFolders() const {
  DIR* dir = Fs().OpenDir(path_.c_str());
  if (!dir) throw ListingFailure(errno);
  return SubFolderList(dir);
}

bool FileSystemObject::IsRoot(const struct stat& st) const {
  if (!root_known_) {
    struct stat root;
    if (Fs().Stat("/", &root) != 0) return false;
    root_dev_ = root.st_dev;
    root_ino_ = root.st_ino;
    root_known_ = true;
  }
  return st.st_dev == root_dev_ && st.st_ino == root_ino_;
}

Folder FileSystemObject::GetFolder(const std::string& path) const {
  struct stat st;
  if (path.empty()) throw Failure(kErrPathNotFound);
  if (Fs().Stat(path.c_str(), &st) != 0) throw ListingFailure(errno);
  if (!S_ISDIR(st.st_mode)) throw Failure(kErrPathNotFound);
  return Folder(this, path, st);
}

Folder FileSystemObject::GetFolder(const std::string& path, const struct stat& st) const {
  if (!S_ISDIR(st.st_mode)) throw Failure(kErrPathNotFound);
  return Folder(this, path, st);
}

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

void FileSystemObject::CopyFile(const std::string& source,
                                const std::string& destination) const {
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
  FdCloser in(in_fd);
  struct stat opened;
  if (Fs().Fstat(in.get(), &opened) != 0) throw FailureFromErrno(errno);
  if (!S_ISREG(opened.st_mode) || opened.st_dev != src.st_dev ||
      opened.st_ino != src.st_ino) {
    throw Failure(kErrFileNotFound);
  }

  const std::string folder = FolderOf(destination);
  std::string temp_path;
  TempRemover remover;
  FdCloser out(CreateTemporary(folder, &temp_path));
  remover.Set(temp_path);

  std::vector<char> buffer(256 * 1024);
  for (;;) {
    ssize_t n = Fs().Read(in.get(), buffer.data(), buffer.size());
    if (n < 0) {
      if (errno == EINTR) continue;
      throw FailureFromErrno(errno);
    }
    if (n == 0) break;
    WriteAll(out.get(), buffer.data(), static_cast<std::size_t>(n));
  }

  if (Fs().Fchmod(out.get(), opened.st_mode & 0777) != 0) throw FailureFromErrno(errno);
  struct timespec times[2] = {opened.st_atim, opened.st_mtim};
  if (Fs().Futimens(out.get(), times) != 0) throw FailureFromErrno(errno);
  if (Fs().Fsync(out.get()) != 0) throw FailureFromErrno(errno);
  if (out.CloseNow() != 0) throw FailureFromErrno(errno);
  if (Fs().Rename(temp_path.c_str(), destination.c_str()) != 0) {
    throw FailureFromErrno(errno, true);
  }
  remover.Release();

  // Make the new name itself durable; the copy is complete either way.
  int dir_fd = Fs().Open(folder.empty() ? "." : folder.c_str(),
                         O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (dir_fd >= 0) {
    Fs().Fsync(dir_fd);
    Fs().Close(dir_fd);
  }
}

}  // namespace qm
