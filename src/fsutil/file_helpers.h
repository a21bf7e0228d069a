// SPDX-License-Identifier: GPL-3.0-or-later
// Small stateless routines over paths: is it a folder, is it a file, its
// folder, tidying doubled separators, deleting a file even when read-only,
// and copying a file with checks.  None shows a message; each answers with
// its result and swallows its own failures, except ParentPathOf and
// NormalizeBackslashes, which can only fail for lack of memory.
#ifndef QUENMOOR_FSUTIL_FILE_HELPERS_H_
#define QUENMOOR_FSUTIL_FILE_HELPERS_H_

#include <QString>
#include <string>

#include "fsutil/path_style.h"

namespace qm {

// True when the file system can give the path's last-modified time: any
// entry, a link by itself even when it points nowhere.
bool PathExists(const std::string& path);
bool PathExists(const QString& path);

// True when `path`, following links, is a folder; false on any failure.
bool IsFolderPath(const std::string& path);

// True when `path`, following links, is an existing regular file.  The file
// is never opened (so a FIFO or a device can never block or be read) and its
// access time is untouched.  False for a folder, a missing path, a broken
// link, and a path that is not valid UTF-8 (such a name has no text form).
bool PathIsFile(const std::string& path);

// `path` up to and including its last separator; "" when there is none.
std::string ParentPathOf(const std::string& path, const PathStyle& style = kPosixStyle);

// Replaces, in one left-to-right pass, every non-overlapping pair of
// separators by one (so a run of n becomes (n + 1) / 2); a leading run of
// separators becomes the style's leading run.
std::string NormalizeBackslashes(const std::string& path, const PathStyle& style = kPosixStyle);

// Yields to the window first, then deletes the file with a plain delete
// (which refuses a read-only file) and, should that fail, with the forced
// delete of the file-system object.  Errors are ignored.
void DeleteFileForced(const std::string& path);

// Copies `source` onto `destination`, replacing a file there (see
// FileSystemObject::CopyFile).  Errors are swallowed; true when the copy was
// completed.
bool CopyFileOverwrite(const std::string& source, const std::string& destination);

// Copies only when neither path is blank, the normalised source is a file
// and the normalised destination's folder exists.  Wildcards are never
// expanded: "a/*.txt" names a file called "*.txt".  True only when a
// complete copy was made.
bool CopyFileChecked(const std::string& source, const std::string& destination);

}  // namespace qm

#endif  // QUENMOOR_FSUTIL_FILE_HELPERS_H_
