// SPDX-License-Identifier: GPL-3.0-or-later
// The yield to the window's message loop.
//
// Long loops on the window's thread (the result commands, the pruning of
// folder rows) call Yield() at fixed points so the window keeps painting and other
// handlers can run.  Processing events costs microseconds even when nothing
// is pending, so a yield only enters the event loop when a few milliseconds
// have passed since the last time it did; pending input waits at most that
// long.  Every call is still counted, and a test hook sees every call.
#ifndef QUENMOOR_PLATFORM_YIELD_H_
#define QUENMOOR_PLATFORM_YIELD_H_

#include <cstdint>
#include <functional>

namespace qm {

// Lets the window process its pending events (see above).
void Yield();

// Number of Yield() calls since the program started.
std::uint64_t YieldCount();

// Runs `hook` at every Yield() call, before events are processed; an empty
// function removes it.  Tests use it to act at an exact point of a loop.
void SetYieldHook(std::function<void()> hook);

// Minimum milliseconds between two passes through the event loop; 0 makes
// every Yield() process events.  Returns the previous value.
int SetYieldInterval(int milliseconds);

// Longest time, in milliseconds, between two passes through the event loop
// made by Yield() since the last ResetYieldGap(); for the benchmark.
double LongestYieldGap();
void ResetYieldGap();

}  // namespace qm

#endif  // QUENMOOR_PLATFORM_YIELD_H_
