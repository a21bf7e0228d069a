// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/yield.h"

#include <time.h>

#include <QCoreApplication>
#include <algorithm>
#include <limits>

namespace qm {
namespace {

std::uint64_t g_count = 0;
std::function<void()> g_hook;
int g_interval_ms = 8;
double g_longest_gap_ms = 0;
bool g_reset = true;
std::int64_t g_last_turn_ns = 0;

std::int64_t NowNs() {
  struct timespec ts;
  ::clock_gettime(CLOCK_MONOTONIC, &ts);
  return std::int64_t(ts.tv_sec) * 1000000000 + ts.tv_nsec;
}

// Milliseconds by the coarse clock, which costs a third of the precise one
// and lags it by less than its tick.
std::int64_t CoarseMs() {
  struct timespec ts;
  ::clock_gettime(CLOCK_MONOTONIC_COARSE, &ts);
  return std::int64_t(ts.tv_sec) * 1000 + ts.tv_nsec / 1000000;
}

std::int64_t CoarseTickMs() {
  static const std::int64_t tick = [] {
    struct timespec res;
    if (::clock_getres(CLOCK_MONOTONIC_COARSE, &res) != 0) return std::int64_t{1000};
    return std::int64_t(res.tv_sec) * 1000 + (res.tv_nsec + 999999) / 1000000 + 1;
  }();
  return tick;
}

// Until this coarse millisecond the event loop is surely not due for a
// turn; from then on the precise clock is read.
std::int64_t g_coarse_due_ms = std::numeric_limits<std::int64_t>::min();

// The coarse clock lags the precise one by less than a tick: the precise
// clock is read from a tick before the interval is up.
void SetCoarseDue(std::int64_t turn_coarse_ms) {
  g_coarse_due_ms = g_interval_ms > 0 ? turn_coarse_ms + g_interval_ms - CoarseTickMs()
                                      : std::numeric_limits<std::int64_t>::min();
}

// Whether the event loop is due for a turn.
bool TurnDue() {
  if (CoarseMs() < g_coarse_due_ms) return false;
  const std::int64_t now = NowNs();
  if (g_reset) {
    g_last_turn_ns = now;
    g_reset = false;
    SetCoarseDue(CoarseMs());
  }
  return g_interval_ms == 0 || now - g_last_turn_ns >= std::int64_t(g_interval_ms) * 1000000;
}

void TurnEventLoop() {
  const std::int64_t now = NowNs();
  const double gap = double(now - g_last_turn_ns) / 1e6;
  if (gap > g_longest_gap_ms) g_longest_gap_ms = gap;
  if (QCoreApplication::instance()) {
    QCoreApplication::processEvents(QEventLoop::AllEvents);
  }
  g_last_turn_ns = NowNs();
  SetCoarseDue(CoarseMs());
}

}  // namespace

void Yield() {
  ++g_count;
  if (g_hook) g_hook();
  if (TurnDue()) TurnEventLoop();
}

std::uint64_t YieldCount() { return g_count; }

void SetYieldHook(std::function<void()> hook) { g_hook = std::move(hook); }

int SetYieldInterval(int milliseconds) {
  int old = g_interval_ms;
  g_interval_ms = milliseconds < 0 ? 0 : milliseconds;
  g_coarse_due_ms = std::numeric_limits<std::int64_t>::min();
  return old;
}

double LongestYieldGap() { return g_longest_gap_ms; }

void ResetYieldGap() {
  g_longest_gap_ms = 0;
  g_reset = true;
  g_coarse_due_ms = std::numeric_limits<std::int64_t>::min();
}

}  // namespace qm
