// SPDX-License-Identifier: GPL-3.0-or-later
#include "search/search_engine.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <string>
#include <vector>

#include "platform/file_system.h"
#include "search/walker.h"
#include "testing/test_env.h"
#include "testing/test_faulty_fs.h"
#include "testing/test_slow_fs.h"

namespace qm {
namespace {

using testing::LocalTime;
using testing::SetTimes;
using testing::WriteFile;

// What a search handed over: each row as its path below the tree and its
// date value, and each report as its routine's last word and line.
struct Outcome {
  std::vector<std::string> rows;
  std::vector<std::string> reports;
  SearchCounts counts;
};

Outcome Search(const SearchCriteria& criteria, const std::string& tree, int threads) {
  SearchEngine::Options options;
  options.threads = threads;
  options.chunk_files = 3;  // many small chunks
  SearchEngine engine(options);
  engine.Start(criteria, nullptr);
  Outcome out;
  for (;;) {
    EXPECT_TRUE(engine.WaitForNews(20000));
    SearchEngine::Taken taken = engine.Take();
    for (const auto& chunk : taken.chunks) {
      for (std::size_t i = 0; i < chunk->Count(); ++i) {
        out.rows.push_back(chunk->Path(i).substr(tree.size()) + " " +
                           std::to_string(chunk->StampAt(i).value));
      }
    }
    for (const SearchReport& r : taken.reports) {
      out.reports.push_back(r.routine.substr(r.routine.rfind('.') + 1) + std::to_string(r.line) +
                            " " + std::to_string(r.failure.number()));
    }
    if (taken.finished) break;
  }
  out.counts = engine.Counts();
  return out;
}

TEST(SearchEngineTest, OneWorkerOrManyListTheSameRowsInTheSameOrder) {
  // A tree with what a walk meets: a link back up (a loop), two ways to one
  // folder, links to a file and to nothing, a refused folder (a link to
  // /proc), a folder that refuses its listing, one that vanishes half
  // listed and one whose listing breaks, a FIFO, names the search skips,
  // and enough folders and files that many workers overtake one another.
  testing::TempDir dir;
  const std::string t = dir.path();
  for (const char* f : {"a/f1.txt", "a/f2.txt", "a/~lock", "b/g.txt", "b/deep/h.txt",
                        "shut/s.txt", "half/p.txt", "half/q/r.txt", "broken/x.txt", "top.txt"}) {
    WriteFile(t + "/" + f);
    SetTimes(t + "/" + f, LocalTime(2001, 1, 1), LocalTime(2001, 1, 2));
  }
  for (int i = 0; i < 300; ++i) {
    const std::string f = t + "/many/d" + std::to_string(i % 37) + "/e" + std::to_string(i % 5) +
                          "/f" + std::to_string(i);
    WriteFile(f);
    SetTimes(f, LocalTime(2001 + i % 30, 1 + i % 12, 1 + i % 28), LocalTime(2001, 1, 2));
  }
  ::symlink("..", (t + "/a/up").c_str());
  ::symlink("../b/deep", (t + "/a/again").c_str());
  ::symlink("../top.txt", (t + "/b/file-link").c_str());
  ::symlink("nowhere", (t + "/b/broken").c_str());
  ::symlink("/proc", (t + "/proc-link").c_str());
  ::mkfifo((t + "/b/fifo").c_str(), 0644);

  SearchCriteria criteria;
  criteria.roots = {t + "/"};
  criteria.date = DateCriterion::Single(DateType::kModified, DateRule::kBefore,
                                        DayNumberOf(2020, 1, 1));
  auto search = [&](int threads, int delay_ms) {
    testing::SlowFs slow;  // listings that wait: the walk sends many workers
    slow.listing_delay_ms = delay_ms;
    testing::FaultyFs faulty;
    faulty.FailListing(t + "/shut/", 0, EACCES);
    faulty.FailListing(t + "/half/", 1, ENOENT);
    faulty.FailListing(t + "/broken/", 0, EIO);
    struct Both : FileSystem {
      testing::SlowFs* slow;
      testing::FaultyFs* faulty;
      DIR* OpenDir(const char* path) override {
        slow->OpenDir("/");  // the wait alone: its listing is closed at once
        return faulty->OpenDir(path);
      }
      struct dirent* ReadDir(DIR* d) override { return faulty->ReadDir(d); }
      int CloseDir(DIR* d) override { return faulty->CloseDir(d); }
    } both;
    both.slow = &slow;
    both.faulty = &faulty;
    ScopedFs use(&both);
    Outcome out = Search(criteria, t, threads);
    EXPECT_TRUE(SearchEngine::WaitForThreadsToEnd(10000));
    return out;
  };
  const Outcome one = search(1, 0);
  // f1, f2, g, h (once, however it is reached), top, the link to it, 190
  // of "many", and r when "half" read its subfolder before it vanished.
  EXPECT_GE(one.rows.size(), 196u);
  EXPECT_LE(one.rows.size(), 197u);
  // A failed listing that is neither refused nor gone is reported at its
  // line; the others go quietly.
  EXPECT_EQ(one.reports, std::vector<std::string>({"PushButton2_Click 160 57"}));
  for (int run = 0; run < 3; ++run) {
    const Outcome many = search(16, 1);
    EXPECT_EQ(many.rows, one.rows);
    EXPECT_EQ(many.reports, one.reports);
    EXPECT_EQ(many.counts.files, one.counts.files);
    EXPECT_EQ(many.counts.folders, one.counts.folders);
  }
}

TEST(SearchEngineTest, StopEndsTheSearchAtOnceWhateverAWorkerWaitsFor) {
  // A mount that answers slowly, with one file whose stamp never comes
  // back while the test runs: Stop must end the search within a second at
  // any moment, and keep what was judged before.
  testing::TempDir dir;
  for (int i = 0; i < 60; ++i) WriteFile(dir.Sub("d" + std::to_string(i % 12) + "/f" + std::to_string(i)));
  testing::SlowFs slow;
  slow.listing_delay_ms = 3;
  slow.stamp_delay_ms = 1;
  slow.Hold("f30", 4000);
  ScopedFs use(&slow);
  SearchCriteria criteria;
  criteria.roots = {dir.path() + "/"};
  criteria.date = DateCriterion::Single(DateType::kModified, DateRule::kAfter, 0);
  for (int k = 0; k < 50; ++k) {
    SCOPED_TRACE(k);
    SearchEngine engine;
    engine.Start(criteria, nullptr);
    std::this_thread::sleep_for(std::chrono::milliseconds(k * 3));
    const auto stop = std::chrono::steady_clock::now();
    engine.Stop();
    std::size_t rows = 0;
    for (;;) {
      ASSERT_TRUE(engine.WaitForNews(1000));
      SearchEngine::Taken taken = engine.Take();
      for (const auto& chunk : taken.chunks) rows += chunk->Count();
      if (taken.finished) break;
    }
    EXPECT_LT(std::chrono::steady_clock::now() - stop, std::chrono::seconds(1));
    EXPECT_EQ(rows, engine.Counts().found);
  }
  slow.Release();
  EXPECT_TRUE(SearchEngine::WaitForThreadsToEnd(10000));
}

}  // namespace
}  // namespace qm
