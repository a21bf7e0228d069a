// SPDX-License-Identifier: GPL-3.0-or-later
#include "base/hash_index.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace qm {
namespace {

TEST(HashIndexTest, ItemsAreFoundAcrossGrowthAndCollisions) {
  // A hash with few values, so most items share a slot's chain, and enough
  // items to make the index grow several times.
  std::vector<std::string> items;
  HashIndex index;
  auto hash = [](const std::string& s) { return s.size() % 7; };
  auto add = [&](const std::string& key) {
    const std::uint32_t found = index.FindOrAdd(
        hash(key), static_cast<std::uint32_t>(items.size()),
        [&](std::uint32_t k) { return items[k] == key; },
        [&](std::uint32_t k) { return hash(items[k]); });
    if (found == HashIndex::kNone) items.push_back(key);
    return found;
  };
  for (int i = 0; i < 3000; ++i) EXPECT_EQ(add("k" + std::to_string(i)), HashIndex::kNone);
  EXPECT_EQ(index.size(), 3000u);
  EXPECT_EQ(add("k1234"), 1234u);  // there already
  EXPECT_EQ(index.size(), 3000u);
  for (int i = 0; i < 3000; i += 7) {
    const std::string key = "k" + std::to_string(i);
    EXPECT_EQ(index.Find(hash(key), [&](std::uint32_t k) { return items[k] == key; }),
              static_cast<std::uint32_t>(i));
  }
  EXPECT_EQ(index.Find(hash("nope"), [&](std::uint32_t k) { return items[k] == "nope"; }),
            HashIndex::kNone);
  index.Clear();
  EXPECT_TRUE(index.empty());
  EXPECT_EQ(index.Find(hash("k1"), [&](std::uint32_t k) { return items[k] == "k1"; }),
            HashIndex::kNone);
}

}  // namespace
}  // namespace qm
