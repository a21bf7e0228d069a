#include "platform/settings_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <vector>

#include "platform/failure.h"

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

}  // namespace

std::string UserConfigFolder() {
  const char* xdg = std::getenv("XDG_CONFIG_HOME");
  if (xdg && *xdg == '/') return xdg;
  const char* home = std::getenv("HOME");
  return std::string(home && *home ? home : "/") + "/.config";
}

// Reads the whole file.  Returns false when it does not exist; fails when it
// exists but cannot be read.
bool ReadSettingsFile(const std::string& path, std::string* out) {
  int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
  if (fd < 0) {
    if (errno == ENOENT || errno == ENOTDIR) return false;  // no store there
    throw FailureFromErrno(errno);
  }
  struct stat st;
  if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
    ::close(fd);
    throw Failure(kErrPathFileAccess);
  }
  out->clear();
  char buf[65536];
  for (;;) {
    ssize_t n = ::read(fd, buf, sizeof buf);
    if (n < 0) {
      if (errno == EINTR) continue;
      int err = errno;
      ::close(fd);
      throw FailureFromErrno(err);
    }
    if (n == 0) break;
    out->append(buf, static_cast<size_t>(n));
    if (out->size() > kMaxStoreBytes) {
      ::close(fd);
      throw Failure(kErrPathFileAccess);
    }
  }
  ::close(fd);
  return true;
}

void ReplaceSettingsFile(const std::string& path, const QByteArray& content) {
  std::string dir = path.substr(0, path.rfind('/'));
  MakeDirs(dir);
  std::string temp = path + ".XXXXXX";
  std::vector<char> name(temp.begin(), temp.end());
  name.push_back('\0');
  int fd = ::mkstemp(name.data());
  if (fd < 0) throw FailureFromErrno(errno, true);
  try {
    WriteAll(fd, content);
    if (::fchmod(fd, 0600) != 0 || ::fsync(fd) != 0) throw FailureFromErrno(errno);
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

void MoveSettingsFileAside(const std::string& path, const std::string& aside) {
  if (::rename(path.c_str(), aside.c_str()) != 0) throw FailureFromErrno(errno);
}

}  // namespace qm
