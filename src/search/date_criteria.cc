// SPDX-License-Identifier: GPL-3.0-or-later
// The date rules, as plain functions over day numbers.
#include "search/date_criteria.h"

#include <QCoreApplication>

namespace qm {

std::optional<long long> ParseDays(const QString& text) {
  QString t = text.trimmed();
  if (t.isEmpty() || t.size() > 18) return std::nullopt;
  for (QChar c : t) {
    if (c < QLatin1Char('0') || c > QLatin1Char('9')) return std::nullopt;
  }
  return t.toLongLong();
}

QString DaysHelpText() {
  return QCoreApplication::translate(
             "qm::Form1",
             "Please type the number of days into the box beside \"%1\" as a whole number of "
             "0 or more, for example 300.")
      .arg(QCoreApplication::translate("qm::Form1",
                                       "Anything that has not been accessed in x days:"));
}

}  // namespace qm
