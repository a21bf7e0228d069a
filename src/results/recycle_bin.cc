// SPDX-License-Identifier: GPL-3.0-or-later
// Sending files to the trash: one question for the whole list, a progress
// dialog that can cancel, and one message for the files that stayed.
#include "results/recycle_bin.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QMessageBox>
#include <QProgressDialog>
#include <QPushButton>
#include <algorithm>
#include <set>

#include "fsutil/file_helpers.h"
#include "platform/dialogs.h"
#include "platform/error_trap.h"
#include "platform/trash.h"
#include "platform/yield.h"
#include "results/journal.h"
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
  text +=
      QStringLiteral("\n\n") +
      (paths.size() == 1
           ? QCoreApplication::translate("qm::RecycleBin", "You can restore it from the trash.")
           : QCoreApplication::translate("qm::RecycleBin", "You can restore them from the trash."));
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

int SendToRecycleBin(QWidget* owner, const std::vector<ListedFile>& listed,
                     QHash<QString, std::int64_t>* trashed, JournalWriter* journal) {
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
    QPushButton* go = box.addButton(QCoreApplication::translate("qm::RecycleBin", "Move to Trash"),
                                    QMessageBox::AcceptRole);
    box.addButton(QMessageBox::Cancel);
    box.setDefaultButton(go);
    box.exec();
    DialogAnswer result;
    result.button = box.clickedButton() == go ? kAnswerOk : kAnswerCancel;
    return result;
  });
  if (answer.button != kAnswerOk && answer.button != kAnswerYes) return kCancelledCode;

  DialogProgress progress(owner);
  if (journal) journal->Start();
  TrashOutcome outcome = MoveToTrash(files, &progress, journal);
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
        line +=
            QStringLiteral(" (") + QString::fromStdString(outcome.reasons[i]) + QStringLiteral(")");
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

}  // namespace qm
