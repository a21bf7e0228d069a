#include "scope/folder_browser.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QTimer>

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
    DialogAnswer result;
    if (dialog.exec() == QDialog::Accepted && !dialog.selectedFiles().isEmpty()) {
      QString chosen = dialog.selectedFiles().first();
      if (QFileInfo(chosen).isDir()) result.folder = CleanFolderPath(chosen);
    }
    return result;
  });
  return answer.folder;
}

}  // namespace qm
