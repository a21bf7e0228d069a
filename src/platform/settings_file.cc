// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/settings_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QCoreApplication>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "platform/failure.h"
#include "platform/whole_file.h"

namespace qm {
namespace {

const size_t kMaxStoreBytes = 4 * 1024 * 1024;

const WholeFileWords kWords = {
    "qm::SettingsFile",
    QT_TRANSLATE_NOOP("qm::SettingsFile", "The settings file %1 is %2, not a file"),
    QT_TRANSLATE_NOOP("qm::SettingsFile", "The settings file %1 is too large (%2)"),
    QT_TRANSLATE_NOOP("qm::SettingsFile", "The settings file %1 cannot be read: %2"),
};

// Renames `from` to `to` unless something is there already (false then).
bool RenameNoReplace(const std::string& from, const std::string& to) {
  if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0) {
    return true;
  }
  if (errno == EEXIST) return false;
  if (errno != EINVAL && errno != ENOSYS) throw FailureFromErrno(errno);
  // A file system without that kind of rename: a second link, then drop the
  // first, which fails the same way when the name is taken.
  if (::link(from.c_str(), to.c_str()) != 0) {
    if (errno == EEXIST) return false;
    throw FailureFromErrno(errno);
  }
  ::unlink(from.c_str());
  return true;
}

}  // namespace

std::string UserConfigFolder() {
  const char* xdg = std::getenv("XDG_CONFIG_HOME");
  if (xdg && *xdg == '/') return xdg;
  const char* home = std::getenv("HOME");
  return std::string(home && *home ? home : "/") + "/.config";
}

bool ReadSettingsFile(const std::string& path, std::string* out) {
  return ReadWholeFile(path, kMaxStoreBytes, kWords, out);
}

void ReplaceSettingsFile(const std::string& path, const QByteArray& content) {
  ReplaceWholeFile(path, content.toStdString(), 0600, kWords);
}

std::string MoveSettingsFileAside(const std::string& link_or_path) {
  const std::string path = FollowLinks(link_or_path);
  for (int n = 1; n <= 1000; ++n) {
    std::string aside = path + ".damaged";
    if (n > 1) aside += "." + std::to_string(n);
    if (RenameNoReplace(path, aside)) return aside;
  }
  throw Failure(kErrFileExists);
}

}  // namespace qm
