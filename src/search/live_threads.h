// SPDX-License-Identifier: GPL-3.0-or-later
// A count of the detached threads of one kind still alive, and a wait, for
// a while, until none is.  Searches leave their threads detached so that
// Stop never waits for a call stuck on a slow mount; tests and the end of
// the program wait here, with a deadline, for what is still on its way out.
#ifndef QUENMOOR_SEARCH_LIVE_THREADS_H_
#define QUENMOOR_SEARCH_LIVE_THREADS_H_

#include <chrono>
#include <condition_variable>
#include <mutex>

namespace qm {

class LiveThreads {
 public:
  // Before a thread is started.
  void Started() {
    std::lock_guard<std::mutex> lock(mu_);
    ++count_;
  }
  // As the thread's last act, or when it could not be started.
  void Ended() {
    std::lock_guard<std::mutex> lock(mu_);
    --count_;
    cv_.notify_all();
  }
  int Count() {
    std::lock_guard<std::mutex> lock(mu_);
    return count_;
  }
  // Whether none is left by `deadline`.
  bool WaitForNone(std::chrono::steady_clock::time_point deadline) {
    std::unique_lock<std::mutex> lock(mu_);
    return cv_.wait_until(lock, deadline, [this] { return count_ == 0; });
  }

 private:
  std::mutex mu_;
  std::condition_variable cv_;
  int count_ = 0;
};

}  // namespace qm

#endif  // QUENMOOR_SEARCH_LIVE_THREADS_H_
