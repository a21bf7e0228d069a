// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/data_folder.h"

#include <QDir>
#include <QFileInfo>

namespace qm {

QString DataFolderFor(const QString& program_folder) {
  for (const char* own : {"HAND-M.CUR", "Samples", "x/o.cjs"}) {
    if (QFileInfo::exists(program_folder + QLatin1Char('/') + QLatin1String(own))) {
      return program_folder;
    }
  }
  const QString installed = QDir::cleanPath(program_folder + QStringLiteral("/../share/quenmoor"));
  if (QFileInfo(installed).isDir()) return installed;
  return program_folder;
}

}  // namespace qm
