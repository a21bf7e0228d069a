// SPDX-License-Identifier: GPL-3.0-or-later
// The directory walker: expands a list of folders with every accepted folder
// below them, level by level, and lists the files of one folder.
//
// Folder paths end in "/"; the root folder is "/"; a child's path is its
// parent's path, its name and "/".
#ifndef QUENMOOR_SEARCH_WALKER_H_
#define QUENMOOR_SEARCH_WALKER_H_

#include <string>
#include <vector>

namespace qm {

// The routine identifier shown in the walker's error reports.
extern const char kWalkerRoutineId[];

// What the walks have done so far, for a window that shows a search's
// progress, and its request to end a walk early: `folders` counts every
// folder listed, `folder` is the one listed last.  A walk that finds `stop`
// set at one of its yields lists no further folder and hands up what it has
// found.
struct WalkProgress {
  std::size_t folders = 0;
  std::string folder;
  const bool* stop = nullptr;
};
// The progress the walks keep (nullptr: none).
void SetWalkProgress(WalkProgress* progress);

// Expands `folders` in place.  Afterwards it holds the entries it was given
// (less those whose subfolders could not be listed because the listing was
// refused or the folder vanished), then every accepted folder below them in
// level order: all children of the given entries, then all grandchildren,
// and so on; children of one parent in the order the file system lists them.
// With `recursive` false only the children are added.
//
// A folder is refused when its attribute value is exactly 22 (hidden +
// system + directory, as kernel pseudo-filesystems read) or 1046 (the same
// through a link), unless it is the root folder.  A subfolder is not
// collected when its name holds a character that is unsafe in the
// single-byte code page (HasUnsafeNameChars) or a "?", or when it resolves
// to a folder this call has collected already (the same device and inode: a
// link back up the tree, or a second way to one folder), so each folder is
// walked once per call.
// Folders whose path (with its final "/") takes PATH_MAX (4,096) bytes or
// more are not listed: the kernel opens no longer path.
//
// Failures are reported through the error trap with this routine's
// identifier, except while entries of one level are being listed, where a
// failure quietly ends the listing of that entry.
void GetSubDirectories2016(std::vector<std::string>& folders, bool recursive);

// The names of the files directly in `folder` (with or without its final
// "/"; "" is the root folder) that match the wildcard `pattern` by the
// classic rules ("*.*" matches every name, with or without a dot).  Regular
// files and links to regular files count; folders, FIFOs, sockets, devices,
// broken links and names that are not valid UTF-8 do not.  Index 0 holds an
// empty placeholder and the names sit at 1..n in the order the file system
// lists them; with no names the result is just the placeholder.  A folder
// that does not exist has no names; other failures throw Failure.
std::vector<std::string> ListFolderFiles(const std::string& folder,
                                         const std::string& pattern);
// The same into `names`, whose strings are used again from one folder to
// the next: returns n, the names at 1..n (names may hold more entries past
// them).  On a failure what `names` holds is undefined.
std::size_t ListFolderFilesInto(const std::string& folder, const std::string& pattern,
                                std::vector<std::string>* names);

// True when some character of `name`, converted to Windows-1252, has a code
// below 32, is "?" (63, which also stands for every character the code page
// cannot represent, and for names that are not valid UTF-8), or lies in
// 127..159.
bool HasUnsafeNameChars(const std::string& name);

// Classic wildcard matching: "*" any run, "?" any one character, letters
// compared without regard to ASCII case, and a final ".*" also matching
// names without a dot.
bool WildcardMatch(const std::string& pattern, const std::string& name);

}  // namespace qm

#endif  // QUENMOOR_SEARCH_WALKER_H_
