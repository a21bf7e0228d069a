// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/yield.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <time.h>

#include <algorithm>
#include <atomic>

#include "platform/read_ahead.h"

namespace qm {
namespace {

std::uint64_t g_count = 0;
std::function<void()> g_hook;
int g_interval_ms = 8;
double g_longest_gap_ms = 0;
bool g_reset = true;
qint64 g_last_turn_ns = 0;
std::int64_t g_last_turn_coarse_ms = 0;
std::atomic<std::uint64_t> g_turns{0};

QElapsedTimer& Clock() {
  static QElapsedTimer clock;
  if (!clock.isValid()) clock.start();
  return clock;
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

// Whether the event loop is due for a turn: well before the interval is up
// the coarse clock says so; only near it is the precise clock read.
bool TurnDue() {
  if (!g_reset && g_interval_ms > 0 &&
      CoarseMs() - g_last_turn_coarse_ms + CoarseTickMs() < g_interval_ms) {
    return false;
  }
  const qint64 now = Clock().nsecsElapsed();
  if (g_reset) {
    g_last_turn_ns = now;
    g_reset = false;
  }
  return g_interval_ms == 0 || now - g_last_turn_ns >= qint64(g_interval_ms) * 1000000;
}

void TurnEventLoop() {
  const qint64 now = Clock().nsecsElapsed();
  const double gap = double(now - g_last_turn_ns) / 1e6;
  if (gap > g_longest_gap_ms) g_longest_gap_ms = gap;
  if (QCoreApplication::instance()) {
    QCoreApplication::processEvents(QEventLoop::AllEvents);
  }
  g_last_turn_ns = Clock().nsecsElapsed();
  g_last_turn_coarse_ms = CoarseMs();
}

}  // namespace

void Yield() {
  ++g_count;
  if (g_hook) {
    // The hook may change anything.
    g_hook();
    CountChangeTurn();
  }
  for (;;) {
    if (TurnDue()) TurnEventLoop();
    // What the loop asks next may still be on its way from the read-ahead
    // workers (a disk busy with many reads can take tens of milliseconds);
    // it is waited for here, with the event loop turning on time, rather
    // than in the call that asks for it.
    if (!ahead::NextPending()) return;
    const qint64 until_due =
        qint64(g_interval_ms) * 1000000 - (Clock().nsecsElapsed() - g_last_turn_ns);
    if (!ahead::WaitForNext(std::max<qint64>(until_due, 1000000))) return;
  }
}

std::uint64_t ChangeTurns() { return g_turns.load(std::memory_order_acquire); }

void CountChangeTurn() { g_turns.fetch_add(1, std::memory_order_acq_rel); }

std::uint64_t YieldCount() { return g_count; }

void SetYieldHook(std::function<void()> hook) { g_hook = std::move(hook); }

int SetYieldInterval(int milliseconds) {
  int old = g_interval_ms;
  g_interval_ms = milliseconds < 0 ? 0 : milliseconds;
  return old;
}

double LongestYieldGap() { return g_longest_gap_ms; }

void ResetYieldGap() {
  g_longest_gap_ms = 0;
  g_reset = true;
}

}  // namespace qm
