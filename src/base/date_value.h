// SPDX-License-Identifier: GPL-3.0-or-later
// Date values: days since 30 December 1899 00:00:00 (the zero date), with the
// time of day as fraction.  As in the classic layout, a date before the zero
// date has a negative day part and a positive time: -1.25 is 29 December 1899
// 06:00.  Day numbers are the whole-day part of such a value.
#ifndef QUENMOOR_BASE_DATE_VALUE_H_
#define QUENMOOR_BASE_DATE_VALUE_H_

#include <cstdint>
#include <functional>

class QDate;
class QLocale;
class QString;

namespace qm {

using DateValue = double;

struct CivilDate {
  int year;
  int month;  // 1..12
  int day;    // 1..31
};

// Day number of a calendar date (1899-12-30 is 0, 2000-01-01 is 36526).
std::int64_t DayNumberOf(int year, int month, int day);
CivilDate CivilDateOf(std::int64_t day_number);

// Builds a value from a day number and a time of day (seconds, 0..86399.999).
DateValue MakeDateValue(std::int64_t day_number, double seconds_of_day);

// The calendar day a value falls on, and its time of day in seconds.
std::int64_t CalendarDayOf(DateValue value);
double SecondsOfDay(DateValue value);

// The value taken to the nearest whole number, a value exactly halfway
// between two whole numbers going to the even one.
std::int64_t NearestWholeDay(DateValue value);

// 1 January 100 to 31 December 9999 23:59:59.
bool InDateRange(DateValue value);

// Conversions to and from Qt's dates.
QDate QDateFromDayNumber(std::int64_t day_number);
std::int64_t DayNumberFromQDate(const QDate& date);

// Rewrites every unquoted run of `letter` in a Qt date or time format with
// replace(length of the run).  Blanks just before a run that is replaced by
// nothing go too.
QString RewriteFormatField(const QString& format, char letter,
                           const std::function<QString(int)>& replace);

// The locale's short date format with the year in full ("yy" widened to
// "yyyy"), so dates a century apart cannot be confused.
QString ShortDateFormat(const QLocale& locale);

// Today's local day number.
std::int64_t TodayDayNumber();

}  // namespace qm

#endif  // QUENMOOR_BASE_DATE_VALUE_H_
