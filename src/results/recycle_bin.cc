// SPDX-License-Identifier: GPL-3.0-or-later
// "Send Checked To Recycle Bin".
#include "results/recycle_bin.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QMessageBox>
#include <QProgressDialog>
#include <QPushButton>
#include <algorithm>
#include <set>

#include "app/error_report.h"
#include "app/form1.h"
#include "app/status_text.h"
#include "platform/dialogs.h"
#include "platform/error_trap.h"
#include "platform/trash.h"
#include "platform/yield.h"
#include "results/listed_text.h"

namespace qm {
namespace {

const int kCancelledCode = 1223;  // the operation was cancelled by the user
const int kListedInQuestion = 5;

std::function<bool(int)>& CancelProbe() {
  static std::function<bool(int)> probe;
  return probe;
}

QString ConfirmText(const QStringList& paths) {
  QString text =
      paths.size() == 1
          ? QCoreApplication::translate("qm::RecycleBin", "Move this file to the trash?")
          : QCoreApplication::translate("qm::RecycleBin", "Move these %1 files to the trash?")
                .arg(paths.size());
  text += QStringLiteral("\n") + ListedLines(paths, kListedInQuestion);
  text += QStringLiteral("\n\n") +
          (paths.size() == 1
               ? QCoreApplication::translate("qm::RecycleBin", "You can restore it from the trash.")
               : QCoreApplication::translate("qm::RecycleBin",
                                             "You can restore them from the trash."));
  return text;
}

// The progress dialog: shown when the work takes longer than a moment.
class DialogProgress : public TrashProgress {
 public:
  explicit DialogProgress(QWidget* owner) : owner_(owner) {}
  void Begin(int total) override {
    dialog_ = new QProgressDialog(
        QCoreApplication::translate("qm::RecycleBin", "Moving files to the trash..."),
        QCoreApplication::translate("qm::RecycleBin", "Cancel"), 0, total, owner_);
    dialog_->setWindowTitle(AppTitle());
    dialog_->setWindowModality(Qt::WindowModal);
    dialog_->setMinimumDuration(500);
    dialog_->setAutoClose(false);
    dialog_->setAutoReset(false);
  }
  bool Step(int done, const std::string& current) override {
    if (CancelProbe() && CancelProbe()(done)) return false;
    if (!dialog_) return true;
    // A new label is laid out afresh, and once the dialog shows, setValue
    // runs the event loop itself: done for every file, that cost several
    // times the trashing.  The dialog is brought up to date a few times a
    // second; Cancel is still seen at every file.
    if (!refreshed_.isValid() || refreshed_.elapsed() >= kRefreshMs) {
      dialog_->setValue(done);
      dialog_->setLabelText(
          QCoreApplication::translate("qm::RecycleBin", "Moving files to the trash...\n%1")
              .arg(QString::fromStdString(current)));
      refreshed_.start();
    }
    Yield();
    return !dialog_->wasCanceled();
  }
  void End() override {
    delete dialog_;
    dialog_ = nullptr;
  }
  ~DialogProgress() override { delete dialog_; }

 private:
  static constexpr qint64 kRefreshMs = 50;
  QWidget* owner_;
  QProgressDialog* dialog_ = nullptr;
  QElapsedTimer refreshed_;
};

}  // namespace

void SetTrashCancelProbeForTesting(std::function<bool(int)> probe) {
  CancelProbe() = std::move(probe);
}

std::string BuildRecyclePathList(const QStringList& paths) {
  std::string list;
  for (const QString& p : paths) {
    list += p.toStdString();
    list += '\0';
  }
  list += '\0';
  return list;
}

int SendToRecycleBin(QWidget* owner, const std::vector<ListedFile>& listed,
                     QHash<QString, std::int64_t>* trashed) {
  // A file listed twice (found under two folder rows) goes once.
  std::vector<ListedFile> files;
  std::set<std::string> seen;
  for (const ListedFile& f : listed) {
    if (!f.path.empty() && seen.insert(f.path).second) files.push_back(f);
  }
  if (files.empty()) return 0;
  QStringList shown;
  for (const ListedFile& f : files) shown << QString::fromStdString(f.path);

  DialogRequest request;
  request.kind = DialogKind::kTrashConfirm;
  request.title = AppTitle();
  request.text = ConfirmText(shown);
  DialogAnswer answer = RunDialog(request, [&]() {
    QMessageBox box(owner);
    box.setWindowTitle(request.title);
    box.setIcon(QMessageBox::Question);
    box.setTextFormat(Qt::PlainText);
    box.setText(request.text);
    QPushButton* go = box.addButton(
        QCoreApplication::translate("qm::RecycleBin", "Move to Trash"), QMessageBox::AcceptRole);
    box.addButton(QMessageBox::Cancel);
    box.setDefaultButton(go);
    box.exec();
    DialogAnswer result;
    result.button = box.clickedButton() == go ? kAnswerOk : kAnswerCancel;
    return result;
  });
  if (answer.button != kAnswerOk && answer.button != kAnswerYes) return kCancelledCode;

  DialogProgress progress(owner);
  TrashOutcome outcome = MoveToTrash(files, &progress);
  if (trashed) {
    for (size_t i = 0; i < outcome.trashed.size(); ++i) {
      trashed->insert(QString::fromStdString(outcome.trashed[i]),
                      i < outcome.trashed_bytes.size() ? outcome.trashed_bytes[i] : 0);
    }
  }
  if (outcome.aborted) return kCancelledCode;
  if (!outcome.not_trashed.empty()) {
    QStringList lines;
    bool all_still_there = true;
    for (size_t i = 0; i < outcome.not_trashed.size(); ++i) {
      const bool there = PathExists(outcome.not_trashed[i]);
      all_still_there = all_still_there && there;
      QString line = QString::fromStdString(outcome.not_trashed[i]);
      if (i < outcome.reasons.size() && !outcome.reasons[i].empty()) {
        line += QStringLiteral(" (") + QString::fromStdString(outcome.reasons[i]) +
                QStringLiteral(")");
      }
      lines << line;
    }
    // A file that is not found anywhere does not "stay where it is".
    QString text =
        (all_still_there ? QCoreApplication::translate(
                               "qm::RecycleBin",
                               "%1 of %2 files could not be moved to the trash and stay where "
                               "they are:")
                         : QCoreApplication::translate(
                               "qm::RecycleBin", "%1 of %2 files could not be moved to the trash:"))
            .arg(outcome.not_trashed.size())
            .arg(files.size());
    text += QStringLiteral("\n") + ListedLines(lines);
    MessageBox(owner, text, kOkOnly | kExclamation);
  }
  return outcome.code;
}

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
    trap.Do(122, [&] { SendToRecycleBin(this, collection, &trashed); });
    // Whatever the outcome, exactly the ticked rows whose file has gone are
    // removed; the others stay ticked.
    trap.Line(124);
    RowsGone gone;
    trap.Do(126, [&] { gone = RemoveCheckedRows(&trashed); });
    if (gone.files > 0) ShowTakenAway(TrashedText(gone.files, gone.bytes));
    trap.Do(128, [&] { ListView2->Refresh(); });
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
