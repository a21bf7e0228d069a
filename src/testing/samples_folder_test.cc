// SPDX-License-Identifier: GPL-3.0-or-later
// The Samples folder the build lays out beside the program, and where the
// program looks for it.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <QCoreApplication>
#include <QDirIterator>
#include <ctime>
#include <set>
#include <string>

#include "platform/data_folder.h"
#include "testing/test_env.h"

namespace qm {
namespace {

TEST(SamplesFolderTest, DatesSpreadSoEveryRuleFindsSomething) {
  const QString root = QCoreApplication::applicationDirPath() + "/Samples";
  ASSERT_TRUE(testing::Exists(root.toStdString()));
  const std::time_t now = std::time(nullptr);
  const long day = 24 * 60 * 60;
  int files = 0, future = 0, today = 0, last_days = 0, months = 0, years = 0, tilde = 0, dot = 0;
  std::set<std::string> folders, kinds;
  QDirIterator it(root, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
  while (it.hasNext()) {
    const std::string path = it.next().toStdString();
    const std::string name = it.fileName().toStdString();
    struct stat st;
    ASSERT_EQ(::lstat(path.c_str(), &st), 0);
    ++files;
    folders.insert(it.fileInfo().path().toStdString());
    kinds.insert(it.fileInfo().suffix().toStdString());
    const long age = long(now - st.st_mtime);
    if (age < 0)
      ++future;
    else if (age < day)
      ++today;
    else if (age < 10 * day)
      ++last_days;
    else if (age < 365 * day)
      ++months;
    else
      ++years;
    if (name[0] == '~') ++tilde;
    if (name[0] == '.') ++dot;
    EXPECT_NE(st.st_atime, 0) << path;
    EXPECT_LT(st.st_size, 4096) << path;
  }
  EXPECT_GE(files, 12);
  EXPECT_GE(folders.size(), 3u);
  EXPECT_GE(kinds.size(), 8u);
  EXPECT_GE(future, 1);
  EXPECT_GE(today, 1);
  EXPECT_GE(last_days, 2);
  EXPECT_GE(months, 2);
  EXPECT_GE(years, 2);
  EXPECT_EQ(tilde, 1);
  EXPECT_GE(dot, 1);
}

TEST(SamplesFolderTest, TheProgramsDataIsBesideItOrInShareQuenmoor) {
  testing::TempDir prefix;
  const QString bin = QString::fromStdString(prefix.Sub("bin"));
  const QString share = QString::fromStdString(prefix.Sub("share/quenmoor"));
  testing::MakeDirs(prefix.Sub("bin"));
  EXPECT_EQ(DataFolderFor(bin), bin);  // nothing anywhere: beside it, as ever
  testing::MakeDirs(prefix.Sub("share/quenmoor/Samples"));
  EXPECT_EQ(DataFolderFor(bin), share);  // installed
  EXPECT_EQ(DataFolderFor(bin + "/"), share);
  testing::WriteFile(prefix.Sub("bin/HAND-M.CUR"));
  EXPECT_EQ(DataFolderFor(bin), bin);  // a build folder's own files come first
  // The build folder itself holds its data.
  EXPECT_EQ(DataFolderFor(QCoreApplication::applicationDirPath()),
            QCoreApplication::applicationDirPath());
}

}  // namespace
}  // namespace qm
