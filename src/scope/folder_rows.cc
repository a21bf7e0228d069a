// SPDX-License-Identifier: GPL-3.0-or-later
#include "scope/folder_rows.h"

#include "fsutil/file_helpers.h"

namespace qm {

QString FolderRowFor(const QString& folder) {
  const QString row = folder + QLatin1Char('/');
  return QString::fromStdString(NormalizeBackslashes(row.toStdString(), kPosixStyle));
}

}  // namespace qm
