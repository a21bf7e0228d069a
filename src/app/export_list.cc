// SPDX-License-Identifier: GPL-3.0-or-later
// Ways for the results out of the window: the context menu's "Save List As
// CSV..." (Ctrl+S) and "Save Ticked As CSV..." (Ctrl+Shift+S), which write
// results/list_csv.h's file through the save dialog, and rows dragged to
// another application or a file manager as file URLs.
#include <QAction>
#include <QDir>
#include <QKeySequence>
#include <QMenu>
#include <vector>

#include "app/form1.h"
#include "app/status_text.h"
#include "platform/dialogs.h"
#include "platform/failure.h"
#include "results/list_csv.h"

namespace qm {
namespace {

// Where the last list was saved, offered again for the next one.
QString& LastSaved() {
  static QString path;
  return path;
}

QAction* ExportAction(const QWidget* form, bool ticked_only) {
  return form->findChild<QAction*>(ticked_only ? QStringLiteral("ExportTickedAction")
                                               : QStringLiteral("ExportAction"));
}

}  // namespace

void Form1::BuildExport() {
  Menu1->addSeparator();
  for (const bool ticked_only : {false, true}) {
    QAction* action =
        Menu1->addAction(ticked_only ? tr("Save &Ticked As CSV...") : tr("&Save List As CSV..."));
    action->setObjectName(ticked_only ? QStringLiteral("ExportTickedAction")
                                      : QStringLiteral("ExportAction"));
    action->setShortcut(ticked_only ? QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_S)
                                    : QKeySequence(Qt::CTRL | Qt::Key_S));
    action->setShortcutContext(Qt::WindowShortcut);
    // The window has it too, so its key works wherever the focus is.
    addAction(action);
    connect(action, &QAction::triggered, this, [this, ticked_only] { ExportResults(ticked_only); });
  }
  // The menu offers an item only where it has rows to save; between menus
  // both keys work, and say when there is nothing to save.
  connect(Menu1, &QMenu::aboutToHide, this, [this] {
    ExportAction(this, false)->setEnabled(true);
    ExportAction(this, true)->setEnabled(true);
  });
  // Selected rows can be dragged out as files (as a file manager's).
  ListView2->Model()->SetDraggable(true);
  ListView2->setDragEnabled(true);
  ListView2->setDragDropMode(QAbstractItemView::DragOnly);
}

void Form1::EnableExportActions() {
  const ListModel* m = ListView2->Model();
  ExportAction(this, false)->setEnabled(m->Count() > 0);
  ExportAction(this, true)->setEnabled(m->CheckedCount() > 0);
}

void Form1::ExportResults(bool ticked_only) {
  // A command at work changes the rows; a search replaces them.
  if (ResultCommandBusy()) return;
  const ListModel* m = ListView2->Model();
  std::vector<int> rows;
  for (int i = 0; i < m->Count(); ++i) {
    if (!ticked_only || m->Checked(i)) rows.push_back(i);
  }
  if (rows.empty()) {
    ShowTakenAway(ticked_only ? tr("No row is ticked: nothing to save.")
                              : tr("The list is empty: nothing to save."));
    return;
  }
  const QString suggested = LastSaved().isEmpty()
                                ? QDir::homePath() + QLatin1Char('/') + tr("unused files.csv")
                                : LastSaved();
  const QString path =
      SaveFileDialog(this, ticked_only ? tr("Save Ticked As CSV") : tr("Save List As CSV"),
                     suggested, tr("CSV files (*.csv)"), QStringLiteral("csv"));
  if (path.isEmpty()) return;
  // The date each row shows, as the list holds it.
  const std::string text = ListCsv(rows.size(), [&](std::size_t k) {
    const int i = rows[k];
    CsvRow row;
    row.path = m->Text(i).toStdString();
    if (m->Sub(i) == ListModel::kStampSub) {
      row.stamp.value = m->Stamp(i);
      row.stamp.empty = false;
    }
    row.size = m->Size(i);
    row.ticked = m->Checked(i);
    return row;
  });
  try {
    SaveListFile(path.toStdString(), text);
  } catch (const Failure& failure) {
    MessageBox(this,
               tr("The list could not be saved to %1: %2")
                   .arg(path, QString::fromStdString(failure.what())),
               kOkOnly | kExclamation);
    return;
  }
  LastSaved() = path;
  const int n = static_cast<int>(rows.size());
  ShowTakenAway(n == 1 ? tr("1 row saved to %1.").arg(path)
                       : tr("%1 rows saved to %2.").arg(QString::number(n), path));
}

}  // namespace qm
