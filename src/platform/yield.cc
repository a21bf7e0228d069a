#include "platform/yield.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <time.h>

#include <atomic>

namespace qm {
namespace {

std::uint64_t g_count = 0;
std::function<void()> g_hook;
int g_interval_ms = 8;
double g_longest_gap_ms = 0;
bool g_reset = true;
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

}  // namespace

void Yield() {
  ++g_count;
  if (g_hook) {
    // The hook may change anything.
    g_hook();
    CountChangeTurn();
  }
  // Well before the interval is up the coarse clock says so; only near it
  // is the precise clock read.
  static std::int64_t last_coarse_ms = 0;
  if (!g_reset && g_interval_ms > 0 &&
      CoarseMs() - last_coarse_ms + CoarseTickMs() < g_interval_ms) {
    return;
  }
  static qint64 last_ns = 0;
  qint64 now = Clock().nsecsElapsed();
  if (g_reset) {
    last_ns = now;
    g_reset = false;
  }
  if (g_interval_ms > 0 && now - last_ns < qint64(g_interval_ms) * 1000000) {
    return;
  }
  double gap = double(now - last_ns) / 1e6;
  if (gap > g_longest_gap_ms) g_longest_gap_ms = gap;
  if (QCoreApplication::instance()) {
    QCoreApplication::processEvents(QEventLoop::AllEvents);
  }
  last_ns = Clock().nsecsElapsed();
  last_coarse_ms = CoarseMs();
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
