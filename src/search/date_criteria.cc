// SPDX-License-Identifier: GPL-3.0-or-later
#include "search/date_criteria.h"

#include <QCoreApplication>

namespace qm {

DateCriterion DateCriterion::Single(DateType type, DateRule rule, DateValue date) {
  DateCriterion c;
  c.type_ = type;
  c.rule_ = rule;
  c.first_ = c.last_ = CalendarDayOf(date);
  return c;
}

DateCriterion DateCriterion::Between(DateType type, DateValue first, DateValue last) {
  DateCriterion c;
  c.type_ = type;
  c.rule_ = DateRule::kBetween;
  c.first_ = CalendarDayOf(first);
  c.last_ = CalendarDayOf(last);
  return c;
}

DateCriterion DateCriterion::NotAccessedIn(DateType type, long long days, std::int64_t today) {
  DateCriterion c;
  c.type_ = type;
  c.rule_ = DateRule::kNotAccessedInDays;
  c.first_ = c.last_ = today;
  c.days_ = days;
  return c;
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
  return QCoreApplication::translate(
             "qm::Form1",
             "Please type the number of days into the box beside \"%1\" as a whole number of "
             "0 or more, for example 300.")
      .arg(QCoreApplication::translate("qm::Form1",
                                       "Anything that has not been accessed in x days:"));
}

}  // namespace qm
