// SPDX-License-Identifier: GPL-3.0-or-later
// Sending files to the desktop trash (the freedesktop.org trash layout).
//
// A file on the same file system as the home trash ($XDG_DATA_HOME/Trash,
// by default ~/.local/share/Trash) goes there; a file on another mount goes
// to that mount's own trash ($top/.Trash/$uid when the administrator made a
// shared sticky .Trash folder, else $top/.Trash-$uid).  Each trashed file
// is one rename into files/ plus a small info/NAME.trashinfo holding its
// original path and the deletion date, so any trash client can list and
// restore it.  A file is never copied across devices: if no trash on its
// own file system can take it, it stays where it is and is reported.
#ifndef QUENMOOR_PLATFORM_TRASH_H_
#define QUENMOOR_PLATFORM_TRASH_H_

#include <sys/stat.h>

#include <functional>
#include <string>
#include <vector>

#include "platform/file_id.h"

namespace qm {

// Shown while a list of files goes to the trash; the dialog code implements
// it (a progress dialog with Cancel).
class TrashProgress {
 public:
  virtual ~TrashProgress() = default;
  virtual void Begin(int total) = 0;
  // Called before each file; `done` files have been handled so far.
  // Returning false means the user cancelled: no further file is touched.
  virtual bool Step(int done, const std::string& current_path) = 0;
  virtual void End() = 0;
};

// Result codes of MoveToTrash besides 0.  A list where some file was
// refused reports the error number of the first refusal (failure.h),
// e.g. 53 "File not found" or 70 "Permission denied".
constexpr int kTrashCancelled = 1223;

struct TrashOutcome {
  int code = 0;          // 0 when every listed file went to the trash
  bool aborted = false;  // the user cancelled part-way (files already trashed stay trashed)
  std::vector<std::string> trashed;      // in order
  std::vector<long long> trashed_bytes;  // each one's size as it went (a folder's own: 0)
  std::vector<std::string> not_trashed;  // in order, with a reason each in `reasons`
  std::vector<std::string> reasons;      // worded for the user
};

// Moves each listed file or folder to the trash, in order, while its path
// still names the file listed (device, inode and type): a path that now
// names something else, or a file without an identity, is refused with
// "it changed since the search".  The entry goes from the very folder that
// was checked.  Every path ends up in exactly one of `trashed` and
// `not_trashed` (files left untouched by a cancel are listed as not
// trashed, reason "cancelled").  Yields to the message loop between files.
// `progress` may be null.
//
// Each info file is written whole before it appears under its name, so a
// kill leaves no empty or partial one.  A kill between the info file and
// the rename leaves a complete info file whose entry is missing from files/
// while the file is still in its folder; trashing that file again reuses
// that info file.
//
// `watcher`, when given, is told of each file before it goes and whether it
// went (see TrashWatcher).
class TrashWatcher;
TrashOutcome MoveToTrash(const std::vector<ListedFile>& files, TrashProgress* progress,
                         TrashWatcher* watcher = nullptr);

// Told of each file as it goes to the trash, so that what went can be found
// and taken back (a journal): before each attempt at a place in a trash
// folder, ahead of the attempt's info file, and afterwards whether the file
// went.  Called on the caller's thread; nothing it does stops the trash.
class TrashWatcher {
 public:
  virtual ~TrashWatcher() = default;
  // The file at `path` (absolute; its status `st` as checked, its identity
  // `id`) is to become the entry `entry` of a trash folder's files/, with
  // the info file `info` (both full paths) whose Path is `path_value`.
  virtual void Going(const std::string& path, const FileId& id, const struct stat& st,
                     const std::string& entry, const std::string& info,
                     const std::string& path_value) = 0;
  // The file announced last is in the trash as announced.
  virtual void Arrived() = 0;
  // The file announced last stays where it is (nothing of it is in the
  // trash, but maybe its info file, which the next trash of it takes over).
  virtual void Stayed() = 0;
};

// Takes the info file `info` of a trash folder away once its entry `entry`
// has left files/ (the file was put back where it came from), so that no
// trash client lists it any more: only a regular file whose Path is
// `path_value`, and only while `entry` names nothing.  0; ENOENT when there
// is no such info file; EEXIST while the entry is still there;
// kChangedSinceSearch when the info file names another path; or errno.
int RemoveTrashInfo(const std::string& entry, const std::string& info,
                    const std::string& path_value);

// The same for paths as they are now (their identity read at the call),
// for callers that have no search behind them.
TrashOutcome MoveToTrash(const std::vector<std::string>& paths, TrashProgress* progress);
std::vector<ListedFile> ListedNow(const std::vector<std::string>& paths);

// The home trash folder: $XDG_DATA_HOME/Trash, or ~/.local/share/Trash when
// XDG_DATA_HOME is unset or not absolute.  Not created here.
std::string HomeTrashDir();

// The trash folder for a mount whose top folder is `top`, created if
// missing: $top/.Trash/$uid when $top/.Trash is a real folder (not a link)
// with the sticky bit, else $top/.Trash-$uid.  Empty, with `why`, when
// neither is usable (wrong owner, a link, cannot be created).
std::string TopDirTrash(const std::string& top, std::string* why);

// The Path= value of a trash info file: every byte outside A-Z a-z 0-9
// "-._~/" is written as %XX.  Decoding it gives back the exact bytes.
std::string EncodeTrashPath(const std::string& path);
std::string DecodeTrashPath(const std::string& encoded);

// Test seam: called for each file just before its rename into the trash,
// after its info file is reserved.  Returning an errno value makes that
// file fail as if the rename had failed with it; 0 lets it go ahead.  An
// empty function removes the hook.
void SetTrashFaultHook(std::function<int(const std::string& path)> hook);

}  // namespace qm

#endif  // QUENMOOR_PLATFORM_TRASH_H_
