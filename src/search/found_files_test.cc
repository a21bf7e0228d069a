// SPDX-License-Identifier: GPL-3.0-or-later
#include "search/found_files.h"

#include <gtest/gtest.h>

#include <string>

namespace qm {
namespace {

TEST(FoundFilesTest, PathsStampsAndIdentitiesComeBackAsGathered) {
  // Enough long names to fill several of the blocks names are kept in, with
  // folders changing on the way.
  FoundFiles files;
  auto name_of = [](int i) { return std::string(200, char('a' + i % 26)) + std::to_string(i); };
  const char* folders[] = {"/", "/a/", "/a/b c/"};
  for (int i = 0; i < 12000; ++i) {
    if (i % 4000 == 0) files.AddFolder(folders[i / 4000]);
    files.AddName(name_of(i));
  }
  EXPECT_EQ(files.Pending(), 12000u);
  EXPECT_EQ(files.Count(), 0u);
  auto path_of = [&files](std::size_t i) {
    std::string_view folder, name;
    files.Parts(i, &folder, &name);
    return std::string(folder) + std::string(name);
  };
  for (int i = 0; i < 12000; ++i) {
    const std::string expected = folders[i / 4000] + name_of(i);
    ASSERT_EQ(path_of(static_cast<std::size_t>(i)), expected) << i;
    files.Take();
    if (i % 3 == 0) {
      Stamp stamp;
      stamp.value = 45000.25 + i;
      stamp.empty = false;
      FileId id;
      id.ino = 1000 + static_cast<std::uint64_t>(i);
      id.dev = i % 2 ? 7 : 9;
      id.kind = (8u << 28) | 5;
      files.SetStamp(static_cast<std::size_t>(i), stamp, id);
    }
  }
  EXPECT_EQ(files.Pending(), 0u);
  ASSERT_EQ(files.Count(), 12000u);
  for (int i : {0, 1, 3999, 4000, 8001, 11999}) {
    SCOPED_TRACE(i);
    EXPECT_EQ(path_of(static_cast<std::size_t>(i)), folders[i / 4000] + name_of(i));
    const Stamp stamp = files.StampAt(static_cast<std::size_t>(i));
    const FileId id = files.IdAt(static_cast<std::size_t>(i));
    if (i % 3 == 0) {
      EXPECT_FALSE(stamp.empty);
      EXPECT_EQ(stamp.value, 45000.25 + i);
      EXPECT_EQ(id.ino, 1000u + static_cast<std::uint64_t>(i));
      EXPECT_EQ(id.dev, i % 2 ? 7u : 9u);
      EXPECT_TRUE(id.IsRegular());
    } else {
      // Taken without a stamp read: an empty stamp and no identity.
      EXPECT_TRUE(stamp.empty);
      EXPECT_FALSE(id.Known());
    }
  }
}

}  // namespace
}  // namespace qm
