// SPDX-License-Identifier: GPL-3.0-or-later
#include "results/listed_text.h"

#include <QCoreApplication>

namespace qm {

QString ListedLines(const QStringList& lines, int shown) {
  QString text;
  for (int i = 0; i < lines.size() && i < shown; ++i) text += QStringLiteral("\n") + lines[i];
  if (lines.size() > shown) {
    text +=
        QStringLiteral("\n") +
        QCoreApplication::translate("qm::ListedText", "... and %1 more").arg(lines.size() - shown);
  }
  return text;
}

}  // namespace qm
