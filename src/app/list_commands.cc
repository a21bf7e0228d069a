// SPDX-License-Identifier: GPL-3.0-or-later
// "Select All", "Unselect All" and "Clear List".
#include "app/error_report.h"
#include "app/form1.h"
#include "platform/error_trap.h"

namespace qm {

void Form1::PushButton4_Click() {
  Trap trap(kPushButton4Id);
  // Every row is set in one pass over the list, however long it is.
  trap.Do(100, [&] { ListView2->ItemCount(); });
  trap.Do(102, [&] { ListView2->SetAllChecked(true); });
  trap.Line(104);
}

void Form1::PushButton6_Click() {
  Trap trap(kPushButton6Id);
  trap.Do(100, [&] { ListView2->ItemCount(); });
  trap.Do(102, [&] { ListView2->SetAllChecked(false); });
  trap.Line(104);
}

void Form1::PushButton7_Click() {
  Trap trap(kPushButton7Id);
  if (trap.Test(100, [&] { return MousePointer() == kPointerBusy; })) return;
  trap.Do(100, [&] { ListView1->ClearItems(); });
}

}  // namespace qm
