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
// made.  Fails, leaving the old file as it was, when that cannot be done.
void ReplaceSettingsFile(const std::string& path, const QByteArray& content);

// Renames the file at `path` to `aside`, replacing anything there.
void MoveSettingsFileAside(const std::string& path, const std::string& aside);

}  // namespace qm

#endif  // QUENMOOR_PLATFORM_SETTINGS_FILE_H_
