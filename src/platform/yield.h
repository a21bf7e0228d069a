// SPDX-License-Identifier: GPL-3.0-or-later
// The yield to the window's message loop.
//
// Long loops (the walk, the search, the criterion pass, the result commands)
// call Yield() at fixed points so the window keeps painting and other
// handlers can run.  Processing events costs microseconds even when nothing
// is pending, so a yield only enters the event loop when a few milliseconds
// have passed since the last time it did; pending input waits at most that
// long.  Every call is still counted, and a test hook sees every call.
// While the read-ahead workers (read_ahead.h) are still reading what the
// loop asks for next, the yield waits for it, turning the event loop every
// few milliseconds meanwhile, rather than leaving the wait to the call
// after it.
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

// Turns: how many times this process may have changed the file system:
// each write through the FileSystem layer or to the settings file, each
// yield that ran the test hook, each modal dialog (whatever answered it).
// A change is seen by everything read after the count moved on past it; the
// read-ahead keeps no answer across a turn.  Safe to read from any thread.
std::uint64_t ChangeTurns();
// Counts one turn, after the change.
void CountChangeTurn();
// Counts one turn when it goes out of scope: for a call that may change
// the file system on any of its ways out.
struct ChangeTurnOnExit {
  ~ChangeTurnOnExit() { CountChangeTurn(); }
};

// Longest time, in milliseconds, between two passes through the event loop
// made by Yield() since the last ResetYieldGap(); for the benchmark.
double LongestYieldGap();
void ResetYieldGap();

}  // namespace qm

#endif  // QUENMOOR_PLATFORM_YIELD_H_
