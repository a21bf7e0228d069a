// SPDX-License-Identifier: GPL-3.0-or-later
// The date criterion: which of a file's dates is judged, and by which rule.
//
// A DateCriterion is a plain value, taken once when a search starts; the
// search judges every file by it, so a control changed during a search
// affects the next one.  All comparisons are by calendar day: the time of
// day of a picked date or of a stamp plays no part.
#ifndef QUENMOOR_SEARCH_DATE_CRITERIA_H_
#define QUENMOOR_SEARCH_DATE_CRITERIA_H_

#include <QString>
#include <cstdint>
#include <optional>

#include "base/date_value.h"

namespace qm {

enum class DateType { kNone, kModified, kCreated, kAccessed };
enum class DateRule { kNone, kAfter, kBefore, kOn, kBetween, kNotAccessedInDays };

class DateCriterion {
 public:
  DateCriterion() = default;
  // After, Before and On the day of `date`.
  static DateCriterion Single(DateType type, DateRule rule, DateValue date);
  // From the day of `first` to the day of `last`, both included; no day
  // when `first` is the later one (the dates are never swapped).
  static DateCriterion Between(DateType type, DateValue first, DateValue last);
  // `days` or more calendar days before `today` (a day number).
  static DateCriterion NotAccessedIn(DateType type, long long days, std::int64_t today);

  DateType type() const { return type_; }
  DateRule rule() const { return rule_; }
  // The picked dates as day numbers (both the same but for Between); for
  // the days rule, today.
  std::int64_t first_day() const { return first_; }
  std::int64_t last_day() const { return last_; }
  long long days() const { return days_; }

  // Whether a stamp on calendar day `day` matches.  An unreadable stamp is
  // judged as the zero date, day 0.
  bool MatchesDay(std::int64_t day) const {
    switch (rule_) {
      case DateRule::kAfter:
        return day > first_;
      case DateRule::kBefore:
        return day < first_;
      case DateRule::kOn:
        return day == first_;
      case DateRule::kBetween:
        return day >= first_ && day <= last_;
      case DateRule::kNotAccessedInDays:
        return first_ - day >= days_;
      case DateRule::kNone:
        break;
    }
    return false;
  }
  bool Matches(DateValue stamp) const { return MatchesDay(CalendarDayOf(stamp)); }

  bool operator==(const DateCriterion& o) const {
    return type_ == o.type_ && rule_ == o.rule_ && first_ == o.first_ && last_ == o.last_ &&
           days_ == o.days_;
  }

 private:
  DateType type_ = DateType::kNone;
  DateRule rule_ = DateRule::kNone;
  std::int64_t first_ = 0, last_ = 0;
  long long days_ = 0;
};

// The days box's text as a whole number of days, 0 or more, blanks around it
// allowed; nothing for anything else (empty, letters, a fraction, a
// negative number).
std::optional<long long> ParseDays(const QString& text);

// The message shown when the days box holds no usable number.
QString DaysHelpText();

}  // namespace qm

#endif  // QUENMOOR_SEARCH_DATE_CRITERIA_H_
