// SPDX-License-Identifier: GPL-3.0-or-later
// "Move To Folder": moves every ticked file into a folder the user picks.
#include <QCoreApplication>
#include <QSet>
#include <QStringList>

#include "app/error_report.h"
#include "app/form1.h"
#include "app/status_text.h"
#include "platform/dialogs.h"
#include "platform/error_trap.h"
#include "platform/yield.h"
#include "results/journal.h"
#include "results/listed_text.h"
#include "results/move_files.h"
#include "scope/folder_browser.h"
#include "settings/settings_store.h"

namespace qm {
namespace {

// Words shown to the user, in their language (see Translated).
std::string Said(const char* text) { return Translated("qm::MoveToFolder", text); }

QString MoveReport(const QStringList& not_moved, bool all_still_there, const QStringList& renamed) {
  QString text;
  if (!not_moved.isEmpty()) {
    const int n = static_cast<int>(not_moved.size());
    if (all_still_there) {
      text = n == 1 ? QCoreApplication::translate("qm::MoveToFolder",
                                                  "1 file was not moved and is still ticked in "
                                                  "the list:")
                    : QCoreApplication::translate("qm::MoveToFolder",
                                                  "%1 files were not moved and are still ticked "
                                                  "in the list:")
                          .arg(n);
    } else {
      text =
          n == 1
              ? QCoreApplication::translate("qm::MoveToFolder", "1 file was not moved:")
              : QCoreApplication::translate("qm::MoveToFolder", "%1 files were not moved:").arg(n);
    }
    text += QStringLiteral("\n") + ListedLines(not_moved);
  }
  if (!renamed.isEmpty()) {
    if (!text.isEmpty()) text += QStringLiteral("\n\n");
    const int n = static_cast<int>(renamed.size());
    text += n == 1 ? QCoreApplication::translate("qm::MoveToFolder",
                                                 "1 file was given a new name, because the "
                                                 "folder already held a file of its name:")
                   : QCoreApplication::translate("qm::MoveToFolder",
                                                 "%1 files were given new names, because the "
                                                 "folder already held files of their names:")
                         .arg(n);
    text += QStringLiteral("\n") + ListedLines(renamed);
  }
  return text;
}

}  // namespace

void Form1::PushButton5_Click() {
  if (ResultCommandBusy()) return;
  Trap trap(kPushButton5Id);
  int current = 0;  // the row being worked on, for the error report
  trap.SetExtra([&]() -> std::string {
    if (current >= 1 && current <= ListView2->ItemCount()) {
      return tr("File: %1").arg(ListView2->ItemText(current)).toStdString();
    }
    return tr("File: (no file)").toStdString();
  });

  QString last_folder;
  QString answer;
  trap.Do(106, [&] { last_folder = ReadSetting(QStringLiteral("LastFolder"), QString()); });
  trap.Do(106, [&] { answer = BrowseForFolder(this, tr("Please select folder:"), last_folder); });
  if (trap.Test(108, [&] { return answer.isEmpty(); })) return;
  result_command_running_ = true;
  trap.Do(333, [&] { last_folder = answer; });
  // A store that cannot be written is told once per session, as for the
  // other settings; the move goes on.
  trap.Do(334, [&] { WriteSettingQuietly(QStringLiteral("LastFolder"), answer); });
  QString folder = answer;
  if (trap.Test(110, [&] { return !folder.endsWith(QLatin1Char('/')); })) {
    trap.Do(112, [&] { folder += QLatin1Char('/'); });
  }
  trap.Do(114, [&] { SetMousePointer(kPointerBusy); });

  // Copy pass: every ticked file that is still the one listed goes to the
  // folder; a copied source goes only once the copy there is complete.
  FileMover mover;
  // What goes is written down as it goes, for Undo.
  JournalWriter journal(JournalKind::kMove, folder.toStdString());
  mover.SetJournal(&journal);
  int folder_error = 0;
  trap.Do(116, [&] { folder_error = mover.OpenFolder(folder.toStdString()); });
  // The last command's journal goes once this one has files to take.
  if (folder_error == 0 && ListView2->Model()->CheckedCount() > 0) journal.Start();
  // The rows' paths whose file left its folder, with the size that arrived.
  QHash<QString, std::int64_t> moved;
  QStringList not_moved;
  QStringList renamed;
  bool all_still_there = true;
  auto note = [&not_moved](const std::string& path, const std::string& why) {
    not_moved << QString::fromStdString(path) + QStringLiteral(" (") + QString::fromStdString(why) +
                     QLatin1Char(')');
  };
  int rows = 0;
  trap.Do(118, [&] { rows = ListView2->ItemCount(); });
  for (current = 1; current <= rows; ++current) {
    trap.Do(120, [&] { Yield(); });
    if (trap.Test(122, [&] { return !ListView2->Checked(current); })) continue;
    QString row_text;
    std::string source;
    FileId listed;
    const char* refused = nullptr;
    trap.Do(124, [&] {
      row_text = ListView2->ItemText(current);
      source = row_text.toStdString();
      listed = ListView2->ItemId(current);
      refused = RefusedMoveName(BaseName(source));
    });
    if (source.empty()) continue;
    if (refused || folder_error != 0) {
      note(source, refused ? Said(refused) : ReasonText(folder_error));
      continue;
    }
    FileMover::Result result;
    trap.Do(126, [&] { result = mover.Move(source, listed); });
    trap.Do(128, [&] {
      switch (result.outcome) {
        case FileMover::kMoved:
          moved.insert(row_text, result.bytes);
          if (result.name != BaseName(source)) {
            renamed << QString::fromStdString(BaseName(source)) + QStringLiteral(" -> ") +
                           QString::fromStdString(result.name);
          }
          Yield();
          break;
        case FileMover::kGone:
          // A file listed twice went with its first row.
          if (!moved.contains(row_text)) {
            note(source, FileMover::ReasonOf(result));
            all_still_there = false;
          }
          break;
        default:
          note(source, FileMover::ReasonOf(result));
          break;
      }
    });
    trap.Line(130);
  }

  // Removal pass: the ticked rows whose file has left its place go; rows of
  // files that are still there stay ticked.
  trap.Do(132, [&] { current = 0; });
  RowsGone gone;
  trap.Do(134, [&] { gone = RemoveCheckedRows(&moved); });
  if (gone.files > 0) ShowTakenAway(MovedText(gone.files, gone.bytes, folder));
  trap.Do(142, [&] { ListView2->Refresh(); });
  trap.Do(144, [&] { SetMousePointer(kPointerDefault); });
  result_command_running_ = false;
  journal.Finish();
  NoteJournal(journal);

  if (!not_moved.isEmpty() || !renamed.isEmpty()) {
    MessageBox(this, MoveReport(not_moved, all_still_there, renamed),
               not_moved.isEmpty() ? kOkOnly | kInformation : kOkOnly | kExclamation);
  }
}

}  // namespace qm
