// SPDX-License-Identifier: GPL-3.0-or-later
#include "results/move_files.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QtGlobal>
#include <cerrno>
#include <vector>

#include "platform/failure.h"
#include "platform/folder_object.h"
#include "platform/new_file.h"
#include "platform/same_file.h"
#include "results/journal.h"

namespace qm {
namespace {

// How many numbered names an arriving file tries before giving up.
constexpr int kMaxNumber = 10000;

bool SameTime(const struct timespec& a, const struct timespec& b) {
  return a.tv_sec == b.tv_sec && a.tv_nsec == b.tv_nsec;
}

// The same file, unchanged since `was` was read.
bool Unchanged(const struct stat& now, const struct stat& was) {
  return now.st_dev == was.st_dev && now.st_ino == was.st_ino &&
         (now.st_mode & S_IFMT) == (was.st_mode & S_IFMT) && now.st_size == was.st_size &&
         SameTime(now.st_mtim, was.st_mtim);
}

// The text of the link `name` in `dir`, whose status is `st`; false when it
// cannot be read whole (or changed length since).
bool LinkText(int dir, const char* name, const struct stat& st, std::string* text) {
  text->assign(static_cast<std::size_t>(st.st_size) + 1, '\0');
  ssize_t n = ::readlinkat(dir, name, &(*text)[0], text->size());
  if (n != st.st_size) return false;
  text->resize(static_cast<std::size_t>(n));
  return true;
}

FileMover::Result Made(FileMover::Outcome outcome, int reason = 0, std::string name = {},
                       off_t bytes = 0) {
  FileMover::Result result;
  result.outcome = outcome;
  result.reason = reason;
  result.name = std::move(name);
  result.bytes = bytes;
  return result;
}

}  // namespace

const char* RefusedMoveName(const std::string& name) {
  if (name.find_first_not_of(' ') == std::string::npos) {
    return QT_TRANSLATE_NOOP("qm::MoveToFolder", "its name is only blanks");
  }
  if (name[0] == '.') return QT_TRANSLATE_NOOP("qm::MoveToFolder", "a hidden or system file");
  return nullptr;
}

std::string FileMover::ReasonOf(const Result& result) {
  switch (result.outcome) {
    case kMoved:
      return std::string();
    case kAlreadyThere:
      return Translated("qm::MoveToFolder",
                        QT_TRANSLATE_NOOP("qm::MoveToFolder", "it is already in that folder"));
    case kGone:
      return ReasonText(ENOENT);
    case kNotMoved:
      return ReasonText(result.reason);
    case kNotRemoved:
      if (result.reason == kChangedWhileMoving) {
        return Translated(
            "qm::MoveToFolder",
            QT_TRANSLATE_NOOP("qm::MoveToFolder", "%1; what was copied is there as %2"),
            {ReasonText(result.reason), result.name});
      }
      return Translated("qm::MoveToFolder",
                        QT_TRANSLATE_NOOP("qm::MoveToFolder",
                                          "copied there as %1, but it could not be "
                                          "removed from its folder: %2"),
                        {result.name, ReasonText(result.reason)});
  }
  return std::string();
}

std::string FileMover::NumberedName(const std::string& name, int n) {
  if (n <= 1) return name;
  std::size_t dot = name.rfind('.');
  if (dot == 0 || dot == std::string::npos) dot = name.size();
  return name.substr(0, dot) + " (" + std::to_string(n) + ")" + name.substr(dot);
}

int FileMover::OpenFolder(const std::string& folder) {
  // Readable, not O_PATH: the folder is flushed after each copy arrives.
  folder_.reset(Fs().Open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (folder_.get() < 0) return errno;
  folder_path_ = folder;
  while (folder_path_.size() > 1 && folder_path_.back() == '/') folder_path_.pop_back();
  if (Fs().Fstat(folder_.get(), &folder_status_) != 0) return errno;
  aliases_.clear();
  place_probe_ = -1;
  RemoveLeftoverTemporaries(folder_.get());
  return 0;
}

int FileMover::CanPlaceSafely() {
  if (place_probe_ >= 0) return place_probe_;
  std::string placed;
  int err;
  {
    // Made and named as a copy would be (unnamed where the file system
    // allows it), under a hidden name of ours.
    NewFile probe;
    err = probe.Create(folder_.get(), 0600);
    if (err != 0) return err;  // the copy will fail the same way, and say why
    placed = NewTemporaryName();
    err = probe.Place(placed.c_str());
  }
  // Removed once closed (some file systems remove no name of an open file).
  if (err == 0) Fs().UnlinkAt(folder_.get(), placed.c_str(), 0);
  if (err == 0 || err == kNoSafeRename) place_probe_ = err;
  return err;
}

int FileMover::SourceFolderIsTarget(int dir) {
  const struct stat& from = sources_.Status();
  const std::pair<dev_t, ino_t> key(from.st_dev, from.st_ino);
  for (const auto& known : aliases_) {
    if (known.first == key) return known.second ? 1 : 0;
  }
  const int same = SameFolderSeenTwice(dir, folder_.get());
  if (same >= 0) aliases_.emplace_back(key, same == 1);
  return same;
}

FileMover::Result FileMover::Move(const std::string& source, const FileId& listed) {
  return MoveNamed(source, listed, std::string(), false);
}

FileMover::Result FileMover::MoveAs(const std::string& source, const FileId& listed,
                                    const std::string& name) {
  return MoveNamed(source, listed, name, true);
}

FileMover::Result FileMover::MoveNamed(const std::string& source, const FileId& listed,
                                       const std::string& name, bool exact) {
  source_path_ = source;
  listed_ = listed;
  arrival_name_ = name;
  exact_ = exact;
  Result result = MoveOne(source, listed);
  if (journal_) {
    if (result.outcome == kMoved) {
      journal_->Arrived();
    } else {
      journal_->Stayed();
    }
  }
  return result;
}

std::string FileMover::Candidate(int n) const {
  return exact_ ? arrival_name_ : NumberedName(arrival_name_, n);
}

int FileMover::Attempts() const { return exact_ ? 1 : kMaxNumber; }

void FileMover::Announce(const std::string& candidate, const struct stat& st) {
  if (!journal_) return;
  const std::string place = folder_path_ == "/" ? "/" + candidate : folder_path_ + "/" + candidate;
  journal_->Going(source_path_, listed_, st, place);
}

FileMover::Result FileMover::MoveOne(const std::string& source, const FileId& listed) {
  if (!listed.Known()) return Made(kNotMoved, kChangedSinceSearch);
  std::string name;
  const int dir = sources_.Open(source, &name);
  if (!exact_) arrival_name_ = name;
  if (dir < 0) {
    return errno == ENOENT || errno == ENOTDIR ? Made(kGone) : Made(kNotMoved, errno);
  }
  struct stat st;
  const int check = CheckListed(dir, name.c_str(), listed, &st);
  if (check == ENOENT) return Made(kGone);
  if (check != 0) return Made(kNotMoved, check);
  const struct stat& from = sources_.Status();
  if (from.st_dev == folder_status_.st_dev && from.st_ino == folder_status_.st_ino) {
    return Made(kAlreadyThere);
  }
  // Across devices the folder moved into may still be this very folder,
  // reached through another mount: then the file is there already.
  if (st.st_dev != folder_status_.st_dev) {
    const int same = SourceFolderIsTarget(dir);
    if (same == 1) return Made(kAlreadyThere);
    // Where nothing can be made, the copy below fails the same way.
    if (same < 0 && errno != EACCES && errno != EPERM && errno != EROFS && errno != ENOSPC &&
        errno != EDQUOT && errno != ENOENT) {
      return Made(kNotMoved, errno);
    }
  }
  auto bring = [&]() -> Result {
    if (st.st_dev == folder_status_.st_dev) {
      Result renamed = Rename(dir, name, st);
      if (renamed.outcome != kNotMoved || renamed.reason != EXDEV) return renamed;
    }
    if (S_ISLNK(st.st_mode)) return CopyLink(dir, name, st);
    if (!S_ISREG(st.st_mode)) return Made(kNotMoved, kNotCopyable);
    return Copy(dir, name, st);
  };
  Result result = bring();
  if (result.outcome != kNotMoved) return result;
  // ENOENT comes from either end: the source went, or the folder moved
  // into did.  A new file in a removed folder fails with another errno.
  struct stat now;
  if (result.reason == ENOENT) {
    if (Fs().StatAt(dir, name.c_str(), &now, AT_SYMLINK_NOFOLLOW) != 0) return Made(kGone);
    return Made(kNotMoved, kFolderGone);
  }
  if (Fs().Fstat(folder_.get(), &now) == 0 && now.st_nlink == 0) {
    return Made(kNotMoved, kFolderGone);
  }
  return result;
}

FileMover::Result FileMover::Rename(int dir, const std::string& name, const struct stat& st) {
  for (int n = 1; n <= Attempts(); ++n) {
    const std::string candidate = Candidate(n);
    Announce(candidate, st);
    const int err = RenameNoReplace(dir, name.c_str(), folder_.get(), candidate.c_str());
    if (err == 0) return Made(kMoved, 0, candidate, st.st_size);
    if (err == EEXIST) {
      switch (HoldsCopyOf(candidate, dir, name, st, -1)) {
        case kItself:
          return Made(kAlreadyThere);  // another name of the same file
        case kCopy:
          return RemoveSource(dir, name, st, candidate);
        case kOtherFile:
          continue;
      }
    }
    return Made(kNotMoved, err);
  }
  return Made(kNotMoved, EEXIST);
}

FileMover::Result FileMover::Copy(int dir, const std::string& name, const struct stat& st) {
  // Where no copy could get its name safely, nothing is copied.
  if (CanPlaceSafely() == kNoSafeRename) return Made(kNotMoved, kNoSafeRename);
  // Never follows a link and never blocks (a FIFO put there meanwhile is
  // refused below by its identity).
  const int flags = O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC;
  ScopedFd in(Fs().OpenAt(dir, name.c_str(), flags | O_NOATIME));
  if (in.get() < 0 && errno == EPERM) in.reset(Fs().OpenAt(dir, name.c_str(), flags));
  if (in.get() < 0) return errno == ENOENT ? Made(kGone) : Made(kNotMoved, errno);
  struct stat copied;
  if (Fs().Fstat(in.get(), &copied) != 0) return Made(kNotMoved, errno);
  if (copied.st_dev != st.st_dev || copied.st_ino != st.st_ino || !S_ISREG(copied.st_mode)) {
    return Made(kNotMoved, kChangedSinceSearch);
  }

  NewFile copy;
  const int err = CopyOpenFile(in.get(), copied, folder_.get(), &copy);
  if (err != 0) return Made(kNotMoved, err);
  // A file written to while it was read may have been copied half old,
  // half new: that copy never gets a name.
  struct stat after;
  if (Fs().Fstat(in.get(), &after) != 0 || !Unchanged(after, copied)) {
    return Made(kNotMoved, kChangedWhileMoving);
  }
  for (int n = 1; n <= Attempts(); ++n) {
    const std::string candidate = Candidate(n);
    Announce(candidate, copied);
    const int placed = copy.Place(candidate.c_str());
    if (placed == 0) {
      Fs().Fsync(folder_.get());  // the name is on disk before the source goes
      in.reset();                 // closed first: some file systems remove no name of an open file
      return RemoveSource(dir, name, copied, candidate);
    }
    if (placed != EEXIST) return Made(kNotMoved, placed);
    switch (HoldsCopyOf(candidate, dir, name, copied, in.get())) {
      case kItself:
        return Made(kAlreadyThere);
      case kCopy:
        in.reset();
        return RemoveSource(dir, name, copied, candidate);
      case kOtherFile:
        break;
    }
  }
  return Made(kNotMoved, EEXIST);
}

FileMover::Result FileMover::CopyLink(int dir, const std::string& name, const struct stat& st) {
  std::string text;
  if (!LinkText(dir, name.c_str(), st, &text)) return Made(kNotMoved, kChangedSinceSearch);
  for (int n = 1; n <= Attempts(); ++n) {
    const std::string candidate = Candidate(n);
    Announce(candidate, st);
    if (Fs().SymlinkAt(text.c_str(), folder_.get(), candidate.c_str()) == 0) {
      const struct timespec times[2] = {st.st_atim, st.st_mtim};
      ::utimensat(folder_.get(), candidate.c_str(), times, AT_SYMLINK_NOFOLLOW);
      ::fchownat(folder_.get(), candidate.c_str(), st.st_uid, st.st_gid, AT_SYMLINK_NOFOLLOW);
      Fs().Fsync(folder_.get());
      return RemoveSource(dir, name, st, candidate);
    }
    if (errno != EEXIST) return Made(kNotMoved, errno);
    switch (HoldsCopyOf(candidate, dir, name, st, -1)) {
      case kItself:
        return Made(kAlreadyThere);
      case kCopy:
        return RemoveSource(dir, name, st, candidate);
      case kOtherFile:
        break;
    }
  }
  return Made(kNotMoved, EEXIST);
}

FileMover::Result FileMover::RemoveSource(int dir, const std::string& name,
                                          const struct stat& copied, const std::string& placed) {
  // What arrived is what was copied: its size at the copy.
  const off_t bytes = copied.st_size;
  struct stat now;
  if (Fs().StatAt(dir, name.c_str(), &now, AT_SYMLINK_NOFOLLOW) != 0) {
    if (errno == ENOENT) return Made(kMoved, 0, placed, bytes);  // someone else removed it
    return Made(kNotRemoved, errno, placed);
  }
  // Saved again meanwhile (a new version under the same name, or the same
  // file rewritten): the new version stays where it is.
  if (!Unchanged(now, copied)) return Made(kNotRemoved, kChangedWhileMoving, placed);
  if (Fs().UnlinkAt(dir, name.c_str(), 0) != 0) {
    return errno == ENOENT ? Made(kMoved, 0, placed, bytes) : Made(kNotRemoved, errno, placed);
  }
  return Made(kMoved, 0, placed, bytes);
}

FileMover::Holds FileMover::HoldsCopyOf(const std::string& candidate, int dir,
                                        const std::string& name, const struct stat& st, int in_fd) {
  struct stat there;
  if (Fs().StatAt(folder_.get(), candidate.c_str(), &there, AT_SYMLINK_NOFOLLOW) != 0) {
    return kOtherFile;
  }
  // The source itself, seen through another mount, is never its own copy:
  // removing it "because its copy is there" would remove the only one.
  if (MayBeSameFile(there, st)) return kItself;
  if ((there.st_mode & S_IFMT) != (st.st_mode & S_IFMT) || there.st_size != st.st_size ||
      !SameTime(there.st_mtim, st.st_mtim)) {
    return kOtherFile;
  }
  if (S_ISLNK(st.st_mode)) {
    std::string mine, theirs;
    return LinkText(dir, name.c_str(), st, &mine) &&
                   LinkText(folder_.get(), candidate.c_str(), there, &theirs) && mine == theirs
               ? kCopy
               : kOtherFile;
  }
  if (!S_ISREG(st.st_mode)) return kOtherFile;
  // Read without moving either file's access time: the one that stays is
  // to keep the date it had.
  ScopedFd own;
  if (in_fd < 0) {
    own.reset(OpenToCompare(dir, name.c_str()));
    in_fd = own.get();
    struct stat opened;
    if (in_fd < 0 || Fs().Fstat(in_fd, &opened) != 0 || !Unchanged(opened, st)) return kOtherFile;
  }
  ScopedFd other(OpenToCompare(folder_.get(), candidate.c_str()));
  struct stat opened_there;
  if (other.get() < 0 || Fs().Fstat(other.get(), &opened_there) != 0 ||
      !Unchanged(opened_there, there)) {
    return kOtherFile;
  }
  return SameContents(in_fd, other.get(), st.st_size) ? kCopy : kOtherFile;
}

}  // namespace qm
