// SPDX-License-Identifier: GPL-3.0-or-later
// The change count: how many times this process may have changed the file
// system.  Each write through the FileSystem layer or to the settings file
// counts one, and so does each yield that ran a test's hook and each modal
// dialog (whatever answered it), as other code may have run meanwhile.
//
// Whatever keeps something read from the file system for later (the
// search's read-ahead) keeps the count it was read at, and uses it only
// while the count is still that: a change is seen by everything read after
// the count moved on past it.  Safe to read from any thread.
#ifndef QUENMOOR_PLATFORM_CHANGE_COUNT_H_
#define QUENMOOR_PLATFORM_CHANGE_COUNT_H_

#include <atomic>
#include <cstdint>

namespace qm {

namespace internal {
inline std::atomic<std::uint64_t> g_change_count{0};
}  // namespace internal

inline std::uint64_t ChangeCount() {
  return internal::g_change_count.load(std::memory_order_acquire);
}

// Counts one change, after it was made.
inline void CountChange() { internal::g_change_count.fetch_add(1, std::memory_order_acq_rel); }

// Counts one change when it goes out of scope: for a call that may change
// the file system on any of its ways out.
struct CountChangeOnExit {
  ~CountChangeOnExit() { CountChange(); }
};

}  // namespace qm

#endif  // QUENMOOR_PLATFORM_CHANGE_COUNT_H_
