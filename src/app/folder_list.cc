// SPDX-License-Identifier: GPL-3.0-or-later
// The search folder list: "Add Folder Or Drive", and removing a row by
// double-click or the Delete key.
#include <QPushButton>

#include "app/error_report.h"
#include "app/form1.h"
#include "platform/error_trap.h"
#include "scope/folder_browser.h"
#include "scope/folder_rows.h"

namespace qm {

void Form1::PushButton1_Click() {
  Trap trap(kPushButton1Id);
  QString folder;
  int pointer_before = kPointerDefault;
  trap.Do(100, [&] { folder = BrowseForFolder(this, tr("Please select folder:"), QString()); });
  if (trap.Test(102, [&] { return folder.isEmpty(); })) return;
  // While a search runs the pointer is already busy; the command then
  // leaves it busy, so removals stay refused until the search ends.
  trap.Do(104, [&] {
    pointer_before = MousePointer();
    SetMousePointer(kPointerBusy);
  });
  QString row;
  trap.Do(106, [&] { row = FolderRowFor(folder); });
  trap.Line(108);
  trap.Do(110, [&] { AddFolderRow(row); });
  trap.Do(112, [&] {
    SetMousePointer(pointer_before == kPointerBusy ? kPointerBusy : kPointerDefault);
  });
}

void Form1::AddFolderRow(const QString& folder_path) { ListView1->AddItem(folder_path); }

void Form1::ListView1_DblClick() {
  if (MousePointer() == kPointerBusy) return;
  if (ListView1->ItemCount() == 0) return;
  int selected = ListView1->SelectedItem();
  if (selected == 0) return;
  ListView1->RemoveItem(selected);
}

void Form1::ListView1_KeyDown(int key_code, int shift) {
  (void)shift;
  const int kDeleteKey = 46;
  if (key_code != kDeleteKey) return;
  ListView1_DblClick();
}

}  // namespace qm
