// SPDX-License-Identifier: GPL-3.0-or-later
// Helpers shared by the benchmarks that drive the real window: a private
// home for the settings and the trash, memory figures from /proc, a clock
// and CPU time, a watch on how long the event loop goes without a turn, and
// one on the time a virtual machine's host takes from its cores.
#ifndef QUENMOOR_BENCH_BENCH_UTIL_H_
#define QUENMOOR_BENCH_BENCH_UTIL_H_

#include <fcntl.h>
#include <stdlib.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QElapsedTimer>
#include <QObject>
#include <QString>
#include <QTimer>
#include <atomic>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "app/form1.h"
#include "platform/dialogs.h"

namespace qm {
namespace bench {

using Clock = std::chrono::steady_clock;

inline double SecondsSince(Clock::time_point start) {
  return std::chrono::duration<double>(Clock::now() - start).count();
}

// CPU seconds (user and system) used so far by this process (RUSAGE_SELF),
// or by its finished children (RUSAGE_CHILDREN).
inline double CpuSeconds(int who = RUSAGE_SELF) {
  struct rusage usage;
  ::getrusage(who, &usage);
  return double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
         double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

// A field of /proc/self/status in kB ("VmRSS", "VmHWM"), 0 when unreadable.
inline long StatusKb(const char* field) {
  std::ifstream in("/proc/self/status");
  std::string line;
  const std::size_t length = std::strlen(field);
  while (std::getline(in, line)) {
    if (line.compare(0, length, field) == 0 && line.size() > length && line[length] == ':') {
      return std::atol(line.c_str() + length + 1);
    }
  }
  return 0;
}
inline long RssKb() { return StatusKb("VmRSS"); }
inline long PeakKb() { return StatusKb("VmHWM"); }
inline double Mb(long kb) { return kb / 1024.0; }

// Brings the peak (VmHWM) down to the present RSS, so a later peak belongs to
// what ran in between.  False where the kernel does not offer it.
inline bool ResetPeak() {
  std::ofstream out("/proc/self/clear_refs");
  out << "5";
  out.flush();
  return static_cast<bool>(out);
}

// Empties the page cache (after writing back what is dirty), so the next
// command reads the tree from the disk.  False, with `*why` saying so, when
// this process may not (it must be root, and /proc/sys/vm writable).
inline bool DropCaches(std::string* why) {
  if (::geteuid() != 0) {
    *why = "not running as root";
    return false;
  }
  ::sync();
  std::ofstream out("/proc/sys/vm/drop_caches");
  out << "3";
  out.flush();
  if (!out) {
    *why = "/proc/sys/vm/drop_caches cannot be written";
    return false;
  }
  return true;
}

// True when `program` is an executable on the PATH.
inline bool OnPath(const std::string& program) {
  const char* path = std::getenv("PATH");
  std::string dirs = path ? path : "/usr/bin:/bin";
  std::size_t start = 0;
  while (start <= dirs.size()) {
    std::size_t end = dirs.find(':', start);
    if (end == std::string::npos) end = dirs.size();
    const std::string candidate = dirs.substr(start, end - start) + "/" + program;
    if (end > start && ::access(candidate.c_str(), X_OK) == 0) return true;
    start = end + 1;
  }
  return false;
}

// A fresh temporary folder (no final "/"); empty on failure.
inline std::string MakeTempFolder(const char* stem) {
  const char* tmp = std::getenv("TMPDIR");
  std::string pattern = std::string(tmp && *tmp ? tmp : "/tmp") + "/" + stem + ".XXXXXX";
  std::string buf = pattern;
  if (!::mkdtemp(&buf[0])) return std::string();
  return buf;
}

// Points the settings, the trash and the program folder into `home`, keeps
// closing the window from ending the process, and answers every dialog:
// message boxes and the trash question with OK, the folder browser with
// `*folder_answer` (cancelled when empty).
inline void PrepareWindowEnvironment(const std::string& home, const QString* folder_answer) {
  ::setenv("HOME", home.c_str(), 1);
  ::setenv("XDG_CONFIG_HOME", (home + "/.config").c_str(), 1);
  ::setenv("XDG_DATA_HOME", (home + "/.local/share").c_str(), 1);
  ::setenv("XDG_STATE_HOME", (home + "/.local/state").c_str(), 1);
  Form1::SetAppFolderForTesting(QString::fromStdString(home));
  Form1::SetUnloadActionForTesting([] {});
  SetDialogResponder([folder_answer](const DialogRequest& r) -> std::optional<DialogAnswer> {
    DialogAnswer answer;
    if (r.kind == DialogKind::kFolderBrowser && folder_answer) answer.folder = *folder_answer;
    if (r.kind == DialogKind::kMessage) {
      std::fprintf(stderr, "  [message] %s\n", r.text.left(200).toLocal8Bit().constData());
    }
    return answer;
  });
}

// Nanoseconds by the monotonic clock, which QElapsedTimer also reads.
inline std::int64_t MonotonicNs() {
  struct timespec ts;
  ::clock_gettime(CLOCK_MONOTONIC, &ts);
  return std::int64_t{ts.tv_sec} * 1000000000 + ts.tv_nsec;
}

// Records the longest interval between two firings of a 1 ms timer: the
// longest the window went without handling an event.  Only counts while
// something (a yield, or the benchmark) lets the event loop run.  Every
// interval over 10 ms, and each longest so far, is kept too, by monotonic
// time, for StealWatch.
class LoopGapWatch : public QObject {
 public:
  struct Gap {
    std::int64_t begin_ns, end_ns;
    double Ms() const { return double(end_ns - begin_ns) / 1e6; }
  };
  LoopGapWatch() {
    timer_.setTimerType(Qt::PreciseTimer);
    timer_.setInterval(1);
    QObject::connect(&timer_, &QTimer::timeout, this, [this] { Mark(); });
  }
  void Start() {
    longest_ms_ = 0;
    longest_end_ms_ = 0;
    ticks_ = 0;
    gaps_.clear();
    start_ns_ = MonotonicNs();
    clock_.start();
    last_ = 0;
    timer_.start();
  }
  // Stops the watch; the time from the last firing to now counts as a gap.
  void Stop() {
    Mark();
    --ticks_;
    elapsed_ms_ = double(clock_.nsecsElapsed()) / 1e6;
    timer_.stop();
  }
  double LongestMs() const { return longest_ms_; }
  // When the longest gap ended, and when the watch stopped, in ms from Start.
  double LongestEndMs() const { return longest_end_ms_; }
  double ElapsedMs() const { return elapsed_ms_; }
  long Ticks() const { return ticks_; }
  const std::vector<Gap>& Gaps() const { return gaps_; }

 private:
  void Mark() {
    const qint64 now = clock_.nsecsElapsed();
    const double gap = double(now - last_) / 1e6;
    if (gap > 10 || gap > longest_ms_) gaps_.push_back({start_ns_ + last_, start_ns_ + now});
    if (gap > longest_ms_) {
      longest_ms_ = gap;
      longest_end_ms_ = double(now) / 1e6;
    }
    last_ = now;
    ++ticks_;
  }

  QTimer timer_;
  QElapsedTimer clock_;
  std::int64_t start_ns_ = 0;
  qint64 last_ = 0;
  double longest_ms_ = 0;
  double longest_end_ms_ = 0;
  double elapsed_ms_ = 0;
  long ticks_ = 0;
  std::vector<Gap> gaps_;
};

// The time the host of a virtual machine kept its cores from running
// ("steal" in /proc/stat, summed over the cores, in ticks of 10 ms), read
// every millisecond by a thread while a run lasts.  A gap that holds steal
// was stretched by the host, which no program inside can prevent; the
// figures name it apart.  Each read costs a few microseconds.
class StealWatch {
 public:
  ~StealWatch() { Stop(); }
  void Start() {
    Stop();
    samples_.clear();
    samples_.reserve(1 << 16);
    fd_ = ::open("/proc/stat", O_RDONLY | O_CLOEXEC);
    if (fd_ < 0) return;
    Sample();  // the first before Start() returns, so every gap is covered
    stop_ = false;
    thread_ = std::thread([this] {
      while (!stop_.load(std::memory_order_relaxed)) {
        struct timespec pause = {0, 1000000};
        ::nanosleep(&pause, nullptr);
        Sample();
      }
    });
  }
  void Stop() {
    stop_ = true;
    if (thread_.joinable()) thread_.join();
    if (fd_ >= 0) Sample();  // covers a gap that ends as the watch stops
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
  }
  // Steal ticks counted from before `begin_ns` to after `end_ns` (read after
  // Stop()); -1 when the samples do not cover the interval.
  long TicksIn(std::int64_t begin_ns, std::int64_t end_ns) const {
    const Reading* before = nullptr;
    const Reading* after = nullptr;
    for (const Reading& s : samples_) {
      if (s.ns <= begin_ns) before = &s;
      if (s.ns >= end_ns) {
        after = &s;
        break;
      }
    }
    return before && after ? long(after->steal - before->steal) : -1;
  }

 private:
  void Sample() {
    char text[512];
    const ssize_t n = ::pread(fd_, text, sizeof text - 1, 0);
    long long v[8] = {0};
    if (n > 0) {
      text[n] = '\0';
      std::sscanf(text, "cpu %lld %lld %lld %lld %lld %lld %lld %lld", &v[0], &v[1], &v[2], &v[3],
                  &v[4], &v[5], &v[6], &v[7]);
    }
    samples_.push_back({MonotonicNs(), v[7]});
  }

  struct Reading {
    std::int64_t ns;
    long long steal;
  };
  std::vector<Reading> samples_;
  int fd_ = -1;
  std::atomic<bool> stop_{true};
  std::thread thread_;
};

}  // namespace bench
}  // namespace qm

#endif  // QUENMOOR_BENCH_BENCH_UTIL_H_
