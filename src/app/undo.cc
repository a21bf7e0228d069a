// SPDX-License-Identifier: GPL-3.0-or-later
// Undo: the status line's "Undo" (PushButton14) and Ctrl+Z put back what
// the last trash or move took away (results/undo.h), also when that was
// another session's, or the command line's.  The files that come back are
// listed again, ticked, so the same command takes them again at one click.
#include "results/undo.h"

#include <QBoxLayout>
#include <QKeySequence>
#include <QPushButton>
#include <QRadioButton>
#include <QShortcut>
#include <QStringList>
#include <algorithm>

#include "app/form1.h"
#include "app/status_text.h"
#include "platform/dialogs.h"
#include "platform/yield.h"
#include "results/journal.h"
#include "results/listed_text.h"
#include "search/time_stamps.h"

namespace qm {
namespace {

Stamp ReadStamp(const std::string& path, DateType type, FileId* id) {
  switch (type) {
    case DateType::kModified:
      return FileDateModified(path, id);
    case DateType::kCreated:
      return FileDateCreated(path, id);
    case DateType::kAccessed:
    case DateType::kNone:
      break;
  }
  return FileDateAccessed(path, id);
}

}  // namespace

void Form1::BuildUndo() {
  PushButton14 = new QPushButton(tr("Undo"), StatusBar1);
  PushButton14->setObjectName(QStringLiteral("PushButton14"));
  PushButton14->setAccessibleName(tr("Undo"));
  PushButton14->setToolTip(
      tr("Put back the files the last command moved to the trash or to a folder (Ctrl+Z)"));
  auto* row = qobject_cast<QBoxLayout*>(StatusBar1->layout());
  row->insertWidget(row->indexOf(PushButton9), PushButton14);
  connect(PushButton14, &QPushButton::clicked, this, [this] { PushButton14_Click(); });
  // Everywhere in the window but where a text box takes Ctrl+Z for its own
  // typing.
  auto* shortcut = new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_Z), this);
  shortcut->setContext(Qt::WindowShortcut);
  connect(shortcut, &QShortcut::activated, this, [this] { PushButton14_Click(); });
  // A journal left by an earlier session (or the command line) can be
  // undone too.
  PushButton14->setVisible(JournalPresent());
}

void Form1::NoteJournal(const JournalWriter& journal) {
  PushButton14->setVisible(JournalPresent());
  if (journal.Trouble().empty() || journal_trouble_told_) return;
  journal_trouble_told_ = true;
  MessageBox(
      this, tr("This command cannot be undone: %1.").arg(QString::fromStdString(journal.Trouble())),
      kOkOnly | kExclamation);
}

void Form1::PushButton14_Click() {
  // Rows are added at the end: not while a command or a search has them.
  if (ResultCommandBusy()) return;
  result_command_running_ = true;
  SetMousePointer(kPointerBusy);
  const UndoOutcome out = UndoLastCommand(false, [] { Yield(); });
  SetMousePointer(kPointerDefault);
  result_command_running_ = false;
  if (out.status != UndoOutcome::kDone || (out.back.empty() && out.not_back.empty())) {
    PushButton14->hide();
    // A journal that cannot be used is told once, then taken for none
    // (the status line still says why, should it be in use elsewhere).
    if (out.status == UndoOutcome::kTrouble) {
      const QString why = QString::fromStdString(out.trouble);
      if (!journal_trouble_told_) {
        journal_trouble_told_ = true;
        MessageBox(this, why, kOkOnly | kExclamation);
      }
      ShowTakenAway(why);
      return;
    }
    ShowTakenAway(tr("Nothing to undo."));
    return;
  }

  // The files back in their place are listed again, ticked, by the date
  // the list shows; before any search, by the date type chosen now.
  if (!out.back.empty() && ListView2->ItemCount() == 0 &&
      ListView2->ColumnCount() != kResultColumns) {
    result_date_type_ = Option1->isChecked()   ? DateType::kModified
                        : Option2->isChecked() ? DateType::kCreated
                                               : DateType::kAccessed;
    for (int c = ListView2->ColumnCount(); c >= 1; --c) ListView2->RemoveColumn(c);
    ListView2->AddColumn(tr("File(s) Found"));
    ListView2->SetColumnWidthTwips(1, 5500);
    ListView2->AddColumn(
        result_date_type_ == DateType::kModified  ? tr("Date Modified", "result column")
        : result_date_type_ == DateType::kCreated ? tr("Date Created", "result column")
                                                  : tr("Date Accessed", "result column"));
    ListView2->SetColumnWidthTwips(2, 2000);
    ListView2->AddColumn(tr("Size"));
    ListView2->SetColumnWidthTwips(3, 1300);
    ApplyResultWidths();
  }
  std::vector<ListModel::NewRow> rows;
  ByteCount bytes = 0;
  for (const UndoOutcome::File& file : out.back) {
    ListModel::NewRow row;
    row.text = QString::fromStdString(file.path);
    const Stamp stamp = ReadStamp(file.path, result_date_type_, &row.id);
    row.stamp = stamp.value;
    row.sub_kind = stamp.empty ? ListModel::kEmptyStampSub : ListModel::kStampSub;
    row.size = stamp.size;
    bytes += static_cast<ByteCount>(std::max<std::int64_t>(0, stamp.size));
    rows.push_back(std::move(row));
  }
  const int first = ListView2->ItemCount() + 1;
  ListView2->AddItems(std::move(rows));
  for (int i = first; i <= ListView2->ItemCount(); ++i) ListView2->SetChecked(i, true);
  ListView2->Refresh();

  const int n = static_cast<int>(out.back.size());
  ShowTakenAway(tr("%1 (%2) put back.").arg(FilesText(n), SizeText(bytes)));
  // While some file could not go back, Undo stays on offer.
  PushButton14->setVisible(!out.finished && JournalPresent());
  if (out.not_back.empty()) return;

  QStringList lines;
  for (const UndoOutcome::File& file : out.not_back) {
    lines << QString::fromStdString(file.path) + QStringLiteral(" (") +
                 QString::fromStdString(file.reason) + QLatin1Char(')');
  }
  const int missed = static_cast<int>(out.not_back.size());
  QString text = n == 0   ? tr("No file was put back.")
                 : n == 1 ? tr("1 file was put back where it was.")
                          : tr("%1 files were put back where they were.").arg(n);
  text += QStringLiteral("\n\n");
  text +=
      missed == 1 ? tr("1 file was not put back:") : tr("%1 files were not put back:").arg(missed);
  text += QStringLiteral("\n") + ListedLines(lines);
  MessageBox(this, text, kOkOnly | kExclamation);
}

}  // namespace qm
