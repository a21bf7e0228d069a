// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/trash.h"

#include <fcntl.h>
#include <limits.h>
#include <pwd.h>
#include <stdio.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QtGlobal>
#include <cerrno>
#include <cstring>
#include <ctime>
#include <map>
#include <utility>

#include "platform/failure.h"
#include "platform/file_system.h"
#include "platform/new_file.h"
#include "platform/same_file.h"
#include "platform/yield.h"

namespace qm {
namespace {

std::function<int(const std::string&)> g_fault_hook;

// The longest name we give an entry in files/: leaves room for a collision
// number and for ".trashinfo" within the usual 255-byte name limit.
constexpr size_t kMaxTrashName = 255 - 10 - 8;

// Words shown to the user, in their language (see Translated).
std::string Said(const char* text, std::initializer_list<std::string> args = {}) {
  return Translated("qm::Trash", text, args);
}

// A refusal: the error number and the words shown to the user.
struct Refusal {
  int number = 0;
  std::string reason;
};

// A refusal for an errno value or a code of ReasonText().
Refusal Refuse(int code) {
  return {code < 0 ? kErrPathFileAccess : FailureFromErrno(code).number(), ReasonText(code)};
}

std::string JoinPath(const std::string& dir, const std::string& name) {
  return dir == "/" ? "/" + name : dir + "/" + name;
}

// An absolute spelling of `path` without final slashes.  Only the current
// folder is prepended; links and ".." are left alone so that the very entry
// named (a link, not its target) goes to the trash.
std::string AbsoluteSpelling(const std::string& path) {
  std::string abs = path;
  if (abs.empty() || abs[0] != '/') {
    char cwd[PATH_MAX];
    if (!::getcwd(cwd, sizeof cwd)) return std::string();
    abs = JoinPath(cwd, abs);
  }
  while (abs.size() > 1 && abs.back() == '/') abs.pop_back();
  return abs;
}

bool IsRealDir(const std::string& path) {
  struct stat st;
  return ::lstat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

// Creates `dir` if missing (mode 0700); succeeds when a folder (not a link)
// is there afterwards.
bool EnsureDir(const std::string& dir, std::string* why) {
  if (::mkdir(dir.c_str(), 0700) != 0 && errno != EEXIST) {
    *why = Said(QT_TRANSLATE_NOOP("qm::Trash", "Cannot create the trash folder %1: %2"),
                {dir, std::strerror(errno)});
    return false;
  }
  if (!IsRealDir(dir)) {
    *why = Said(QT_TRANSLATE_NOOP("qm::Trash", "The trash folder %1 is not a folder"), {dir});
    return false;
  }
  return true;
}

// Creates every missing folder of an absolute path, each with mode 0700.
bool EnsureDirs(const std::string& path, std::string* why) {
  size_t pos = 1;
  while (pos <= path.size()) {
    size_t slash = path.find('/', pos);
    if (slash == std::string::npos) slash = path.size();
    std::string partial = path.substr(0, slash);
    struct stat st;
    if (::stat(partial.c_str(), &st) != 0) {
      if (::mkdir(partial.c_str(), 0700) != 0 && errno != EEXIST) {
        *why = Said(QT_TRANSLATE_NOOP("qm::Trash", "Cannot create the folder %1: %2"),
                    {partial, std::strerror(errno)});
        return false;
      }
    } else if (!S_ISDIR(st.st_mode)) {
      *why = Said(QT_TRANSLATE_NOOP("qm::Trash", "%1 is not a folder"), {partial});
      return false;
    }
    pos = slash + 1;
  }
  return true;
}

bool EnsureTrashLayout(const std::string& dir, std::string* why) {
  return EnsureDir(dir, why) && EnsureDir(dir + "/files", why) && EnsureDir(dir + "/info", why);
}

std::string DeletionDateNow() {
  std::time_t now = std::time(nullptr);
  struct tm local;
  ::localtime_r(&now, &local);
  char text[32];
  std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%S", &local);
  return text;
}

// Cuts a name that would not fit beside its info file, at a character
// boundary when the name is UTF-8.
std::string FittingName(const std::string& name) {
  if (name.size() <= kMaxTrashName) return name;
  size_t cut = kMaxTrashName;
  while (cut > 0 && (static_cast<unsigned char>(name[cut]) & 0xC0) == 0x80) --cut;
  return name.substr(0, cut);
}

// "report.txt" -> "report.2.txt"; ".profile" -> ".profile.2"; "notes" -> "notes.2".
std::string NumberedName(const std::string& name, int n) {
  if (n <= 1) return name;
  size_t dot = name.rfind('.');
  std::string number = "." + std::to_string(n);
  if (dot == std::string::npos || dot == 0 || name.size() - dot > 12) return name + number;
  return name.substr(0, dot) + number + name.substr(dot);
}

bool WriteAll(int fd, const std::string& data) {
  size_t done = 0;
  while (done < data.size()) {
    ssize_t n = Fs().Write(fd, data.data() + done, data.size() - done);
    if (n < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    if (n == 0) {
      errno = ENOSPC;
      return false;
    }
    done += static_cast<size_t>(n);
  }
  return true;
}

// The Path= value of an info file's text; "" when it has none.
std::string PathLine(const std::string& info_text) {
  const std::string key = "\nPath=";
  size_t at = info_text.find(key);
  if (at == std::string::npos) return std::string();
  at += key.size();
  size_t end = info_text.find('\n', at);
  return info_text.substr(at, end == std::string::npos ? std::string::npos : end - at);
}

// Trashes files for one MoveToTrash call, remembering what it learnt about
// trash folders and mounts so a long list costs a rename and an info file
// per file.
class Trasher {
 public:
  explicit Trasher(TrashWatcher* watcher) : watcher_(watcher) {}
  ~Trasher();
  // `*bytes`: the size of the file that went (a link's own; 0 for a folder).
  Refusal TrashOne(const ListedFile& file, long long* bytes);

 private:
  // The open info/ and files/ folders of one trash folder.
  struct Folders {
    int info = -1;
    int files = -1;
  };
  enum class Put { kDone, kFailed, kOtherDevice };
  Put PutInto(const std::string& trash_dir, const std::string& name, const std::string& path_value,
              const std::string& source, int source_dir, Refusal* refusal);
  bool OpenFolders(const std::string& trash_dir, Folders* folders, Refusal* refusal);
  // True when info/`info_name` was left by a trash of the same path that
  // never happened (the program was ended between the two steps): its
  // files/ entry does not exist and its Path is `path_value`.
  bool Abandoned(const Folders& folders, const std::string& entry, const std::string& info_name,
                 const std::string& path_value);
  // True when files/`entry` is the source itself (`name` in `source_dir`,
  // the same device and inode, or where inode numbers go by name, the same
  // file by what the file system keeps) and info/`info_name` gives its Path.
  bool HeldAlready(const Folders& folders, const std::string& entry, const std::string& info_name,
                   const std::string& path_value, int source_dir, const std::string& name);
  bool SameFileByWhatIsKept(const Folders& folders, const std::string& entry,
                            const struct stat& held, int source_dir, const std::string& name,
                            const struct stat& source);
  // True when info/`info_name` is an info file whose Path is `path_value`.
  bool InfoNames(const Folders& folders, const std::string& info_name,
                 const std::string& path_value);
  bool HomeTrashReady(std::string* why);
  std::string TopOf(const std::string& canonical_dir, dev_t dev);

  bool home_tried_ = false;
  bool home_ok_ = false;
  std::string home_why_;
  std::string home_dir_;
  dev_t home_dev_ = 0;
  std::map<dev_t, std::string> top_of_dev_;
  std::map<std::string, std::pair<std::string, std::string>> trash_of_top_;  // dir, why
  std::map<std::string, int> next_number_;  // trash dir + "/" + name -> first number to try
  std::map<std::string, Folders> folders_;  // trash dir -> its open folders
  std::map<int, bool> numbers_per_name_;    // info folder -> inode numbers go by name
  ListedFolders sources_;
  TrashWatcher* watcher_;
  // The file being trashed, for the watcher.
  const ListedFile* current_ = nullptr;
  std::string current_path_;
  struct stat current_st_ = {};
  std::string date_;
  std::time_t date_time_ = 0;
};

bool Trasher::HomeTrashReady(std::string* why) {
  if (!home_tried_) {
    home_tried_ = true;
    home_dir_ = HomeTrashDir();
    struct stat st;
    if (EnsureDirs(ParentOf(home_dir_), &home_why_) && EnsureTrashLayout(home_dir_, &home_why_) &&
        ::stat(home_dir_.c_str(), &st) == 0) {
      home_dev_ = st.st_dev;
      home_ok_ = true;
    } else {
      // Files on the home file system still belong to the home trash: note
      // its device from the nearest folder that exists, to refuse them.
      std::string existing = ParentOf(home_dir_);
      while (::stat(existing.c_str(), &st) != 0 && existing != "/") existing = ParentOf(existing);
      home_dev_ = st.st_dev;
    }
  }
  if (!home_ok_) *why = home_why_;
  return home_ok_;
}

std::string Trasher::TopOf(const std::string& canonical_dir, dev_t dev) {
  auto found = top_of_dev_.find(dev);
  if (found != top_of_dev_.end()) {
    const std::string& top = found->second;
    if (top == "/" || canonical_dir == top ||
        canonical_dir.compare(0, top.size() + 1, top + "/") == 0) {
      return top;
    }
  }
  std::string top = canonical_dir;
  while (top != "/") {
    std::string up = ParentOf(top);
    struct stat st;
    if (::stat(up.c_str(), &st) != 0 || st.st_dev != dev) break;
    top = up;
  }
  top_of_dev_[dev] = top;
  return top;
}

Trasher::~Trasher() {
  for (auto& entry : folders_) {
    if (entry.second.info >= 0) Fs().Close(entry.second.info);
    if (entry.second.files >= 0) Fs().Close(entry.second.files);
  }
}

bool Trasher::OpenFolders(const std::string& trash_dir, Folders* folders, Refusal* refusal) {
  auto found = folders_.find(trash_dir);
  if (found == folders_.end()) {
    Folders opened;
    const int flags = O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC;
    opened.info = Fs().Open((trash_dir + "/info").c_str(), flags);
    int err = errno;
    if (opened.info >= 0) {
      opened.files = Fs().Open((trash_dir + "/files").c_str(), flags);
      err = errno;
      if (opened.files < 0) {
        Fs().Close(opened.info);
        opened.info = -1;
      }
    }
    if (opened.info < 0) {
      *refusal = Refuse(err);
      return false;
    }
    // Info files of a trash ended mid-way, where they had a hidden name
    // while they were written.
    RemoveLeftoverTemporaries(opened.info);
    found = folders_.emplace(trash_dir, opened).first;
  }
  *folders = found->second;
  return true;
}

bool Trasher::InfoNames(const Folders& folders, const std::string& info_name,
                        const std::string& path_value) {
  struct stat st;
  ScopedFd info(
      Fs().OpenAt(folders.info, info_name.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC));
  if (info.get() < 0 || Fs().Fstat(info.get(), &st) != 0 || !S_ISREG(st.st_mode) ||
      st.st_size > 65536) {
    return false;
  }
  std::string text(static_cast<size_t>(st.st_size), '\0');
  if (Fs().Read(info.get(), &text[0], text.size()) != st.st_size) return false;
  return PathLine(text) == EncodeTrashPath(path_value);
}

bool Trasher::Abandoned(const Folders& folders, const std::string& entry,
                        const std::string& info_name, const std::string& path_value) {
  struct stat st;
  if (Fs().StatAt(folders.files, entry.c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0) return false;
  return InfoNames(folders, info_name, path_value);
}

bool Trasher::HeldAlready(const Folders& folders, const std::string& entry,
                          const std::string& info_name, const std::string& path_value,
                          int source_dir, const std::string& name) {
  struct stat held, source;
  if (Fs().StatAt(folders.files, entry.c_str(), &held, AT_SYMLINK_NOFOLLOW) != 0 ||
      Fs().StatAt(source_dir, name.c_str(), &source, AT_SYMLINK_NOFOLLOW) != 0 ||
      held.st_dev != source.st_dev) {
    return false;
  }
  if (held.st_ino != source.st_ino &&
      !SameFileByWhatIsKept(folders, entry, held, source_dir, name, source)) {
    return false;
  }
  return InfoNames(folders, info_name, path_value);
}

bool Trasher::SameFileByWhatIsKept(const Folders& folders, const std::string& entry,
                                   const struct stat& held, int source_dir, const std::string& name,
                                   const struct stat& source) {
  // Two inode numbers tell two files apart only where the file system
  // keeps one number per file; sshfs and other FUSE file systems number
  // each name they are asked about.  Asked once per trash folder.
  auto known = numbers_per_name_.find(folders.info);
  if (known == numbers_per_name_.end()) {
    const bool per_name = NamesShareInodeNumbers(folders.info) == 0;
    known = numbers_per_name_.emplace(folders.info, per_name).first;
  }
  if (!known->second) return false;
  // There the entry is taken for the file itself when it is the same kind
  // of file, of the same size and modified time, with the same contents
  // (a link: the same text).  Were it a copy after all, removing the
  // source's name would lose nothing: the trash holds the same bytes,
  // under an info file naming the same path.
  if ((held.st_mode & S_IFMT) != (source.st_mode & S_IFMT) || held.st_size != source.st_size ||
      held.st_mtim.tv_sec != source.st_mtim.tv_sec ||
      held.st_mtim.tv_nsec != source.st_mtim.tv_nsec) {
    return false;
  }
  if (S_ISLNK(source.st_mode)) {
    std::string a(static_cast<size_t>(source.st_size) + 1, '\0'), b = a;
    const ssize_t na = ::readlinkat(source_dir, name.c_str(), &a[0], a.size());
    const ssize_t nb = ::readlinkat(folders.files, entry.c_str(), &b[0], b.size());
    return na == source.st_size && nb == na && a == b;
  }
  if (!S_ISREG(source.st_mode)) return false;
  ScopedFd mine(OpenToCompare(source_dir, name.c_str()));
  ScopedFd theirs(OpenToCompare(folders.files, entry.c_str()));
  struct stat a, b;
  if (mine.get() < 0 || theirs.get() < 0 || Fs().Fstat(mine.get(), &a) != 0 ||
      Fs().Fstat(theirs.get(), &b) != 0 || !S_ISREG(a.st_mode) || !S_ISREG(b.st_mode) ||
      a.st_size != source.st_size || b.st_size != source.st_size) {
    return false;
  }
  return SameContents(mine.get(), theirs.get(), source.st_size);
}

Trasher::Put Trasher::PutInto(const std::string& trash_dir, const std::string& name,
                              const std::string& path_value, const std::string& source,
                              int source_dir, Refusal* refusal) {
  Folders folders;
  if (!OpenFolders(trash_dir, &folders, refusal)) return Put::kFailed;
  std::time_t now = std::time(nullptr);
  if (date_.empty() || now != date_time_) {
    date_ = DeletionDateNow();
    date_time_ = now;
  }
  const std::string info_text =
      "[Trash Info]\nPath=" + EncodeTrashPath(path_value) + "\nDeletionDate=" + date_ + "\n";
  const std::string base = FittingName(name);
  int& next = next_number_[trash_dir + "/" + base];
  if (next < 1) next = 1;
  bool took_over = false;
  for (int attempts = 0; attempts < 100000; ++attempts) {
    const int n = next + attempts;
    const std::string entry = NumberedName(base, n);
    const std::string info_name = entry + ".trashinfo";
    if (watcher_ && current_) {
      watcher_->Going(current_path_, current_->id, current_st_, trash_dir + "/files/" + entry,
                      trash_dir + "/info/" + info_name, path_value);
    }
    // The info file is written whole before it gets its name, which also
    // reserves the entry's name, as every trash client does.
    NewFile info;
    bool taken_here = false;  // this name's info file was one left behind
    int err = info.Create(folders.info, 0600);
    if (err == 0 && !WriteAll(info.fd(), info_text)) err = errno;
    if (err == 0) {
      err = info.Place(info_name.c_str());
      if (err == EEXIST && HeldAlready(folders, entry, info_name, path_value, source_dir, name)) {
        // A trash ended between the two names of a link-then-unlink rename
        // (file systems without a rename that never replaces): the file has
        // its place in the trash, with its info file; only its old name goes.
        if (Fs().UnlinkAt(source_dir, name.c_str(), 0) != 0) {
          *refusal = Refuse(errno);
          return Put::kFailed;
        }
        next = n + 1;
        return Put::kDone;
      }
      if (err == EEXIST && !took_over && Abandoned(folders, entry, info_name, path_value) &&
          Fs().UnlinkAt(folders.info, info_name.c_str(), 0) == 0) {
        took_over = taken_here = true;
        err = info.Place(info_name.c_str());
      }
    }
    if (err == EEXIST) continue;
    if (err != 0) {
      *refusal = Refuse(err);
      return Put::kFailed;
    }
    err = g_fault_hook ? g_fault_hook(source) : 0;
    if (err == 0) err = RenameNoReplace(source_dir, name.c_str(), folders.files, entry.c_str());
    if (err == 0) {
      next = n + 1;
      return Put::kDone;
    }
    // Take the reservation back, unless the name was one left behind and a
    // file arrived under it after all (another client trashing the same
    // file at the same time).  An info file made for this attempt alone
    // never stays beside an entry that is not ours.
    struct stat st;
    if (!taken_here || Fs().StatAt(folders.files, entry.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0) {
      Fs().UnlinkAt(folders.info, info_name.c_str(), 0);
    }
    if (err == EEXIST) continue;
    if (err == EXDEV) return Put::kOtherDevice;
    *refusal = Refuse(err);
    return Put::kFailed;
  }
  *refusal = {kErrFileExists,
              Said(QT_TRANSLATE_NOOP("qm::Trash", "no free name left in the trash folder %1"),
                   {trash_dir})};
  return Put::kFailed;
}

Refusal Trasher::TrashOne(const ListedFile& file, long long* bytes) {
  current_ = nullptr;
  if (file.path.empty()) {
    return {kErrBadFileName, Said(QT_TRANSLATE_NOOP("qm::Trash", "it has no name"))};
  }
  const std::string abs = AbsoluteSpelling(file.path);
  if (abs.empty()) return Refuse(errno);
  const std::string name = BaseName(abs);
  if (abs == "/" || name == "." || name == "..") {
    return {kErrInvalidCall,
            Said(QT_TRANSLATE_NOOP("qm::Trash", "this folder cannot be moved to the trash"))};
  }
  // Only the very file that was listed goes, and it goes from the folder
  // that was checked.
  std::string entry_name;
  const int dir = sources_.Open(abs, &entry_name);
  if (dir < 0) return Refuse(errno);
  struct stat st;
  const int check = CheckListed(dir, name.c_str(), file.id, &st);
  if (check != 0) return Refuse(check);
  *bytes = S_ISREG(st.st_mode) || S_ISLNK(st.st_mode) ? static_cast<long long>(st.st_size) : 0;
  current_ = &file;
  current_path_ = abs;
  current_st_ = st;

  std::string home_why;
  bool home_ok = HomeTrashReady(&home_why);
  if (!home_ok && st.st_dev == home_dev_) {
    return {kErrPermissionDenied,
            Said(QT_TRANSLATE_NOOP("qm::Trash", "the trash cannot be used: %1"), {home_why})};
  }
  if (home_ok) {
    if (abs == home_dir_ || abs.compare(0, home_dir_.size() + 1, home_dir_ + "/") == 0) {
      return {kErrInvalidCall, Said(QT_TRANSLATE_NOOP("qm::Trash", "it is in the trash already"))};
    }
    if (home_dir_.compare(0, abs.size() + 1, abs + "/") == 0) {
      return {kErrInvalidCall,
              Said(QT_TRANSLATE_NOOP("qm::Trash", "this folder holds the trash itself"))};
    }
    if (st.st_dev == home_dev_) {
      Refusal refusal;
      Put put = PutInto(home_dir_, name, abs, file.path, dir, &refusal);
      if (put == Put::kDone) return {};
      if (put == Put::kFailed) return refusal;
      // kOtherDevice: same device number, other mount (a bind mount); try
      // that mount's own trash below.
    }
  }

  // The trash of the mount that holds the file; its Path is relative to
  // the mount's top folder.
  char resolved[PATH_MAX];
  if (!::realpath(ParentOf(abs).c_str(), resolved)) return Refuse(errno);
  const std::string parent = resolved;
  const std::string top = TopOf(parent, st.st_dev);
  auto cached = trash_of_top_.find(top);
  if (cached == trash_of_top_.end()) {
    std::string why;
    std::string dir_path = TopDirTrash(top, &why);
    cached = trash_of_top_.emplace(top, std::make_pair(dir_path, why)).first;
  }
  const std::string& trash_dir = cached->second.first;
  if (trash_dir.empty()) {
    std::string why = cached->second.second;
    return {kErrPermissionDenied,
            Said(QT_TRANSLATE_NOOP("qm::Trash", "no trash on this disk can take it: %1"), {why})};
  }
  const std::string full = JoinPath(parent, name);
  if (full.compare(0, trash_dir.size() + 1, trash_dir + "/") == 0) {
    return {kErrInvalidCall, Said(QT_TRANSLATE_NOOP("qm::Trash", "it is in the trash already"))};
  }
  std::string relative = top == "/" ? full.substr(1) : full.substr(top.size() + 1);
  Refusal refusal;
  Put put = PutInto(trash_dir, name, relative, file.path, dir, &refusal);
  if (put == Put::kDone) return {};
  if (put == Put::kOtherDevice) {
    return {kErrPermissionDenied,
            Said(QT_TRANSLATE_NOOP("qm::Trash", "no trash on this disk can take it"))};
  }
  return refusal;
}

}  // namespace

std::string HomeTrashDir() {
  const char* data = std::getenv("XDG_DATA_HOME");
  if (data && data[0] == '/') return JoinPath(AbsoluteSpelling(data), "Trash");
  std::string home;
  const char* env_home = std::getenv("HOME");
  if (env_home && *env_home) {
    home = env_home;
  } else if (const struct passwd* pw = ::getpwuid(::getuid())) {
    home = pw->pw_dir;
  }
  if (home.empty()) home = "/";
  return JoinPath(AbsoluteSpelling(home), ".local/share/Trash");
}

std::string TopDirTrash(const std::string& top, std::string* why) {
  const std::string uid = std::to_string(::getuid());
  std::string ignored;
  // A shared .Trash made by the administrator: a real folder with the
  // sticky bit.  Anything else there (a link, no sticky bit) is not trusted.
  const std::string shared = JoinPath(top, ".Trash");
  struct stat st;
  if (::lstat(shared.c_str(), &st) == 0 && S_ISDIR(st.st_mode) && (st.st_mode & S_ISVTX)) {
    const std::string mine = shared + "/" + uid;
    struct stat own;
    if (::mkdir(mine.c_str(), 0700) == 0 || errno == EEXIST) {
      if (::lstat(mine.c_str(), &own) == 0 && S_ISDIR(own.st_mode) && own.st_uid == ::getuid() &&
          EnsureTrashLayout(mine, &ignored)) {
        return mine;
      }
    }
  }
  const std::string own_dir = JoinPath(top, ".Trash-" + uid);
  if (::mkdir(own_dir.c_str(), 0700) != 0 && errno != EEXIST) {
    *why = Said(QT_TRANSLATE_NOOP("qm::Trash", "cannot create %1: %2"),
                {own_dir, std::strerror(errno)});
    return std::string();
  }
  if (::lstat(own_dir.c_str(), &st) != 0 || !S_ISDIR(st.st_mode) || st.st_uid != ::getuid()) {
    *why = Said(QT_TRANSLATE_NOOP("qm::Trash", "%1 is not a folder of this user"), {own_dir});
    return std::string();
  }
  if (!EnsureTrashLayout(own_dir, why)) return std::string();
  return own_dir;
}

std::string EncodeTrashPath(const std::string& path) {
  static const char kHex[] = "0123456789ABCDEF";
  std::string out;
  out.reserve(path.size() + path.size() / 4);
  for (unsigned char c : path) {
    bool plain = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') ||
                 c == '-' || c == '.' || c == '_' || c == '~' || c == '/';
    if (plain) {
      out += static_cast<char>(c);
    } else {
      out += '%';
      out += kHex[c >> 4];
      out += kHex[c & 15];
    }
  }
  return out;
}

std::string DecodeTrashPath(const std::string& encoded) {
  auto hex = [](char c) -> int {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
  };
  std::string out;
  for (size_t i = 0; i < encoded.size(); ++i) {
    if (encoded[i] == '%' && i + 2 < encoded.size() && hex(encoded[i + 1]) >= 0 &&
        hex(encoded[i + 2]) >= 0) {
      out += static_cast<char>(hex(encoded[i + 1]) * 16 + hex(encoded[i + 2]));
      i += 2;
    } else {
      out += encoded[i];
    }
  }
  return out;
}

int RemoveTrashInfo(const std::string& entry, const std::string& info,
                    const std::string& path_value) {
  struct stat st;
  if (::lstat(entry.c_str(), &st) == 0) return EEXIST;
  if (::lstat(info.c_str(), &st) != 0) return errno;
  if (!S_ISREG(st.st_mode)) return kChangedSinceSearch;
  // An info file is a few lines; one much larger is not one of ours.
  const int fd = ::open(info.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
  if (fd < 0) return errno;
  std::string text(8192, '\0');
  const ssize_t n = ::read(fd, &text[0], text.size());
  ::close(fd);
  if (n < 0) return errno;
  text.resize(static_cast<size_t>(n));
  if (DecodeTrashPath(PathLine("\n" + text)) != path_value) return kChangedSinceSearch;
  return ::unlink(info.c_str()) == 0 || errno == ENOENT ? 0 : errno;
}

void SetTrashFaultHook(std::function<int(const std::string& path)> hook) {
  g_fault_hook = std::move(hook);
}

std::vector<ListedFile> ListedNow(const std::vector<std::string>& paths) {
  std::vector<ListedFile> files;
  files.reserve(paths.size());
  for (const std::string& path : paths) {
    ListedFile file;
    file.path = path;
    // A folder named with a final "/" is the folder itself.
    std::string own = path;
    while (own.size() > 1 && own.back() == '/') own.pop_back();
    file.id = IdOfPath(own);
    files.push_back(std::move(file));
  }
  return files;
}

TrashOutcome MoveToTrash(const std::vector<std::string>& paths, TrashProgress* progress) {
  return MoveToTrash(ListedNow(paths), progress);
}

TrashOutcome MoveToTrash(const std::vector<ListedFile>& files, TrashProgress* progress,
                         TrashWatcher* watcher) {
  TrashOutcome outcome;
  Trasher trasher(watcher);
  const int total = static_cast<int>(files.size());
  if (progress) progress->Begin(total);
  for (int i = 0; i < total; ++i) {
    const std::string& path = files[i].path;
    if (progress && !progress->Step(i, path)) {
      outcome.aborted = true;
      for (int j = i; j < total; ++j) {
        outcome.not_trashed.push_back(files[j].path);
        outcome.reasons.push_back(Said(QT_TRANSLATE_NOOP("qm::Trash", "cancelled")));
      }
      break;
    }
    long long bytes = 0;
    Refusal refusal = trasher.TrashOne(files[i], &bytes);
    if (watcher) {
      if (refusal.number == 0) {
        watcher->Arrived();
      } else {
        watcher->Stayed();
      }
    }
    if (refusal.number == 0) {
      outcome.trashed.push_back(path);
      outcome.trashed_bytes.push_back(bytes);
    } else {
      outcome.not_trashed.push_back(path);
      outcome.reasons.push_back(refusal.reason);
      if (outcome.code == 0) outcome.code = refusal.number;
    }
    Yield();
  }
  if (outcome.aborted) outcome.code = kTrashCancelled;
  if (progress) progress->End();
  return outcome;
}

}  // namespace qm
