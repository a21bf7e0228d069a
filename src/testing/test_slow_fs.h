// SPDX-License-Identifier: GPL-3.0-or-later
// A file system that is slow on cue, for what a slow disk, a network share
// or a stuck FUSE daemon does to a search: listings and stamp reads that
// take their time, and one stamp read that waits until the test lets it go.
#ifndef QUENMOOR_TESTING_TEST_SLOW_FS_H_
#define QUENMOOR_TESTING_TEST_SLOW_FS_H_

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <string>
#include <thread>

#include "platform/file_system.h"

namespace qm {
namespace testing {

class SlowFs : public FileSystem {
 public:
  // Every folder opened for listing, and every stamp read, first waits so
  // long.
  std::atomic<int> listing_delay_ms{0};
  std::atomic<int> stamp_delay_ms{0};

  // The stamp read of every file named `name` waits until Release(), or at
  // most `limit_ms`.
  void Hold(const std::string& name, int limit_ms = 10000) {
    std::lock_guard<std::mutex> lock(mu_);
    held_name_ = name;
    limit_ms_ = limit_ms;
    released_ = false;
  }
  void Release() {
    std::lock_guard<std::mutex> lock(mu_);
    released_ = true;
    cv_.notify_all();
  }
  // Whether a read is waiting at the hold now.
  bool Holding() const { return waiting_.load() > 0; }

  DIR* OpenDir(const char* path) override {
    Sleep(listing_delay_ms.load());
    return FileSystem::OpenDir(path);
  }
  int StatxAt(int dir_fd, const char* name, int flags, unsigned mask, struct statx* stx) override {
    Sleep(stamp_delay_ms.load());
    {
      std::unique_lock<std::mutex> lock(mu_);
      if (!released_ && held_name_ == name) {
        ++waiting_;
        cv_.wait_for(lock, std::chrono::milliseconds(limit_ms_), [&] { return released_; });
        --waiting_;
      }
    }
    return FileSystem::StatxAt(dir_fd, name, flags, mask, stx);
  }

 private:
  static void Sleep(int ms) {
    if (ms > 0) std::this_thread::sleep_for(std::chrono::milliseconds(ms));
  }
  std::mutex mu_;
  std::condition_variable cv_;
  std::string held_name_;
  int limit_ms_ = 0;
  bool released_ = true;
  std::atomic<int> waiting_{0};
};

}  // namespace testing
}  // namespace qm

#endif  // QUENMOOR_TESTING_TEST_SLOW_FS_H_
