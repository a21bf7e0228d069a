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
// fails when it exists but cannot be read (or is not a plain file, or is
// implausibly large).
bool ReadSettingsFile(const std::string& path, std::string* out);

// Replaces the file with `content` atomically: a temporary file in the same
// folder, flushed to disk, renamed over the old one.  Missing folders are
// made.  When `path` is a symbolic link (as dotfile managers make), the
// file it leads to is the one replaced, the same way, and the link stays.
// Fails, leaving the old file as it was, when that cannot be done.
void ReplaceSettingsFile(const std::string& path, const QByteArray& content);

// Renames the file at `path` (or the file a link there leads to) to the
// first free name of `path`.damaged, `path`.damaged.2, `path`.damaged.3 ...
// beside it, so no earlier copy is ever replaced.  Returns the new name.
std::string MoveSettingsFileAside(const std::string& path);

}  // namespace qm

#endif  // QUENMOOR_PLATFORM_SETTINGS_FILE_H_
