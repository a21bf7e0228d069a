// SPDX-License-Identifier: GPL-3.0-or-later
// The folder browser: a modal dialog in which the user picks one folder.
#ifndef QUENMOOR_SCOPE_FOLDER_BROWSER_H_
#define QUENMOOR_SCOPE_FOLDER_BROWSER_H_

#include <QString>

class QFileDialog;
class QWidget;

namespace qm {

// The initial folder of the last call, followed by one NUL character; the
// browser's notification handler reads it.
extern QString InitialBrowseFolder;

// Shows the browser owned by `owner` with `title`, preselecting
// `initial_folder` when it exists.  Returns the confirmed folder's full path
// ("/" for the root, no final separator otherwise), or "" on cancel.
QString BrowseForFolder(QWidget* owner, const QString& title, const QString& initial_folder);

// The browser's notification handler: 1 when the dialog is ready (selects
// InitialBrowseFolder), 2 when the selection moved (nothing to show).
// Always returns 0.
int BrowseForFolderCallback(QFileDialog* dialog, int message, const QString& value,
                            long long param);

}  // namespace qm

#endif  // QUENMOOR_SCOPE_FOLDER_BROWSER_H_
