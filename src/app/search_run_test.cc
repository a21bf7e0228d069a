// SPDX-License-Identifier: GPL-3.0-or-later
// The search run and the date rules, through the real window.
#include <QHeaderView>
#include <QLineEdit>
#include <QRadioButton>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <set>

#include "base/date_value.h"
#include "platform/file_system.h"
#include "platform/yield.h"
#include "search/date_criteria.h"
#include "search/read_ahead/read_ahead.h"
#include "search/time_stamps.h"
#include "testing/test_faulty_fs.h"
#include "testing/test_form.h"
#include "testing/test_rooted_fs.h"

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
  int yields = 0;
  SetYieldHook([&] { ++yields; });
  for (const char* bad : {"", "abc", "1.5", "-3", "3 0"}) {
    requests_.clear();
    form_->Text1->setText(QString::fromLatin1(bad));
    form_->PushButton2_Click();
    EXPECT_EQ(form_->ListView2->ItemCount(), 0) << bad;
    ASSERT_EQ(Messages().size(), 1u) << bad;
    EXPECT_EQ(Messages()[0], DaysHelpText());
    EXPECT_EQ(form_->MousePointer(), kPointerDefault);
    EXPECT_FALSE(form_->SearchRunning());
  }
  SetYieldHook(nullptr);
  EXPECT_EQ(yields, 0);
  EXPECT_EQ(form_->Found().Count(), 0u);

  // A text made unusable while the folders are walked is still caught.
  form_->Text1->setText("10");
  SetYieldHook([&] { form_->Text1->setText("ten"); });
  requests_.clear();
  form_->PushButton2_Click();
  SetYieldHook(nullptr);
  ASSERT_EQ(Messages().size(), 1u);
  EXPECT_EQ(Messages()[0], DaysHelpText());
  EXPECT_EQ(form_->ListView2->ItemCount(), 0);
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
  OldFiles({"mnt/backup/home/saved.txt", "home/u/work/tmp/scratch.txt", "home/mine.txt",
            "tmp/t.txt"});
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

TEST_F(SearchRunTest, ClicksAndCriterionChangesDuringARunTakeEffectAsTheyShould) {
  for (int i = 0; i < 6; ++i) File("f" + std::to_string(i), LocalTime(2024, 3, 15, 12));
  AddRow(tree_.path());
  Rule(form_->Option6);
  form_->DTPicker5->SetValue(Day(2024, 3, 15));
  int yields = 0;
  bool busy_seen = false;
  SetYieldHook([&] {
    ++yields;
    busy_seen = busy_seen || form_->MousePointer() == kPointerBusy;
    form_->PushButton2->click();  // ignored: a run is in progress
    form_->ListView1_KeyDown(46, 0);  // refused: the pointer is busy
  });
  form_->PushButton2_Click();
  SetYieldHook(nullptr);
  EXPECT_GT(yields, 6);
  EXPECT_TRUE(busy_seen);
  EXPECT_EQ(form_->ListView1->ItemCount(), 1);
  EXPECT_EQ(form_->ListView2->ItemCount(), 6);  // one run's rows, not two

  // The picker is read afresh for every entry of the criterion pass.
  int in_pass = 0;
  SetYieldHook([&] {
    if (form_->Found().Count() == 6 && ++in_pass == 4) {
      form_->DTPicker5->SetValue(Day(2000, 1, 1));
    }
  });
  form_->PushButton2_Click();
  SetYieldHook(nullptr);
  EXPECT_EQ(form_->ListView2->ItemCount(), 3);
}

TEST_F(SearchRunTest, AFileThatVanishesBeforeItsStampIsReadIsJudgedAsTheZeroDate) {
  std::string gone = File("gone.txt", LocalTime(2024, 3, 15, 12));
  AddRow(tree_.path());
  Rule(form_->Option5);
  form_->DTPicker4->SetValue(Day(1950, 1, 1));
  // A first run counts the yields; the second deletes the file at the last
  // yield before the criterion pass, which is the one before its stamp read.
  int yields = 0;
  SetYieldHook([&] { ++yields; });
  form_->PushButton2_Click();
  const int stamp_yield = yields - 1;
  yields = 0;
  SetYieldHook([&] {
    if (++yields == stamp_yield) ::unlink(gone.c_str());
  });
  form_->PushButton2_Click();
  SetYieldHook(nullptr);
  ASSERT_EQ(form_->ListView2->ItemCount(), 1);
  EXPECT_EQ(form_->ListView2->SubItemText(1), QString());
  EXPECT_TRUE(form_->Found().StampAt(0).empty);
  EXPECT_FALSE(form_->ListView2->ItemId(1).Known());  // move and trash refuse it
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
  // Memory running out while one file's stamp is read: only a file system
  // of the test's own can make that happen on cue.
  struct OutOfMemoryFs : FileSystem {
    std::string victim;
    int Statx(const char* path, int flags, unsigned mask, struct statx* stx) override {
      if (victim == path) throw std::bad_alloc();
      return FileSystem::Statx(path, flags, mask, stx);
    }
  } fs;
  File("a.txt", LocalTime(2001, 1, 1));
  fs.victim = File("b.txt", LocalTime(2001, 1, 1));
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
        QStringLiteral("Out of memory\r\nin Tallowick2021/08/31.Form1.PushButton2_Click at line %1\r")
            .arg(line)))
        << reports[0].toStdString();
    // Every file is listed; the one whose stamp was lost shows no date.
    ASSERT_EQ(form_->Found().Count(), 3u);
    ASSERT_EQ(Found(), Names({"a.txt", "b.txt", "c.txt"}));
    for (int row = 1; row <= 3; ++row) {
      if (form_->ListView2->ItemText(row) == QString::fromStdString(fs.victim)) {
        EXPECT_EQ(form_->ListView2->SubItemText(row), QString());
      } else if (type != form_->Option2) {  // birth times may be unknown here
        EXPECT_NE(form_->ListView2->SubItemText(row), QString());
      }
    }
  }
}

TEST_F(SearchRunTest, RowsFollowTheGatheringOrderWithTheirOwnStamps) {
  // Old and new files mixed over two folders, so the matches are
  // interleaved with misses; a second run over the listed rows, sorted and
  // ticked by the user in between, gives the same rows again in the same
  // order, unticked and unsorted.
  for (int i = 0; i < 12; ++i) {
    const bool old = i % 3 != 0;
    File((i % 2 ? "a/" : "b/") + std::to_string(i) + ".txt",
         old ? LocalTime(2020, 5, 1 + i, 10) : LocalTime(2024, 5, 1 + i, 10));
  }
  Rule(form_->Option1);
  Rule(form_->Option5);
  form_->DTPicker4->SetValue(Day(2022, 1, 1));
  AddRow(tree_.path());
  for (int run = 1; run <= 2; ++run) {
    SCOPED_TRACE(run);
    form_->PushButton2->click();
    ASSERT_EQ(form_->Found().Count(), 12u);
    int row = 0;
    for (std::size_t i = 0; i < form_->Found().Count(); ++i) {
      std::string_view folder, name;
      form_->Found().Parts(i, &folder, &name);
      const QString found = QString::fromStdString(std::string(folder) + std::string(name));
      const Stamp stamp = FileDateModified(found.toStdString());
      if (stamp.value >= Day(2022, 1, 1)) continue;
      ++row;
      ASSERT_LE(row, form_->ListView2->ItemCount());
      EXPECT_EQ(form_->ListView2->ItemText(row), found);
      EXPECT_EQ(form_->ListView2->SubItemText(row), StampText(stamp));
      EXPECT_EQ(form_->ListView2->ItemId(row), IdOfPath(found.toStdString()));
      EXPECT_FALSE(form_->ListView2->Checked(row));
    }
    EXPECT_EQ(row, 8);
    EXPECT_EQ(form_->ListView2->ItemCount(), row);
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

TEST_F(SearchRunTest, TheLastRunsRowsStayShownWhileTheNextGathers) {
  // The rows of a search are positions in its run lists; the next search
  // gathers into new ones while the old rows are still on screen.
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
  int checked = 0;
  SetYieldHook([&] {
    if (form_->ListView2->ItemCount() == 0) return;  // cleared for the new rows
    form_->ListView2->viewport()->repaint();
    for (int i = 1; i <= 3; ++i) {
      ASSERT_EQ(form_->ListView2->ItemText(i) + " " + form_->ListView2->SubItemText(i),
                shown[size_t(i - 1)]);
    }
    ASSERT_EQ(form_->ListView2->ItemId(1), first_id);
    ++checked;
  });
  form_->PushButton2_Click();
  SetYieldHook(nullptr);
  EXPECT_GT(checked, 5);
  EXPECT_EQ(form_->ListView2->ItemCount(), 2);
}

// What a search shows: each row's path below the searched folder and its
// date text, in order; the yields it made; the messages it showed.
struct Shown {
  std::vector<std::string> rows;
  int yields = 0;
  std::vector<QString> messages;
  bool operator==(const Shown& o) const {
    return rows == o.rows && yields == o.yields && messages == o.messages;
  }
};

TEST_F(SearchRunTest, ReadingAheadChangesNothingTheWindowShows) {
  // A tree with what a walk meets: a link back up (a loop), two ways to one
  // folder, links to a file and to nothing, a refused folder (a link to
  // /proc), a folder that refuses its listing and one that vanishes half
  // listed, a FIFO, names the search skips.  At yield k the tree changes: a
  // folder with files goes, a file comes, a file goes, a file's dates move.
  // For every k, a search with workers reading ahead shows what a plain one
  // does; they read whole parts ahead before the first answer, so anything
  // they keep across the change would show.
  auto build = [](const std::string& t) {
    for (const char* f : {"a/f1.txt", "a/f2.txt", "a/~lock", "b/g.txt", "b/deep/h.txt",
                          "gone/x.txt", "gone/y.txt", "gone/sub/z.txt", "shut/s.txt",
                          "half/p.txt", "half/q/r.txt", "top.txt"}) {
      WriteFile(t + "/" + f);
      SetTimes(t + "/" + f, LocalTime(2001, 1, 1), LocalTime(2001, 1, 2));
    }
    ::symlink("..", (t + "/a/up").c_str());
    ::symlink("../b/deep", (t + "/a/again").c_str());
    ::symlink("../top.txt", (t + "/b/file-link").c_str());
    ::symlink("nowhere", (t + "/b/broken").c_str());
    ::symlink("/proc", (t + "/proc-link").c_str());
    ::mkfifo((t + "/b/fifo").c_str(), 0644);
  };
  auto change = [](const std::string& t) {
    std::filesystem::remove_all(t + "/gone");
    WriteFile(t + "/b/new.txt");
    SetTimes(t + "/b/new.txt", LocalTime(2003, 3, 3), LocalTime(2003, 3, 3));
    ::unlink((t + "/a/f2.txt").c_str());
    SetTimes(t + "/a/f1.txt", LocalTime(2004, 4, 4), LocalTime(2004, 4, 4));
  };
  Rule(form_->Option1);  // Date Modified
  ListEveryOldFile();
  enum Reading { kPlain, kAhead, kAheadFromDisk };
  auto search = [&](Reading reading, int k) {
    testing::TempDir tree;
    const std::string t = tree.path();
    build(t);
    testing::FaultyFs faulty;
    faulty.FailListing(t + "/shut/", 0, EACCES);
    faulty.FailListing(t + "/half/", 1, ENOENT);
    ScopedFs use(&faulty);
    ReadAheadSession::Options options;
    options.threads = reading == kPlain ? 0 : 3;
    options.as_from_disk = reading == kAheadFromDisk;
    const ReadAheadSession::Options before = ReadAheadSession::SetDefaults(options);
    form_->PushButton7_Click();
    AddRow(t);
    requests_.clear();
    Shown shown;
    SetYieldHook([&] {
      if (++shown.yields == k) change(t);
    });
    form_->PushButton2_Click();
    SetYieldHook(nullptr);
    ReadAheadSession::SetDefaults(before);
    for (int i = 1; i <= form_->ListView2->ItemCount(); ++i) {
      shown.rows.push_back(form_->ListView2->ItemText(i).toStdString().substr(t.size()) + " " +
                           form_->ListView2->SubItemText(i).toStdString());
    }
    for (const DialogRequest& r : requests_) shown.messages.push_back(r.text);
    return shown;
  };

  const Shown unchanged = search(kPlain, 0);
  EXPECT_EQ(unchanged.rows.size(), 9u);  // a link to a file counts, ~lock does not
  EXPECT_EQ(search(kAhead, 0), unchanged);
  EXPECT_EQ(search(kAheadFromDisk, 0), unchanged);
  const std::uint64_t answered = ReadAheadSession::AnsweredInAll();
  for (int k = 1; k <= unchanged.yields; ++k) {
    const Shown plain = search(kPlain, k);
    ASSERT_EQ(search(kAhead, k), plain) << "changed at yield " << k;
    ASSERT_EQ(search(kAheadFromDisk, k), plain) << "as from a disk, changed at yield " << k;
  }
  EXPECT_GT(ReadAheadSession::AnsweredInAll() - answered, 1000u);
}

TEST_F(SearchRunTest, ReadingAheadAnswersNearlyEveryCallOfATenThousandFileSearch) {
  // The plan of each stage follows the calls the walk and the gathering
  // make; a call it does not follow goes to the kernel, and a change to the
  // search's calls that the plans miss would only slow every search.  So
  // at 10,000 files the workers must answer at least 99% of the calls, and
  // the rows must be the plain search's.
  std::vector<std::string> folders = {""};
  for (int a = 0; a < 10; ++a) {
    folders.push_back("d" + std::to_string(a) + "/");
    for (int b = 0; b < 40; ++b) {
      folders.push_back("d" + std::to_string(a) + "/e" + std::to_string(b) + "/");
    }
  }
  // Hard links of one file: making 10,000 files of their own takes seconds
  // on some file systems.
  const std::string one = tree_.Sub("f0");
  WriteFile(one);
  for (const std::string& folder : folders) testing::MakeDirs(tree_.Sub(folder));
  for (int i = 1; i < 10000; ++i) {
    const std::string path = tree_.Sub(folders[std::size_t(i) % folders.size()] + "f" + std::to_string(i));
    ASSERT_EQ(::link(one.c_str(), path.c_str()), 0) << path;
  }
  ::symlink("../f0", tree_.Sub("d0/link").c_str());  // a link to a file counts too
  AddRow(tree_.path());
  Rule(form_->Option4);
  form_->DTPicker3->SetValue(Day(2001, 1, 1));
  auto search = [&](int threads, bool from_disk, double* share) {
    ReadAheadSession::Options options;
    options.threads = threads;
    options.as_from_disk = from_disk;
    const ReadAheadSession::Options before = ReadAheadSession::SetDefaults(options);
    const std::uint64_t answered = ReadAheadSession::AnsweredInAll();
    const std::uint64_t missed = ReadAheadSession::MissedInAll();
    form_->PushButton2_Click();
    ReadAheadSession::SetDefaults(before);
    const double a = double(ReadAheadSession::AnsweredInAll() - answered);
    const double m = double(ReadAheadSession::MissedInAll() - missed);
    if (share) *share = a + m > 0 ? a / (a + m) : 0;
    std::vector<std::string> rows;
    for (int i = 1; i <= form_->ListView2->ItemCount(); ++i) {
      rows.push_back(form_->ListView2->ItemText(i).toStdString() + " " +
                     form_->ListView2->SubItemText(i).toStdString());
    }
    return rows;
  };
  const std::vector<std::string> plain = search(0, false, nullptr);
  ASSERT_EQ(plain.size(), 10001u);
  double share = 0;
  EXPECT_EQ(search(4, false, &share), plain);
  EXPECT_GE(share, 0.99);
  EXPECT_EQ(search(4, true, &share), plain);
  EXPECT_GE(share, 0.99) << "as from a disk";
  EXPECT_TRUE(ErrorReports().empty());
}

}  // namespace
}  // namespace qm
