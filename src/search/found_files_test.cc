// SPDX-License-Identifier: GPL-3.0-or-later
#include "search/found_files.h"

#include <gtest/gtest.h>

#include <string>

namespace qm {
namespace {

TEST(FoundFilesTest, PathsStampsAndIdentitiesComeBackAsFoundOverChunks) {
  // Chunks as a search hands them over: folders changing within a chunk and
  // from one chunk to the next, a folder whose files span two chunks, a
  // folder started without files, and chunks appended whole into another.
  FoundFiles files;
  auto name_of = [](int i) {
    return std::string(i % 50 + 1, char('a' + i % 26)) + std::to_string(i);
  };
  const char* folders[] = {"/", "/a/", "/a/b c/"};
  std::vector<std::string> expected;
  std::unique_ptr<FoundChunk> chunk;
  for (int i = 0; i < 12000; ++i) {
    if (i % 2500 == 0) {
      if (chunk) files.Append(std::move(chunk));
      chunk = std::make_unique<FoundChunk>();
      chunk->AddFolder(folders[(i / 4000) % 3]);
    }
    if (i % 4000 == 0) {
      chunk->AddFolder("/empty/");
      chunk->AddFolder(folders[i / 4000]);
    }
    Stamp stamp;
    if (i % 3 == 0) {
      stamp.value = 45000.25 + i;
      stamp.empty = false;
      stamp.size = i * 10;
    }
    FileId id;
    if (i % 3 == 0) {
      id.ino = 1000 + static_cast<std::uint64_t>(i);
      id.dev = i % 2 ? 7 : 9;
      id.kind = (8u << 28) | 5;
    }
    if (i >= 10000) {
      // Copied in from a chunk of one folder, as the search does.
      FoundChunk one;
      one.AddFolder(folders[i / 4000]);
      one.Add(name_of(i), stamp, id);
      chunk->Append(one);
    } else {
      chunk->Add(name_of(i), stamp, id);
    }
    expected.push_back(folders[i / 4000] + name_of(i));
  }
  files.Append(std::move(chunk));
  files.Append(std::make_unique<FoundChunk>());  // an empty chunk adds nothing
  ASSERT_EQ(files.Count(), 12000u);
  for (int i = 0; i < 12000; ++i)
    ASSERT_EQ(files.Path(std::size_t(i)), expected[std::size_t(i)]) << i;
  for (int i : {0, 1, 2499, 2500, 3999, 4000, 8001, 10000, 11999}) {
    SCOPED_TRACE(i);
    std::string_view folder, name;
    files.Parts(std::size_t(i), &folder, &name);
    EXPECT_EQ(folder, folders[i / 4000]);
    const Stamp stamp = files.StampAt(static_cast<std::size_t>(i));
    const FileId id = files.IdAt(static_cast<std::size_t>(i));
    if (i % 3 == 0) {
      EXPECT_FALSE(stamp.empty);
      EXPECT_EQ(stamp.value, 45000.25 + i);
      EXPECT_EQ(files.SizeAt(std::size_t(i)), i * 10);
      EXPECT_EQ(id.ino, 1000u + static_cast<std::uint64_t>(i));
      EXPECT_EQ(id.dev, i % 2 ? 7u : 9u);
      EXPECT_TRUE(id.IsRegular());
    } else {
      // A stamp that could not be read: empty, no identity, no size.
      EXPECT_TRUE(stamp.empty);
      EXPECT_FALSE(id.Known());
      EXPECT_EQ(files.SizeAt(std::size_t(i)), -1);
    }
  }
}

}  // namespace
}  // namespace qm
