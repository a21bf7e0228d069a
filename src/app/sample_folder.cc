// SPDX-License-Identifier: GPL-3.0-or-later
// "Load Sample/Example Folder": lists the Samples folder beside the program.
#include "app/error_report.h"
#include "app/form1.h"
#include "platform/error_trap.h"

namespace qm {

void Form1::PushButton8_Click() {
  Trap trap(kPushButton8Id);
  trap.Do(100, [&] { AddFolderRow(AppFolder() + QStringLiteral("/Samples/")); });
}

}  // namespace qm
