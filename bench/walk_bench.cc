// SPDX-License-Identifier: GPL-3.0-or-later
// Times a full walk of a generated tree, the way a search runs it: expand the
// folders with GetSubDirectories2016, list every folder's files with
// ListFolderFiles and read one modified stamp per file, counting the files
// modified after a cutoff.  Beside it, on the same warm tree, times
// `find TREE -type f -newermt CUTOFF` and checks both count the same files.
//
//   walk_bench [FILES] [FOLDER]
//
// FILES: number of files (default 200,000, at most 1,000,000), in FILES / 20
// folders.  FOLDER: where to put the tree (kept for the next run, and reused
// when it already holds one of the same size); by default a temporary folder,
// removed at the end.
#include <stdlib.h>
#include <sys/stat.h>

#include <QCoreApplication>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <fstream>
#include <string>
#include <vector>

#include "base/date_value.h"
#include "platform/yield.h"
#include "search/time_stamps.h"
#include "search/walker.h"
#include "tree_gen.h"

namespace {

using Clock = std::chrono::steady_clock;

double Seconds(Clock::time_point a, Clock::time_point b) {
  return std::chrono::duration<double>(b - a).count();
}

struct Outcome {
  long files = 0;
  long matches = 0;
  long folders = 0;
  double seconds = 0;
  double walker_seconds = 0;  // GetSubDirectories2016 alone
  double longest_gap_ms = 0;  // longest time the window would wait for events
};

Outcome RunWalk(const std::string& root, qm::DateValue cutoff) {
  Outcome out;
  qm::ResetYieldGap();
  auto start = Clock::now();
  std::vector<std::string> folders{root};
  qm::GetSubDirectories2016(folders, true);
  out.folders = static_cast<long>(folders.size());
  out.walker_seconds = Seconds(start, Clock::now());
  std::string path;
  for (const std::string& entry : folders) {
    qm::Yield();
    const std::string folder = entry.substr(0, entry.size() - 1);
    std::vector<std::string> names = qm::ListFolderFiles(folder, "*.*");
    for (std::size_t i = 1; i < names.size(); ++i) {
      if (names[i][0] == '~') continue;
      path.assign(folder).append("/").append(names[i]);
      qm::Yield();
      qm::Stamp stamp = qm::FileDateModified(path);
      ++out.files;
      if (!stamp.empty && stamp.value > cutoff) ++out.matches;
    }
  }
  out.seconds = Seconds(start, Clock::now());
  out.longest_gap_ms = qm::LongestYieldGap();
  return out;
}

Outcome RunFind(const std::string& root, const std::string& cutoff_text) {
  Outcome out;
  std::string command = "find '" + root + "' -type f -newermt '" + cutoff_text + "'";
  out.matches = qm::bench::CountOutputLines(command, &out.seconds);
  return out;
}

}  // namespace

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  long files = argc > 1 ? std::atol(argv[1]) : 200000;
  if (files < 1) files = 1;
  if (files > 1000000) files = 1000000;
  std::string root;
  bool temporary = argc <= 2;
  if (temporary) {
    const char* tmp = std::getenv("TMPDIR");
    std::string pattern = std::string(tmp && *tmp ? tmp : "/tmp") + "/walkbench.XXXXXX";
    std::vector<char> buf(pattern.begin(), pattern.end());
    buf.push_back('\0');
    if (!::mkdtemp(buf.data())) {
      std::perror("mkdtemp");
      return 1;
    }
    root = buf.data();
  } else {
    root = argv[2];
  }
  if (root.back() != '/') root.push_back('/');

  // A fixed newest time keeps a kept tree valid for the same cutoff.
  const qm::bench::TreeShape shape = qm::bench::EnsureTree(root, root + ".walkbench-", files);

  // Cutoff: local midnight 500 days before the newest stamp.
  std::time_t mid = shape.newest - 500L * 86400;
  struct tm local;
  ::localtime_r(&mid, &local);
  char cutoff_text[64];
  std::snprintf(cutoff_text, sizeof cutoff_text, "%04d-%02d-%02d 00:00:00",
                local.tm_year + 1900, local.tm_mon + 1, local.tm_mday);
  const qm::DateValue cutoff = static_cast<double>(
      qm::DayNumberOf(local.tm_year + 1900, local.tm_mon + 1, local.tm_mday));

  // Warm the tree, then take the better of two runs of each.
  RunFind(root, cutoff_text);
  Outcome walk = RunWalk(root, cutoff);
  Outcome find = RunFind(root, cutoff_text);
  for (int round = 0; round < 2; ++round) {
    Outcome w = RunWalk(root, cutoff);
    if (w.seconds < walk.seconds) walk = w;
    Outcome f = RunFind(root, cutoff_text);
    if (f.seconds < find.seconds) find = f;
  }

  std::printf("cutoff %s\n", cutoff_text);
  std::printf("walk+list+stamps: %.3f s  folders %ld  files %ld  newer %ld\n", walk.seconds,
              walk.folders, walk.files, walk.matches);
  std::printf("  of which the folder walk alone: %.3f s\n", walk.walker_seconds);
  std::printf("find -newermt:    %.3f s  newer %ld\n", find.seconds, find.matches);
  std::printf("ratio walk/find:  %.2f   counts %s\n", walk.seconds / find.seconds,
              walk.matches == find.matches ? "agree" : "DIFFER");
  std::printf("yields %llu in all, longest gap between event passes %.1f ms\n",
              static_cast<unsigned long long>(qm::YieldCount()), walk.longest_gap_ms);
  if (temporary) qm::bench::RemoveTree(root);
  return walk.matches == find.matches ? 0 : 2;
}
