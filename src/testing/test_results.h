// SPDX-License-Identifier: GPL-3.0-or-later
// A window whose result list holds chosen files, for the result commands.
#ifndef QUENMOOR_TESTING_TEST_RESULTS_H_
#define QUENMOOR_TESTING_TEST_RESULTS_H_

#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "base/date_value.h"
#include "platform/file_system.h"
#include "testing/test_form.h"

namespace qm {
namespace testing {

class ResultsTest : public FormTest {
 protected:
  void SetUp() override {
    FormTest::SetUp();
    form_ = NewForm();
    form_->ListView2->RemoveColumn(1);
    form_->ListView2->AddColumn("File(s) Found");
    form_->ListView2->AddColumn("Date Accessed");
  }

  // Creates the file (under the tree) and lists it as a result row, as a
  // search would: with the file's identity.
  std::string Row(const std::string& relative, bool ticked, const std::string& content = "x") {
    std::string path = tree_.Sub(relative);
    WriteFile(path, content);
    ListPath(path, ticked);
    return path;
  }
  // Lists what is at `path` now (a link as itself); a path where nothing is
  // gets a row without an identity.
  void ListPath(const std::string& path, bool ticked) {
    int row = form_->ListView2->AddItem(QString::fromStdString(path));
    form_->ListView2->SetItemId(row, IdOfPath(path));
    form_->ListView2->SetChecked(row, ticked);
  }

  // Lists every file below `folder` with a real search (modified after
  // 2000) and ticks them all.
  void SearchAndTickAll(const std::string& folder) {
    form_->PushButton7_Click();
    form_->AddFolderRow(QString::fromStdString(folder) + QLatin1Char('/'));
    form_->Option1->setChecked(true);
    form_->Option4->setChecked(true);
    form_->DTPicker3->SetValue(DayNumberOf(2000, 1, 1));
    form_->PushButton2->click();
    form_->PushButton4_Click();
  }

  // Searches "searched" below the tree, whose five files are listed and
  // ticked; then four of the paths come to name something else: a new file
  // saved over "replaced.txt", a folder "folder.txt", a FIFO "fifo.txt", and
  // "sub/inner.txt" through "sub" replaced by a link to "outside", which
  // holds a file of that name.  "same.txt" stays.  Returns the searched
  // folder.
  std::string SearchThenChangeWhatWasFound() {
    const std::string searched = tree_.Sub("searched");
    for (const char* name :
         {"replaced.txt", "folder.txt", "fifo.txt", "sub/inner.txt", "same.txt"}) {
      WriteFile(searched + "/" + name, "listed");
    }
    WriteFile(tree_.Sub("outside/inner.txt"), "not listed");
    SearchAndTickAll(searched);
    EXPECT_EQ(Rows().size(), 5u);
    WriteFile(searched + "/new", "a new file");
    ::rename((searched + "/new").c_str(), (searched + "/replaced.txt").c_str());
    ::unlink((searched + "/folder.txt").c_str());
    WriteFile(searched + "/folder.txt/kept.txt", "in a folder");
    ::unlink((searched + "/fifo.txt").c_str());
    EXPECT_EQ(::mkfifo((searched + "/fifo.txt").c_str(), 0644), 0);
    std::system(("rm -rf '" + searched + "/sub'").c_str());
    EXPECT_EQ(::symlink(tree_.Sub("outside").c_str(), (searched + "/sub").c_str()), 0);
    return searched;
  }

  std::vector<std::string> Rows() const {
    std::vector<std::string> rows;
    for (int i = 1; i <= form_->ListView2->ItemCount(); ++i) {
      rows.push_back(form_->ListView2->ItemText(i).toStdString());
    }
    return rows;
  }
  std::vector<bool> Ticks() const {
    std::vector<bool> ticks;
    for (int i = 1; i <= form_->ListView2->ItemCount(); ++i) {
      ticks.push_back(form_->ListView2->Checked(i));
    }
    return ticks;
  }

  TempDir tree_;
  std::unique_ptr<Form1> form_;
};

}  // namespace testing
}  // namespace qm

#endif  // QUENMOOR_TESTING_TEST_RESULTS_H_
