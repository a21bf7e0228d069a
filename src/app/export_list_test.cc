// SPDX-License-Identifier: GPL-3.0-or-later
// The results as CSV, read back by Python's csv module, which also checks
// every date and size against the files themselves; a write that fails
// leaves nothing at the chosen name; rows dragged out as file URLs.
#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QMimeData>
#include <QPushButton>
#include <QUrl>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>

#include "results/list_csv.h"
#include "testing/test_mounts.h"
#include "testing/test_results.h"

namespace qm {
namespace {

using testing::Exists;
using testing::ListDir;
using testing::ReadFile;
using testing::WriteFile;

// Reads the CSV file with Python's csv module and checks each row against
// the file it names: the date is the file's modified time in ISO 8601 with
// the offset from UTC in force then, the size its size.  Prints "ok N" for
// N rows, or what is wrong.
std::string CheckWithPython(const std::string& csv_path, const std::string& ticked) {
  const std::string script = R"(
import csv, datetime, os, sys
with open(sys.argv[1], newline="", encoding="utf-8") as f:
    rows = list(csv.reader(f, strict=True))
assert rows[0] == ["path", "date", "size", "ticked"], rows[0]
ticked = set(sys.argv[2].split("|")) if sys.argv[2] else set()
for path, date, size, tick in rows[1:]:
    st = os.lstat(path)
    want = datetime.datetime.fromtimestamp(int(st.st_mtime)).astimezone().isoformat()
    assert date == want, (path, date, want)
    assert size == str(st.st_size), (path, size, st.st_size)
    assert tick == ("true" if os.path.basename(path) in ticked else "false"), (path, tick)
print("ok", len(rows) - 1)
)";
  const std::string script_path = csv_path + ".py";
  WriteFile(script_path, script);
  std::string out;
  const std::string command =
      "python3 '" + script_path + "' '" + csv_path + "' '" + ticked + "' 2>&1";
  if (FILE* pipe = ::popen(command.c_str(), "r")) {
    char buf[4096];
    std::size_t n;
    while ((n = std::fread(buf, 1, sizeof buf, pipe)) > 0) out.append(buf, n);
    ::pclose(pipe);
  }
  ::unlink(script_path.c_str());
  return out;
}

class ExportListTest : public testing::ResultsTest {
 protected:
  // Files whose names hold what CSV must quote, found by a real search
  // (dates modified, sizes), the first, third and fifth ticked.
  void ListOddNames() {
    const std::string found = tree_.Sub("found");
    const char* names[] = {
        "plain.txt",       "comma, here.txt",      "quote \"q\".txt",
        "line\nbreak.txt", " lead and trail .txt", "\xce\xa9\xce\xbc\xce\xad.txt",
        "cr\rhere.txt"};
    long when = 1600000000;
    for (const char* name : names) {
      WriteFile(found + "/" + name, std::string(static_cast<std::size_t>(when % 97), 'x'));
      testing::SetTimes(found + "/" + name, when, when);
      when += 86400 * 50;  // some in summer time, some in winter
    }
    SearchAndTickAll(found);
    ASSERT_EQ(Rows().size(), 7u);
    for (int row = 1; row <= 7; ++row) form_->ListView2->SetChecked(row, row % 2 == 1);
  }
  std::string TickedNames() const {
    std::string names;
    for (int row = 1; row <= form_->ListView2->ItemCount(); ++row) {
      if (!form_->ListView2->Checked(row)) continue;
      if (!names.empty()) names += "|";
      const std::string path = form_->ListView2->ItemText(row).toStdString();
      names += path.substr(path.rfind('/') + 1);
    }
    return names;
  }
};

TEST_F(ExportListTest, PythonsCsvReadsBackEveryNameDateSizeAndTick) {
  if (::system("command -v python3 >/dev/null 2>&1") != 0) GTEST_SKIP() << "no python3";
  ListOddNames();
  const std::string all = tree_.Sub("out/all.csv");
  testing::MakeDirs(tree_.Sub("out"));
  AnswerSaveFile(QString::fromStdString(all));
  form_->ExportResults(false);
  ASSERT_EQ(Dialogs(DialogKind::kSaveFile).size(), 1u);
  EXPECT_EQ(CheckWithPython(all, TickedNames()), "ok 7\n");
  EXPECT_EQ(ReadFile(all).substr(0, 23), "path,date,size,ticked\r\n");
  EXPECT_TRUE(
      form_->StatusText().startsWith(QString::fromStdString("7 rows saved to " + all + ".")));

  const std::string ticked = tree_.Sub("out/ticked.csv");
  AnswerSaveFile(QString::fromStdString(ticked));
  form_->ExportResults(true);
  EXPECT_EQ(CheckWithPython(ticked, TickedNames()), "ok 4\n");
  // The save dialog offers where the list was saved last.
  EXPECT_EQ(Dialogs(DialogKind::kSaveFile)[1].path.toStdString(), all);

  // Cancelled: nothing is written.
  AnswerSaveFile(QString());
  form_->ExportResults(false);
  EXPECT_EQ(ListDir(tree_.Sub("out")), (std::vector<std::string>{"all.csv", "ticked.csv"}));
  EXPECT_TRUE(Messages().empty());
}

TEST_F(ExportListTest, AWriteThatFailsIsToldAndLeavesNoFileAtTheChosenName) {
  const std::string small = tree_.Sub("small");
  testing::ScopedMount mount(testing::ScopedMount::Kind::kTmpfs, small, "", 0, "size=64k");
  if (!mount.ok()) GTEST_SKIP() << mount.why();
  // A list longer than the room left.
  for (int i = 0; i < 800; ++i) Row("rows/a rather long name for a row " + std::to_string(i), true);
  WriteFile(small + "/filler", std::string(40000, 'f'));
  WriteFile(small + "/list.csv", "the old list");
  AnswerSaveFile(QString::fromStdString(small + "/list.csv"));
  AnswerSaveFile(QString::fromStdString(small + "/new.csv"));

  form_->ExportResults(false);
  form_->ExportResults(false);

  ASSERT_EQ(Messages().size(), 2u);
  EXPECT_TRUE(Messages()[0].startsWith(
      QString::fromStdString("The list could not be saved to " + small + "/list.csv: ")))
      << Messages()[0].toStdString();
  EXPECT_EQ(ReadFile(small + "/list.csv"), "the old list");
  EXPECT_EQ(ListDir(small), (std::vector<std::string>{"filler", "list.csv"}));
}

TEST_F(ExportListTest, SelectedRowsDragOutAsFileUrls) {
  const std::string a = Row("a #1.txt", false);
  Row("b.txt", false);
  const std::string c = Row("c 100%.txt", true);
  ListModel* model = form_->ListView2->Model();
  EXPECT_TRUE(model->flags(model->index(0, 0)) & Qt::ItemIsDragEnabled);
  EXPECT_FALSE(form_->ListView1->Model()->flags(QModelIndex()) & Qt::ItemIsDragEnabled);
  EXPECT_FALSE(model->supportedDragActions() & Qt::MoveAction);
  // Two cells of the first row, one of the third.
  std::unique_ptr<QMimeData> data(
      model->mimeData({model->index(0, 0), model->index(2, 0), model->index(0, 1)}));
  ASSERT_TRUE(data->hasUrls());
  EXPECT_EQ(data->urls(), (QList<QUrl>{QUrl::fromLocalFile(QString::fromStdString(a)),
                                       QUrl::fromLocalFile(QString::fromStdString(c))}));
  const QByteArray list = data->data(QStringLiteral("text/uri-list"));
  EXPECT_TRUE(list.contains("a%20%231.txt\r\n")) << list.toStdString();
  EXPECT_TRUE(list.contains("c%20100%25.txt")) << list.toStdString();
  EXPECT_EQ(data->text().toStdString(), a + "\n" + c);
  EXPECT_TRUE(form_->ListView2->dragEnabled());
}

}  // namespace
}  // namespace qm
