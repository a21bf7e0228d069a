// SPDX-License-Identifier: GPL-3.0-or-later
// The command line's search against the window's: the same rows in the same
// order, the same messages, in every format; and every way a command line
// can be wrong.
#include "app/command_line.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/mount.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QDir>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "base/date_value.h"
#include "platform/file_system.h"
#include "search/time_stamps.h"
#include "testing/test_faulty_fs.h"
#include "testing/test_form.h"
#include "testing/test_mounts.h"
#include "testing/test_printed.h"
#include "testing/test_slow_fs.h"

namespace qm {
namespace {

using testing::Capture;
using testing::FormTest;
using testing::LocalTime;
using testing::Printed;
using testing::ScopedEnv;
using testing::SetTimes;
using testing::WriteFile;

Printed RunCli(const FindRequest& request,
               const SearchEngine::Options& options = SearchEngine::Options()) {
  return Capture(
      [&](std::FILE* out, std::FILE* err) { return RunFind(request, out, err, options); });
}

CommandLine Parse(const QStringList& arguments) { return ParseCommandLine(arguments); }

FindRequest Find(const QStringList& arguments) {
  CommandLine line = Parse(QStringList{"--find"} + arguments);
  EXPECT_EQ(line.action, CommandLine::Action::kFind) << line.error.toStdString();
  return line.find;
}

// One row as the window lists it.
struct Row {
  std::string path;
  Stamp stamp;
  std::int64_t size;
  QString shown;  // the date column's text
};

// The UTC instant an ISO 8601 date with offset names; -1 when it is not one.
std::int64_t InstantOf(const std::string& iso) {
  int y, mo, d, h, mi, s, oh, om, n = 0;
  char sign;
  if (std::sscanf(iso.c_str(), "%4d-%2d-%2dT%2d:%2d:%2d%c%2d:%2d%n", &y, &mo, &d, &h, &mi, &s,
                  &sign, &oh, &om, &n) != 9 ||
      static_cast<std::size_t>(n) != iso.size() || (sign != '+' && sign != '-')) {
    return -1;
  }
  const std::int64_t offset = (sign == '-' ? -1 : 1) * (oh * 3600 + om * 60);
  return (DayNumberOf(y, mo, d) - 25569) * 86400 + h * 3600 + mi * 60 + s - offset;
}

std::vector<std::string> Split(const std::string& text, char end) {
  std::vector<std::string> parts;
  std::size_t start = 0;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] != end) continue;
    parts.push_back(text.substr(start, i - start));
    start = i + 1;
  }
  EXPECT_EQ(start, text.size()) << "the last row has no end";
  return parts;
}

std::string TsvUnescaped(const std::string& text) {
  std::string out;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '\\') {
      out.push_back(text[i]);
      continue;
    }
    const char c = i + 1 < text.size() ? text[++i] : '?';
    out.push_back(c == 't' ? '\t' : c == 'n' ? '\n' : c == 'r' ? '\r' : c == '\\' ? '\\' : '?');
  }
  return out;
}

// Whether the date written for a row names its stamp: the local time the
// window shows for that instant is the row's own.
void ExpectSameDate(const std::string& written, const Row& row) {
  if (row.stamp.empty) {
    EXPECT_EQ(written, "") << row.path;
    return;
  }
  const std::int64_t instant = InstantOf(written);
  ASSERT_NE(instant, -1) << row.path << ": " << written;
  EXPECT_EQ(FileTimeToLocalDate(instant, 0), row.stamp.value) << row.path << ": " << written;
  EXPECT_EQ(StampText(Stamp{FileTimeToLocalDate(instant, 0), false}), row.shown) << row.path;
}

class CommandLineTest : public FormTest {
 protected:
  void SetUp() override {
    FormTest::SetUp();
    form_ = NewForm();
  }

  // A file whose modified and accessed times are given.
  void File(const std::string& relative, std::time_t modified, std::time_t accessed) {
    const std::string path = tree_.Sub(relative);
    WriteFile(path, std::string(relative.size(), 'x'));
    SetTimes(path, modified, accessed);
  }

  // The window's rows for `rows` (folder rows as the browser adds them)
  // and the criterion of `request`.
  std::vector<Row> WindowRows(const std::vector<QString>& rows, const FindRequest& request) {
    form_->PushButton7_Click();  // Clear List
    for (const QString& row : rows) form_->AddFolderRow(row);
    QRadioButton* types[] = {form_->Option1, form_->Option2, form_->Option3};
    types[request.type == DateType::kModified  ? 0
          : request.type == DateType::kCreated ? 1
                                               : 2]
        ->setChecked(true);
    const DateValue first = request.first.isValid() ? DayNumberFromQDate(request.first) : 0;
    switch (request.rule) {
      case DateRule::kAfter:
        form_->Option4->setChecked(true);
        form_->DTPicker3->SetValue(first);
        break;
      case DateRule::kBefore:
        form_->Option5->setChecked(true);
        form_->DTPicker4->SetValue(first);
        break;
      case DateRule::kOn:
        form_->Option6->setChecked(true);
        form_->DTPicker5->SetValue(first);
        break;
      case DateRule::kBetween:
        form_->Option7->setChecked(true);
        form_->DTPicker1->SetValue(first);
        form_->DTPicker2->SetValue(DayNumberFromQDate(request.last));
        break;
      case DateRule::kNotAccessedInDays:
        form_->Option8->setChecked(true);
        form_->Text1->setText(QString::number(request.days));
        break;
      case DateRule::kNone:
        break;
    }
    form_->PushButton2_Click();
    std::vector<Row> listed;
    for (int i = 1; i <= form_->ListView2->ItemCount(); ++i) {
      const std::size_t k = static_cast<std::size_t>(i - 1);
      const std::string path = form_->ListView2->ItemText(i).toStdString();
      EXPECT_EQ(form_->Found().Path(k), path);
      listed.push_back(Row{path, form_->Found().StampAt(k), form_->Found().SizeAt(k),
                           form_->ListView2->SubItemText(i)});
    }
    return listed;
  }

  // Runs the command line with `arguments` in every format and checks each
  // gives exactly `expected`.
  void ExpectEveryFormatGives(const QStringList& arguments, const std::vector<Row>& expected) {
    SCOPED_TRACE(arguments.join(' ').toStdString());
    std::string lines, nulls;
    for (const Row& row : expected) {
      lines += row.path + '\n';
      nulls += row.path + '\0';
    }
    Printed printed = RunCli(Find(arguments + QStringList{"--format", "lines"}));
    EXPECT_EQ(printed.status, 0);
    EXPECT_EQ(printed.err, "");
    EXPECT_EQ(printed.out, lines);
    printed = RunCli(Find(QStringList{"--format", "null"} + arguments));
    EXPECT_EQ(printed.out, nulls);

    printed = RunCli(Find(arguments + QStringList{"--format=tsv"}));
    EXPECT_EQ(printed.status, 0);
    std::vector<std::string> tsv = Split(printed.out, '\n');
    ASSERT_EQ(tsv.size(), expected.size());
    for (std::size_t i = 0; i < tsv.size(); ++i) {
      std::vector<std::string> fields = Split(tsv[i] + '\t', '\t');
      ASSERT_EQ(fields.size(), 3u) << tsv[i];
      EXPECT_EQ(TsvUnescaped(fields[0]), expected[i].path);
      ExpectSameDate(fields[1], expected[i]);
      EXPECT_EQ(fields[2], expected[i].size < 0 ? "" : std::to_string(expected[i].size));
    }

    printed = RunCli(Find(arguments + QStringList{"--format", "json"}));
    EXPECT_EQ(printed.status, 0);
    std::vector<std::string> json = Split(printed.out, '\n');
    ASSERT_EQ(json.size(), expected.size());
    for (std::size_t i = 0; i < json.size(); ++i) {
      QJsonParseError error;
      const QJsonDocument doc = QJsonDocument::fromJson(QByteArray::fromStdString(json[i]), &error);
      ASSERT_EQ(error.error, QJsonParseError::NoError) << json[i];
      const QJsonObject object = doc.object();
      EXPECT_EQ(object.keys(), QStringList({"date", "path", "size"}));
      EXPECT_EQ(object["path"].toString().toStdString(), expected[i].path);
      ExpectSameDate(object["date"].isNull() ? "" : object["date"].toString().toStdString(),
                     expected[i]);
      if (expected[i].size < 0) {
        EXPECT_TRUE(object["size"].isNull());
      } else {
        EXPECT_EQ(object["size"].toInteger(-1), expected[i].size);
      }
    }
  }

  testing::TempDir tree_;
  std::unique_ptr<Form1> form_;
};

TEST_F(CommandLineTest, TheSamplesGiveTheWindowsRowsForEveryRuleAndDateType) {
  Form1::SetAppFolderForTesting(QCoreApplication::applicationDirPath());
  form_->PushButton7_Click();
  form_->PushButton8_Click();  // Load Sample/Example Folder
  ASSERT_EQ(form_->ListView1->ItemCount(), 1);
  const QString samples = form_->ListView1->ItemText(1);
  const QString today = QDate::currentDate().toString(Qt::ISODate);
  const QString month_ago = QDate::currentDate().addDays(-30).toString(Qt::ISODate);
  const QStringList rules[] = {{"--after", month_ago},
                               {"--before", month_ago},
                               {"--on", today},
                               {"--between", month_ago, today},
                               {"--not-accessed-days", "10"}};
  int rows = 0;
  for (const char* type : {"accessed", "modified", "created"}) {
    for (const QStringList& rule : rules) {
      const QStringList arguments = QStringList{"--date", type} + rule + QStringList{samples};
      const std::vector<Row> expected = WindowRows({samples}, Find(arguments));
      rows += static_cast<int>(expected.size());
      ExpectEveryFormatGives(arguments, expected);
    }
  }
  EXPECT_GE(rows, 30);  // the rules find something
}

TEST_F(CommandLineTest, AGeneratedTreeGivesTheWindowsRowsWithTheirDatesAndSizes) {
  // Daylight saving time, so the offsets differ from date to date.
  ScopedEnv tz("TZ", "Europe/Berlin");
  File("winter.txt", LocalTime(2024, 1, 15, 12), LocalTime(2023, 12, 1, 8));
  File("summer.txt", LocalTime(2024, 7, 15, 23, 30), LocalTime(2024, 7, 16, 0, 30));
  File("edge/a_before", LocalTime(2024, 3, 14, 23, 59, 59), LocalTime(2020, 1, 1));
  File("edge/b_start", LocalTime(2024, 3, 15, 0, 0, 0), LocalTime(2020, 1, 1));
  File("edge/c_end", LocalTime(2024, 3, 15, 23, 59, 59), LocalTime(2020, 1, 1));
  File("edge/d_after", LocalTime(2024, 3, 16, 0, 0, 0), LocalTime(2020, 1, 1));
  // The second pass through 02:30 on the night clocks go back.
  const std::time_t repeated = LocalTime(2024, 10, 27, 1, 30) + 2 * 3600;
  File("edge/repeated", repeated, repeated);
  // Names that need escapes in tsv and json, and one the search leaves out.
  File("names/tab\there", LocalTime(2024, 3, 15, 9), LocalTime(2024, 3, 15, 9));
  File("names/new\nline", LocalTime(2024, 3, 15, 9), LocalTime(2024, 3, 15, 9));
  File("names/back\\slash \"quoted\"", LocalTime(2024, 3, 15, 9), LocalTime(2024, 3, 15, 9));
  File("names/cr\r\x01\x1f", LocalTime(2024, 3, 15, 9), LocalTime(2024, 3, 15, 9));
  File("names/Grüße ✓.txt", LocalTime(2024, 3, 15, 9), LocalTime(2024, 3, 15, 9));
  File("names/~lock.txt", LocalTime(2024, 3, 15, 9), LocalTime(2024, 3, 15, 9));
  File("deep/er/still/deeper.txt", LocalTime(2010, 5, 5), LocalTime(2011, 5, 5));
  const QString root = QString::fromStdString(tree_.path() + "/");
  const QStringList cases[] = {
      {"--before", "2030-01-01"},
      {"--date", "modified", "--on", "2024-03-15"},
      {"--date", "modified", "--after", "2024-03-15"},
      {"--date", "modified", "--before", "2024-03-15"},
      {"--between", "2024-03-15", "2024-07-16", "--date", "modified"},
      {"--not-accessed-days", "300"},
      {"--date", "modified", "--not-accessed-days", "0"},
      {"--date", "created", "--before", "9999-12-31"},
  };
  for (const QStringList& rule : cases) {
    const QStringList arguments = rule + QStringList{root};
    const std::vector<Row> expected = WindowRows({root}, Find(arguments));
    EXPECT_FALSE(expected.empty()) << rule.join(' ').toStdString();
    ExpectEveryFormatGives(arguments, expected);
  }
  // Every name but the one with "~" is listed, escapes and all.
  EXPECT_EQ(WindowRows({root}, Find({"--before", "2030-01-01", root})).size(), 13u);
  // The first day after the last: no day matches, and that is no error.
  const FindRequest reversed = Find({"--between", "2024-07-16", "2024-03-15", root});
  EXPECT_TRUE(WindowRows({root}, reversed).empty());
  const Printed printed = RunCli(reversed);
  EXPECT_EQ(printed.status, 0);
  EXPECT_EQ(printed.out, "");
  EXPECT_EQ(printed.err, "");
}

TEST_F(CommandLineTest, FoldersAreTakenAsTheBrowserGivesThemAndPrunedAsTheWindowPrunes) {
  File("A/B/deep.txt", LocalTime(2001, 1, 1), LocalTime(2001, 1, 1));
  File("A/top.txt", LocalTime(2001, 1, 1), LocalTime(2001, 1, 1));
  File("AB/other.txt", LocalTime(2001, 1, 1), LocalTime(2001, 1, 1));
  File("file.txt", LocalTime(2001, 1, 1), LocalTime(2001, 1, 1));
  const QString t = QString::fromStdString(tree_.path());
  const QString before_dir = QDir::currentPath();
  ASSERT_TRUE(QDir::setCurrent(t + "/AB"));
  // Relative, doubled separators, "..", a final "/" or none: each is the
  // folder row the browser would add.  The missing folder and the file are
  // left out with a message each; the rest are pruned as window rows are.
  const FindRequest request = Find({"--before", "2020-01-01", "../A/B", t + "//A/", "missing",
                                    "../file.txt", "--", "./../A/B/.", "../AB", "../"});
  const Printed printed = RunCli(request);
  QDir::setCurrent(before_dir);
  const std::vector<QString> rows = {t + "/A/B/", t + "/A/", t + "/A/B/", t + "/AB/", t + "/"};
  const std::vector<Row> expected = WindowRows(rows, request);
  ASSERT_EQ(Messages().size(), 4u);  // the window's pruning messages
  std::vector<std::string> messages = {"quenmoor: missing: no such folder; it is left out",
                                       "quenmoor: ../file.txt: not a folder; it is left out"};
  for (const QString& message : Messages())
    messages.push_back("quenmoor: " + message.toStdString());
  EXPECT_EQ(printed.Messages(), messages);
  EXPECT_EQ(printed.status, 1);
  ASSERT_EQ(expected.size(), 4u);  // "/" alone is left: each file once
  std::string lines;
  for (const Row& row : expected) lines += row.path + '\n';
  EXPECT_EQ(printed.out, lines);

  // Nothing left to search: the window's message for an empty folder list.
  requests_.clear();
  WindowRows({}, request);
  ASSERT_EQ(Messages().size(), 1u);
  const Printed none = RunCli(Find({"--on", "2020-01-01", t + "/missing", t + "/file.txt"}));
  EXPECT_EQ(none.status, 1);
  EXPECT_EQ(none.out, "");
  ASSERT_EQ(none.Messages().size(), 3u);
  EXPECT_EQ(none.Messages()[2], "quenmoor: " + Messages()[0].toStdString());
}

TEST_F(CommandLineTest, AFolderThatCannotBeListedIsLeftOutWithAMessage) {
  File("open/a.txt", LocalTime(2001, 1, 1), LocalTime(2001, 1, 1));
  File("shut/b.txt", LocalTime(2001, 1, 1), LocalTime(2001, 1, 1));
  testing::FaultyFs faulty;
  faulty.FailListing(tree_.Sub("shut/"), 0, EACCES);
  ScopedFs use(&faulty);
  const Printed printed = RunCli(
      Find({"--before", "2020-01-01", tree_.Sub("shut").c_str(), tree_.Sub("open").c_str()}));
  EXPECT_EQ(printed.status, 1);
  EXPECT_EQ(printed.out, tree_.Sub("open/a.txt") + "\n");
  EXPECT_EQ(printed.err, "quenmoor: " + tree_.Sub("shut") +
                             ": cannot be read (Permission denied); it is left out\n");
}

TEST_F(CommandLineTest, AnErrorReportIsOneLineAndTheOtherRowsAreStillPrinted) {
  testing::OutOfMemoryFs fs("b.txt");  // memory runs out as its stamp is read
  for (const char* name : {"a.txt", "b.txt", "c.txt"}) {
    File(name, LocalTime(2001, 1, 1), LocalTime(2001, 1, 1));
  }
  ScopedFs use(&fs);
  const FindRequest request = Find(
      {"--date", "modified", "--before", "9000-01-01", "--format", "tsv", tree_.path().c_str()});
  const Printed printed = RunCli(request);
  EXPECT_EQ(printed.status, 1);
  EXPECT_EQ(printed.err,
            "quenmoor: Out of memory in Tallowick2021/08/31.Form1.PushButton2_Click at line 188\n");
  const std::vector<std::string> rows = Split(printed.out, '\n');
  ASSERT_EQ(rows.size(), 3u);
  // The window reports the same failure and lists the same files.
  const std::vector<Row> expected =
      WindowRows({QString::fromStdString(tree_.path() + "/")}, request);
  ASSERT_EQ(ErrorReports().size(), 1u);
  EXPECT_TRUE(ErrorReports()[0].startsWith(
      "Out of memory\r\nin Tallowick2021/08/31.Form1.PushButton2_Click at line 188\r"));
  ASSERT_EQ(expected.size(), 3u);
  for (std::size_t i = 0; i < 3; ++i) {
    const std::vector<std::string> fields = Split(rows[i] + '\t', '\t');
    ASSERT_EQ(fields.size(), 3u);
    EXPECT_EQ(fields[0], expected[i].path);
    ExpectSameDate(fields[1], expected[i]);
    // The file whose stamp was lost has no date and no size.
    const bool lost = expected[i].path == tree_.Sub("b.txt");
    EXPECT_EQ(expected[i].stamp.empty, lost);
    EXPECT_EQ(fields[2], lost ? "" : std::to_string(expected[i].size));
  }
}

TEST_F(CommandLineTest, RowsReachAPipeWhileTheSearchGoesOn) {
  // The search cannot end before the test lets a file of a subfolder go;
  // the row of the folder's own file, which comes first, must be readable
  // from the other end of a pipe before that.
  File("first.txt", LocalTime(2001, 1, 1), LocalTime(2001, 1, 1));
  File("b/held.txt", LocalTime(2001, 1, 1), LocalTime(2001, 1, 1));
  // The reader gives up after 10 s, long before the hold would let go on
  // its own.
  testing::SlowFs slow;
  slow.Hold("held.txt", 60000);
  ScopedFs use(&slow);
  int ends[2];
  ASSERT_EQ(::pipe(ends), 0);
  std::FILE* out = ::fdopen(ends[1], "w");
  std::FILE* err = std::tmpfile();
  SearchEngine::Options options;
  options.chunk_files = 1;
  const FindRequest request = Find({"--before", "2020-01-01", tree_.path().c_str()});
  std::atomic<bool> done{false};
  int status = -1;
  std::thread search([&] {
    status = RunFind(request, out, err, options);
    done = true;
    std::fclose(out);
  });
  std::string seen;
  char buffer[256];
  auto read_some = [&] {
    struct pollfd ready = {ends[0], POLLIN, 0};
    if (::poll(&ready, 1, 10000) != 1) return false;
    const ssize_t n = ::read(ends[0], buffer, sizeof buffer);
    if (n > 0) seen.append(buffer, static_cast<std::size_t>(n));
    return n > 0;
  };
  while (seen.find('\n') == std::string::npos && read_some()) {
  }
  const bool searching_when_seen = !done && seen.find('\n') != std::string::npos;
  slow.Release();
  while (read_some()) {
  }
  search.join();
  ::close(ends[0]);
  std::fclose(err);
  EXPECT_TRUE(searching_when_seen);
  EXPECT_EQ(status, 0);
  EXPECT_EQ(seen, tree_.Sub("first.txt") + "\n" + tree_.Sub("b/held.txt") + "\n");
}

// The command line's arguments for the window's filters.
QStringList FilterArguments(const FilterTexts& texts) {
  QStringList arguments;
  for (const QString& pattern : texts.exclude) arguments << "--exclude" << pattern;
  if (texts.one_file_system) arguments << "--one-file-system";
  for (const QString& pattern : SplitNamePatterns(texts.names)) arguments << "--name" << pattern;
  if (!texts.min_size.isEmpty()) arguments << "--min-size" << texts.min_size;
  if (!texts.max_size.isEmpty()) arguments << "--max-size" << texts.max_size;
  return arguments;
}

std::vector<std::string> Names(const std::vector<Row>& rows, const std::string& under) {
  std::vector<std::string> names;
  for (const Row& row : rows) names.push_back(row.path.substr(under.size()));
  std::sort(names.begin(), names.end());
  return names;
}

TEST_F(CommandLineTest, FiltersGiveTheWindowsRowsOnRealTrees) {
  const std::time_t old = LocalTime(2001, 1, 1);
  // Repositories and packages at several depths, a backup folder, folders
  // and files in several scripts at several depths.
  for (const char* f :
       {"top.iso", ".git/HEAD.iso", "src/.git/objects/pack.iso",
        "src/app/node_modules/lib/index.iso", "node_modules/x.iso", "src/app/main.iso",
        "Backups/2019/disk.iso", "deep/Backups/kept.iso", "pip.cache/wheel.iso", "notes.txt"}) {
    File(f, old, old);
  }
  const std::vector<std::string> scripts = {
      // Фотографии
      "\xD0\xA4\xD0\xBE\xD1\x82\xD0\xBE\xD0\xB3\xD1\x80\xD0\xB0\xD1\x84\xD0\xB8\xD0\xB8",
      "\xE5\x86\x99\xE7\x9C\x9F",                                          // 写真
      "\xCE\x95\xCE\xBB\xCE\xBB\xCE\xB7\xCE\xBD\xCE\xB9\xCE\xBA\xCE\xAC",  // Ελληνικά
      "emoji \xF0\x9F\x93\x81", "R\xC3\xA9sum\xC3\xA9 \xE2\x80\x93 2019"};
  for (const std::string& name : scripts) {
    File(name + "/" + name + ".iso", old, old);
    File("deep/" + name + "/\xE6\x97\xA5\xE8\xA8\x98 " + name + ".iso", old, old);
  }
  // Sizes at each bound of 10 MB (sparse: the size is the file's length).
  for (const auto& [name, size] :
       std::initializer_list<std::pair<const char*, off_t>>{{"sizes/under.bin", 9999999},
                                                            {"sizes/exact.bin", 10000000},
                                                            {"sizes/over.bin", 10000001},
                                                            {"sizes/mib.bin", 10485760}}) {
    File(name, old, old);
    ASSERT_EQ(::truncate(tree_.Sub(name).c_str(), size), 0);
    SetTimes(tree_.Sub(name), old, old);
  }
  const std::string root = tree_.path() + "/";
  const QString row = QString::fromStdString(root);
  auto check = [&](const FilterTexts& texts, const std::vector<std::string>& expected) {
    form_->SetFilters(texts);
    const QStringList arguments =
        FilterArguments(texts) + QStringList{"--date", "modified", "--before", "2020-01-01", row};
    const std::vector<Row> window = WindowRows({row}, Find(arguments));
    EXPECT_EQ(Names(window, root), expected) << arguments.join(' ').toStdString();
    ExpectEveryFormatGives(arguments, window);
  };

  FilterTexts texts;
  texts.exclude = {".git", "node_modules", "*.cache", QString::fromStdString(root + "Backups")};
  texts.names = QStringLiteral("*.iso");
  std::vector<std::string> expected = {"deep/Backups/kept.iso", "src/app/main.iso", "top.iso"};
  for (const std::string& name : scripts) {
    expected.push_back(name + "/" + name + ".iso");
    expected.push_back("deep/" + name + "/\xE6\x97\xA5\xE8\xA8\x98 " + name + ".iso");
  }
  std::sort(expected.begin(), expected.end());
  check(texts, expected);
  EXPECT_NE(form_->Label3->text().indexOf(QLatin1String("leaving out 4 folder patterns")), -1);
  EXPECT_TRUE(form_->Label3->isVisibleTo(form_.get()));

  texts = FilterTexts();
  texts.min_size = QStringLiteral("10M");
  check(texts, {"sizes/exact.bin", "sizes/mib.bin", "sizes/over.bin"});
  texts.max_size = QStringLiteral("10M");
  check(texts, {"sizes/exact.bin"});
  texts.min_size.clear();
  texts.names = QStringLiteral("*.bin");
  texts.max_size = QStringLiteral("10MiB");
  check(texts, {"sizes/exact.bin", "sizes/mib.bin", "sizes/over.bin", "sizes/under.bin"});
  texts.max_size = QStringLiteral("10000000");
  check(texts, {"sizes/exact.bin", "sizes/under.bin"});
  form_->SetFilters(FilterTexts());
  EXPECT_FALSE(form_->Label3->isVisibleTo(form_.get()));

  // A disk mounted inside the listed folder, with and without one file
  // system.
  testing::ScopedMount disk(testing::ScopedMount::Kind::kTmpfs, root + "disk");
  if (!disk.ok()) GTEST_SKIP() << disk.why();
  File("disk/inside.iso", old, old);
  texts = FilterTexts();
  texts.names = QStringLiteral("inside.iso top.iso");
  check(texts, {"disk/inside.iso", "top.iso"});
  texts.one_file_system = true;
  check(texts, {"top.iso"});
}

TEST_F(CommandLineTest, NotesOnDatesThatMisleadAreTheWindowsToo) {
  File("src/a.txt", LocalTime(2001, 1, 1), LocalTime(2001, 1, 1));
  File("src/b/c.txt", LocalTime(2001, 1, 1), LocalTime(2001, 1, 1));
  // A FUSE view keeps no birth time: by Date Created before a day far in
  // the future it lists nothing, and says why.
  testing::ScopedMount view(testing::ScopedMount::Kind::kBindfs, tree_.Sub("view"),
                            tree_.Sub("src"));
  if (!view.ok()) GTEST_SKIP() << view.why();
  const QString row = QString::fromStdString(tree_.Sub("view") + "/");
  const QStringList created = {"--date", "created", "--before", "9999-12-31", row};
  EXPECT_TRUE(WindowRows({row}, Find(created)).empty());
  const QString left_out =
      QStringLiteral("2 files left out: their file system keeps no creation date");
  EXPECT_NE(form_->StatusText().indexOf(left_out), -1) << form_->StatusText().toStdString();
  Printed printed = RunCli(Find(created));
  EXPECT_EQ(printed.status, 0);
  EXPECT_EQ(printed.out, "");
  EXPECT_EQ(printed.Messages(), std::vector<std::string>{"quenmoor: " + left_out.toStdString()});

  // Searched by Date Accessed, the FUSE view and a noatime disk are noted.
  testing::ScopedMount quiet(testing::ScopedMount::Kind::kTmpfs, tree_.Sub("quiet"), "",
                             MS_NOATIME);
  if (!quiet.ok()) GTEST_SKIP() << quiet.why();
  File("quiet/q.txt", LocalTime(2001, 1, 1), LocalTime(2001, 1, 1));
  const QString quiet_row = QString::fromStdString(tree_.Sub("quiet") + "/");
  const QStringList accessed = {"--not-accessed-days", "30", quiet_row, row};
  EXPECT_EQ(WindowRows({quiet_row, row}, Find(accessed)).size(), 3u);
  const std::string noatime = tree_.Sub("quiet") +
                              " is mounted noatime: access dates there do not change when files "
                              "are read, so a file used every day can look unused";
  const std::string fuse = tree_.Sub("view") +
                           " is a FUSE mount: its access dates come from the program behind it "
                           "and may not change when files are read";
  EXPECT_NE(form_->StatusText().indexOf(QString::fromStdString(noatime)), -1);
  EXPECT_NE(form_->StatusText().indexOf(QString::fromStdString(fuse)), -1);
  printed = RunCli(Find(accessed));
  EXPECT_EQ(printed.status, 0);
  EXPECT_EQ(Split(printed.out, '\n').size(), 3u);
  EXPECT_EQ(printed.Messages(),
            (std::vector<std::string>{"quenmoor: " + noatime, "quenmoor: " + fuse}));
  // A search that lists files by another date has nothing to say.
  WindowRows({row}, Find({"--date", "modified", "--before", "9999-12-31", row}));
  EXPECT_EQ(form_->StatusText().indexOf(QLatin1String("left out")), -1);
  EXPECT_EQ(form_->StatusText().indexOf(QLatin1String("FUSE")), -1);
}

TEST(CommandLineWriteTest, RowsThatCannotBeWrittenEndTheSearchWithStatusOne) {
  if (::access("/dev/full", W_OK) != 0) GTEST_SKIP() << "no /dev/full";
  testing::TempDir tree;
  for (int i = 0; i < 2000; ++i) {
    WriteFile(tree.Sub("f" + std::to_string(i)));
  }
  FindRequest request = Find({"--not-accessed-days", "0", tree.path().c_str()});
  std::FILE* full = std::fopen("/dev/full", "w");
  ASSERT_NE(full, nullptr);
  char* err_text = nullptr;
  std::size_t err_size = 0;
  std::FILE* err = ::open_memstream(&err_text, &err_size);
  EXPECT_EQ(RunFind(request, full, err), 1);
  // The search was stopped; its threads end on their own.
  EXPECT_TRUE(SearchEngine::WaitForThreadsToEnd(15000));
  std::fclose(err);
  std::fclose(full);
  EXPECT_EQ(std::string(err_text, err_size),
            "quenmoor: the files found could not be written (Disk full)\n");
  std::free(err_text);
}

TEST(CommandLineWriteTest, AnUnreadableDateOrSizeIsEmptyInTsvAndNullInJson) {
  FoundChunk chunk;
  chunk.AddFolder("/f/");
  chunk.Add("gone", Stamp(), FileId());
  Stamp known{DayNumberOf(2024, 3, 15) + 0.5, false, 7};
  ScopedEnv tz("TZ", "UTC");
  chunk.Add("here", known, FileId());
  const std::pair<RowFormat, std::string> formats[] = {
      {RowFormat::kTsv, "/f/gone\t\t\n/f/here\t2024-03-15T12:00:00+00:00\t7\n"},
      {RowFormat::kJson,
       "{\"path\":\"/f/gone\",\"date\":null,\"size\":null}\n"
       "{\"path\":\"/f/here\",\"date\":\"2024-03-15T12:00:00+00:00\",\"size\":7}\n"}};
  for (const auto& [format, expected] : formats) {
    char* text = nullptr;
    std::size_t size = 0;
    std::FILE* out = ::open_memstream(&text, &size);
    RowWriter writer(out, format);
    writer.Write(chunk);
    EXPECT_TRUE(writer.Flush());
    std::fclose(out);
    EXPECT_EQ(std::string(text, size), expected);
    std::free(text);
  }
}

TEST(CommandLineParseTest, ArgumentsBecomeTheRequest) {
  FindRequest r = Find({"--after", "2024-03-15", "/a"});
  EXPECT_EQ(r.type, DateType::kAccessed);
  EXPECT_EQ(r.rule, DateRule::kAfter);
  EXPECT_EQ(r.first, QDate(2024, 3, 15));
  EXPECT_EQ(r.format, RowFormat::kLines);
  EXPECT_EQ(r.folders, QStringList({"/a"}));
  EXPECT_EQ(r.Criterion(0),
            DateCriterion::Single(DateType::kAccessed, DateRule::kAfter, DayNumberOf(2024, 3, 15)));

  r = Find({"/a", "--date", "created", "b", "--between", "2024-03-16", "2024-03-15", "--format",
            "json", "--", "--after", "-"});
  EXPECT_EQ(r.type, DateType::kCreated);
  EXPECT_EQ(r.Criterion(0), DateCriterion::Between(DateType::kCreated, DayNumberOf(2024, 3, 16),
                                                   DayNumberOf(2024, 3, 15)));
  EXPECT_EQ(r.format, RowFormat::kJson);
  EXPECT_EQ(r.folders, QStringList({"/a", "b", "--after", "-"}));

  r = Find({"--date=modified", "--not-accessed-days", " 300 ", "/", "--format=null"});
  EXPECT_EQ(r.Criterion(45000), DateCriterion::NotAccessedIn(DateType::kModified, 300, 45000));
  EXPECT_EQ(r.format, RowFormat::kNull);

  r = Find({"--exclude", ".git", "--exclude=/srv/old/", "--one-file-system", "--name", "*.iso",
            "--name=*.mkv", "--min-size", "10M", "--max-size=1.5GiB", "--on", "2024-01-01", "/"});
  EXPECT_EQ(r.filters.exclude.Patterns(), QStringList({".git", "/srv/old/"}));
  EXPECT_TRUE(r.filters.exclude.Excludes("/srv/", "old"));
  EXPECT_TRUE(r.filters.one_file_system);
  EXPECT_EQ(r.filters.names.Patterns(), QStringList({"*.iso", "*.mkv"}));
  EXPECT_EQ(r.filters.min_size->bytes, 10000000);
  EXPECT_EQ(r.filters.max_size->bytes, 1610612736);
  EXPECT_FALSE(Find({"--on", "2024-01-01", "/"}).filters.Active());

  r = Find({"--on", "2024-01-01", "--move-to=../out", "--dry-run", "/a"});
  EXPECT_EQ(r.act, FindRequest::Act::kMove);
  EXPECT_EQ(r.move_to, "../out");
  EXPECT_TRUE(r.dry_run);
  EXPECT_EQ(Find({"--trash", "--on", "2024-01-01", "/a"}).act, FindRequest::Act::kTrash);

  EXPECT_EQ(Parse({}).action, CommandLine::Action::kWindow);
  // Folders open the window with them; after "--" a name may start with "-".
  CommandLine window = Parse({"/a", "b c", "--", "-x"});
  EXPECT_EQ(window.action, CommandLine::Action::kWindow);
  EXPECT_EQ(window.folders, QStringList({"/a", "b c", "-x"}));
  CommandLine undo = Parse({"--undo", "--dry-run"});
  EXPECT_EQ(undo.action, CommandLine::Action::kUndo);
  EXPECT_TRUE(undo.dry_run);
  EXPECT_EQ(Parse({"--help"}).action, CommandLine::Action::kHelp);
  EXPECT_EQ(Parse({"--version"}).action, CommandLine::Action::kVersion);
  EXPECT_EQ(Parse({"--find", "--on", "bad", "--help"}).action, CommandLine::Action::kHelp);
}

TEST(CommandLineParseTest, EachWrongCommandLineGetsItsReasonAndNoSearch) {
  const std::pair<QStringList, const char*> cases[] = {
      {{"--bogus"}, "unknown argument '--bogus'"},
      {{"--help", "--version"}, "unknown argument '--help'"},
      {{"/tmp", "--find"}, "unknown argument '--find'"},
      {{"--undo", "--now"}, "'--undo' takes only --dry-run"},
      {{"--find", "--trash", "--move-to", "/b", "--on", "2024-01-01", "/a"},
       "'--trash' and '--move-to' cannot go together"},
      {{"--find", "--dry-run", "--on", "2024-01-01", "/a"},
       "'--dry-run' goes with --trash or --move-to"},
      {{"--find", "/a", "--on", "2024-01-01", "--move-to"}, "'--move-to' needs a folder"},
      {{"--find", "--bogus", "--on", "2024-01-01", "/a"}, "unknown option '--bogus'"},
      {{"--find", "--after=2024-01-01", "--between=2024-01-01", "/a"},
       "unknown option '--between=2024-01-01'"},
      {{"--find", "/a"},
       "no rule: give one of --after, --before, --on, --between, "
       "--not-accessed-days"},
      {{"--find", "--after", "2024-01-01", "--before", "2024-02-01", "/a"},
       "two rules, '--after' and '--before': give one"},
      {{"--find", "--on", "2024-01-01", "--on", "2024-01-02", "/a"},
       "two rules, '--on' and '--on': give one"},
      {{"--find", "--on", "2024-1-01", "/a"}, "'2024-1-01' is not a date of the form YYYY-MM-DD"},
      {{"--find", "--on", "15.03.2024", "/a"}, "'15.03.2024' is not a date of the form YYYY-MM-DD"},
      {{"--find", "--on", "2024-03-15x", "/a"}, "'2024-03-15x' is not a date of the form"},
      {{"--find", "--on", "2025-02-30", "/a"}, "there is no day 2025-02-30"},
      {{"--find", "--on", "2024-13-01", "/a"}, "there is no day 2024-13-01"},
      {{"--find", "--on", "1600-12-31", "/a"}, "1600-12-31 lies outside 1601-01-01 to 9999-12-31"},
      {{"--find", "--between", "2024-01-01", "2025-02-29", "/a"}, "there is no day 2025-02-29"},
      {{"--find", "--not-accessed-days", "-3", "/a"}, "'-3' is not a whole number of days"},
      {{"--find", "--not-accessed-days", "ten", "/a"}, "'ten' is not a whole number of days"},
      {{"--find", "--not-accessed-days", "1.5", "/a"}, "'1.5' is not a whole number of days"},
      {{"--find", "--not-accessed-days", "", "/a"}, "'' is not a whole number of days"},
      {{"--find", "--on", "2024-01-01"}, "no folder to search"},
      {{"--find", "--on", "2024-01-01", "--"}, "no folder to search"},
      {{"--find", "--date", "changed", "--on", "2024-01-01", "/a"},
       "unknown date type 'changed': use accessed, modified or created"},
      {{"--find", "--format", "csv", "--on", "2024-01-01", "/a"},
       "unknown format 'csv': use lines, null, tsv or json"},
      {{"--find", "--date", "created", "--date", "created", "--on", "2024-01-01", "/a"},
       "'--date' is given twice"},
      {{"--find", "/a", "--on"}, "'--on' needs a date"},
      {{"--find", "/a", "--between", "2024-01-01"}, "'--between' needs two dates"},
      {{"--find", "/a", "--on", "2024-01-01", "--not-accessed-days"},
       "'--not-accessed-days' needs a number of days"},
      {{"--find", "/a", "--on", "2024-01-01", "--date"},
       "'--date' needs accessed, modified or created"},
      {{"--find", "/a", "--on", "2024-01-01", "--format"},
       "'--format' needs lines, null, tsv or json"},
      {{"--find", "/a", "--on", "2024-01-01", "--exclude"}, "'--exclude' needs a folder pattern"},
      {{"--find", "/a", "--on", "2024-01-01", "--exclude", " "},
       "'--exclude' needs a folder pattern"},
      {{"--find", "/a", "--on", "2024-01-01", "--exclude", "src/build"},
       "'src/build' holds a / but starts with neither /, ~/ nor **/"},
      {{"--find", "/a", "--on", "2024-01-01", "--exclude", "[abc"}, "'[abc' has a [ without its ]"},
      {{"--find", "/a", "--on", "2024-01-01", "--name", ""}, "'--name' needs a name pattern"},
      {{"--find", "/a", "--on", "2024-01-01", "--name", "docs/*.txt"},
       "'docs/*.txt' holds a /, which no file name does"},
      {{"--find", "/a", "--on", "2024-01-01", "--min-size", "ten"}, "'ten' is not a size"},
      {{"--find", "/a", "--on", "2024-01-01", "--max-size", "5 MBs"}, "'5 MBs' is not a size"},
      {{"--find", "/a", "--on", "2024-01-01", "--min-size", "1G", "--min-size", "2G"},
       "'--min-size' is given twice"},
      {{"--find", "/a", "--on", "2024-01-01", "--min-size", "2G", "--max-size", "1GiB"},
       "--min-size 2 GB is larger than --max-size 1 GiB"},
      {{"--find", "/a", "--on", "2024-01-01", "--one-file-system", "--one-file-system"},
       "'--one-file-system' is given twice"},
      {{"--find", "/a", "--on", "2024-01-01", "--one-file-system=yes"},
       "unknown option '--one-file-system=yes'"},
  };
  for (const auto& [arguments, reason] : cases) {
    const CommandLine line = Parse(arguments);
    const std::string what = arguments.join(' ').toStdString();
    EXPECT_EQ(line.action, CommandLine::Action::kUsageError) << what;
    const std::string error = line.error.toStdString();
    EXPECT_EQ(error.rfind("quenmoor: " + std::string(reason), 0), 0u) << what << "\n" << error;
    EXPECT_NE(error.find(" (try quenmoor --help)"), std::string::npos) << error;
    EXPECT_EQ(error.find('\n'), std::string::npos) << error;
  }
}

}  // namespace
}  // namespace qm
