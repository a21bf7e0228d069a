// SPDX-License-Identifier: GPL-3.0-or-later
// The results' context menu (right-click, the Menu key, Shift+F10): Open,
// Open Containing Folder, Copy Path.  Enter and a double-click on a result
// open it.  Nothing here changes ticks or rows.
#include <QClipboard>
#include <QGuiApplication>
#include <QMenu>
#include <QPointer>

#include "app/form1.h"
#include "platform/desktop.h"
#include "platform/dialogs.h"

namespace qm {
namespace {

// Asking the file manager to show more files than this at once would only
// flood it; the first ones are shown.
constexpr int kMostShown = 100;
constexpr int kVkReturn = 13;
constexpr int kVkF10 = 121;
constexpr int kShift = 1;

}  // namespace

void Form1::BuildResultsMenu() {
  Menu1 = new QMenu(this);
  Menu1->setObjectName(QStringLiteral("Menu1"));
  QAction* open = Menu1->addAction(tr("&Open"));
  open->setObjectName(QStringLiteral("OpenAction"));
  connect(open, &QAction::triggered, this, [this] {
    const std::vector<int> rows = ResultRowsForMenu();
    if (!rows.empty())
      OpenResult(ListView2->CurrentItem() ? ListView2->CurrentItem() : rows.front());
  });
  QAction* reveal = Menu1->addAction(tr("Open Containing &Folder"));
  reveal->setObjectName(QStringLiteral("RevealAction"));
  connect(reveal, &QAction::triggered, this, [this] { ShowResultsInFolder(); });
  QAction* copy = Menu1->addAction(tr("&Copy Path"));
  copy->setObjectName(QStringLiteral("CopyPathAction"));
  connect(copy, &QAction::triggered, this, [this] { CopyResultPaths(); });
  BuildExport();
}

std::vector<int> Form1::ResultRowsForMenu() const {
  std::vector<int> rows = ListView2->SelectedItems();
  if (rows.empty() && ListView2->CurrentItem() > 0) rows.push_back(ListView2->CurrentItem());
  return rows;
}

void Form1::ListView2_Activated(int position) { OpenResult(position); }

void Form1::ListView2_KeyDown(int key_code, int shift) {
  if (key_code == kVkReturn && shift == 0) {
    ListView2_Activated(ListView2->CurrentItem());
  } else if (key_code == kVkF10 && shift == kShift) {
    ListView2_ContextMenu(ListView2->CurrentRowPoint());
  }
}

void Form1::ListView2_ContextMenu(const QPoint& where) {
  const bool any = !ResultRowsForMenu().empty();
  for (QAction* action : Menu1->actions()) action->setEnabled(any);
  EnableExportActions();
  Menu1->popup(ListView2->viewport()->mapToGlobal(where));
}

void Form1::OpenResult(int position) {
  if (position < 1 || position > ListView2->ItemCount()) return;
  const QString path = ListView2->ItemText(position);
  if (!PathExists(path)) {
    MessageBox(this, tr("%1 cannot be opened: it is no longer there.").arg(path),
               kOkOnly | kExclamation);
    return;
  }
  // The opener's answer comes once it has ended; the window goes on meanwhile.
  QPointer<Form1> window(this);
  OpenWithDesktop(path, [window, path](OpenOutcome outcome) {
    if (!window || outcome == OpenOutcome::kOpened) return;
    MessageBox(window,
               outcome == OpenOutcome::kNoApplication
                   ? tr("No application was found to open %1.").arg(path)
                   : tr("%1 could not be opened: the desktop reported a failure.").arg(path),
               kOkOnly | kExclamation);
  });
}

void Form1::ShowResultsInFolder() {
  QStringList paths;
  for (int row : ResultRowsForMenu()) {
    if (paths.size() >= kMostShown) break;
    paths << ListView2->ItemText(row);
  }
  ShowInFileManager(paths);
}

void Form1::CopyResultPaths() {
  QStringList paths;
  for (int row : ResultRowsForMenu()) paths << ListView2->ItemText(row);
  if (paths.isEmpty()) return;
  QGuiApplication::clipboard()->setText(paths.join(QLatin1Char('\n')));
}

}  // namespace qm
