// SPDX-License-Identifier: GPL-3.0-or-later
// "Send Checked To Recycle Bin": the ticked rows' files go to the trash
// (results/recycle_bin.h), and the rows of those that went leave the list.
#include "results/recycle_bin.h"

#include <QSet>
#include <algorithm>
#include <vector>

#include "app/error_report.h"
#include "app/form1.h"
#include "app/status_text.h"
#include "platform/error_trap.h"
#include "platform/yield.h"
#include "results/journal.h"

namespace qm {

void Form1::PushButton3_Click() {
  // Trashing and moving act on the rows by number; while one of them or a
  // search is working, another would find the rows changing under it.
  if (ResultCommandBusy()) return;
  result_command_running_ = true;
  Trap trap(kPushButton3Id);
  std::vector<ListedFile> collection;
  int count = 0;
  trap.Do(106, [&] { collection.clear(); });
  int rows = 0;
  trap.Do(108, [&] { rows = ListView2->ItemCount(); });
  for (int row = 1; row <= rows; ++row) {
    trap.Do(110, [&] { Yield(); });
    if (trap.Test(112, [&] { return ListView2->Checked(row); })) {
      trap.Do(114, [&] {
        // Room for one more entry.  reserve() allocates exactly what it is
        // asked for, so asking for one more each time would copy the list
        // once per ticked row; double the room instead.
        const size_t need = static_cast<size_t>(count) + 1;
        if (collection.capacity() < need) {
          collection.reserve(std::max(need, 2 * collection.capacity()));
        }
      });
      trap.Do(116, [&] {
        collection.push_back({ListView2->ItemText(row).toStdString(), ListView2->ItemId(row)});
      });
      trap.Do(118, [&] { ++count; });
    }
    trap.Line(120);
  }
  if (count > 0) {
    QHash<QString, std::int64_t> trashed;
    // What goes is written down as it goes, for Undo.
    JournalWriter journal(JournalKind::kTrash, std::string());
    trap.Do(122, [&] { SendToRecycleBin(this, collection, &trashed, &journal); });
    journal.Finish();
    // Whatever the outcome, exactly the ticked rows whose file has gone are
    // removed; the others stay ticked.
    trap.Line(124);
    RowsGone gone;
    trap.Do(126, [&] { gone = RemoveCheckedRows(&trashed); });
    if (gone.files > 0) ShowTakenAway(TrashedText(gone.files, gone.bytes));
    trap.Do(128, [&] { ListView2->Refresh(); });
    NoteJournal(journal);
  }
  result_command_running_ = false;
}

Form1::RowsGone Form1::RemoveCheckedRows(const QHash<QString, std::int64_t>* taken) {
  std::vector<int> gone;
  RowsGone total;
  QSet<QString> counted;  // a file listed on two rows went once
  const int rows = ListView2->ItemCount();
  for (int row = 1; row <= rows; ++row) {
    if (!ListView2->Checked(row)) continue;
    const QString text = ListView2->ItemText(row);
    QHash<QString, std::int64_t>::const_iterator went;
    const bool taken_here = taken && (went = taken->constFind(text)) != taken->cend();
    if (!taken_here && PathExists(text)) continue;
    gone.push_back(row);
    // Only what the command took counts, at the size it had when it went.
    if (taken_here && !counted.contains(text)) {
      counted.insert(text);
      ++total.files;
      total.bytes += static_cast<ByteCount>(std::max<std::int64_t>(0, went.value()));
    }
  }
  // One pass over the list, however many rows go.
  ListView2->RemoveItems(gone);
  return total;
}

}  // namespace qm
