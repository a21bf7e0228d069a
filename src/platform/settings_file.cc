// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/settings_file.h"

#include <QCoreApplication>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

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

void WriteAll(int fd, const QByteArray& data) {
  const char* p = data.constData();
  qsizetype left = data.size();
  while (left > 0) {
    ssize_t n = ::write(fd, p, static_cast<size_t>(left));
    if (n < 0) {
      if (errno == EINTR) continue;
      throw FailureFromErrno(errno);
    }
    p += n;
    left -= n;
  }
}

void MakeDirs(const std::string& dir) {
  std::string partial;
  size_t pos = 0;
  while (pos != std::string::npos) {
    size_t next = dir.find('/', pos + 1);
    partial = dir.substr(0, next);
    if (!partial.empty() && ::mkdir(partial.c_str(), 0700) != 0 && errno != EEXIST) {
      throw FailureFromErrno(errno, true);
    }
    pos = next;
  }
}

// The file that `path` names once symbolic links are followed, though it
// may not exist yet.  Relative links are taken from the link's own folder.
std::string FollowLinks(const std::string& path) {
  std::string current = path;
  for (int hops = 0; hops < 40; ++hops) {
    struct stat st;
    if (::lstat(current.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) return current;
    std::vector<char> target(static_cast<size_t>(st.st_size > 0 ? st.st_size : 255) + 2);
    ssize_t n = ::readlink(current.c_str(), target.data(), target.size());
    if (n < 0) throw FailureFromErrno(errno);
    if (static_cast<size_t>(n) >= target.size()) throw Failure(kErrPathFileAccess);  // grew
    std::string next(target.data(), static_cast<size_t>(n));
    if (next.empty()) throw Failure(kErrPathNotFound);
    if (next[0] != '/') next = current.substr(0, current.rfind('/') + 1) + next;
    current = next;
  }
  throw FailureFromErrno(ELOOP);
}

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
  static const WholeFileWords words = {
      "qm::SettingsFile",
      QT_TRANSLATE_NOOP("qm::SettingsFile", "The settings file %1 is %2, not a file"),
      QT_TRANSLATE_NOOP("qm::SettingsFile", "The settings file %1 is too large (%2)"),
      QT_TRANSLATE_NOOP("qm::SettingsFile", "The settings file %1 cannot be read: %2"),
  };
  return ReadWholeFile(path, kMaxStoreBytes, words, out);
}

void ReplaceSettingsFile(const std::string& link_or_path, const QByteArray& content) {
  // The settings folder may lie in a folder being searched.
  // Renaming over a link would replace the link; the file it leads to is
  // replaced instead, from a temporary file beside it.
  const std::string path = FollowLinks(link_or_path);
  std::string dir = path.substr(0, path.rfind('/'));
  MakeDirs(dir);
  std::string temp = path + ".XXXXXX";
  std::vector<char> name(temp.begin(), temp.end());
  name.push_back('\0');
  int fd = ::mkstemp(name.data());
  if (fd < 0) throw FailureFromErrno(errno, true);
  try {
    WriteAll(fd, content);
    // The new file keeps the old one's permission bits and, where this user
    // may give them, its owner and group; a new store is the user's alone.
    struct stat old;
    mode_t mode = 0600;
    if (::stat(path.c_str(), &old) == 0 && S_ISREG(old.st_mode)) {
      mode = old.st_mode & 07777;
      if (::fchown(fd, old.st_uid, old.st_gid) != 0) {
        mode &= 0777;  // set-id bits only go with the owner they were set by
        (void)::fchown(fd, static_cast<uid_t>(-1), old.st_gid);
      }
    }
    if (::fchmod(fd, mode) != 0 || ::fsync(fd) != 0) throw FailureFromErrno(errno);
  } catch (...) {
    ::close(fd);
    ::unlink(name.data());
    throw;
  }
  if (::close(fd) != 0) {
    int err = errno;
    ::unlink(name.data());
    throw FailureFromErrno(err);
  }
  if (::rename(name.data(), path.c_str()) != 0) {
    int err = errno;
    ::unlink(name.data());
    throw FailureFromErrno(err);
  }
  int dfd = ::open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (dfd >= 0) {
    ::fsync(dfd);
    ::close(dfd);
  }
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
