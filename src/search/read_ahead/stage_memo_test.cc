// SPDX-License-Identifier: GPL-3.0-or-later
#include "search/read_ahead/stage_memo.h"

#include <gtest/gtest.h>

#include <string>

namespace qm {
namespace {

struct stat Folder(ino_t ino) {
  struct stat st = {};
  st.st_mode = S_IFDIR | 0755;
  st.st_ino = ino;
  return st;
}

Listing ListingOf(const std::string& path, std::initializer_list<const char*> names) {
  Listing listing;
  listing.path = path;
  for (const char* name : names) {
    ListedEntry e;
    e.name_at = static_cast<std::uint32_t>(listing.names.size());
    e.name_length = static_cast<std::uint16_t>(std::string(name).size());
    e.type = DT_REG;
    e.ino = 100 + listing.entries.size();
    listing.names.append(name).push_back('\0');
    listing.entries.push_back(e);
  }
  return listing;
}

std::string NamesOf(const Listing& listing) {
  std::string names;
  for (const ListedEntry& e : listing.entries) {
    names += std::string(listing.names.data() + e.name_at, e.name_length) + ";";
  }
  return names;
}

TEST(StageMemoTest, AFoldersStatusAnswersTheWalkUntilTheCountMovesOn) {
  StageMemo memo;
  struct stat st;
  std::uint64_t at = 0;
  memo.StageStarts(AheadKind::kFolders, 5, &at);
  memo.KeepFolderStatus("/t/a/", Folder(11), 5);
  memo.KeepFolderStatus("/t/b/", Folder(12), 5);
  struct stat file = Folder(13);
  file.st_mode = S_IFREG | 0644;
  memo.KeepFolderStatus("/t/file", file, 5);  // only folders are kept
  EXPECT_FALSE(memo.FolderStatus("/t/file", 5, &st));
  ASSERT_TRUE(memo.FolderStatus("/t/b/", 5, &st));
  EXPECT_EQ(st.st_ino, 12u);
  memo.KeepFolderStatus("/t/b/", Folder(22), 5);  // read again: the later one
  ASSERT_TRUE(memo.FolderStatus("/t/b/", 5, &st));
  EXPECT_EQ(st.st_ino, 22u);
  EXPECT_FALSE(memo.FolderStatus("/t/c/", 5, &st));
  // A change since: nothing kept answers, even once the count is asked at
  // its old value again.
  EXPECT_FALSE(memo.FolderStatus("/t/a/", 6, &st));
  EXPECT_FALSE(memo.FolderStatus("/t/a/", 5, &st));
  // Something read at a new count drops what was read at the old one.
  memo.KeepFolderStatus("/t/a/", Folder(11), 6);
  memo.KeepFolderStatus("/t/d/", Folder(14), 7);
  EXPECT_FALSE(memo.FolderStatus("/t/a/", 7, &st));
  EXPECT_TRUE(memo.FolderStatus("/t/d/", 7, &st));
  // The walk is over once the gathering starts.
  memo.StageStarts(AheadKind::kListings, 7, &at);
  EXPECT_FALSE(memo.FolderStatus("/t/d/", 7, &st));
}

TEST(StageMemoTest, TheWalksListingsServeTheGatheringOnlyWhileFresh) {
  StageMemo memo;
  std::uint64_t at = 0;
  EXPECT_EQ(memo.StageStarts(AheadKind::kFolders, 3, &at), nullptr);
  memo.KeepListing(ListingOf("/t/a/", {"x", "y"}), 3);
  memo.KeepListing(ListingOf("/t/b/", {"z"}), 3);
  memo.KeepListing(ListingOf("/t/a/", {"x", "y", "new"}), 3);  // walked again
  const WalkedListings* walked = memo.StageStarts(AheadKind::kListings, 3, &at);
  ASSERT_NE(walked, nullptr);
  EXPECT_EQ(at, 3u);
  const std::uint32_t a = walked->Find("/t/", "a/");
  ASSERT_NE(a, WalkedListings::kNone);
  EXPECT_EQ(NamesOf(*walked->Unpack(a)), "x;y;new;");
  EXPECT_EQ(walked->Unpack(a)->path, "/t/a/");
  EXPECT_EQ(walked->Find("/t/", "c/"), WalkedListings::kNone);
  memo.ListingsUsed();
  EXPECT_EQ(memo.StageStarts(AheadKind::kListings, 3, &at), nullptr);

  // Listings read before a change do not serve a gathering after it.
  memo.StageStarts(AheadKind::kFolders, 3, &at);
  memo.KeepListing(ListingOf("/t/a/", {"x"}), 3);
  EXPECT_EQ(memo.StageStarts(AheadKind::kListings, 4, &at), nullptr);
  // Nor does one stage's leftover serve a gathering that follows another.
  memo.KeepListing(ListingOf("/t/a/", {"x"}), 4);
  memo.StageStarts(AheadKind::kStamps, 4, &at);
  EXPECT_EQ(memo.StageStarts(AheadKind::kListings, 4, &at), nullptr);
}

TEST(StageMemoTest, ListingsPastTheLimitAreNotKept) {
  WalkedListings walked;
  EXPECT_TRUE(walked.Add(ListingOf("/t/a/", {"1", "2", "3"}), 5));
  EXPECT_FALSE(walked.Add(ListingOf("/t/b/", {"4", "5", "6"}), 5));
  EXPECT_TRUE(walked.Add(ListingOf("/t/c/", {"7", "8"}), 5));
  EXPECT_EQ(walked.Find("/t/", "b/"), WalkedListings::kNone);
  EXPECT_NE(walked.Find("/t/", "c/"), WalkedListings::kNone);
}

}  // namespace
}  // namespace qm
