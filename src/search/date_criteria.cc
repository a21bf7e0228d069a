// The date rules, as plain functions over day numbers.
#include "search/date_criteria.h"

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
  return QStringLiteral(
      "Please type the number of days into the box beside \"Anything that has not been "
      "accessed in x days:\" as a whole number of 0 or more, for example 300.");
}

}  // namespace qm
