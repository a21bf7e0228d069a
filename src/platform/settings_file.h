// SPDX-License-Identifier: GPL-3.0-or-later
// Where per-user settings live on disk, and how the file is read and
// replaced: the stand-in for the system's per-user settings area.
#ifndef QUENMOOR_PLATFORM_SETTINGS_FILE_H_
#define QUENMOOR_PLATFORM_SETTINGS_FILE_H_

#include <QByteArray>
#include <string>

namespace qm {

// $XDG_CONFIG_HOME, or ~/.config.
std::string UserConfigFolder();

// Reads the whole file into `out`.  False when there is no file there;
// fails, saying why in words for the user, when something is there that
// cannot be read as a settings file: a folder, a FIFO, a device, a file too
// large to be one (over 4 MiB), a file that cannot be opened.  Never blocks.
// The null device (a store switched off) reads as no file.
bool ReadSettingsFile(const std::string& path, std::string* out);

// Replaces the file with `content` atomically: a temporary file in the same
// folder, flushed to disk, renamed over the old one.  The new file keeps the
// old one's permission bits (and owner, where allowed); a new one is 0600.  Missing folders are
// made.  When `path` is a symbolic link (as dotfile managers make), the
// file it leads to is the one replaced, the same way, and the link stays.
// Only a regular file is replaced (ReplaceWholeFile): a device or FIFO
// there fails the write, and the null device takes nothing.  Fails,
// leaving the old file as it was, when that cannot be done.
void ReplaceSettingsFile(const std::string& path, const QByteArray& content);

// Renames the file at `path` (or the file a link there leads to) to the
// first free name of `path`.damaged, `path`.damaged.2, `path`.damaged.3 ...
// beside it, so no earlier copy is ever replaced.  Returns the new name.
std::string MoveSettingsFileAside(const std::string& path);

}  // namespace qm

#endif  // QUENMOOR_PLATFORM_SETTINGS_FILE_H_
