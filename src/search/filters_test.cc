// SPDX-License-Identifier: GPL-3.0-or-later
#include "search/filters.h"

#include <gtest/gtest.h>

#include <string>

namespace qm {
namespace {

bool Glob(const char* pattern, const char* name) {
  QString problem;
  std::optional<GlobPattern> glob = GlobPattern::Parse(pattern, &problem);
  EXPECT_TRUE(glob) << pattern << ": " << problem.toStdString();
  return glob && glob->Matches(name);
}

TEST(GlobPatternTest, WholeCharactersWhateverTheLocaleAndCaseMatters) {
  EXPECT_TRUE(Glob("node_modules", "node_modules"));
  EXPECT_FALSE(Glob("node_modules", "node_modules2"));
  EXPECT_TRUE(Glob("*.cache", ".cache"));
  EXPECT_TRUE(Glob("*.cache", "pip.cache"));
  EXPECT_FALSE(Glob("*.cache", "pip.Cache"));
  EXPECT_TRUE(Glob("build*", "build-2"));
  EXPECT_TRUE(Glob("*", ""));
  // "?" and sets take a whole character of any script.
  EXPECT_TRUE(Glob("caf?", "caf\xC3\xA9"));
  EXPECT_TRUE(Glob("?\xE5\x86\x99\xE7\x9C\x9F", "\xF0\x9F\x93\x81\xE5\x86\x99\xE7\x9C\x9F"));
  EXPECT_FALSE(Glob("caf??", "caf\xC3\xA9"));
  EXPECT_TRUE(Glob("[\xD0\x90-\xD0\xAF]*", "\xD0\xA4\xD0\xBE\xD1\x82\xD0\xBE"));  // Фото
  EXPECT_FALSE(Glob("[!\xD0\x90-\xD0\xAF]*", "\xD0\xA4\xD0\xBE\xD1\x82\xD0\xBE"));
  EXPECT_TRUE(Glob("[^a-c]x", "dx"));
  EXPECT_TRUE(Glob("[]]", "]"));
  EXPECT_TRUE(Glob("a\\*b", "a*b"));
  EXPECT_FALSE(Glob("a\\*b", "axb"));
  EXPECT_TRUE(Glob("My\\ File*", "My File 1"));
  // Stars that must give back what they took.
  EXPECT_TRUE(Glob("*a*b*c", "xxaxxbxxbxxc"));
  EXPECT_FALSE(Glob("*a*b*c", "xxaxxbxxbxx"));
  EXPECT_TRUE(Glob("*.tar.*", "x.tar.tar.gz"));

  QString problem;
  EXPECT_FALSE(GlobPattern::Parse("[abc", &problem));
  EXPECT_NE(problem.indexOf(QLatin1String("[abc")), -1);
  EXPECT_FALSE(GlobPattern::Parse("abc\\", &problem));
}

TEST(FolderExclusionsTest, NamesAtAnyDepthPathsWhole) {
  FolderExclusions ex;
  QString problem;
  for (const char* p : {".git", "node_modules/", "*.cache", "/home/me/Backups", "~/Videos/*",
                        "**/build/cache", "/srv/**", " spaced "}) {
    ASSERT_TRUE(ex.Add(QString::fromUtf8(p), QStringLiteral("/home/me/"), &problem))
        << p << problem.toStdString();
  }
  EXPECT_EQ(ex.size(), 8);
  EXPECT_TRUE(ex.Excludes("/a/b/c/", ".git"));
  EXPECT_TRUE(ex.Excludes("/", ".git"));
  EXPECT_TRUE(ex.Excludes("/x/", "node_modules"));
  EXPECT_TRUE(ex.Excludes("/x/", ".cache"));
  EXPECT_TRUE(ex.Excludes("/x/", "spaced"));
  EXPECT_FALSE(ex.Excludes("/x/", ".gitignore"));
  EXPECT_TRUE(ex.Excludes("/home/me/", "Backups"));
  EXPECT_FALSE(ex.Excludes("/home/you/", "Backups"));
  EXPECT_FALSE(ex.Excludes("/home/me/Backups/", "old"));  // below it: never reached
  EXPECT_TRUE(ex.Excludes("/home/me/Videos/", "2019"));
  EXPECT_FALSE(ex.Excludes("/home/me/Videos/2019/", "x"));  // "*" stays in one name
  EXPECT_FALSE(ex.Excludes("/home/me/", "Videos"));
  EXPECT_TRUE(ex.Excludes("/p/q/build/", "cache"));
  EXPECT_TRUE(ex.Excludes("/build/", "cache"));
  EXPECT_FALSE(ex.Excludes("/p/build2/", "cache"));
  EXPECT_TRUE(ex.Excludes("/srv/", "a"));
  EXPECT_FALSE(ex.Excludes("/", "srv"));  // what lies inside, not the folder

  EXPECT_FALSE(ex.Add(QStringLiteral("src/build"), QStringLiteral("/home/me"), &problem));
  EXPECT_NE(problem.indexOf(QLatin1String("src/build")), -1);
  EXPECT_FALSE(ex.Add(QStringLiteral("/a/[b"), QStringLiteral("/home/me"), &problem));
  EXPECT_TRUE(ex.Add(QStringLiteral("   "), QStringLiteral("/home/me"), &problem));
  EXPECT_EQ(ex.size(), 8);
}

TEST(SizeTest, UnitsDecimalAndBinaryAndEachBound) {
  struct Case {
    const char* text;
    std::int64_t bytes;
    const char* shown;
  };
  for (const Case& c : std::initializer_list<Case>{
           {"10M", 10000000, "10 MB"},
           {"10 mb", 10000000, "10 MB"},
           {"10MiB", 10485760, "10 MiB"},
           {"1.5G", 1500000000, "1.5 GB"},
           {"1,5 GiB", 1610612736, "1.5 GiB"},
           {"0.5k", 500, "0.5 kB"},
           {"2KiB", 2048, "2 KiB"},
           {"1T", 1000000000000, "1 TB"},
           {" 500 ", 500, "500 bytes"},
           {"1b", 1, "1 byte"},
           {"0", 0, "0 bytes"},
           {"1.0000001k", 1000, "1.0000001 kB"},
           {"9223372036854775807", 9223372036854775807, "9223372036854775807 bytes"},
       }) {
    QString problem;
    const std::optional<SizeBound> size = ParseSize(QString::fromUtf8(c.text), &problem);
    ASSERT_TRUE(size) << c.text << ": " << problem.toStdString();
    EXPECT_EQ(size->bytes, c.bytes) << c.text;
    EXPECT_EQ(size->shown.toStdString(), c.shown) << c.text;
  }
  for (const char* text : {"", "M", "-1M", "10 MBs", "ten", "1.2.3", "10 Q", "9223372036854775808",
                           "99999999999999999999999T", "1e6"}) {
    QString problem;
    EXPECT_FALSE(ParseSize(QString::fromUtf8(text), &problem)) << text;
    EXPECT_FALSE(problem.isEmpty()) << text;
  }

  // Both bounds hold their own value: exactly 10 MB is in, a byte either
  // side of the range is out.
  FilterTexts texts;
  texts.min_size = QStringLiteral("10M");
  texts.max_size = QStringLiteral("10M");
  QString problem;
  std::optional<SearchFilters> filters = ParseFilters(texts, QString(), &problem);
  ASSERT_TRUE(filters) << problem.toStdString();
  EXPECT_TRUE(filters->Active());
  EXPECT_TRUE(filters->KeepsSize(10000000));
  EXPECT_FALSE(filters->KeepsSize(9999999));
  EXPECT_FALSE(filters->KeepsSize(10000001));
  EXPECT_FALSE(filters->KeepsSize(-1));  // unknown: cannot be judged
  texts.min_size = QStringLiteral("11M");
  EXPECT_FALSE(ParseFilters(texts, QString(), &problem));
  EXPECT_NE(problem.indexOf(QLatin1String("11 MB")), -1);

  EXPECT_FALSE(SearchFilters().Active());
  EXPECT_TRUE(SearchFilters().KeepsSize(-1));
}

TEST(NamePatternsTest, AnyPatternKeepsAFileAndBlanksSplitThem) {
  EXPECT_EQ(SplitNamePatterns(QStringLiteral("  *.iso\t*.mkv  My\\ Film*  ")),
            (QStringList{"*.iso", "*.mkv", "My\\ Film*"}));
  FilterTexts texts;
  texts.names = QStringLiteral("*.iso *.mkv My\\ Film*");
  QString problem;
  std::optional<SearchFilters> filters = ParseFilters(texts, QString(), &problem);
  ASSERT_TRUE(filters);
  EXPECT_TRUE(filters->names.Keeps("debian.iso"));
  EXPECT_TRUE(filters->names.Keeps("a.mkv"));
  EXPECT_TRUE(filters->names.Keeps("My Film 2"));
  EXPECT_FALSE(filters->names.Keeps("debian.iso.txt"));
  EXPECT_FALSE(filters->names.Keeps("a.MKV"));
  texts.names = QStringLiteral("docs/*.txt");
  EXPECT_FALSE(ParseFilters(texts, QString(), &problem));
  EXPECT_TRUE(NamePatterns().Keeps("anything"));
}

}  // namespace
}  // namespace qm
