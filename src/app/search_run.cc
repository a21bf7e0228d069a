// SPDX-License-Identifier: GPL-3.0-or-later
// "Start Finding Unused Files": prunes nested folder rows, walks every listed
// folder, reads one time stamp per file and hands over to the criterion
// pass.
#include <QLineEdit>
#include <QRadioButton>
#include <string>
#include <vector>

#include "app/error_report.h"
#include "app/form1.h"
#include "platform/dialogs.h"
#include "platform/error_trap.h"
#include "platform/yield.h"
#include "search/date_criteria.h"
#include "search/found_files.h"
#include "search/gathering.h"

namespace qm {
namespace {

// What the gathering reads of the window: the folder rows, and the date
// type, read afresh for every file.
class FolderRowsAndDateType : public GatheringWindow {
 public:
  explicit FolderRowsAndDateType(Form1& form) : form_(form) {}
  int RowCount() const override { return form_.ListView1->ItemCount(); }
  std::string RowText(int row) const override {
    return form_.ListView1->ItemText(row).toStdString();
  }
  DateType ChosenDateType() const override {
    if (form_.Option1->isChecked()) return DateType::kModified;
    if (form_.Option2->isChecked()) return DateType::kCreated;
    if (form_.Option3->isChecked()) return DateType::kAccessed;
    return DateType::kNone;
  }
  bool StopRequested() const override { return form_.StopRequested(); }
  void ListingFolder(const std::string& folder) override { form_.ShowListingFolder(folder); }
  void ReadingStamps(bool reading) override { form_.ShowReadingStamps(reading); }

 private:
  Form1& form_;
};

}  // namespace

void Form1::PushButton2_Click() {
  // A search would empty the result list under a move or trash at work.
  if (result_command_running_) return;
  Trap trap(kPushButton2Id);
  // 1. Only one run at a time.
  if (trap.Test(100, [&] { return search_running_; })) return;
  trap.Do(102, [&] { search_running_ = true; });

  // 2. Nothing to search.
  if (trap.Test(104, [&] { return ListView1->ItemCount() == 0; })) {
    trap.Do(236, [&] { MessageBox(this, tr("No folders added."), kOkOnly); });
    trap.Do(238, [&] { search_running_ = false; });
    return;
  }

  // A days text that is no whole number would only be found out after the
  // walk; it is asked for before anything is searched, and nothing is
  // listed, as when the criterion pass finds it.
  if (Option8->isChecked() && !ParseDays(Text1->text())) {
    ListView2->ClearItems();
    MessageBox(this, DaysHelpText(), kOkOnly | kExclamation);
    search_running_ = false;
    return;
  }

  // The status line counts what the gathering does; Stop ends it early.
  BeginSearchStatus();

  // 3, 4.
  trap.Do(106, [&] { SetMousePointer(kPointerBusy); });
  std::vector<int> subfolder_marks;
  trap.Do(108, [&] { subfolder_marks.clear(); });
  trap.Line(110);  // the path list is the new run lists' files not yet taken
  // The new run lists; the last run's stay alive while the result list
  // shows its rows, until it is cleared below.
  trap.Do(112, [&] { found_ = std::make_shared<FoundFiles>(); });
  trap.Line(114);

  // 5. Mark every row that starts with the text of a row listed after it:
  // the same folder or one of its parents, as every row ends in "/".  Every
  // row also starts with "/", so a row's text found further in ("/home/" in
  // "/mnt/backup/home/") names some other folder.
  int n = 0;
  trap.Do(116, [&] { n = ListView1->ItemCount(); });
  for (int i = 1; i <= n; ++i) {
    for (int j = i + 1; j <= n; ++j) {
      bool inside = false;
      trap.Do(120, [&] { inside = ListView1->ItemText(i).startsWith(ListView1->ItemText(j)); });
      if (trap.Test(122, [&] { return inside; })) {
        trap.Line(124);  // an append spans two lines and reports the second
        trap.Do(126, [&] { subfolder_marks.push_back(i); });
        break;
      }
      trap.Line(128);
    }
    trap.Line(130);
  }

  // 6. Prune from the bottom up, so each mark still names its row.
  trap.Line(132);
  for (auto it = subfolder_marks.rbegin(); it != subfolder_marks.rend(); ++it) {
    int row = 0;
    trap.Do(134, [&] { row = *it; });
    trap.Do(136, [&] {
      MessageBox(this,
                 tr("%1 will be removed because it is a subfolder of another "
                    "folder that you added.")
                     .arg(ListView1->ItemText(row)),
                 kOkOnly);
    });
    trap.Do(138, [&] { ListView1->RemoveItem(row); });
    trap.Do(140, [&] { Yield(); });
    trap.Line(142);
  }

  // 7. Gather every file of every folder below each remaining row.
  FolderRowsAndDateType window(*this);
  GatherFiles(trap, window, *found_);
  // Stopped: what was found so far is judged and listed.
  const bool stopped = stop_requested_;

  // 8. The result list's two columns.
  trap.Do(206, [&] { ListView2->ClearItems(); });
  int columns = 0;
  trap.Do(208, [&] { columns = ListView2->ColumnCount(); });
  for (int c = columns; c >= 1; --c) {
    trap.Do(210, [&] { ListView2->RemoveColumn(c); });
    trap.Line(212);
  }
  trap.Do(214, [&] { ListView2->AddColumn(tr("File(s) Found")); });
  trap.Do(216, [&] { ListView2->SetColumnWidthTwips(1, 5500); });
  if (trap.Test(218, [&] { return Option1->isChecked(); })) {
    trap.Do(220, [&] { ListView2->AddColumn(tr("Date Modified", "result column")); });
  } else if (trap.Test(222, [&] { return Option2->isChecked(); })) {
    trap.Do(224, [&] { ListView2->AddColumn(tr("Date Created", "result column")); });
  } else if (trap.Test(226, [&] { return Option3->isChecked(); })) {
    trap.Do(228, [&] { ListView2->AddColumn(tr("Date Accessed", "result column")); });
  }
  trap.Do(230, [&] { ListView2->SetColumnWidthTwips(2, 2000); });
  // Each file's size, after its date; the widths the user gave the columns.
  ListView2->AddColumn(tr("Size"));
  ListView2->SetColumnWidthTwips(ListView2->ColumnCount(), 1300);
  ApplyResultWidths();

  // 9, 10. The criterion pass fills the list.
  trap.Do(232, [&] { SetMousePointer(kPointerDefault); });
  trap.Do(234, [&] { ApplyDateCriterion(); });
  EndSearchStatus(stopped);
  // 11. A pass that failed half-way must not leave the busy pointer behind.
  trap.Do(238, [&] {
    if (MousePointer() == kPointerBusy) SetMousePointer(kPointerDefault);
    search_running_ = false;
  });
}

}  // namespace qm
