// "Move To Folder": moves every ticked file into a folder the user picks.
#include <QStringList>

#include "app/error_report.h"
#include "app/error_trap.h"
#include "app/form1.h"
#include "platform/dialogs.h"
#include "platform/yield.h"
#include "results/move_files.h"
#include "scope/folder_browser.h"
#include "settings/settings_store.h"

namespace qm {
namespace {
const int kListedNotMoved = 5;
}

void Form1::PushButton5_Click() {
  if (ResultCommandBusy()) return;
  Trap trap(kPushButton5Id);
  int current = 0;  // the row being worked on, for the error report
  trap.SetExtra([&]() -> std::string {
    if (current >= 1 && current <= ListView2->ItemCount()) {
      return "File: " + ListView2->ItemText(current).toStdString();
    }
    return "File: (no file)";
  });

  QString last_folder;
  QString answer;
  trap.Do(106, [&] { last_folder = ReadSetting(QStringLiteral("LastFolder"), QString()); });
  trap.Do(106, [&] {
    answer = BrowseForFolder(this, QStringLiteral("Please select folder:"), last_folder);
  });
  if (trap.Test(108, [&] { return answer.isEmpty(); })) return;
  result_command_running_ = true;
  trap.Do(333, [&] { last_folder = answer; });
  trap.Do(334, [&] { WriteSetting(QStringLiteral("LastFolder"), answer); });
  QString folder = answer;
  if (trap.Test(110, [&] { return !folder.endsWith(QLatin1Char('/')); })) {
    trap.Do(112, [&] { folder += QLatin1Char('/'); });
  }
  trap.Do(114, [&] { SetMousePointer(kPointerBusy); });

  // Copy pass: every ticked file is brought to the folder; its source goes
  // only once the copy there is complete.
  FileMover mover(folder.toStdString());
  QStringList not_moved;
  auto note = [&not_moved](const std::string& path, const char* why) {
    not_moved << QString::fromStdString(path) + QStringLiteral(" (") + QLatin1String(why) +
                     QLatin1Char(')');
  };
  int rows = 0;
  trap.Do(118, [&] { rows = ListView2->ItemCount(); });
  for (current = 1; current <= rows; ++current) {
    trap.Do(120, [&] { Yield(); });
    if (trap.Test(122, [&] { return !ListView2->Checked(current); })) continue;
    std::string source;
    bool found = false;
    trap.Do(124, [&] {
      source = ListView2->ItemText(current).toStdString();
      found = FileMover::LookUp(source);
    });
    if (!found) {
      if (!source.empty() && PathExists(source)) note(source, "a hidden or system file");
      continue;
    }
    FileMover::Copy copy;
    trap.Do(126, [&] { copy = mover.CopyToFolder(source); });
    trap.Do(128, [&] {
      switch (copy.step) {
        case FileMover::kMoved:
          Yield();
          break;
        case FileMover::kCopied:
          if (!mover.RemoveSource(source)) {
            note(source, "copied, but it could not be removed from its folder");
          }
          break;
        case FileMover::kSameFile:
          note(source, "it is already in that folder");
          break;
        case FileMover::kNotCopied:
          note(source, "it could not be copied there");
          break;
      }
    });
    trap.Line(130);
  }

  // Removal pass: the ticked rows whose file has left its place go; rows of
  // files that are still there stay ticked.
  trap.Do(132, [&] { current = 0; });
  trap.Do(134, [&] { RemoveCheckedRows(); });
  trap.Do(142, [&] { ListView2->Refresh(); });
  trap.Do(144, [&] { SetMousePointer(kPointerDefault); });
  result_command_running_ = false;

  if (!not_moved.isEmpty()) {
    QString text = not_moved.size() == 1
                       ? QStringLiteral("1 file was not moved and is still ticked in the list:\n")
                       : QStringLiteral("%1 files were not moved and are still ticked in the "
                                        "list:\n")
                             .arg(not_moved.size());
    for (int i = 0; i < not_moved.size() && i < kListedNotMoved; ++i) {
      text += QStringLiteral("\n") + not_moved[i];
    }
    if (not_moved.size() > kListedNotMoved) {
      text += QStringLiteral("\n... and %1 more").arg(not_moved.size() - kListedNotMoved);
    }
    MessageBox(this, text, kOkOnly | kExclamation);
  }
}

}  // namespace qm
