// SPDX-License-Identifier: GPL-3.0-or-later
// The folder list's rows: a folder to search, as a path with one final
// separator.
#ifndef QUENMOOR_SCOPE_FOLDER_ROWS_H_
#define QUENMOOR_SCOPE_FOLDER_ROWS_H_

#include <QString>

namespace qm {

// The row for a folder the browser gave (a full path without its final
// separator, "/" for the root): the path with one "/" after it, doubled
// separators halved.
QString FolderRowFor(const QString& folder);

}  // namespace qm

#endif  // QUENMOOR_SCOPE_FOLDER_ROWS_H_
