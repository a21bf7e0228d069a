// SPDX-License-Identifier: GPL-3.0-or-later
// "Start Finding Unused Files": prunes nested folder rows, takes the
// criteria from the controls once, and runs the search on threads of its
// own while the window goes on answering; its finds and reports come back
// here, and the criterion pass lists them.
#include <QLineEdit>
#include <QRadioButton>
#include <QTimer>
#include <string>
#include <vector>

#include "app/error_report.h"
#include "app/form1.h"
#include "app/search_notes.h"
#include "platform/dialogs.h"
#include "platform/error_trap.h"
#include "platform/yield.h"
#include "search/date_criteria.h"
#include "search/found_files.h"
#include "search/search_engine.h"
#include "search/subfolder_marks.h"

namespace qm {

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

  // A days text that is no whole number is asked for before anything is
  // searched, and nothing is listed.
  if (Option8->isChecked() && !ParseDays(Text1->text())) {
    ListView2->ClearItems();
    MessageBox(this, DaysHelpText(), kOkOnly | kExclamation);
    search_running_ = false;
    return;
  }
  // So is a filter that cannot be used; the rows listed stay.
  if (!FiltersUsable()) {
    search_running_ = false;
    return;
  }

  // The status line counts what the search does; Stop ends it early.
  BeginSearchStatus();

  // 3, 4.
  trap.Do(106, [&] { SetMousePointer(kPointerBusy); });
  std::vector<int> subfolder_marks;
  trap.Do(108, [&] { subfolder_marks.clear(); });
  trap.Line(114);

  // 5. Mark every row that lies inside a row listed after it.
  trap.Do(116, [&] {
    std::vector<QString> rows;
    for (int i = 1; i <= ListView1->ItemCount(); ++i) rows.push_back(ListView1->ItemText(i));
    subfolder_marks = SubfolderMarks(rows);
  });
  trap.Line(130);

  // 6. Prune from the bottom up, so each mark still names its row.
  trap.Line(132);
  for (auto it = subfolder_marks.rbegin(); it != subfolder_marks.rend(); ++it) {
    int row = 0;
    trap.Do(134, [&] { row = *it; });
    trap.Do(136,
            [&] { MessageBox(this, SubfolderRemovedText(ListView1->ItemText(row)), kOkOnly); });
    trap.Do(138, [&] { ListView1->RemoveItem(row); });
    trap.Do(140, [&] { Yield(); });
    trap.Line(142);
  }

  // 7. The search, by the criteria as they stand now: a control changed
  // while it runs counts for the next one.
  SearchCriteria criteria;
  trap.Do(144, [&] { criteria = CriteriaFromControls(); });
  std::shared_ptr<FoundFiles> found;
  trap.Do(152, [&] { found = RunSearch(criteria); });
  if (!found) found = std::make_shared<FoundFiles>();
  // Stopped: what was judged so far is listed.
  const bool stopped = stop_requested_;
  trap.Line(204);

  // 8. The result list's columns: the path, the date the files were
  // judged by, the size.
  trap.Do(206, [&] { ListView2->ClearItems(); });
  int columns = 0;
  trap.Do(208, [&] { columns = ListView2->ColumnCount(); });
  for (int c = columns; c >= 1; --c) {
    trap.Do(210, [&] { ListView2->RemoveColumn(c); });
    trap.Line(212);
  }
  trap.Do(214, [&] { ListView2->AddColumn(tr("File(s) Found")); });
  trap.Do(216, [&] { ListView2->SetColumnWidthTwips(1, 5500); });
  const DateType type = criteria.date.type();
  result_date_type_ = type;
  if (trap.Test(218, [&] { return type == DateType::kModified; })) {
    trap.Do(220, [&] { ListView2->AddColumn(tr("Date Modified", "result column")); });
  } else if (trap.Test(222, [&] { return type == DateType::kCreated; })) {
    trap.Do(224, [&] { ListView2->AddColumn(tr("Date Created", "result column")); });
  } else if (trap.Test(226, [&] { return type == DateType::kAccessed; })) {
    trap.Do(228, [&] { ListView2->AddColumn(tr("Date Accessed", "result column")); });
  }
  trap.Do(230, [&] { ListView2->SetColumnWidthTwips(2, 2000); });
  // Each file's size, after its date; the widths the user gave the columns.
  ListView2->AddColumn(tr("Size"));
  ListView2->SetColumnWidthTwips(ListView2->ColumnCount(), 1300);
  ApplyResultWidths();

  // 9, 10. The criterion pass lists the files the search judged.
  found_ = std::move(found);
  trap.Do(232, [&] { SetMousePointer(kPointerDefault); });
  trap.Do(234, [&] { ApplyDateCriterion(); });
  EndSearchStatus(stopped);
  // 11. A pass that failed half-way must not leave the busy pointer behind.
  trap.Do(238, [&] {
    if (MousePointer() == kPointerBusy) SetMousePointer(kPointerDefault);
    search_running_ = false;
  });
}

std::shared_ptr<FoundFiles> Form1::RunSearch(const SearchCriteria& criteria) {
  RunningSearch search;
  search_ = &search;
  struct Done {
    Form1* form;
    ~Done() { form->search_ = nullptr; }
  } done{this};
  search.engine.Start(criteria, [this] {
    // On the search's thread: the news is taken on the window's.
    QMetaObject::invokeMethod(
        this, [this] { ReceiveSearchNews(); }, Qt::QueuedConnection);
  });
  // Stop has a way out whatever happens: the search's thread answers it
  // within milliseconds, and should it not, the window does not wait for
  // it.
  QTimer give_up;
  give_up.setSingleShot(true);
  give_up.setInterval(2000);
  connect(&give_up, &QTimer::timeout, &search.loop, &QEventLoop::quit);
  stop_timer_ = &give_up;
  struct ForgetTimer {
    Form1* form;
    ~ForgetTimer() { form->stop_timer_ = nullptr; }
  } forget{this};
  if (stop_requested_) give_up.start();
  if (!search.finished) search.loop.exec();
  last_counts_ = search.engine.Counts();
  last_notes_.clear();
  for (const SearchNote& note : search.notes) last_notes_ << SearchNoteText(note);
  last_notes_ << LeftOutTexts(last_counts_, criteria.date.type());
  return search.found;
}

void Form1::ReceiveSearchNews() {
  RunningSearch* search = search_;
  // A report box shown below turns the event loop: news that comes
  // meanwhile is taken when it closes.
  if (!search || search->receiving) return;
  search->receiving = true;
  for (;;) {
    SearchEngine::Taken taken = search->engine.Take();
    for (auto& chunk : taken.chunks) search->found->Append(std::move(chunk));
    for (SearchNote& note : taken.notes) search->notes.push_back(std::move(note));
    for (const SearchReport& report : taken.reports) {
      ReportFailure(report.routine, report.failure, report.line, std::string());
    }
    if (taken.finished) search->finished = true;
    // More may have come while a report was shown.
    if (taken.reports.empty() || search->finished) break;
  }
  search->receiving = false;
  if (search->finished) search->loop.quit();
}

}  // namespace qm
