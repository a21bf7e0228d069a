// SPDX-License-Identifier: GPL-3.0-or-later
#include "search/subfolder_marks.h"

#include <QCoreApplication>

namespace qm {

std::vector<int> SubfolderMarks(const std::vector<QString>& rows) {
  std::vector<int> marks;
  const int n = static_cast<int>(rows.size());
  for (int i = 1; i <= n; ++i) {
    for (int j = i + 1; j <= n; ++j) {
      if (rows[static_cast<std::size_t>(i - 1)].startsWith(rows[static_cast<std::size_t>(j - 1)])) {
        marks.push_back(i);
        break;
      }
    }
  }
  return marks;
}

QString SubfolderRemovedText(const QString& row) {
  return QCoreApplication::translate("qm::Form1",
                                     "%1 will be removed because it is a subfolder of another "
                                     "folder that you added.")
      .arg(row);
}

}  // namespace qm
