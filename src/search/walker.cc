// SPDX-License-Identifier: GPL-3.0-or-later
#include "search/walker.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/statfs.h>

#include <cerrno>
#include <cstring>

#include "platform/codepage.h"
#include "platform/error_trap.h"
#include "platform/trash.h"
#include "search/folder_walk.h"

namespace qm {

const char kWalkerRoutineId[] = "in BrannocTitle2021/08/31.AddFolder.GetSubDirectories2016 ";

namespace {

constexpr std::uint32_t kRefusedPlain = 22;     // directory + system + hidden
constexpr std::uint32_t kRefusedLinked = 1046;  // the same, reached through a link

bool IsDotOrDotDot(const char* name) {
  return name[0] == '.' && (name[1] == '\0' || (name[1] == '.' && name[2] == '\0'));
}

}  // namespace

Failure ListingFailure(int err) {
  if (err == EACCES || err == EPERM) return Failure(kErrPermissionDenied);
  if (err == ENOENT || err == ENOTDIR) return Failure(kErrPathNotFound);
  return FailureFromErrno(err, true);
}

bool HasUnsafeNameChars(std::string_view name) {
  std::size_t pos = 0;
  while (pos < name.size()) {
    const unsigned char byte = static_cast<unsigned char>(name[pos]);
    long code;
    if (byte < 0x80) {
      code = byte;
      ++pos;
    } else {
      code = NextUtf8Char(name.data(), name.size(), &pos);  // -1: not UTF-8
    }
    if (code < 32 || code == '?' || (code >= 127 && code <= 159)) return true;
  }
  return false;
}

bool TrashFolders::Is(std::string_view name, const struct stat& st, bool at_top) {
  if (name == "Trash") {
    // The home trash is known by what it is, wherever the path to it goes.
    std::call_once(home_once_, [this] {
      struct stat home;
      if (Fs().Stat(HomeTrashDir().c_str(), &home) == 0 && S_ISDIR(home.st_mode)) {
        home_dev_ = home.st_dev;
        home_ino_ = home.st_ino;
        home_known_ = true;
      }
    });
    return home_known_ && st.st_dev == home_dev_ && st.st_ino == home_ino_;
  }
  if (!at_top || name.compare(0, 6, ".Trash") != 0) return false;
  if (name.size() == 6) return true;
  if (name.size() == 7 || name[6] != '-') return false;
  for (std::size_t i = 7; i < name.size(); ++i) {
    if (name[i] < '0' || name[i] > '9') return false;
  }
  return true;
}

bool SubfolderNameAccepted(std::string_view name) {
  if (name.empty() || name.size() > NAME_MAX) return false;
  if (HasUnsafeNameChars(name)) return false;
  if (name.find('?') != std::string_view::npos) return false;
  return name != "." && name != "..";
}

bool RefusalTest::IsRoot(const struct stat& st) {
  {
    std::lock_guard<std::mutex> lock(mu_);
    if (root_known_) return st.st_dev == root_dev_ && st.st_ino == root_ino_;
  }
  struct stat root;
  if (Fs().Stat("/", &root) != 0) return false;
  std::lock_guard<std::mutex> lock(mu_);
  root_dev_ = root.st_dev;
  root_ino_ = root.st_ino;
  root_known_ = true;
  return st.st_dev == root_dev_ && st.st_ino == root_ino_;
}

bool RefusalTest::Refused(const std::string& path, const struct stat& st) {
  if (IsRoot(st)) return false;
  // Only a pseudo-filesystem gives a folder the system attribute, and
  // without it the value can be neither 22 nor 1046: the folder's own entry
  // is read only there.  The file system's kind is asked once per device,
  // outside the lock, so a slow mount holds up no other worker.
  bool pseudo = false;
  bool known;
  {
    std::lock_guard<std::mutex> lock(mu_);
    known = mounts_.Known(st.st_dev, &pseudo);
  }
  if (!known) {
    MountKinds probe;
    pseudo = probe.IsPseudo(st.st_dev, path.c_str());
    std::lock_guard<std::mutex> lock(mu_);
    mounts_.Remember(st.st_dev, pseudo);
  }
  if (!pseudo) return false;
  MountKinds local;
  local.Remember(st.st_dev, pseudo);
  const std::uint32_t attributes = AttributesOf(path, st, &local);
  return attributes == kRefusedPlain || attributes == kRefusedLinked;
}

FolderListing::~FolderListing() {
  if (dir_) Fs().CloseDir(dir_);
}

int FolderListing::Open(const std::string& path) {
  Close();
  dir_ = Fs().OpenDir(path.c_str());
  return dir_ ? 0 : errno;
}

void FolderListing::Close() {
  if (dir_) Fs().CloseDir(dir_);
  dir_ = nullptr;
  subfolders.clear();
  unreadable_names = 0;
  status = {};
  file_names_.clear();
  file_ends_.clear();
}

int FolderListing::fd() const { return dir_ ? ::dirfd(dir_) : -1; }

int FolderListing::Read(bool want_subfolders, bool want_files) {
  for (;;) {
    errno = 0;
    struct dirent* ent = Fs().ReadDir(dir_);
    if (!ent) return errno;
    const char* name = ent->d_name;
    if (IsDotOrDotDot(name)) continue;
    const unsigned char type = ent->d_type;
    bool is_folder = type == DT_DIR;
    bool is_file = type == DT_REG;
    if (!is_folder && !is_file && type != DT_LNK && type != DT_UNKNOWN) continue;
    if (is_folder && !want_subfolders) continue;
    if (is_file && !want_files) continue;
    const std::size_t length = std::strlen(name);
    struct stat st;
    if (!is_file) {
      // Resolve links, and learn which folder the entry is, so the walk can
      // tell a link back to an ancestor.  Never opens the entry.
      if (Fs().EntryStat(dir_, name, &st, AT_NO_AUTOMOUNT) != 0) continue;
      is_folder = S_ISDIR(st.st_mode);
      is_file = S_ISREG(st.st_mode);
    }
    if ((is_folder && want_subfolders) || (is_file && want_files)) {
      // A name that is not valid UTF-8 has no text form to show.
      if (!IsValidUtf8(name, length)) {
        ++unreadable_names;
        continue;
      }
    }
    if (is_folder && want_subfolders) {
      if (!SubfolderNameAccepted(std::string_view(name, length))) continue;
      Subfolder sub;
      sub.name.assign(name, length);
      sub.status = st;
      subfolders.push_back(std::move(sub));
    } else if (is_file && want_files) {
      file_names_.append(name, length + 1);
      file_ends_.push_back(static_cast<std::uint32_t>(file_names_.size()));
    }
  }
}

void GetSubDirectories2016(std::vector<std::string>& folders, bool recursive) {
  FolderWalk::Options options;
  options.recursive = recursive;
  FolderWalk walk(options, nullptr, [](const char* routine, const Failure& failure, int line) {
    ReportFailure(routine, failure, line, std::string());
  });
  folders = walk.Run(folders);
}

}  // namespace qm
