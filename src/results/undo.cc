// SPDX-License-Identifier: GPL-3.0-or-later
#include "results/undo.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QtGlobal>
#include <algorithm>
#include <cerrno>

#include "platform/failure.h"
#include "platform/file_system.h"
#include "platform/same_file.h"
#include "platform/trash.h"
#include "results/move_files.h"

namespace qm {
namespace {

std::string Said(const char* text, std::initializer_list<std::string> args = {}) {
  return Translated("qm::Undo", text, args);
}

bool StatNoFollow(const std::string& path, struct stat* st) {
  return Fs().Lstat(path.c_str(), st) == 0;
}

// Whether `a` and `b` lie in one folder (the same folder, whatever path
// reaches it): two names there may be one entry seen twice.
bool SameFolder(const std::string& a, const std::string& b) {
  struct stat x, y;
  return Fs().Stat(ParentOf(a).c_str(), &x) == 0 && Fs().Stat(ParentOf(b).c_str(), &y) == 0 &&
         x.st_dev == y.st_dev && x.st_ino == y.st_ino;
}

// Whether `copy` (state `copy_state`) is a complete copy of `original`
// (state `original_state`) and not `original` itself seen through another
// mount: the same type, size, modified time and contents (a link: the same
// text), in a folder that is not the original's folder seen twice.
bool IsCompleteCopy(const std::string& copy, const FileState& copy_state,
                    const std::string& original, const FileState& original_state) {
  if (!copy_state.LooksLike(original_state) || copy_state.id == original_state.id) return false;
  struct stat a, b;
  if (!StatNoFollow(copy, &a) || !StatNoFollow(original, &b) || MayBeSameFile(a, b) ||
      SameFolder(copy, original)) {
    return false;
  }
  const int dir_flags = O_RDONLY | O_DIRECTORY | O_CLOEXEC;
  ScopedFd copy_dir(Fs().Open(ParentOf(copy).c_str(), dir_flags));
  ScopedFd original_dir(Fs().Open(ParentOf(original).c_str(), dir_flags));
  // A folder reached through another mount (a bind mount, FUSE) holds the
  // file itself under its own name: never taken for its copy.
  if (copy_dir.get() < 0 || original_dir.get() < 0 ||
      (a.st_dev != b.st_dev && SameFolderSeenTwice(original_dir.get(), copy_dir.get()) != 0)) {
    return false;
  }
  if (S_ISLNK(a.st_mode)) {
    std::string x(static_cast<std::size_t>(a.st_size) + 1, '\0'), y = x;
    const ssize_t nx = ::readlink(copy.c_str(), &x[0], x.size());
    const ssize_t ny = ::readlink(original.c_str(), &y[0], y.size());
    return nx == a.st_size && ny == nx && x == y;
  }
  if (!S_ISREG(a.st_mode)) return false;
  ScopedFd x(OpenToCompare(AT_FDCWD, copy.c_str()));
  ScopedFd y(OpenToCompare(AT_FDCWD, original.c_str()));
  struct stat ox, oy;
  if (x.get() < 0 || y.get() < 0 || Fs().Fstat(x.get(), &ox) != 0 ||
      Fs().Fstat(y.get(), &oy) != 0 || ox.st_ino != a.st_ino || oy.st_ino != b.st_ino ||
      ox.st_size != a.st_size || oy.st_size != a.st_size) {
    return false;
  }
  return SameContents(x.get(), y.get(), a.st_size);
}

// Removes `extra`, a second name or a complete copy of the file at `path`
// (state `state`) that a command ended mid-way left where the file was
// going, while it is still that.
void RemoveExtra(const std::string& extra, const FileState& extra_state, const std::string& path,
                 const FileState& state) {
  struct stat x;
  if (!StatNoFollow(extra, &x)) return;
  const bool second_name =
      extra_state.id == state.id && x.st_nlink >= 2 && !SameFolder(extra, path);
  if (!second_name && !IsCompleteCopy(extra, extra_state, path, state)) return;
  FileState now;
  if (ReadFileState(extra, &now) && now == extra_state) Fs().Unlink(extra.c_str());
}

class Undoer {
 public:
  Undoer(const Journal& journal, bool dry_run) : journal_(journal), dry_run_(dry_run) {}

  // Deals with entry `e`; true when it is back (or never left).
  enum Result { kBack, kFoundBack, kNeverLeft, kNotBack };
  Result Take(const JournalEntry& e, std::string* reason);

 private:
  bool Trash() const { return journal_.kind == JournalKind::kTrash; }
  Result PutBack(const JournalEntry& e, const FileState& there, std::string* reason);
  void Forget(const JournalEntry& e) {
    if (Trash() && !dry_run_) RemoveTrashInfo(e.place, e.info, e.path_value);
  }
  std::string Changed() const {
    return Trash() ? Said(QT_TRANSLATE_NOOP("qm::Undo", "it changed in the trash"))
                   : Said(QT_TRANSLATE_NOOP("qm::Undo", "it changed since it was moved"));
  }
  std::string Missing() const {
    return Trash() ? Said(QT_TRANSLATE_NOOP("qm::Undo", "it is no longer in the trash"))
                   : Said(QT_TRANSLATE_NOOP("qm::Undo",
                                            "it is no longer in the folder it was moved to"));
  }

  const Journal& journal_;
  bool dry_run_;
  FileMover mover_;
  std::string mover_folder_;
  int mover_error_ = -1;
};

Undoer::Result Undoer::Take(const JournalEntry& e, std::string* reason) {
  FileState there, here;
  const bool at_place = ReadFileState(e.place, &there);
  const bool at_home = ReadFileState(e.path, &here);
  if (e.outcome == JournalEntry::kUnknown) {
    // The command was ended while this file was going.
    if (at_home && here == e.was) {
      // It never left: whatever of it stands where it was going goes.
      if (at_place && !dry_run_) RemoveExtra(e.place, there, e.path, here);
      Forget(e);
      return kNeverLeft;
    }
    // What stands at the place announced is the file when it is that very
    // file, or, where it is another (a copy; a name numbered anew by the
    // file system), when it looks as the file did.
    if (at_place && (there == e.was || there.LooksLike(e.was))) {
      if (at_home) {
        *reason = Said(QT_TRANSLATE_NOOP("qm::Undo", "its place is taken by another file"));
        return kNotBack;
      }
      return PutBack(e, there, reason);
    }
    if (at_home) return kNeverLeft;  // and changed since, or put back by hand
    *reason = Missing();
    return kNotBack;
  }
  const FileState& expected = e.arrived_other ? e.arrived : e.was;
  if (!at_place) {
    if (at_home && (here == expected || here == e.was || here.LooksLike(expected))) {
      Forget(e);
      return kFoundBack;
    }
    *reason = Missing();
    return kNotBack;
  }
  if (there != expected) {
    *reason = Changed();
    return kNotBack;
  }
  return PutBack(e, there, reason);
}

Undoer::Result Undoer::PutBack(const JournalEntry& e, const FileState& there, std::string* reason) {
  const std::string folder = ParentOf(e.path);
  if (folder != mover_folder_) {
    mover_folder_ = folder;
    struct stat st;
    if (dry_run_) {
      mover_error_ = Fs().Stat(folder.c_str(), &st) != 0 ? errno
                     : S_ISDIR(st.st_mode)               ? 0
                                                         : ENOTDIR;
    } else {
      mover_error_ = mover_.OpenFolder(folder);
    }
  }
  if (mover_error_ != 0) {
    *reason = mover_error_ == ENOENT || mover_error_ == ENOTDIR
                  ? Said(QT_TRANSLATE_NOOP("qm::Undo", "the folder it came from is gone"))
                  : ReasonText(mover_error_);
    return kNotBack;
  }
  if (dry_run_) {
    struct stat st;
    if (StatNoFollow(e.path, &st)) {
      *reason = Said(QT_TRANSLATE_NOOP("qm::Undo", "its place is taken by another file"));
      return kNotBack;
    }
    return kBack;
  }
  const FileMover::Result moved = mover_.MoveAs(e.place, there.id, BaseName(e.path));
  switch (moved.outcome) {
    case FileMover::kMoved:
      Forget(e);
      return kBack;
    case FileMover::kAlreadyThere:
      Forget(e);
      return kFoundBack;
    case FileMover::kGone:
      *reason = Missing();
      return kNotBack;
    case FileMover::kNotRemoved:
      *reason = Said(QT_TRANSLATE_NOOP("qm::Undo",
                                       "a copy of it is back in its place, but it could not be "
                                       "removed from %1: %2"),
                     {e.place, ReasonText(moved.reason)});
      return kNotBack;
    case FileMover::kNotMoved:
      break;
  }
  if (moved.reason == EEXIST) {
    *reason = Said(QT_TRANSLATE_NOOP("qm::Undo", "its place is taken by another file"));
  } else if (moved.reason == kChangedSinceSearch || moved.reason == kChangedWhileMoving) {
    *reason = Changed();
  } else if (moved.reason == kFolderGone) {
    *reason = Said(QT_TRANSLATE_NOOP("qm::Undo", "the folder it came from is gone"));
  } else {
    *reason = ReasonText(moved.reason);
  }
  return kNotBack;
}

}  // namespace

UndoOutcome UndoLastCommand(bool dry_run, const std::function<void()>& step) {
  UndoOutcome out;
  Journal journal;
  JournalReader reader;
  switch (reader.Open(&journal, &out.trouble)) {
    case JournalReader::kNone:
      out.status = UndoOutcome::kNothing;
      return out;
    case JournalReader::kTrouble:
      out.status = UndoOutcome::kTrouble;
      return out;
    case JournalReader::kRead:
      break;
  }
  out.status = UndoOutcome::kDone;
  out.kind = journal.kind;
  out.folder = journal.folder;
  // The files still to deal with, folder by folder (each folder is opened
  // once), in the command's order within a folder.
  std::vector<std::size_t> order;
  for (std::size_t i = 0; i < journal.entries.size(); ++i) {
    const JournalEntry& e = journal.entries[i];
    if (!e.back && e.outcome != JournalEntry::kStayed) order.push_back(i);
  }
  std::stable_sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) {
    return ParentOf(journal.entries[a].path) < ParentOf(journal.entries[b].path);
  });
  Undoer undoer(journal, dry_run);
  std::vector<std::pair<std::size_t, UndoOutcome::File>> back, not_back;
  for (std::size_t i : order) {
    if (step) step();
    const JournalEntry& e = journal.entries[i];
    UndoOutcome::File file;
    file.path = e.path;
    file.place = e.place;
    file.bytes = e.arrived_other ? e.arrived.size : e.was.size;
    switch (undoer.Take(e, &file.reason)) {
      case Undoer::kBack:
      case Undoer::kFoundBack:
        if (!dry_run) reader.MarkBack(i);
        back.emplace_back(i, std::move(file));
        break;
      case Undoer::kNeverLeft:
        if (!dry_run) reader.MarkBack(i);
        break;
      case Undoer::kNotBack:
        not_back.emplace_back(i, std::move(file));
        break;
    }
  }
  // Told in the order the command took them.
  auto by_index = [](const auto& a, const auto& b) { return a.first < b.first; };
  std::sort(back.begin(), back.end(), by_index);
  std::sort(not_back.begin(), not_back.end(), by_index);
  for (auto& f : back) out.back.push_back(std::move(f.second));
  for (auto& f : not_back) out.not_back.push_back(std::move(f.second));
  if (!dry_run && out.not_back.empty()) {
    reader.Remove();
    out.finished = true;
  }
  return out;
}

}  // namespace qm
