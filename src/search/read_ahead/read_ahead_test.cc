// SPDX-License-Identifier: GPL-3.0-or-later
#include "search/read_ahead/read_ahead.h"

#include <gtest/gtest.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "platform/file_system.h"
#include "platform/yield.h"
#include "testing/test_env.h"

namespace qm {
namespace {

using testing::TempDir;
using testing::WriteFile;

// A session of two workers.
ReadAheadSession::Options TwoWorkers() {
  ReadAheadSession::Options options;
  options.threads = 2;
  return options;
}

// The names Fs() lists in `folder`, with their types, as readdir gives them.
std::vector<std::string> Listed(const std::string& folder) {
  std::vector<std::string> names;
  DIR* dir = Fs().OpenDir(folder.c_str());
  if (!dir) return {"error " + std::to_string(errno)};
  errno = 0;
  while (struct dirent* entry = Fs().ReadDir(dir)) {
    names.push_back(std::string(entry->d_name) + (entry->d_type == DT_DIR ? "/" : ""));
  }
  if (errno != 0) names.push_back("error " + std::to_string(errno));
  Fs().CloseDir(dir);
  return names;
}

TEST(ReadAheadTest, ListingsAndStatusAreTheKernelsAndAreReadAhead) {
  TempDir t;
  for (const char* f : {"a/x", "a/sub/y", "b/z"}) WriteFile(t.Sub(f));
  ::symlink("x", t.Sub("a/link").c_str());
  const std::vector<std::string> folders = {t.Sub("a/"), t.Sub("b/"), t.Sub("missing/"),
                                            t.Sub("a/x/")};
  std::vector<std::vector<std::string>> plain;
  for (const std::string& f : folders) plain.push_back(Listed(f));

  ReadAheadSession session(TwoWorkers());
  const ReadAhead plan(AheadKind::kListings, folders);
  for (std::size_t i = 0; i < folders.size(); ++i) {
    EXPECT_EQ(Listed(folders[i]), plain[i]) << folders[i];
  }
  EXPECT_GE(session.Answered(), 3u);
  const ReadAhead stamps(AheadKind::kStamps, std::vector<std::string>{t.Sub("a/x"), t.Sub("gone")});
  struct statx read_ahead, kernel;
  ASSERT_EQ(Fs().Statx(t.Sub("a/x").c_str(), AT_SYMLINK_NOFOLLOW | AT_NO_AUTOMOUNT, STATX_MTIME,
                       &read_ahead),
            0);
  ASSERT_EQ(::statx(AT_FDCWD, t.Sub("a/x").c_str(), AT_SYMLINK_NOFOLLOW, STATX_MTIME, &kernel), 0);
  EXPECT_EQ(read_ahead.stx_ino, kernel.stx_ino);
  EXPECT_EQ(read_ahead.stx_mtime.tv_sec, kernel.stx_mtime.tv_sec);
  EXPECT_EQ(read_ahead.stx_mtime.tv_nsec, kernel.stx_mtime.tv_nsec);
  errno = 0;
  EXPECT_EQ(Fs().Statx(t.Sub("gone").c_str(), AT_SYMLINK_NOFOLLOW | AT_NO_AUTOMOUNT, STATX_MTIME,
                       &read_ahead),
            -1);
  EXPECT_EQ(errno, ENOENT);
}

TEST(ReadAheadTest, WhatThisProcessChangesIsSeenByWhatIsReadAfter) {
  // The two folders are read ahead together, before the first is asked for;
  // the file made in between through the FileSystem layer must show in the
  // second, and the file removed must be gone.
  TempDir t;
  WriteFile(t.Sub("a/old"));
  WriteFile(t.Sub("b/old"));
  ReadAheadSession session(TwoWorkers());
  const ReadAhead plan(AheadKind::kListings, std::vector<std::string>{t.Sub("a/"), t.Sub("b/")});
  const std::vector<std::string> a = Listed(t.Sub("a/"));
  EXPECT_EQ(std::set<std::string>(a.begin(), a.end()),
            (std::set<std::string>{"./", "../", "old"}));
  const int fd = Fs().Open(t.Sub("b/new").c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0644);
  ASSERT_GE(fd, 0);
  Fs().Close(fd);
  ASSERT_EQ(Fs().Unlink(t.Sub("b/old").c_str()), 0);
  const std::vector<std::string> b = Listed(t.Sub("b/"));
  const std::set<std::string> names(b.begin(), b.end());
  EXPECT_EQ(names, (std::set<std::string>{"./", "../", "new"}));

  // A folder named without its final "/": after a change, an entry's status
  // is read again, and it is still that entry's.
  WriteFile(t.Sub("c/sub/in"));
  const ReadAhead folders(AheadKind::kFolders, std::vector<std::string>{t.Sub("c")});
  const std::uint64_t answered = session.Answered();
  DIR* dir = Fs().OpenDir(t.Sub("c").c_str());
  ASSERT_NE(dir, nullptr);
  EXPECT_GT(session.Answered(), answered);  // the listing read ahead
  struct dirent* entry = nullptr;
  do {
    entry = Fs().ReadDir(dir);
  } while (entry && std::string(entry->d_name) != "sub");
  ASSERT_NE(entry, nullptr);
  const int made = Fs().Open(t.Sub("c/made").c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0644);
  ASSERT_GE(made, 0);
  Fs().Close(made);
  struct stat st;
  ASSERT_EQ(Fs().EntryStat(dir, "sub", &st, AT_NO_AUTOMOUNT), 0);
  EXPECT_TRUE(S_ISDIR(st.st_mode));
  Fs().CloseDir(dir);
}

TEST(ReadAheadTest, ACallerThatStallsAndYieldsStillGetsEveryAnswerInOrder) {
  // Workers reading while the caller stops for a few milliseconds now and
  // then stand back until it moves on; a yield waits for the next part.
  // Neither may lose an answer, take one out of order or hang.
  TempDir t;
  std::vector<std::string> paths;
  for (int i = 0; i < 1200; ++i) {
    paths.push_back(t.Sub(std::to_string(i % 10) + "/f" + std::to_string(i)));
    WriteFile(paths.back());
  }
  ReadAheadSession::Options options = TwoWorkers();
  options.as_from_disk = true;  // small parts, each waited for
  ReadAheadSession session(options);
  const ReadAhead stamps(AheadKind::kStamps, paths);
  for (std::size_t i = 0; i < paths.size(); ++i) {
    if (i % 100 == 50) std::this_thread::sleep_for(std::chrono::milliseconds(4));
    Yield();
    struct statx read_ahead;
    ASSERT_EQ(Fs().Statx(paths[i].c_str(), AT_SYMLINK_NOFOLLOW | AT_NO_AUTOMOUNT, STATX_INO,
                         &read_ahead),
              0);
    struct stat kernel;
    ASSERT_EQ(::lstat(paths[i].c_str(), &kernel), 0);
    ASSERT_EQ(read_ahead.stx_ino, kernel.st_ino) << paths[i];
  }
  EXPECT_EQ(session.Answered(), paths.size());
}

TEST(ReadAheadTest, OnlyTheSessionsThreadIsAnswered) {
  TempDir t;
  WriteFile(t.Sub("a/x"));
  ReadAheadSession session(TwoWorkers());
  const ReadAhead plan(AheadKind::kListings, std::vector<std::string>{t.Sub("a/")});
  // Another thread gets a real listing, which the kernel closes.
  std::vector<std::string> other;
  std::thread([&] { other = Listed(t.Sub("a/")); }).join();
  EXPECT_EQ(session.Answered(), 0u);
  EXPECT_EQ(std::set<std::string>(other.begin(), other.end()),
            (std::set<std::string>{"./", "../", "x"}));
  // A second session while one lives reads nothing ahead.
  ReadAheadSession second(TwoWorkers());
  EXPECT_EQ(second.Answered(), 0u);
}

TEST(ReadAheadTest, CallsThePlanDoesNotFollowGoToTheKernelAndAreCountedAsMissed) {
  TempDir t;
  WriteFile(t.Sub("a"));
  WriteFile(t.Sub("b"));
  WriteFile(t.Sub("c"));
  ReadAheadSession session(TwoWorkers());
  const ReadAhead stamps(AheadKind::kStamps, std::vector<std::string>{t.Sub("a"), t.Sub("b")});
  struct statx stx;
  struct stat st;
  ASSERT_EQ(Fs().Statx(t.Sub("a").c_str(), kStampFlags, STATX_MTIME, &stx), 0);
  EXPECT_EQ(session.Answered(), 1u);
  EXPECT_EQ(session.Missed(), 0u);
  // Other flags, a call the stage does not make, a path not in the plan:
  // each answered by the kernel, and counted.
  ASSERT_EQ(Fs().Statx(t.Sub("b").c_str(), AT_SYMLINK_NOFOLLOW, STATX_MTIME, &stx), 0);
  ASSERT_EQ(Fs().Stat(t.Sub("b").c_str(), &st), 0);
  ASSERT_EQ(Fs().Statx(t.Sub("c").c_str(), kStampFlags, STATX_MTIME, &stx), 0);
  EXPECT_TRUE(S_ISREG(stx.stx_mode));
  EXPECT_EQ(session.Answered(), 1u);
  EXPECT_EQ(session.Missed(), 3u);
  // A plan still answers the calls that follow it.
  ASSERT_EQ(Fs().Statx(t.Sub("b").c_str(), kStampFlags, STATX_INO, &stx), 0);
  EXPECT_EQ(session.Answered(), 2u);
}

}  // namespace
}  // namespace qm
