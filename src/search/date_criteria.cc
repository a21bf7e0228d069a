// The date rules, as plain functions over day numbers.
#include "search/date_criteria.h"

namespace qm {

bool SingleDateMatches(DateRule rule, long long d) {
  switch (rule) {
    case DateRule::kAfter: return d > 0;
    case DateRule::kBefore: return d < 0;
    case DateRule::kOn: return d == 0;
    default: return false;
  }
}

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
