// SPDX-License-Identifier: GPL-3.0-or-later
// Times the search engine alone, without a window, on a generated tree:
// every file's modified stamp read and judged, counting the files modified
// from a cutoff day on; and the folder walk alone (GetSubDirectories2016).  Beside it, on the same warm tree, times
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
#include "search/search_engine.h"
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
};

Outcome RunWalk(const std::string& root, qm::DateValue cutoff) {
  Outcome out;
  auto start = Clock::now();
  std::vector<std::string> folders{root};
  qm::GetSubDirectories2016(folders, true);
  out.folders = static_cast<long>(folders.size());
  out.walker_seconds = Seconds(start, Clock::now());
  start = Clock::now();
  qm::SearchCriteria criteria;
  criteria.roots = {root};
  criteria.date = qm::DateCriterion::Single(qm::DateType::kModified, qm::DateRule::kAfter, cutoff - 1);
  qm::SearchEngine engine;
  engine.Start(criteria, nullptr);
  for (;;) {
    engine.WaitForNews(100);
    qm::SearchEngine::Taken taken = engine.Take();
    for (const auto& chunk : taken.chunks) out.matches += static_cast<long>(chunk->Count());
    if (taken.finished) break;
  }
  out.files = static_cast<long>(engine.Counts().files);
  out.seconds = Seconds(start, Clock::now());
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
  std::printf("search engine:    %.3f s  files %ld  newer %ld\n", walk.seconds, walk.files,
              walk.matches);
  std::printf("folder walk alone: %.3f s  folders %ld\n", walk.walker_seconds, walk.folders);
  std::printf("find -newermt:    %.3f s  newer %ld\n", find.seconds, find.matches);
  std::printf("ratio walk/find:  %.2f   counts %s\n", walk.seconds / find.seconds,
              walk.matches == find.matches ? "agree" : "DIFFER");
  if (temporary) qm::bench::RemoveTree(root);
  return walk.matches == find.matches ? 0 : 2;
}
