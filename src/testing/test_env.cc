// SPDX-License-Identifier: GPL-3.0-or-later
#include "testing/test_env.h"

#include <dirent.h>
#include <fcntl.h>
#include <ftw.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <vector>

#include "search/time_stamps.h"

namespace qm {
namespace testing {
namespace {
int RemoveOne(const char* path, const struct stat*, int, struct FTW*) {
  ::remove(path);
  return 0;
}
}  // namespace

TempDir::TempDir() {
  const char* base = std::getenv("TMPDIR");
  std::string pattern = std::string(base && *base ? base : "/tmp") + "/qmtest.XXXXXX";
  std::vector<char> buf(pattern.begin(), pattern.end());
  buf.push_back('\0');
  if (!::mkdtemp(buf.data())) throw std::runtime_error("mkdtemp failed");
  path_ = buf.data();
}

TempDir::~TempDir() {
  // Make everything writable first so nothing stays behind.
  ::nftw(
      path_.c_str(),
      [](const char* p, const struct stat* st, int type, struct FTW*) {
        if (type == FTW_D || type == FTW_DP) ::chmod(p, 0755);
        return 0;
      },
      32, FTW_PHYS);
  ::nftw(path_.c_str(), RemoveOne, 32, FTW_DEPTH | FTW_PHYS);
}

void MakeDirs(const std::string& path) {
  std::string partial;
  std::stringstream ss(path);
  std::string piece;
  if (!path.empty() && path[0] == '/') partial = "/";
  while (std::getline(ss, piece, '/')) {
    if (piece.empty()) continue;
    partial += piece;
    ::mkdir(partial.c_str(), 0755);
    partial += "/";
  }
}

void WriteFile(const std::string& path, const std::string& content) {
  auto slash = path.rfind('/');
  if (slash != std::string::npos && slash > 0) MakeDirs(path.substr(0, slash));
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  if (!out) throw std::runtime_error("cannot write " + path);
  out << content;
}

std::vector<std::string> ListDir(const std::string& dir) {
  std::vector<std::string> names;
  if (DIR* d = ::opendir(dir.c_str())) {
    while (dirent* e = ::readdir(d)) {
      std::string name = e->d_name;
      if (name != "." && name != "..") names.push_back(name);
    }
    ::closedir(d);
  }
  std::sort(names.begin(), names.end());
  return names;
}

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream ss;
  ss << in.rdbuf();
  return ss.str();
}

bool Exists(const std::string& path) {
  struct stat st;
  return ::lstat(path.c_str(), &st) == 0;
}

std::string MakeDeepFolder(const std::string& under, std::size_t length,
                           const std::vector<std::string>& children, std::time_t when) {
  MakeDirs(under);
  std::string path = under;
  int fd = ::open(under.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC);
  char letter = 'a';
  while (fd >= 0 && path.size() + 2 < length) {
    // "/" name "/": the last name takes what is left; the others 200 bytes,
    // leaving at least one byte for the next.
    std::size_t left = length - path.size() - 2;
    const std::string name(left > 201 ? 200 : left, letter++);
    ::mkdirat(fd, name.c_str(), 0755);
    const int next = ::openat(fd, name.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC);
    ::close(fd);
    fd = next;
    path += "/" + name;
  }
  if (fd < 0 || path.size() + 1 != length) {
    throw std::runtime_error("cannot make a folder " + std::to_string(length) + " bytes deep");
  }
  for (const std::string& child : children) {
    if (!child.empty() && child.back() == '/') {
      ::mkdirat(fd, child.substr(0, child.size() - 1).c_str(), 0755);
      continue;
    }
    const int file = ::openat(fd, child.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0644);
    if (file < 0 || ::write(file, "data", 4) != 4)
      throw std::runtime_error("cannot write " + child);
    ::close(file);
    const struct timespec times[2] = {{when, 0}, {when, 0}};
    ::utimensat(fd, child.c_str(), times, 0);
  }
  ::close(fd);
  return path + "/";
}

void SetTimes(const std::string& path, std::time_t modified, std::time_t accessed) {
  struct timespec times[2];
  times[0].tv_sec = accessed;
  times[0].tv_nsec = 0;
  times[1].tv_sec = modified;
  times[1].tv_nsec = 0;
  if (::utimensat(AT_FDCWD, path.c_str(), times, AT_SYMLINK_NOFOLLOW) != 0) {
    throw std::runtime_error("utimensat failed on " + path + ": " + std::strerror(errno));
  }
}

std::time_t LocalTime(int year, int month, int day, int hour, int minute, int second) {
  ::tzset();
  struct tm tm = {};
  tm.tm_year = year - 1900;
  tm.tm_mon = month - 1;
  tm.tm_mday = day;
  tm.tm_hour = hour;
  tm.tm_min = minute;
  tm.tm_sec = second;
  tm.tm_isdst = -1;
  return ::mktime(&tm);
}

ScopedEnv::ScopedEnv(const char* name, const std::string& value) : name_(name) {
  const char* old = std::getenv(name);
  had_old_ = old != nullptr;
  if (old) old_ = old;
  ::setenv(name, value.c_str(), 1);
  ::tzset();
  ForgetLocalOffsets();
}

ScopedEnv::~ScopedEnv() {
  if (had_old_) {
    ::setenv(name_.c_str(), old_.c_str(), 1);
  } else {
    ::unsetenv(name_.c_str());
  }
  ::tzset();
  ForgetLocalOffsets();
}

HangGuard::HangGuard(const std::string& what, int seconds) {
  watcher_ = std::thread([this, what, seconds] {
    std::unique_lock<std::mutex> lock(mutex_);
    if (!done_.wait_for(lock, std::chrono::seconds(seconds), [this] { return finished_; })) {
      std::fprintf(stderr, "still waiting after %d s: %s\n", seconds, what.c_str());
      std::abort();
    }
  });
}

HangGuard::~HangGuard() {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    finished_ = true;
  }
  done_.notify_all();
  watcher_.join();
}

}  // namespace testing
}  // namespace qm
