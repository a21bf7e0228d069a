// SPDX-License-Identifier: GPL-3.0-or-later
// Shared helpers for the tests: temporary folders, files with chosen dates.
#ifndef QUENMOOR_TESTING_TEST_ENV_H_
#define QUENMOOR_TESTING_TEST_ENV_H_

#include <condition_variable>
#include <ctime>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace qm {
namespace testing {

// A fresh folder under the system's temporary folder, removed with all its
// contents when the object goes.  path() has no final "/".
class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;
  const std::string& path() const { return path_; }
  // path() + "/" + relative
  std::string Sub(const std::string& relative) const { return path_ + "/" + relative; }

 private:
  std::string path_;
};

// Creates a file (and its missing parent folders) holding `content`.
void WriteFile(const std::string& path, const std::string& content = "x");
std::string ReadFile(const std::string& path);
void MakeDirs(const std::string& path);
bool Exists(const std::string& path);  // lstat succeeds
// The names in a folder, sorted, without "." and "..".
std::vector<std::string> ListDir(const std::string& dir);

// Makes folders nested below `under` so that the deepest one's path, with
// its final "/", takes exactly `length` bytes (a path may be longer than
// the kernel opens), and returns that path.  Each name in `children` is
// made inside it: a folder for a name ending in "/", else a file dated
// `when` (modified and accessed).
std::string MakeDeepFolder(const std::string& under, std::size_t length,
                           const std::vector<std::string>& children = {}, std::time_t when = 0);

// Sets the modified and accessed times (seconds since 1970, UTC).
void SetTimes(const std::string& path, std::time_t modified, std::time_t accessed);
// Seconds since 1970 of a local date and time (interpreted in the current TZ).
std::time_t LocalTime(int year, int month, int day, int hour = 0, int minute = 0, int second = 0);

// Sets an environment variable for the lifetime of the object.
class ScopedEnv {
 public:
  ScopedEnv(const char* name, const std::string& value);
  ~ScopedEnv();

 private:
  std::string name_;
  std::string old_;
  bool had_old_;
};

// Ends the test program, naming `what`, unless the object goes within
// `seconds`: a way out of a test whose subject would otherwise wait for
// ever (a FIFO opened for reading).  Not a measure of speed.
class HangGuard {
 public:
  HangGuard(const std::string& what, int seconds);
  ~HangGuard();
  HangGuard(const HangGuard&) = delete;
  HangGuard& operator=(const HangGuard&) = delete;

 private:
  std::mutex mutex_;
  std::condition_variable done_;
  bool finished_ = false;
  std::thread watcher_;
};

}  // namespace testing
}  // namespace qm

#endif  // QUENMOOR_TESTING_TEST_ENV_H_
