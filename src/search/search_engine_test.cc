// SPDX-License-Identifier: GPL-3.0-or-later
#include "search/search_engine.h"

#include <gtest/gtest.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <string>
#include <vector>

#include "platform/file_system.h"
#include "search/folder_walk.h"
#include "search/walker.h"
#include "testing/test_env.h"
#include "testing/test_faulty_fs.h"
#include "testing/test_mounts.h"
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
  std::vector<SearchNote> notes;
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
    for (const SearchNote& note : taken.notes) out.notes.push_back(note);
    if (taken.finished) break;
  }
  out.counts = engine.Counts();
  return out;
}

// The rows' paths below `tree`, without their dates, sorted.
std::vector<std::string> Paths(const Outcome& out) {
  std::vector<std::string> paths;
  for (const std::string& row : out.rows) paths.push_back(row.substr(0, row.rfind(' ')));
  std::sort(paths.begin(), paths.end());
  return paths;
}

TEST(SearchEngineTest, OneWorkerOrManyListTheSameRowsInTheSameOrder) {
  // A tree with what a walk meets: a link back up (a loop), two ways to one
  // folder, links to a file and to nothing, a refused folder (a link to
  // /proc), a folder that refuses its listing, one that vanishes half
  // listed and one whose listing breaks, a FIFO, names the search skips,
  // and enough folders and files that many workers overtake one another.
  testing::TempDir dir;
  const std::string t = dir.path();
  for (const char* f : {"a/f1.txt", "a/f2.txt", "a/~lock", "b/g.txt", "b/deep/h.txt", "shut/s.txt",
                        "half/p.txt", "half/q/r.txt", "broken/x.txt", "top.txt"}) {
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
  criteria.date =
      DateCriterion::Single(DateType::kModified, DateRule::kBefore, DayNumberOf(2020, 1, 1));
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
      std::atomic<int> most_workers{0};
      DIR* OpenDir(const char* path) override {
        int live = FolderWalk::LiveWorkers();
        int most = most_workers.load();
        while (live > most && !most_workers.compare_exchange_weak(most, live)) {
        }
        slow->OpenDir("/");  // the wait alone: its listing is closed at once
        return faulty->OpenDir(path);
      }
      struct dirent* ReadDir(DIR* d) override {
        return faulty->ReadDir(d);
      }
      int CloseDir(DIR* d) override { return faulty->CloseDir(d); }
    } both;
    both.slow = &slow;
    both.faulty = &faulty;
    ScopedFs use(&both);
    Outcome out = Search(criteria, t, threads);
    EXPECT_TRUE(SearchEngine::WaitForThreadsToEnd(10000));
    // Listings that wait bring every worker there may be.
    if (delay_ms > 0) {
      EXPECT_EQ(both.most_workers.load(), threads);
    }
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
  for (int i = 0; i < 60; ++i)
    WriteFile(dir.Sub("d" + std::to_string(i % 12) + "/f" + std::to_string(i)));
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

TEST(SearchEngineTest, FiltersNarrowTheRowsAndTheCountFollows) {
  testing::TempDir dir;
  const std::string t = dir.path();
  auto file = [&](const std::string& relative, std::size_t size) {
    WriteFile(t + "/" + relative, std::string(size, 'x'));
    SetTimes(t + "/" + relative, LocalTime(2001, 1, 1), LocalTime(2001, 1, 1));
  };
  file("a.iso", 1000);
  file("small.iso", 999);
  file("big.iso", 2001);
  file("edge.iso", 2000);
  file("a.txt", 1500);
  file(".git/pack.iso", 1500);
  file("sub/.git/deep.iso", 1500);
  file("sub/node_modules/m.mkv", 1500);
  file("sub/keep/b.mkv", 1500);
  file("sub/keep/~b.mkv", 1500);
  SearchCriteria criteria;
  criteria.roots = {t + "/"};
  criteria.date =
      DateCriterion::Single(DateType::kModified, DateRule::kBefore, DayNumberOf(2020, 1, 1));
  FilterTexts texts;
  texts.exclude = {QStringLiteral(".git"), QStringLiteral("node_modules")};
  texts.names = QStringLiteral("*.iso *.mkv");
  texts.min_size = QStringLiteral("1k");
  texts.max_size = QStringLiteral("2k");
  QString problem;
  std::optional<SearchFilters> filters = ParseFilters(texts, QString(), &problem);
  ASSERT_TRUE(filters) << problem.toStdString();
  criteria.filters = *filters;
  const Outcome out = Search(criteria, t, 4);
  EXPECT_EQ(Paths(out), (std::vector<std::string>{"/a.iso", "/edge.iso", "/sub/keep/b.mkv"}));
  EXPECT_EQ(out.counts.found, 3u);
  // The date was read of the files whose names pass: not of a.txt.
  EXPECT_EQ(out.counts.files, 5u);
  EXPECT_EQ(out.counts.folders, 3u);  // the tree, sub, keep
  EXPECT_TRUE(out.reports.empty());
  EXPECT_TRUE(SearchEngine::WaitForThreadsToEnd(10000));
}

TEST(SearchEngineTest, NamesOfEveryScriptAreSearchedAndThoseNotUtf8Counted) {
  testing::TempDir dir;
  const std::string t = dir.path();
  const std::vector<std::string> folders = {
      "Caf\xC3\xA9", "plain",
      // Фотографии
      "\xD0\xA4\xD0\xBE\xD1\x82\xD0\xBE\xD0\xB3\xD1\x80\xD0\xB0\xD1\x84\xD0\xB8\xD0\xB8",
      "\xE5\x86\x99\xE7\x9C\x9F",                                          // 写真
      "\xCE\x95\xCE\xBB\xCE\xBB\xCE\xB7\xCE\xBD\xCE\xB9\xCE\xBA\xCE\xAC",  // Ελληνικά
      "emoji \xF0\x9F\x93\x81", "R\xC3\xA9sum\xC3\xA9 \xE2\x80\x93 2019"};
  for (const std::string& f : folders) {
    WriteFile(t + "/" + f + "/old.txt");
    WriteFile(t + "/" + f + "/" + f + "/\xE6\x97\xA5\xE8\xA8\x98.txt");  // 日記, one deeper
  }
  WriteFile(t + "/bad\xFF.txt");
  WriteFile(t + "/bad\xFE dir/inside.txt");
  SearchCriteria criteria;
  criteria.roots = {t + "/"};
  criteria.date =
      DateCriterion::Single(DateType::kModified, DateRule::kAfter, DayNumberOf(2001, 1, 1));
  const Outcome out = Search(criteria, t, 4);
  EXPECT_EQ(out.rows.size(), 2 * folders.size());
  for (const std::string& f : folders) {
    const std::vector<std::string> paths = Paths(out);
    EXPECT_TRUE(std::count(paths.begin(), paths.end(), "/" + f + "/old.txt")) << f;
  }
  EXPECT_EQ(out.counts.unreadable_names, 2u);  // the file and the folder
  EXPECT_TRUE(SearchEngine::WaitForThreadsToEnd(10000));
}

TEST(SearchEngineTest, ACreatedDateTheFileSystemDoesNotKeepMatchesNoRule) {
  testing::TempDir dir;
  const std::string t = dir.path();
  for (const char* f : {"src/a.txt", "src/b/c.txt", "src/b/d.txt"}) WriteFile(t + "/" + f);
  testing::ScopedMount view(testing::ScopedMount::Kind::kBindfs, t + "/view", t + "/src");
  if (!view.ok()) GTEST_SKIP() << view.why();
  SearchCriteria criteria;
  criteria.roots = {t + "/view/"};
  // Before a day far in the future: every file the zero date would list.
  criteria.date =
      DateCriterion::Single(DateType::kCreated, DateRule::kBefore, DayNumberOf(9999, 12, 31));
  const Outcome out = Search(criteria, t, 4);
  EXPECT_TRUE(out.rows.empty());
  EXPECT_EQ(out.counts.undated, 3u);
  EXPECT_EQ(out.counts.files, 3u);
  EXPECT_TRUE(out.reports.empty());
  // With a size bound that leaves them all out, none is counted as undated.
  FilterTexts texts;
  texts.min_size = QStringLiteral("1M");
  QString problem;
  criteria.filters = *ParseFilters(texts, QString(), &problem);
  EXPECT_EQ(Search(criteria, t, 4).counts.undated, 0u);
  // The same files by Date Modified are listed as ever.
  criteria.filters = SearchFilters();
  criteria.date =
      DateCriterion::Single(DateType::kModified, DateRule::kBefore, DayNumberOf(9999, 12, 31));
  EXPECT_EQ(Search(criteria, t, 4).rows.size(), 3u);
  EXPECT_TRUE(SearchEngine::WaitForThreadsToEnd(10000));
}

TEST(SearchEngineTest, ASearchByDateAccessedNotesEachMountThatKeepsNoAccessTimesOnce) {
  testing::TempDir dir;
  const std::string t = dir.path();
  WriteFile(t + "/home.txt");
  testing::ScopedMount quiet(testing::ScopedMount::Kind::kTmpfs, t + "/quiet", "", MS_NOATIME);
  if (!quiet.ok()) GTEST_SKIP() << quiet.why();
  for (int i = 0; i < 20; ++i) WriteFile(t + "/quiet/d" + std::to_string(i) + "/f.txt");
  SearchCriteria criteria;
  criteria.roots = {t + "/"};
  criteria.date = DateCriterion::Single(DateType::kAccessed, DateRule::kAfter, 0);
  Outcome out = Search(criteria, t, 8);
  EXPECT_EQ(out.rows.size(), 21u);
  ASSERT_EQ(out.notes.size(), 1u);
  EXPECT_EQ(out.notes[0].kind, SearchNote::Kind::kNoAccessTimes);
  EXPECT_EQ(out.notes[0].mount_point, t + "/quiet");

  testing::ScopedMount view(testing::ScopedMount::Kind::kBindfs, t + "/view", t + "/quiet/d1");
  if (!view.ok()) GTEST_SKIP() << view.why();
  out = Search(criteria, t, 8);
  ASSERT_EQ(out.notes.size(), 2u);
  std::vector<SearchNote> expected = {{SearchNote::Kind::kNoAccessTimes, t + "/quiet"},
                                      {SearchNote::Kind::kFuseAccessTimes, t + "/view"}};
  if (!(out.notes[0] == expected[0])) std::swap(expected[0], expected[1]);
  EXPECT_EQ(out.notes, expected);
  // Other dates need no note.
  criteria.date = DateCriterion::Single(DateType::kModified, DateRule::kAfter, 0);
  EXPECT_TRUE(Search(criteria, t, 8).notes.empty());
  EXPECT_TRUE(SearchEngine::WaitForThreadsToEnd(10000));
}

}  // namespace
}  // namespace qm
