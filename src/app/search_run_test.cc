// SPDX-License-Identifier: GPL-3.0-or-later
// The search run and the date rules, through the real window.
#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QHeaderView>
#include <QLineEdit>
#include <QRadioButton>
#include <QTimer>
#include <QtTest/QTest>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <set>

#include "base/date_value.h"
#include "platform/file_system.h"
#include "search/date_criteria.h"
#include "search/search_engine.h"
#include "search/time_stamps.h"
#include "testing/test_faulty_fs.h"
#include "testing/test_form.h"
#include "testing/test_rooted_fs.h"
#include "testing/test_slow_fs.h"

namespace qm {
namespace {

using testing::FormTest;
using testing::LocalTime;
using testing::SetTimes;
using testing::WriteFile;

class SearchRunTest : public FormTest {
 protected:
  void SetUp() override {
    FormTest::SetUp();
    form_ = NewForm();
  }

  // A file whose accessed and modified times are both `when`.
  std::string File(const std::string& relative, std::time_t when) {
    std::string path = tree_.Sub(relative);
    WriteFile(path, "data");
    SetTimes(path, when, when);
    return path;
  }

  // Files dated long ago, and the rule that lists them all (before 2020).
  void OldFiles(std::initializer_list<const char*> relative) {
    for (const char* r : relative) File(r, LocalTime(2001, 1, 1));
  }
  void ListEveryOldFile() {
    Rule(form_->Option5);
    form_->DTPicker4->SetValue(Day(2020, 1, 1));
  }

  void AddRow(const std::string& folder) {
    form_->AddFolderRow(QString::fromStdString(folder) + QLatin1Char('/'));
  }

  // The file names of the result rows, sorted.
  std::vector<std::string> Found() {
    std::vector<std::string> names;
    for (int i = 1; i <= form_->ListView2->ItemCount(); ++i) {
      std::string p = form_->ListView2->ItemText(i).toStdString();
      names.push_back(p.substr(p.rfind('/') + 1));
    }
    std::sort(names.begin(), names.end());
    return names;
  }

  void Rule(QRadioButton* option) { option->setChecked(true); }
  static DateValue Day(int y, int m, int d) { return DayNumberOf(y, m, d); }

  testing::TempDir tree_;
  std::unique_ptr<Form1> form_;
};

using Names = std::vector<std::string>;

TEST_F(SearchRunTest, AnEmptyFolderListSaysSoAndLeavesTheResultsAlone) {
  form_->ListView2->AddItem("/kept");
  form_->PushButton2->click();
  ASSERT_EQ(Messages().size(), 1u);
  EXPECT_EQ(Messages()[0], QStringLiteral("No folders added."));
  EXPECT_EQ(Dialogs(DialogKind::kMessage)[0].title, QStringLiteral("Quenmoor"));
  EXPECT_EQ(form_->ListView2->ItemCount(), 1);
  EXPECT_FALSE(form_->SearchRunning());
}

TEST_F(SearchRunTest, EachRuleJudgesCalendarDaysAtTheDaysEdges) {
  File("a_before", LocalTime(2024, 3, 14, 23, 59, 59));
  File("b_start", LocalTime(2024, 3, 15, 0, 0, 0));
  File("c_end", LocalTime(2024, 3, 15, 23, 59, 59));
  File("d_after", LocalTime(2024, 3, 16, 0, 0, 0));
  AddRow(tree_.path());
  const DateValue d = Day(2024, 3, 15);

  Rule(form_->Option4);
  form_->DTPicker3->SetValue(d + 0.75);  // the picker's time of day plays no part
  form_->PushButton2_Click();
  EXPECT_EQ(Found(), Names({"d_after"}));
  EXPECT_EQ(form_->ListView2->ColumnCaption(1), QStringLiteral("File(s) Found"));
  EXPECT_EQ(form_->ListView2->ColumnCaption(2), QStringLiteral("Date Accessed"));
  EXPECT_NEAR(form_->ListView2->ColumnWidthTwips(1), 5500, 15);

  Rule(form_->Option5);
  form_->DTPicker4->SetValue(d);
  form_->PushButton2_Click();
  EXPECT_EQ(Found(), Names({"a_before"}));

  Rule(form_->Option6);
  form_->DTPicker5->SetValue(d);
  form_->PushButton2_Click();
  EXPECT_EQ(Found(), Names({"b_start", "c_end"}));

  Rule(form_->Option7);
  form_->DTPicker1->SetValue(d);
  form_->DTPicker2->SetValue(d);
  form_->PushButton2_Click();
  EXPECT_EQ(Found(), Names({"b_start", "c_end"}));
  form_->DTPicker1->SetValue(d - 1);
  form_->DTPicker2->SetValue(d + 1);
  form_->PushButton2_Click();
  EXPECT_EQ(Found(), Names({"a_before", "b_start", "c_end", "d_after"}));
  form_->DTPicker1->SetValue(d + 1);  // never swapped: no day can match
  form_->DTPicker2->SetValue(d - 1);
  form_->PushButton2_Click();
  EXPECT_EQ(Found(), Names({}));
  EXPECT_TRUE(ErrorReports().empty());
}

TEST_F(SearchRunTest, NotAccessedInDaysCountsCalendarDaysBackFromToday) {
  const QDate today = QDate::currentDate();
  auto at = [](const QDate& day, int h, int m, int s) {
    return LocalTime(day.year(), day.month(), day.day(), h, m, s);
  };
  File("old300", at(today.addDays(-300), 0, 0, 0));
  File("new299", at(today.addDays(-299), 23, 59, 59));
  File("today", at(today, 0, 0, 1));
  File("future", at(today.addDays(5), 12, 0, 0));
  AddRow(tree_.path());
  Rule(form_->Option8);
  form_->Text1->setText(" 300 ");
  form_->PushButton2_Click();
  EXPECT_EQ(Found(), Names({"old300"}));
  form_->Text1->setText("0");
  form_->PushButton2_Click();
  EXPECT_EQ(Found(), Names({"new299", "old300", "today"}));
}

TEST_F(SearchRunTest, ADaysTextThatIsNoWholeNumberListsNothingAndSaysWhatToType) {
  File("ancient", LocalTime(2001, 1, 1));
  AddRow(tree_.path());
  form_->ListView2->AddItem("/from/an/earlier/run");
  Rule(form_->Option8);
  // The text is checked before anything is searched: no folder is walked.
  testing::FaultyFs faulty;
  faulty.FailListing(tree_.path() + "/", 0, EIO);
  ScopedFs use(&faulty);
  for (const char* bad : {"", "abc", "1.5", "-3", "3 0"}) {
    requests_.clear();
    form_->Text1->setText(QString::fromLatin1(bad));
    form_->PushButton2_Click();
    EXPECT_EQ(form_->ListView2->ItemCount(), 0) << bad;
    ASSERT_EQ(Messages().size(), 1u) << bad;
    EXPECT_EQ(Messages()[0], DaysHelpText());
    EXPECT_TRUE(ErrorReports().empty());  // the failing listing was never opened
    EXPECT_EQ(form_->MousePointer(), kPointerDefault);
    EXPECT_FALSE(form_->SearchRunning());
  }
  EXPECT_EQ(form_->Found().Count(), 0u);
}

TEST_F(SearchRunTest, TheDateTypeChoosesTheStampAndTheSecondHeader) {
  std::string path = tree_.Sub("f.txt");
  WriteFile(path);
  SetTimes(path, LocalTime(2020, 6, 1, 12), LocalTime(2024, 6, 1, 12));
  AddRow(tree_.path());
  Rule(form_->Option5);
  form_->DTPicker4->SetValue(Day(2022, 1, 1));
  form_->PushButton2_Click();
  EXPECT_EQ(Found(), Names({}));  // accessed in 2024
  form_->Option1->setChecked(true);
  form_->PushButton2_Click();
  EXPECT_EQ(Found(), Names({"f.txt"}));
  EXPECT_EQ(form_->ListView2->ColumnCaption(2), QStringLiteral("Date Modified"));
  ASSERT_EQ(form_->Found().Count(), 1u);
  EXPECT_EQ(CalendarDayOf(form_->Found().StampAt(0).value), Day(2020, 6, 1));
  EXPECT_FALSE(form_->ListView2->SubItemText(1).isEmpty());
}

TEST_F(SearchRunTest, NestedRowsArePrunedFromTheBottomUpWithOneMessageEach) {
  OldFiles({"A/B/deep.txt", "A/top.txt", "AB/other.txt"});
  const std::string t = tree_.path();
  ListEveryOldFile();

  // A child listed before its parent goes, with a message.
  AddRow(t + "/A/B");
  AddRow(t + "/A");
  form_->PushButton2_Click();
  ASSERT_EQ(Messages().size(), 1u);
  EXPECT_EQ(Messages()[0], QString::fromStdString(t + "/A/B/") +
                               " will be removed because it is a subfolder of another folder "
                               "that you added.");
  ASSERT_EQ(form_->ListView1->ItemCount(), 1);
  EXPECT_EQ(Found(), Names({"deep.txt", "top.txt"}));

  // A child listed after its parent stays, and its files come twice.
  requests_.clear();
  AddRow(t + "/A/B");
  form_->PushButton2_Click();
  EXPECT_TRUE(Messages().empty());
  EXPECT_EQ(Found(), Names({"deep.txt", "deep.txt", "top.txt"}));

  // "A" is no part of "AB"; the same folder twice loses its upper row.
  form_->PushButton7_Click();
  AddRow(t + "/AB");
  AddRow(t + "/A");
  AddRow(t + "/A");
  requests_.clear();
  form_->PushButton2_Click();
  ASSERT_EQ(Messages().size(), 1u);
  EXPECT_EQ(form_->ListView1->ItemCount(), 2);
  EXPECT_EQ(form_->ListView1->ItemText(1), QString::fromStdString(t + "/AB/"));

  // Child, parent, grandparent: messages for the parent first, then the child.
  form_->PushButton7_Click();
  AddRow(t + "/A/B");
  AddRow(t + "/A");
  AddRow(t);
  requests_.clear();
  form_->PushButton2_Click();
  ASSERT_EQ(Messages().size(), 2u);
  EXPECT_TRUE(Messages()[0].startsWith(QString::fromStdString(t + "/A/ will")));
  EXPECT_TRUE(Messages()[1].startsWith(QString::fromStdString(t + "/A/B/ will")));
  ASSERT_EQ(form_->ListView1->ItemCount(), 1);
  EXPECT_EQ(Found(), Names({"deep.txt", "other.txt", "top.txt"}));
}

TEST_F(SearchRunTest, ARowIsPrunedOnlyUnderARowThatItStartsWith) {
  // Every row starts with "/": "/home/" lies inside the text of
  // "/mnt/backup/home/" without being a parent of it.
  OldFiles(
      {"mnt/backup/home/saved.txt", "home/u/work/tmp/scratch.txt", "home/mine.txt", "tmp/t.txt"});
  testing::RootedFs rooted(tree_.path());
  ScopedFs use(&rooted);
  ListEveryOldFile();
  for (const char* row : {"/mnt/backup/home/", "/home/u/work/tmp/", "/home/", "/tmp/"}) {
    form_->AddFolderRow(QString::fromLatin1(row));
  }
  form_->PushButton2_Click();
  // "/home/u/work/tmp/" lies in "/home/" and goes; "/tmp/" is no parent of it.
  ASSERT_EQ(Messages().size(), 1u);
  EXPECT_TRUE(Messages()[0].startsWith(QStringLiteral("/home/u/work/tmp/ will be removed")));
  ASSERT_EQ(form_->ListView1->ItemCount(), 3);
  EXPECT_EQ(form_->ListView1->ItemText(1), QStringLiteral("/mnt/backup/home/"));
  EXPECT_EQ(Found(), Names({"mine.txt", "saved.txt", "scratch.txt", "t.txt"}));
}

TEST_F(SearchRunTest, TheRootsOwnFilesComeOutAsSlashAndName) {
  OldFiles({"top.txt", "sub/inner.txt", "~lock.txt", "sub/a~b.txt"});
  testing::RootedFs rooted(tree_.path());
  ScopedFs use(&rooted);
  form_->AddFolderRow("/");
  ListEveryOldFile();
  form_->PushButton2_Click();
  QStringList rows;
  for (int i = 1; i <= form_->ListView2->ItemCount(); ++i) rows << form_->ListView2->ItemText(i);
  rows.sort();
  EXPECT_EQ(rows, QStringList({"/sub/a~b.txt", "/sub/inner.txt", "/top.txt"}));
}

TEST_F(SearchRunTest, ASearchThatFindsNoFileShowsJustTheHeaders) {
  testing::MakeDirs(tree_.Sub("empty/inside"));
  AddRow(tree_.path());
  form_->PushButton2_Click();
  EXPECT_EQ(form_->ListView2->ItemCount(), 0);
  EXPECT_EQ(form_->ListView2->ColumnCount(), 3);
  EXPECT_EQ(form_->MousePointer(), kPointerDefault);
}

TEST_F(SearchRunTest, ARunKeepsTheCriteriaItStartedWithWhateverChangesMeanwhile) {
  // Forty files in two folders, modified in 2024 and accessed in 2020.
  // The search holds at the stamp of "b/f05" while the window goes on:
  // there the user picks "Date Accessed", moves the picker, clicks Start
  // again and tries to remove the folder row.  Every row must be judged
  // by, and shown under, the date type and rule taken at Start.
  for (int i = 0; i < 40; ++i) {
    char name[16];
    std::snprintf(name, sizeof name, "%c/f%02d", i < 20 ? 'a' : 'b', i % 20);
    const std::string path = tree_.Sub(name);
    WriteFile(path);
    SetTimes(path, LocalTime(2024, 3, 15, 12), LocalTime(2020, 3, 15, 12));
  }
  AddRow(tree_.path());
  Rule(form_->Option1);
  Rule(form_->Option6);
  form_->DTPicker5->SetValue(Day(2024, 3, 15));
  testing::SlowFs slow;
  slow.Hold("f05");
  ScopedFs use(&slow);
  bool acted = false, busy_seen = false;
  QTimer poke;
  poke.setInterval(1);
  QObject::connect(&poke, &QTimer::timeout, [&] {
    if (acted || !slow.Holding()) return;
    acted = true;
    busy_seen = form_->MousePointer() == kPointerBusy && form_->SearchRunning();
    form_->Option3->setChecked(true);              // Date Accessed
    form_->DTPicker5->SetValue(Day(2020, 3, 15));  // the accessed day
    form_->PushButton2->click();                   // ignored: a run is in progress
    form_->ListView1->SelectItem(1);
    form_->ListView1_KeyDown(46, 0);  // refused: the pointer is busy
    slow.Release();
  });
  poke.start();
  form_->PushButton2_Click();
  poke.stop();
  ASSERT_TRUE(acted);
  EXPECT_TRUE(busy_seen);
  EXPECT_EQ(form_->ListView1->ItemCount(), 1);
  EXPECT_EQ(form_->ListView2->ItemCount(), 40);  // one run's rows, not two
  EXPECT_EQ(form_->ListView2->ColumnCaption(2), QStringLiteral("Date Modified"));
  for (int row = 1; row <= 40; ++row) {
    const std::string path = form_->ListView2->ItemText(row).toStdString();
    EXPECT_EQ(form_->ListView2->SubItemText(row), StampText(FileDateModified(path))) << path;
  }
  // The next run takes the controls as they stand now.
  form_->PushButton2_Click();
  EXPECT_EQ(form_->ListView2->ItemCount(), 40);
  EXPECT_EQ(form_->ListView2->ColumnCaption(2), QStringLiteral("Date Accessed"));
  EXPECT_EQ(form_->ListView2->SubItemText(1),
            StampText(FileDateAccessed(form_->ListView2->ItemText(1).toStdString())));
}

TEST_F(SearchRunTest, AFileThatVanishesBeforeItsStampIsReadIsJudgedAsTheZeroDate) {
  // The file goes between the listing of its folder and the read of its
  // stamp: the moment a file system of the test's own can pick.
  struct VanishingFs : FileSystem {
    int StatxAt(int dir_fd, const char* name, int flags, unsigned mask,
                struct statx* stx) override {
      if (std::string(name) == "gone.txt") ::unlinkat(dir_fd, name, 0);
      return FileSystem::StatxAt(dir_fd, name, flags, mask, stx);
    }
  } vanishing;
  File("gone.txt", LocalTime(2024, 3, 15, 12));
  AddRow(tree_.path());
  Rule(form_->Option5);
  form_->DTPicker4->SetValue(Day(1950, 1, 1));
  ScopedFs use(&vanishing);
  form_->PushButton2_Click();
  ASSERT_EQ(form_->ListView2->ItemCount(), 1);
  EXPECT_EQ(form_->ListView2->SubItemText(1), QString());
  EXPECT_TRUE(form_->Found().StampAt(0).empty);
  EXPECT_FALSE(form_->ListView2->ItemId(1).Known());  // move and trash refuse it
  EXPECT_TRUE(ErrorReports().empty());
}

TEST_F(SearchRunTest, AFolderThatRefusesItsListingIsSkippedWithoutAReport) {
  OldFiles({"open/a.txt", "shut/b.txt", "shut/inner/c.txt"});
  testing::FaultyFs faulty;
  faulty.FailListing(tree_.Sub("shut/"), 0, EACCES);
  ScopedFs use(&faulty);
  AddRow(tree_.path());
  ListEveryOldFile();
  form_->PushButton2_Click();
  EXPECT_TRUE(ErrorReports().empty());
  EXPECT_EQ(Found(), Names({"a.txt"}));
}

TEST_F(SearchRunTest, DeepFoldersAreSearchedAndAnUnreadableOneIsSkippedWithoutAReport) {
  OldFiles({"a.txt"});
  const std::time_t old = LocalTime(2001, 1, 1);
  testing::MakeDeepFolder(tree_.Sub("deep"), 3000, {"deep.txt"}, old);
  const std::string shut = testing::MakeDeepFolder(tree_.Sub("shut"), 300, {"shut.txt"}, old);
  // The deepest folder that opens, and a file whose path is longer still.
  const std::string edge = testing::MakeDeepFolder(tree_.Sub("edge"), 4095, {"edge.txt"}, old);
  testing::FaultyFs faulty;
  faulty.FailListing(shut, 0, EACCES);
  ScopedFs use(&faulty);
  AddRow(tree_.path());
  ListEveryOldFile();
  form_->PushButton2_Click();
  EXPECT_TRUE(ErrorReports().empty());
  EXPECT_EQ(Found(), Names({"a.txt", "deep.txt", "edge.txt"}));
  for (int i = 1; i <= form_->ListView2->ItemCount(); ++i) {
    EXPECT_FALSE(form_->ListView2->SubItemText(i).isEmpty()) << i;  // every date was read
  }
}

TEST_F(SearchRunTest, AFailedStampReadIsReportedAtItsAppendAndTheFileKeepsItsPlace) {
  testing::OutOfMemoryFs fs("b.txt");  // memory runs out as its stamp is read
  File("a.txt", LocalTime(2001, 1, 1));
  const std::string victim = File("b.txt", LocalTime(2001, 1, 1));
  File("c.txt", LocalTime(2001, 1, 1));
  ScopedFs use(&fs);
  AddRow(tree_.path());
  Rule(form_->Option5);
  form_->DTPicker4->SetValue(Day(9000, 1, 1));
  const std::pair<QRadioButton*, int> types[] = {
      {form_->Option1, 188}, {form_->Option2, 194}, {form_->Option3, 200}};
  for (const auto& [type, line] : types) {
    requests_.clear();
    type->setChecked(true);
    form_->PushButton2_Click();
    std::vector<QString> reports = ErrorReports();
    ASSERT_EQ(reports.size(), 1u) << line;
    EXPECT_TRUE(reports[0].startsWith(
        QStringLiteral(
            "Out of memory\r\nin Tallowick2021/08/31.Form1.PushButton2_Click at line %1\r")
            .arg(line)))
        << reports[0].toStdString();
    // Every file is listed; the one whose stamp was lost shows no date.
    ASSERT_EQ(form_->Found().Count(), 3u);
    ASSERT_EQ(Found(), Names({"a.txt", "b.txt", "c.txt"}));
    for (int row = 1; row <= 3; ++row) {
      if (form_->ListView2->ItemText(row) == QString::fromStdString(victim)) {
        EXPECT_EQ(form_->ListView2->SubItemText(row), QString());
      } else if (type != form_->Option2) {  // birth times may be unknown here
        EXPECT_NE(form_->ListView2->SubItemText(row), QString());
      }
    }
  }
}

// The names in `folder` in the order the file system lists them.
std::vector<std::string> ListingOrder(const std::string& folder) {
  std::vector<std::string> names;
  DIR* dir = ::opendir(folder.c_str());
  while (struct dirent* ent = dir ? ::readdir(dir) : nullptr) {
    const std::string name = ent->d_name;
    if (name != "." && name != "..") names.push_back(name);
  }
  if (dir) ::closedir(dir);
  return names;
}

TEST_F(SearchRunTest, RowsFollowTheWalkOrderWithTheirOwnStamps) {
  // Old and new files mixed over a folder and two subfolders, so the
  // matches are interleaved with misses; a second run over the listed
  // rows, sorted and ticked by the user in between, gives the same rows
  // again in the same order, unticked and unsorted.
  for (int i = 0; i < 18; ++i) {
    const bool old = i % 3 != 0;
    const char* folder = i % 3 == 0 ? "" : i % 3 == 1 ? "a/" : "b/";
    File(folder + std::to_string(i) + ".txt",
         old ? LocalTime(2020, 5, 1 + i, 10) : LocalTime(2024, 5, 1 + i, 10));
    File(std::string(folder) + "old" + std::to_string(i), LocalTime(2019, 5, 1 + i, 10));
  }
  // The order the window must show: the folder's own files as listed,
  // then each subfolder's in the order the folder lists them.
  std::vector<std::string> expected;
  std::vector<std::string> folders = {tree_.path() + "/"};
  for (const std::string& name : ListingOrder(tree_.path())) {
    if (name == "a" || name == "b") folders.push_back(tree_.Sub(name) + "/");
  }
  for (const std::string& folder : folders) {
    for (const std::string& name : ListingOrder(folder)) {
      const std::string path = folder + name;
      if (std::filesystem::is_regular_file(path) &&
          FileDateModified(path).value < Day(2022, 1, 1)) {
        expected.push_back(path);
      }
    }
  }
  ASSERT_EQ(expected.size(), 30u);
  Rule(form_->Option1);
  Rule(form_->Option5);
  form_->DTPicker4->SetValue(Day(2022, 1, 1));
  AddRow(tree_.path());
  for (int run = 1; run <= 2; ++run) {
    SCOPED_TRACE(run);
    form_->PushButton2->click();
    ASSERT_EQ(form_->Found().Count(), expected.size());
    ASSERT_EQ(form_->ListView2->ItemCount(), static_cast<int>(expected.size()));
    for (int row = 1; row <= form_->ListView2->ItemCount(); ++row) {
      const std::string& path = expected[static_cast<std::size_t>(row - 1)];
      EXPECT_EQ(form_->ListView2->ItemText(row).toStdString(), path);
      EXPECT_EQ(form_->ListView2->SubItemText(row), StampText(FileDateModified(path)));
      EXPECT_EQ(form_->ListView2->ItemId(row), IdOfPath(path));
      EXPECT_FALSE(form_->ListView2->Checked(row));
    }
    EXPECT_FALSE(form_->ListView2->header()->isSortIndicatorShown());
    form_->PushButton4_Click();
    form_->ListView2->Model()->SortByClick(1);  // the "Date Modified" header
    EXPECT_TRUE(form_->ListView2->header()->isSortIndicatorShown());
  }
}

TEST_F(SearchRunTest, TheCommandsActOnTheResultsAsSorted) {
  const std::string middle = File("a.txt", LocalTime(2021, 5, 1));
  const std::string oldest = File("b.txt", LocalTime(2020, 5, 1));
  const std::string newest = File("c.txt", LocalTime(2022, 5, 1));
  Rule(form_->Option5);
  form_->DTPicker4->SetValue(Day(2030, 1, 1));
  AddRow(tree_.path());
  form_->PushButton2->click();
  ASSERT_EQ(form_->ListView2->ItemCount(), 3);
  ListModel* results = form_->ListView2->Model();
  results->SortByClick(1);
  results->SortByClick(1);  // newest first
  EXPECT_EQ(form_->ListView2->ItemText(1).toStdString(), newest);
  EXPECT_EQ(form_->ListView2->ItemText(3).toStdString(), oldest);
  // The row shown first is the file that goes.
  form_->ListView2->SetChecked(1, true);
  form_->PushButton3->click();
  EXPECT_FALSE(testing::Exists(newest));
  EXPECT_TRUE(testing::Exists(middle) && testing::Exists(oldest));
  ASSERT_EQ(form_->ListView2->ItemCount(), 2);
  EXPECT_EQ(form_->ListView2->ItemText(1).toStdString(), middle);
  EXPECT_EQ(results->SortColumn(), 1);  // what is left stays in order
}

TEST_F(SearchRunTest, TheLastRunsRowsStayShownWhileTheNextSearches) {
  // The rows of a search are positions in what it found; the next search
  // gathers its own while the old rows are still on screen, painted and
  // answering.
  OldFiles({"a/one.txt", "b/two.txt", "b/three.txt"});
  AddRow(tree_.path());
  ListEveryOldFile();
  form_->PushButton2_Click();
  ASSERT_EQ(form_->ListView2->ItemCount(), 3);
  std::vector<QString> shown;
  for (int i = 1; i <= 3; ++i) {
    shown.push_back(form_->ListView2->ItemText(i) + " " + form_->ListView2->SubItemText(i));
  }
  const FileId first_id = form_->ListView2->ItemId(1);
  ::unlink(tree_.Sub("b/two.txt").c_str());
  testing::SlowFs slow;
  slow.Hold("three.txt");
  ScopedFs use(&slow);
  int checked = 0;
  QTimer look;
  look.setInterval(1);
  QObject::connect(&look, &QTimer::timeout, [&] {
    if (!form_->SearchRunning()) return;
    form_->ListView2->viewport()->repaint();
    for (int i = 1; i <= 3; ++i) {
      ASSERT_EQ(form_->ListView2->ItemText(i) + " " + form_->ListView2->SubItemText(i),
                shown[size_t(i - 1)]);
    }
    ASSERT_EQ(form_->ListView2->ItemId(1), first_id);
    if (++checked == 5) slow.Release();
  });
  look.start();
  form_->PushButton2_Click();
  look.stop();
  EXPECT_GE(checked, 5);
  EXPECT_EQ(form_->ListView2->ItemCount(), 2);
}

TEST_F(SearchRunTest, StopEscAndClosingEndASearchOnASlowMountWithinASecond) {
  // A mount that answers slowly, as a network share or a FUSE view does,
  // with one file whose date never comes back while the test runs: the
  // search is stopped at fifty moments, by the Stop button, by Esc and by
  // closing the window (which ends the program; here it stops the search).
  for (int i = 0; i < 60; ++i)
    File("d" + std::to_string(i % 12) + "/f" + std::to_string(i), LocalTime(2001, 1, 1));
  AddRow(tree_.path());
  ListEveryOldFile();
  Form1::SetUnloadActionForTesting([this] {
    ++unloads_;
    form_->PushButton9_Click();
  });
  testing::SlowFs slow;
  slow.listing_delay_ms = 3;
  slow.stamp_delay_ms = 1;
  slow.Hold("f30", 5000);
  ScopedFs use(&slow);
  for (int k = 0; k < 50; ++k) {
    SCOPED_TRACE(k);
    form_->show();
    ASSERT_TRUE(QTest::qWaitForWindowActive(form_.get()));
    std::chrono::steady_clock::time_point asked;
    const int unloads = unloads_;
    QTimer::singleShot(k * 4, form_.get(), [&] {
      asked = std::chrono::steady_clock::now();
      switch (k % 3) {
        case 0:
          form_->PushButton9->click();
          break;
        case 1:
          QTest::keyClick(form_.get(), Qt::Key_Escape);
          break;
        case 2:
          form_->close();
          break;
      }
    });
    form_->PushButton2_Click();
    const auto ended = std::chrono::steady_clock::now();
    ASSERT_FALSE(form_->SearchRunning());
    EXPECT_LT(ended - asked, std::chrono::seconds(1));
    EXPECT_EQ(unloads_, unloads + (k % 3 == 2 ? 1 : 0));
    EXPECT_LT(form_->ListView2->ItemCount(), 60);
    EXPECT_TRUE(form_->StatusText().startsWith(QStringLiteral("Search stopped after")));
  }
  slow.Release();
  EXPECT_TRUE(SearchEngine::WaitForThreadsToEnd(10000));
}

}  // namespace
}  // namespace qm
