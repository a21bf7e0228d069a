// SPDX-License-Identifier: GPL-3.0-or-later
#include "search/date_criteria.h"

#include <gtest/gtest.h>

#include "search/search_criteria.h"

namespace qm {
namespace {

DateValue At(int y, int m, int d, double hours = 0) {
  return MakeDateValue(DayNumberOf(y, m, d), hours * 3600);
}

TEST(DateCriterionTest, EachRuleJudgesCalendarDaysWhateverTheTimeOfDay) {
  // The picked day carries a time of day of its own, which plays no part.
  const DateValue picked = At(2024, 3, 15, 18);
  const DateValue day_before_late = At(2024, 3, 14, 23.9997);
  const DateValue day_early = At(2024, 3, 15, 0);
  const DateValue day_late = At(2024, 3, 15, 23.9997);
  const DateValue day_after_early = At(2024, 3, 16, 0);

  const auto after = DateCriterion::Single(DateType::kModified, DateRule::kAfter, picked);
  EXPECT_FALSE(after.Matches(day_late));
  EXPECT_TRUE(after.Matches(day_after_early));
  const auto before = DateCriterion::Single(DateType::kModified, DateRule::kBefore, picked);
  EXPECT_TRUE(before.Matches(day_before_late));
  EXPECT_FALSE(before.Matches(day_early));
  const auto on = DateCriterion::Single(DateType::kModified, DateRule::kOn, picked);
  EXPECT_FALSE(on.Matches(day_before_late));
  EXPECT_TRUE(on.Matches(day_early));
  EXPECT_TRUE(on.Matches(day_late));
  EXPECT_FALSE(on.Matches(day_after_early));

  // Between: both days included; the same day twice is that day; the
  // later day first matches nothing, as the dates are never swapped.
  const auto span =
      DateCriterion::Between(DateType::kCreated, At(2024, 3, 15, 20), At(2024, 3, 16, 1));
  EXPECT_FALSE(span.Matches(day_before_late));
  EXPECT_TRUE(span.Matches(day_early));
  EXPECT_TRUE(span.Matches(At(2024, 3, 16, 23.5)));
  EXPECT_FALSE(span.Matches(At(2024, 3, 17)));
  const auto one_day = DateCriterion::Between(DateType::kCreated, picked, day_early);
  EXPECT_TRUE(one_day.Matches(day_late));
  EXPECT_FALSE(one_day.Matches(day_after_early));
  const auto reversed = DateCriterion::Between(DateType::kCreated, day_after_early, day_early);
  EXPECT_FALSE(reversed.Matches(day_early));
  EXPECT_FALSE(reversed.Matches(day_after_early));

  // Dates before the zero date count days the same way.
  const auto old = DateCriterion::Single(DateType::kAccessed, DateRule::kOn, At(1850, 6, 1, 12));
  EXPECT_TRUE(old.Matches(At(1850, 6, 1, 0.5)));
  EXPECT_FALSE(old.Matches(At(1850, 6, 2, 0.5)));
}

TEST(DateCriterionTest, NotAccessedInDaysCountsCalendarDaysBackFromToday) {
  const std::int64_t today = DayNumberOf(2026, 12, 8);
  const auto rule = DateCriterion::NotAccessedIn(DateType::kAccessed, 300, today);
  EXPECT_TRUE(rule.MatchesDay(today - 300));
  EXPECT_TRUE(rule.Matches(MakeDateValue(today - 300, 86399)));
  EXPECT_FALSE(rule.MatchesDay(today - 299));
  const auto zero = DateCriterion::NotAccessedIn(DateType::kAccessed, 0, today);
  EXPECT_TRUE(zero.MatchesDay(today));
  EXPECT_FALSE(zero.MatchesDay(today + 1));  // a stamp in the future never matches
  // The largest day count the box takes does not overflow.
  const auto most = DateCriterion::NotAccessedIn(DateType::kAccessed, 999999999999999999LL, today);
  EXPECT_FALSE(most.MatchesDay(-700000));
}

TEST(DateCriterionTest, AnUnreadableStampIsJudgedAsTheZeroDate) {
  SearchCriteria criteria;
  const Stamp unreadable;  // empty
  criteria.date = DateCriterion::Single(DateType::kModified, DateRule::kBefore, At(2000, 1, 1));
  EXPECT_TRUE(criteria.Matches(unreadable));
  criteria.date = DateCriterion::Single(DateType::kModified, DateRule::kAfter, At(1899, 12, 29));
  EXPECT_TRUE(criteria.Matches(unreadable));
  criteria.date =
      DateCriterion::Single(DateType::kModified, DateRule::kAfter, At(1899, 12, 30, 12));
  EXPECT_FALSE(criteria.Matches(unreadable));
  criteria.date = DateCriterion::NotAccessedIn(DateType::kModified, 300, DayNumberOf(2026, 1, 1));
  EXPECT_TRUE(criteria.Matches(unreadable));
  // No rule chosen: nothing matches.
  criteria.date = DateCriterion::Single(DateType::kModified, DateRule::kNone, At(2000, 1, 1));
  EXPECT_FALSE(criteria.Matches(unreadable));
}

TEST(DateCriterionTest, DaysTextsThatAreNoWholeNumberAreRefused) {
  EXPECT_EQ(ParseDays(QStringLiteral(" 300 ")), 300);
  EXPECT_EQ(ParseDays(QStringLiteral("0")), 0);
  for (const char* bad : {"", " ", "abc", "1.5", "-3", "+3", "3 0", "1234567890123456789"}) {
    EXPECT_FALSE(ParseDays(QString::fromLatin1(bad))) << bad;
  }
}

}  // namespace
}  // namespace qm
