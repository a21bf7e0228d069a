// SPDX-License-Identifier: GPL-3.0-or-later
#include "search/time_stamps.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QLocale>
#include <QTime>
#include <cstdio>
#include <string>

#include "testing/test_env.h"

namespace qm {
namespace {

using testing::LocalTime;
using testing::ScopedEnv;
using testing::SetTimes;
using testing::TempDir;
using testing::WriteFile;

// Seconds since 1970 of a UTC date and time.
std::int64_t Utc(int y, int mo, int d, int h, int mi) {
  return (DayNumberOf(y, mo, d) - 25569) * 86400 + h * 3600 + mi * 60;
}

// Day number and seconds of the day of a value.
std::pair<std::int64_t, int> Split(DateValue v) {
  return {CalendarDayOf(v), static_cast<int>(std::llround(SecondsOfDay(v)))};
}

class LocaleScope {
 public:
  explicit LocaleScope(const QLocale& l) : old_(QLocale()) { QLocale::setDefault(l); }
  ~LocaleScope() { QLocale::setDefault(old_); }

 private:
  QLocale old_;
};

TEST(TimeStampsTest, ReadersTakeTheirOwnFieldAndNeverTouchAccessTime) {
  ScopedEnv tz("TZ", "UTC");
  TempDir dir;
  WriteFile(dir.Sub("f"));
  SetTimes(dir.Sub("f"), Utc(2020, 5, 1, 12, 0), Utc(2021, 6, 2, 6, 0));
  Stamp m = FileDateModified(dir.Sub("f"));
  Stamp a = FileDateAccessed(dir.Sub("f"));
  ASSERT_FALSE(m.empty);
  ASSERT_FALSE(a.empty);
  EXPECT_DOUBLE_EQ(m.value, DayNumberOf(2020, 5, 1) + 0.5);
  EXPECT_DOUBLE_EQ(a.value, DayNumberOf(2021, 6, 2) + 0.25);
  Stamp c = FileDateCreated(dir.Sub("f"));
  if (!c.empty) {
    EXPECT_GE(CalendarDayOf(c.value), TodayDayNumber() - 1);  // born now
  }
  struct stat st;
  ASSERT_EQ(::stat(dir.Sub("f").c_str(), &st), 0);
  EXPECT_EQ(st.st_atime, Utc(2021, 6, 2, 6, 0));

  EXPECT_TRUE(FileDateModified(dir.Sub("missing")).empty);
  EXPECT_TRUE(FileDateCreated(dir.Sub("missing")).empty);
  EXPECT_TRUE(FileDateAccessed("").empty);
}

TEST(TimeStampsTest, LinksGiveTheirOwnStampsAndFifosAreNeverOpened) {
  ScopedEnv tz("TZ", "UTC");
  TempDir dir;
  WriteFile(dir.Sub("target"));
  SetTimes(dir.Sub("target"), Utc(2001, 1, 1, 0, 0), Utc(2001, 1, 1, 0, 0));
  ::symlink("target", dir.Sub("link").c_str());
  SetTimes(dir.Sub("link"), Utc(2010, 1, 1, 0, 0), Utc(2010, 1, 1, 0, 0));
  EXPECT_EQ(CalendarDayOf(FileDateModified(dir.Sub("link")).value), DayNumberOf(2010, 1, 1));
  ASSERT_EQ(::mkfifo(dir.Sub("fifo").c_str(), 0644), 0);
  SetTimes(dir.Sub("fifo"), Utc(2005, 1, 1, 0, 0), Utc(2005, 1, 1, 0, 0));
  EXPECT_EQ(CalendarDayOf(FileDateModified(dir.Sub("fifo")).value), DayNumberOf(2005, 1, 1));
}

TEST(TimeStampsTest, OffsetIsTheOneInForceAtTheStampsInstant) {
  ScopedEnv tz("TZ", "Europe/Berlin");
  // Winter (UTC+1) and summer (UTC+2) noon, whatever the date today.
  EXPECT_EQ(Split(FileTimeToLocalDate(Utc(2024, 1, 15, 11, 0), 0)),
            std::make_pair(DayNumberOf(2024, 1, 15), 12 * 3600));
  EXPECT_EQ(Split(FileTimeToLocalDate(Utc(2024, 7, 15, 10, 0), 0)),
            std::make_pair(DayNumberOf(2024, 7, 15), 12 * 3600));
  // Near midnight the day itself depends on the offset.
  EXPECT_EQ(Split(FileTimeToLocalDate(Utc(2024, 1, 15, 23, 30), 0)),
            std::make_pair(DayNumberOf(2024, 1, 16), 30 * 60));
  EXPECT_EQ(Split(FileTimeToLocalDate(Utc(2024, 7, 15, 22, 30), 0)),
            std::make_pair(DayNumberOf(2024, 7, 16), 30 * 60));
  EXPECT_EQ(Split(FileTimeToLocalDate(Utc(2024, 1, 15, 22, 30), 0)),
            std::make_pair(DayNumberOf(2024, 1, 15), 23 * 3600 + 30 * 60));

  // Through a real file: a winter stamp written at 08:15 local reads 08:15.
  TempDir dir;
  WriteFile(dir.Sub("w"));
  SetTimes(dir.Sub("w"), LocalTime(2023, 12, 24, 8, 15), LocalTime(2023, 12, 24, 8, 15));
  EXPECT_EQ(Split(FileDateModified(dir.Sub("w")).value),
            std::make_pair(DayNumberOf(2023, 12, 24), 8 * 3600 + 15 * 60));
}

// The UTC instant an ISO 8601 text with offset names.
std::int64_t InstantOfIso(const std::string& iso) {
  int y, mo, d, h, mi, s, oh, om;
  char sign;
  EXPECT_EQ(std::sscanf(iso.c_str(), "%4d-%2d-%2dT%2d:%2d:%2d%c%2d:%2d", &y, &mo, &d, &h, &mi, &s,
                        &sign, &oh, &om),
            9)
      << iso;
  const std::int64_t offset = (sign == '-' ? -1 : 1) * (oh * 3600 + om * 60);
  return Utc(y, mo, d, h, mi) + s - offset;
}

std::string Iso(const Stamp& stamp, LocalDateOffsets* offsets = nullptr) {
  char text[kStampIsoSize];
  const std::size_t n = StampIsoText(stamp, text, offsets);
  return std::string(text, n);
}

TEST(TimeStampsTest, IsoTextGivesBackTheInstantWithTheOffsetOfItsOwnDate) {
  EXPECT_EQ(Iso(Stamp()), "");
  {
    ScopedEnv tz("TZ", "Europe/Berlin");
    Stamp winter{FileTimeToLocalDate(Utc(2024, 3, 15, 11, 0), 0), false};
    EXPECT_EQ(Iso(winter), "2024-03-15T12:00:00+01:00");
    Stamp summer{FileTimeToLocalDate(Utc(2024, 7, 15, 22, 30), 0), false};
    EXPECT_EQ(Iso(summer), "2024-07-16T00:30:00+02:00");
    // Clocks go back at 03:00 on 27 October 2024: 02:30 comes twice, and
    // both passes are given as the first, in summer time.
    Stamp first{FileTimeToLocalDate(Utc(2024, 10, 27, 0, 30), 0), false};
    Stamp second{FileTimeToLocalDate(Utc(2024, 10, 27, 1, 30), 0), false};
    EXPECT_EQ(Iso(first), "2024-10-27T02:30:00+02:00");
    EXPECT_EQ(Iso(second), "2024-10-27T02:30:00+02:00");
    // Local mean time before 1893 has seconds in its offset.
    Stamp old{FileTimeToLocalDate(Utc(1880, 6, 1, 12, 0), 0), false};
    EXPECT_EQ(Iso(old), "1880-06-01T12:53:28+00:53:28");
  }
  // Every quarter hour of a year in zones that shift by an hour, by half an
  // hour, and not at all, east and west of UTC: the text names the instant
  // again, but in the hour that repeats.
  for (const char* zone :
       {"Europe/Berlin", "America/New_York", "Australia/Lord_Howe", "Asia/Kolkata", "UTC"}) {
    ScopedEnv tz("TZ", zone);
    LocalDateOffsets offsets;  // the days remembered give the same
    int repeated = 0;
    for (std::int64_t t = Utc(2024, 1, 1, 0, 0); t < Utc(2025, 1, 1, 0, 0); t += 900) {
      const std::string iso = Iso(Stamp{FileTimeToLocalDate(t, 0), false});
      ASSERT_EQ(Iso(Stamp{FileTimeToLocalDate(t, 0), false}, &offsets), iso);
      const std::int64_t back = InstantOfIso(iso);
      if (back == t) continue;
      // The second pass through the repeated hour (or half hour) is named
      // as the first: earlier by the size of the change.
      const DateValue later = FileTimeToLocalDate(back, 0);
      ASSERT_EQ(later, FileTimeToLocalDate(t, 0)) << zone << " " << iso;
      ASSERT_LT(back, t) << zone << " " << iso;
      ASSERT_LE(t - back, 3600) << zone << " " << iso;
      ++repeated;
    }
    const bool shifts = std::string(zone) != "Asia/Kolkata" && std::string(zone) != "UTC";
    EXPECT_EQ(repeated > 0, shifts) << zone;
  }
}

TEST(TimeStampsTest, RangeAndFractions) {
  ScopedEnv tz("TZ", "UTC");
  EXPECT_DOUBLE_EQ(FileTimeToLocalDate(0, 0), 25569.0);
  EXPECT_DOUBLE_EQ(FileTimeToLocalDate(Utc(2024, 3, 15, 0, 0), 0), 45366.0);
  EXPECT_DOUBLE_EQ(FileTimeToLocalDate(43200, 0), 25569.5);
  // The fraction of a second is cut before anything else, so it never
  // rounds up into the next second, day or year, nor out of range.
  EXPECT_DOUBLE_EQ(FileTimeToLocalDate(1, 500000000), FileTimeToLocalDate(1, 0));
  LocaleScope de(QLocale(QLocale::German, QLocale::Germany));
  struct Case {
    std::int64_t seconds;
    std::int64_t day;
    const char* text;
  } cases[] = {
      {Utc(2024, 3, 15, 23, 59) + 59, DayNumberOf(2024, 3, 15), "15.03.2024 23:59:59"},
      {Utc(2024, 3, 15, 12, 0) + 1, DayNumberOf(2024, 3, 15), "15.03.2024 12:00:01"},
      {Utc(9999, 12, 31, 23, 59) + 59, DayNumberOf(9999, 12, 31), "31.12.9999 23:59:59"},
      {Utc(1899, 12, 29, 23, 59) + 59, DayNumberOf(1899, 12, 29), "29.12.1899 23:59:59"},
  };
  for (const Case& c : cases) {
    const Stamp stamp{FileTimeToLocalDate(c.seconds, 999999999), false};
    EXPECT_EQ(CalendarDayOf(stamp.value), c.day) << c.text;
    EXPECT_EQ(StampText(stamp), c.text);
  }
  // 1899-12-29 06:00 keeps the classic negative layout.
  EXPECT_DOUBLE_EQ(FileTimeToLocalDate(Utc(1899, 12, 29, 6, 0), 0), -1.25);
  EXPECT_EQ(FileTimeToLocalDate(Utc(10000, 1, 1, 0, 0), 0), 0.0);
  EXPECT_EQ(FileTimeToLocalDate(INT64_MAX, 0), 0.0);
}

TEST(StampTextTest, GeneralDateFormatOfTheLocale) {
  LocaleScope us(QLocale(QLocale::English, QLocale::UnitedStates));
  EXPECT_EQ(StampText(Stamp{45366.0, false}), "3/15/2024");
  EXPECT_EQ(StampText(Stamp{45366.5 + 30.0 / 86400, false}), "3/15/2024 12:00:30 PM");
  EXPECT_EQ(StampText(Stamp{0.0, false}), "12:00:00 AM");
  EXPECT_EQ(StampText(Stamp{0.75, false}), "6:00:00 PM");
  EXPECT_EQ(StampText(Stamp{}), "");
  LocaleScope de(QLocale(QLocale::German, QLocale::Germany));
  EXPECT_EQ(StampText(Stamp{45366.25, false}), "15.03.2024 06:00:00");
  // The fraction of a second is cut, never rounded up into the next second
  // or the next day: the day shown is the day the rules judge.
  EXPECT_EQ(StampText(Stamp{MakeDateValue(45366, 86399.9996), false}), "15.03.2024 23:59:59");
  EXPECT_EQ(StampText(Stamp{MakeDateValue(45366, 45296.9996), false}), "15.03.2024 12:34:56");
  EXPECT_EQ(StampText(Stamp{MakeDateValue(45366, 0.9), false}), "15.03.2024 00:00:00");
  // Whole seconds stay whole, also far from the zero date.
  for (std::int64_t day : {std::int64_t{45366}, DayNumberOf(9999, 12, 31)}) {
    for (int second : {1, 43199, 43200, 86399}) {
      const QString text = StampText(Stamp{MakeDateValue(day, second), false});
      EXPECT_TRUE(text.endsWith(QLocale().toString(QTime::fromMSecsSinceStartOfDay(second * 1000),
                                                   QStringLiteral("HH:mm:ss"))))
          << text.toStdString();
    }
  }
}

}  // namespace
}  // namespace qm
