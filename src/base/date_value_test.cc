// SPDX-License-Identifier: GPL-3.0-or-later
#include "base/date_value.h"

#include <gtest/gtest.h>

#include <QDateTime>

namespace qm {
namespace {

TEST(DateValueTest, DayNumbersMatchTheClassicCalendar) {
  EXPECT_EQ(DayNumberOf(1899, 12, 30), 0);
  EXPECT_EQ(DayNumberOf(1899, 12, 31), 1);
  EXPECT_EQ(DayNumberOf(2000, 1, 1), 36526);
  EXPECT_EQ(DayNumberOf(2024, 3, 15), 45366);
  CivilDate c = CivilDateOf(45366);
  EXPECT_EQ(c.year, 2024);
  EXPECT_EQ(c.month, 3);
  EXPECT_EQ(c.day, 15);
  c = CivilDateOf(-1);
  EXPECT_EQ(c.year, 1899);
  EXPECT_EQ(c.day, 29);
}

TEST(DateValueTest, NegativeValuesKeepTheTimeOfDayForward) {
  DateValue v = MakeDateValue(-1, 6 * 3600);
  EXPECT_DOUBLE_EQ(v, -1.25);
  EXPECT_EQ(CalendarDayOf(v), -1);
  EXPECT_DOUBLE_EQ(SecondsOfDay(v), 6 * 3600);
  EXPECT_EQ(CalendarDayOf(MakeDateValue(45366, 86399)), 45366);
}

TEST(DateValueTest, NearestWholeDayGoesHalfwayToEven) {
  EXPECT_EQ(NearestWholeDay(45366.0), 45366);
  EXPECT_EQ(NearestWholeDay(45366 + 13.0 / 24), 45367);
  EXPECT_EQ(NearestWholeDay(45366.5), 45366);
  EXPECT_EQ(NearestWholeDay(45367.5), 45368);
  EXPECT_EQ(NearestWholeDay(45366 + 11.0 / 24), 45366);
}

TEST(DateValueTest, Range) {
  EXPECT_TRUE(InDateRange(DayNumberOf(100, 1, 1)));
  EXPECT_FALSE(InDateRange(DayNumberOf(99, 12, 31)));
  EXPECT_TRUE(InDateRange(DayNumberOf(9999, 12, 31) + 0.9999));
  EXPECT_FALSE(InDateRange(DayNumberOf(10000, 1, 1)));
  EXPECT_EQ(DayNumberFromQDate(QDate(2024, 3, 15)), 45366);
  EXPECT_EQ(QDateFromDayNumber(45366), QDate(2024, 3, 15));
}

}  // namespace
}  // namespace qm
