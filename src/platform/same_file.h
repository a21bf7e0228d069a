// SPDX-License-Identifier: GPL-3.0-or-later
// Telling whether two paths reach one file, or one folder, when they may lie
// on different mounts: a bind mount, a FUSE or network mount of the same
// folder, an overlay above it.  Such mounts give one file other device
// numbers, and often other inode numbers, so those alone cannot tell.
#ifndef QUENMOOR_PLATFORM_SAME_FILE_H_
#define QUENMOOR_PLATFORM_SAME_FILE_H_

#include <sys/stat.h>

namespace qm {

// Whether the folder open as `target` is the folder open as `listed` seen
// through another mount: a name made in `target` shows in `listed`.  1 when
// it is, 0 when it is another folder, -1 with errno when that cannot be
// told (nothing can be made in `target`, or `listed` cannot be read).
int SameFolderSeenTwice(int listed, int target);

// Whether `a` and `b`, read through two paths, may be one file.  On one
// device the inode decides.  Across two, one kind of file of one size is
// taken for one file when the inode numbers agree (bind mounts, overlays of
// one file system, FUSE and NFS views that pass them on) or when the change
// times agree to the nanosecond (overlays that renumber inodes): nothing
// but the file itself gives another file its change time.
bool MayBeSameFile(const struct stat& a, const struct stat& b);

// Whether the file system of the folder open as `dir_fd` shows one inode
// number for two names of one file (1), or a number per name (0), as sshfs
// and other FUSE file systems that number what they are asked about do;
// -1 when that cannot be told (no file or no second name can be made
// there).  Found out with a probe file of ours and a hard link to it, both
// removed again.
int NamesShareInodeNumbers(int dir_fd);

// Whether the regular files open as `a` and `b` hold the same `size` bytes.
bool SameContents(int a, int b, off_t size);

// Opens `name` in the folder `dir_fd` (AT_FDCWD: `name` is a path) to read
// it for a comparison: never following a link, never waiting on a FIFO,
// and leaving its access time alone where this user may (a file's access
// time is what searches by "Date Accessed" judge it by).  -1 with errno.
int OpenToCompare(int dir_fd, const char* name);

}  // namespace qm

#endif  // QUENMOOR_PLATFORM_SAME_FILE_H_
