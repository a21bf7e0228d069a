// SPDX-License-Identifier: GPL-3.0-or-later
#include "base/date_value.h"

#include <QDate>
#include <QDateTime>
#include <QLocale>
#include <QString>
#include <QTime>
#include <cmath>

namespace qm {
namespace {
// Days from 0000-03-01 based civil algorithm (proleptic Gregorian).
std::int64_t DaysFromCivil(std::int64_t y, unsigned m, unsigned d) {
  y -= m <= 2;
  const std::int64_t era = (y >= 0 ? y : y - 399) / 400;
  const unsigned yoe = static_cast<unsigned>(y - era * 400);
  const unsigned doy = (153 * (m > 2 ? m - 3 : m + 9) + 2) / 5 + d - 1;
  const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + static_cast<std::int64_t>(doe) - 719468;  // 1970-01-01 = 0
}
const std::int64_t kUnixEpochDay = 25569;  // 1970-01-01 as a day number
}  // namespace

std::int64_t DayNumberOf(int year, int month, int day) {
  return DaysFromCivil(year, static_cast<unsigned>(month), static_cast<unsigned>(day)) +
         kUnixEpochDay;
}

CivilDate CivilDateOf(std::int64_t day_number) {
  std::int64_t z = day_number - kUnixEpochDay + 719468;
  const std::int64_t era = (z >= 0 ? z : z - 146096) / 146097;
  const unsigned doe = static_cast<unsigned>(z - era * 146097);
  const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const std::int64_t y = static_cast<std::int64_t>(yoe) + era * 400;
  const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const unsigned mp = (5 * doy + 2) / 153;
  const unsigned d = doy - (153 * mp + 2) / 5 + 1;
  const unsigned m = mp < 10 ? mp + 3 : mp - 9;
  return CivilDate{static_cast<int>(y + (m <= 2)), static_cast<int>(m), static_cast<int>(d)};
}

DateValue MakeDateValue(std::int64_t day_number, double seconds_of_day) {
  double fraction = seconds_of_day / 86400.0;
  if (day_number >= 0) return static_cast<double>(day_number) + fraction;
  return static_cast<double>(day_number) - fraction;
}

std::int64_t CalendarDayOf(DateValue value) { return static_cast<std::int64_t>(std::trunc(value)); }

double SecondsOfDay(DateValue value) {
  double fraction = std::fabs(value - std::trunc(value));
  return fraction * 86400.0;
}

std::int64_t NearestWholeDay(DateValue value) {
  return static_cast<std::int64_t>(std::nearbyint(value));  // ties to even
}

bool InDateRange(DateValue value) {
  static const std::int64_t kMinDay = DayNumberOf(100, 1, 1);
  static const double kMax = static_cast<double>(DayNumberOf(9999, 12, 31)) + 86399.999 / 86400.0;
  if (!std::isfinite(value)) return false;
  return CalendarDayOf(value) >= kMinDay && value <= kMax;
}

QDate QDateFromDayNumber(std::int64_t day_number) {
  CivilDate c = CivilDateOf(day_number);
  return QDate(c.year, c.month, c.day);
}

std::int64_t DayNumberFromQDate(const QDate& date) {
  return DayNumberOf(date.year(), date.month(), date.day());
}

QString RewriteFormatField(const QString& format, char letter,
                           const std::function<QString(int)>& replace) {
  QString out;
  bool quoted = false;
  for (int i = 0; i < format.size(); ++i) {
    QChar c = format[i];
    if (c == QLatin1Char('\'')) quoted = !quoted;
    if (!quoted && c == QLatin1Char(letter)) {
      int run = 1;
      while (i + run < format.size() && format[i + run] == QLatin1Char(letter)) ++run;
      i += run - 1;
      const QString replacement = replace(run);
      if (replacement.isEmpty()) {
        while (out.endsWith(QLatin1Char(' '))) out.chop(1);
      }
      out += replacement;
      continue;
    }
    out.append(c);
  }
  return out;
}

QString ShortDateFormat(const QLocale& locale) {
  return RewriteFormatField(locale.dateFormat(QLocale::ShortFormat), 'y', [](int run) {
    return run == 2 ? QStringLiteral("yyyy") : QString(run, QLatin1Char('y'));
  });
}

std::int64_t TodayDayNumber() { return DayNumberFromQDate(QDate::currentDate()); }

}  // namespace qm
