// SPDX-License-Identifier: GPL-3.0-or-later
// What reading a tree costs the kernel alone, as a floor for the search run:
// N threads list every folder (getdents64) and read every file's status
// (statx, relative to its open folder), with nothing else done, warm and,
// when this process may empty the page cache (root), cold.
//
//   read_floor_bench TREE [THREADS...]
//
// THREADS: the thread counts to time (default 1 2 4 8 16).  Prints the wall
// time and CPU time of each, best of three.
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <atomic>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <deque>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "bench_util.h"

namespace {

// One record of the buffer getdents64 fills.
struct KernelEntry {
  ino64_t d_ino;
  off64_t d_off;
  unsigned short d_reclen;
  unsigned char d_type;
  char d_name[];
};
using qm::bench::CpuSeconds;

// Folders still to read, shared by the threads.
class Queue {
 public:
  explicit Queue(std::string root) { folders_.push_back(std::move(root)); }
  bool Take(std::string* folder) {
    std::unique_lock<std::mutex> lock(mu_);
    cv_.wait(lock, [this] { return !folders_.empty() || busy_ == 0; });
    if (folders_.empty()) return false;
    *folder = std::move(folders_.front());
    folders_.pop_front();
    ++busy_;
    return true;
  }
  void Done(std::vector<std::string>* found) {
    std::lock_guard<std::mutex> lock(mu_);
    for (std::string& f : *found) folders_.push_back(std::move(f));
    --busy_;
    cv_.notify_all();
  }

 private:
  std::mutex mu_;
  std::condition_variable cv_;
  std::deque<std::string> folders_;
  int busy_ = 0;
};

long ReadTree(const std::string& root, int threads) {
  Queue queue(root);
  std::atomic<long> files{0};
  std::vector<std::thread> pool;
  for (int t = 0; t < threads; ++t) {
    pool.emplace_back([&] {
      std::vector<char> buffer(32768);
      std::string folder;
      while (queue.Take(&folder)) {
        std::vector<std::string> found;
        const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        for (long n; fd >= 0 && (n = ::syscall(SYS_getdents64, fd, buffer.data(), buffer.size())) > 0;) {
          for (long at = 0; at < n;) {
            const auto* e = reinterpret_cast<const KernelEntry*>(buffer.data() + at);
            at += e->d_reclen;
            const std::string name = e->d_name;
            if (name == "." || name == "..") continue;
            struct statx stx;
            ::statx(fd, e->d_name, AT_SYMLINK_NOFOLLOW, STATX_BASIC_STATS | STATX_BTIME, &stx);
            if (e->d_type == DT_DIR) {
              found.push_back(folder + name + "/");
            } else {
              ++files;
            }
          }
        }
        if (fd >= 0) ::close(fd);
        queue.Done(&found);
      }
    });
  }
  for (std::thread& t : pool) t.join();
  return files;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: read_floor_bench TREE [THREADS...]\n");
    return 1;
  }
  std::string root = argv[1];
  if (root.back() != '/') root.push_back('/');
  std::vector<int> counts;
  for (int i = 2; i < argc; ++i) counts.push_back(std::atoi(argv[i]));
  if (counts.empty()) counts = {1, 2, 4, 8, 16};

  ReadTree(root, 4);  // warm the tree
  std::string why_not_cold;
  const bool cold = qm::bench::DropCaches(&why_not_cold);
  std::printf("| threads | warm (s) | warm CPU s | cold (s) | files |\n|---|---|---|---|---|\n");
  for (int threads : counts) {
    double warm = 0, warm_cpu = 0, best_cold = 0;
    long files = 0;
    for (int round = 0; round < 3; ++round) {
      const double cpu0 = CpuSeconds();
      const auto t0 = qm::bench::Clock::now();
      files = ReadTree(root, threads);
      const double s = qm::bench::SecondsSince(t0);
      if (warm == 0 || s < warm) {
        warm = s;
        warm_cpu = CpuSeconds() - cpu0;
      }
    }
    for (int round = 0; cold && round < 3; ++round) {
      qm::bench::DropCaches(&why_not_cold);
      const auto t0 = qm::bench::Clock::now();
      ReadTree(root, threads);
      const double s = qm::bench::SecondsSince(t0);
      if (best_cold == 0 || s < best_cold) best_cold = s;
    }
    if (cold) {
      std::printf("| %d | %.3f | %.3f | %.3f | %ld |\n", threads, warm, warm_cpu, best_cold, files);
    } else {
      std::printf("| %d | %.3f | %.3f | skipped | %ld |\n", threads, warm, warm_cpu, files);
    }
  }
  if (!cold) std::printf("cold figures skipped: %s\n", why_not_cold.c_str());
  return 0;
}
