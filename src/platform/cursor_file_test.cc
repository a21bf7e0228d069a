// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/cursor_file.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <cstdint>
#include <string>
#include <vector>

#include "testing/test_env.h"

namespace qm {
namespace {

using testing::TempDir;
using testing::WriteFile;

std::string BuiltCursor() {
  return (QCoreApplication::applicationDirPath() + "/HAND-M.CUR").toStdString();
}

std::string Bytes(const std::string& path) { return testing::ReadFile(path); }

void Poke16(std::string* data, size_t at, unsigned v) {
  (*data)[at] = char(v & 0xFF);
  (*data)[at + 1] = char((v >> 8) & 0xFF);
}

void Poke32(std::string* data, size_t at, uint32_t v) {
  Poke16(data, at, v & 0xFFFF);
  Poke16(data, at + 2, v >> 16);
}

TEST(CursorFileTest, TheShippedHandIsACursorThatQtReads) {
  ASSERT_TRUE(testing::Exists(BuiltCursor())) << BuiltCursor();
  // Qt alone, without our reader.
  QImage plain(QString::fromStdString(BuiltCursor()));
  ASSERT_FALSE(plain.isNull());

  CursorFile cursor;
  std::string why;
  ASSERT_TRUE(ReadCursorFile(BuiltCursor(), &cursor, &why)) << why;
  EXPECT_EQ(cursor.image.size(), QSize(32, 32));
  // The hot spot is the fingertip: opaque, with nothing above it.
  QImage image = cursor.image.convertToFormat(QImage::Format_ARGB32);
  EXPECT_EQ(qAlpha(image.pixel(cursor.hot_x, cursor.hot_y)), 255);
  for (int y = 0; y < cursor.hot_y; ++y) {
    for (int x = 0; x < 32; ++x) EXPECT_EQ(qAlpha(image.pixel(x, y)), 0) << x << "," << y;
  }
  // White hand, black outline, clear corners.
  EXPECT_EQ(image.pixel(cursor.hot_x, cursor.hot_y + 3), qRgba(255, 255, 255, 255));
  EXPECT_EQ(qAlpha(image.pixel(31, 31)), 0);
}

TEST(CursorFileTest, DamagedFilesAreRefusedWithAReason) {
  const std::string good = Bytes(BuiltCursor());
  ASSERT_GT(good.size(), 22u);
  TempDir dir;
  struct Case {
    const char* name;
    std::string bytes;
  };
  std::vector<Case> cases;
  cases.push_back({"empty", ""});
  cases.push_back({"header only", good.substr(0, 5)});
  cases.push_back({"directory cut", good.substr(0, 14)});
  cases.push_back({"image cut", good.substr(0, good.size() - 100)});
  std::string bad = good;
  Poke16(&bad, 0, 1);
  cases.push_back({"reserved word set", bad});
  bad = good;
  Poke16(&bad, 2, 1);
  cases.push_back({"an icon, not a cursor", bad});
  bad = good;
  Poke16(&bad, 4, 0);
  cases.push_back({"no entries", bad});
  bad = good;
  Poke16(&bad, 4, 2000);
  cases.push_back({"more entries than bytes", bad});
  bad = good;
  Poke32(&bad, 6 + 12, uint32_t(good.size()));
  cases.push_back({"offset at the end", bad});
  bad = good;
  Poke32(&bad, 6 + 8, 0xFFFFFFF0u);
  cases.push_back({"huge image size", bad});
  bad = good;
  Poke32(&bad, 6 + 12, 2);
  cases.push_back({"image inside the directory", bad});
  bad = good;
  Poke16(&bad, 6 + 4, 40);
  cases.push_back({"hot spot outside", bad});
  bad = good;
  for (size_t i = 22; i < 62; ++i) bad[i] = 'Z';
  cases.push_back({"garbage picture", bad});
  cases.push_back({"text", "Quenmoor is not a cursor, just some words here."});
  cases.push_back({"too large", good + std::string(kMaxCursorFileBytes, '\0')});

  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const std::string path = dir.Sub("bad.cur");
    WriteFile(path, c.bytes);
    CursorFile out;
    out.hot_x = 77;
    std::string why;
    EXPECT_FALSE(ReadCursorFile(path, &out, &why));
    EXPECT_FALSE(why.empty());
    EXPECT_EQ(out.hot_x, 77);
    EXPECT_TRUE(out.image.isNull());
  }
  std::string why;
  CursorFile out;
  EXPECT_FALSE(ReadCursorFile(dir.Sub("missing.cur"), &out, &why));
  EXPECT_FALSE(why.empty());
  EXPECT_FALSE(ReadCursorFile(dir.path(), &out, &why));
}

}  // namespace
}  // namespace qm
