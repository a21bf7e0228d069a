// SPDX-License-Identifier: GPL-3.0-or-later
// The date rules, as plain functions over day numbers.
#ifndef QUENMOOR_SEARCH_DATE_CRITERIA_H_
#define QUENMOOR_SEARCH_DATE_CRITERIA_H_

#include <QString>
#include <optional>

#include "base/date_value.h"

namespace qm {

enum class DateRule { kNone, kAfter, kBefore, kOn, kBetween, kNotAccessedInDays };

// Calendar days from `from`'s date to `to`'s date; positive when `to` is
// later.  The times of day play no part.
inline long long DayDifference(DateValue from, DateValue to) {
  return CalendarDayOf(to) - CalendarDayOf(from);
}

// Whether a difference d (from the rule's picked date to the stamp date)
// satisfies After (d > 0), Before (d < 0) or On (d == 0).
inline bool SingleDateMatches(DateRule rule, long long d) {
  switch (rule) {
    case DateRule::kAfter: return d > 0;
    case DateRule::kBefore: return d < 0;
    case DateRule::kOn: return d == 0;
    default: return false;
  }
}
// Between: from the first picked day to the second, both included.
inline bool BetweenMatches(long long d1, long long d2) { return d1 >= 0 && d2 <= 0; }
// Not accessed in days: d is the difference from the stamp date to today.
inline bool NotAccessedMatches(long long d, long long days) { return d >= days; }

// A rule with its dates as they stood when it was taken, to judge many
// stamps quickly (the search's count of files found so far).
struct RuleSnapshot {
  DateRule rule = DateRule::kNone;
  DateValue first = 0, second = 0;  // the picked dates; for days, today
  long long days = 0;
  bool Matches(DateValue stamp) const {
    switch (rule) {
      case DateRule::kAfter:
      case DateRule::kBefore:
      case DateRule::kOn: return SingleDateMatches(rule, DayDifference(first, stamp));
      case DateRule::kBetween:
        return BetweenMatches(DayDifference(first, stamp), DayDifference(second, stamp));
      case DateRule::kNotAccessedInDays:
        return NotAccessedMatches(DayDifference(stamp, first), days);
      default: return false;
    }
  }
};

// The days box's text as a whole number of days, 0 or more, blanks around it
// allowed; nothing for anything else (empty, letters, a fraction, a
// negative number).
std::optional<long long> ParseDays(const QString& text);

// The message shown when the days box holds no usable number.
QString DaysHelpText();

}  // namespace qm

#endif  // QUENMOOR_SEARCH_DATE_CRITERIA_H_
