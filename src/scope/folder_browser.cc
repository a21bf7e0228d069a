// SPDX-License-Identifier: GPL-3.0-or-later
#include "scope/folder_browser.h"

#include <QAbstractItemView>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QLineEdit>

#include "platform/dialogs.h"

namespace qm {

QString InitialBrowseFolder;

namespace {
const int kInitialized = 1;
const int kSelectionChanged = 2;

// The confirmed folder as a full path without a final separator, "/" for
// the root.
QString CleanFolderPath(const QString& path) {
  if (path.isEmpty()) return QString();
  QString clean = QDir::cleanPath(QFileInfo(path).absoluteFilePath());
  return clean;
}
// Keeps what the user types into the dialog's box as typed, and makes it
// the answer.  Left to itself the dialog selects, at every keystroke, the
// entry the box names, and where the box lacks the keyboard focus it writes
// that selection back into the box, mangling a path being typed; the folder
// preselected stays selected beside a typed one, and the dialog answers with
// the first selected folder (or, with none, the folder shown).  Here typing
// clears the selection instead, and on acceptance a box naming a folder
// wins.  A click on a folder still puts its name in the box.
class TypedFolder : public QObject {
 public:
  explicit TypedFolder(QFileDialog* dialog) : QObject(dialog), dialog_(dialog) {
    box_ = dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
    auto* list = dialog->findChild<QAbstractItemView*>(QStringLiteral("listView"));
    if (!box_ || !list) return;
    QObject::disconnect(box_, SIGNAL(textChanged(QString)), dialog,
                        SLOT(_q_autoCompleteFileName(QString)));
    connect(box_, &QLineEdit::textEdited, this, [list] {
      if (list->selectionModel()) list->selectionModel()->clearSelection();
    });
  }

  // The folder the box names as a full path, or "" when it names none.
  QString Folder() const {
    if (!box_ || box_->text().isEmpty()) return QString();
    QString full = QDir(dialog_->directory().absolutePath()).absoluteFilePath(box_->text());
    return QFileInfo(full).isDir() ? full : QString();
  }

 private:
  QFileDialog* dialog_;
  QLineEdit* box_ = nullptr;
};
}  // namespace

int BrowseForFolderCallback(QFileDialog* dialog, int message, const QString& value,
                            long long param) {
  (void)param;
  if (!dialog) return 0;
  if (message == kInitialized) {
    QString initial = InitialBrowseFolder;
    qsizetype nul = initial.indexOf(QChar(0));
    if (nul >= 0) initial.truncate(nul);
    QFileInfo info(initial);
    if (!initial.isEmpty() && info.isDir()) {
      // Show the folder's parent with the folder itself selected.
      QString folder = CleanFolderPath(initial);
      if (folder == QLatin1String("/")) {
        dialog->setDirectory(folder);
      } else {
        dialog->setDirectory(QFileInfo(folder).absolutePath());
        dialog->selectFile(folder);
      }
    }
  } else if (message == kSelectionChanged) {
    // The dialog has no status area: the selected path has nowhere to go.
    (void)value;
  }
  return 0;
}

QString BrowseForFolder(QWidget* owner, const QString& title, const QString& initial_folder) {
  InitialBrowseFolder = initial_folder + QChar(0);
  DialogRequest request;
  request.kind = DialogKind::kFolderBrowser;
  request.title = title;
  request.initial_folder = initial_folder;
  DialogAnswer answer = RunDialog(request, [&]() {
    QFileDialog dialog(owner, title);
    dialog.setObjectName(QStringLiteral("FolderBrowser"));
    dialog.setOption(QFileDialog::DontUseNativeDialog, true);
    dialog.setOption(QFileDialog::ShowDirsOnly, true);
    dialog.setFileMode(QFileDialog::Directory);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    QObject::connect(&dialog, &QFileDialog::currentChanged, &dialog,
                     [&dialog](const QString& path) {
                       BrowseForFolderCallback(&dialog, kSelectionChanged, path, 0);
                     });
    BrowseForFolderCallback(&dialog, kInitialized, QString(), 0);
    TypedFolder typed(&dialog);
    DialogAnswer result;
    if (dialog.exec() != QDialog::Accepted) return result;
    QString chosen = typed.Folder();  // what the user typed wins
    if (chosen.isEmpty() && !dialog.selectedFiles().isEmpty()) {
      chosen = dialog.selectedFiles().first();
    }
    if (QFileInfo(chosen).isDir()) result.folder = CleanFolderPath(chosen);
    return result;
  });
  return answer.folder;
}

}  // namespace qm
