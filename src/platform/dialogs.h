// SPDX-License-Identifier: GPL-3.0-or-later
// The one seam every modal dialog of the program goes through.
//
// Message boxes, the folder browser and the trash confirmation each describe
// themselves as a DialogRequest and are shown through RunDialog().  Tests
// install a responder that answers requests without showing anything, and
// read back what was asked; with no responder (or when it declines) the real
// dialog is shown.
#ifndef QUENMOOR_PLATFORM_DIALOGS_H_
#define QUENMOOR_PLATFORM_DIALOGS_H_

#include <QString>
#include <functional>
#include <optional>
#include <vector>

class QWidget;

namespace qm {

// kOpen is no dialog but a hand-over to the desktop (a file or folder opened
// in its application): tests see what would be opened, and nothing starts.
// kSaveFile asks where to save a file.
enum class DialogKind { kMessage, kFolderBrowser, kTrashConfirm, kOpen, kSaveFile };

// Message box styles and answers, in the classic numbering.
enum MessageStyle {
  kOkOnly = 0,
  kOkCancel = 1,
  kYesNo = 4,
  kCritical = 16,
  kQuestion = 32,
  kExclamation = 48,
  kInformation = 64,
};
enum MessageAnswer { kAnswerOk = 1, kAnswerCancel = 2, kAnswerYes = 6, kAnswerNo = 7 };

struct DialogRequest {
  DialogKind kind = DialogKind::kMessage;
  QString title;
  QString text;
  int style = kOkOnly;     // message boxes
  QString initial_folder;  // folder browser
  QString path;            // kOpen: the file or folder to open; kSaveFile: the name offered
};

struct DialogAnswer {
  int button = kAnswerOk;  // message boxes and confirmations; kOpen: kAnswerOk when opened
  QString folder;          // folder browser: "" when cancelled
  QString path;            // kSaveFile: the file chosen, "" when cancelled
};

using DialogResponder = std::function<std::optional<DialogAnswer>(const DialogRequest&)>;

// Installs a responder (an empty function removes it).
void SetDialogResponder(DialogResponder responder);

// Lets the responder answer the request, and otherwise calls
// `show_real`, which shows the real dialog and returns its answer.
DialogAnswer RunDialog(const DialogRequest& request,
                       const std::function<DialogAnswer()>& show_real);

// The application title: the caption of every message box shown without a
// caption of its own.
void SetAppTitle(const QString& title);
QString AppTitle();

// A modal message box; `title` empty means the application title.  Returns
// the button pressed (kAnswerOk, kAnswerCancel, ...).
int MessageBox(QWidget* owner, const QString& text, int style = kOkOnly,
               const QString& title = QString());

// Asks where to save a file, offering `suggested` (a full path); `filter`
// is a name filter such as "CSV files (*.csv)", `suffix` added to a name
// typed without one.  Asks before an existing file is replaced.  Returns
// the chosen path, or "" when cancelled.
QString SaveFileDialog(QWidget* owner, const QString& title, const QString& suggested,
                       const QString& filter, const QString& suffix);

}  // namespace qm

#endif  // QUENMOOR_PLATFORM_DIALOGS_H_
