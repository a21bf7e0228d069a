// SPDX-License-Identifier: GPL-3.0-or-later
#include "search/time_stamps.h"

#include <fcntl.h>
#include <sys/stat.h>

#include <QDate>
#include <QLocale>
#include <QTime>
#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cmath>
#include <ctime>
#include <limits>

#include "base/date_value.h"
#include "platform/file_system.h"

namespace qm {
namespace {

constexpr std::int64_t kUnixEpochDay = 25569;  // 1970-01-01 as a day number

enum class Which { kModified, kCreated, kAccessed };

// The local time's offset from UTC, in seconds, at the instant `t`.
bool OffsetAt(std::int64_t t, long* offset) {
  const std::time_t when = static_cast<std::time_t>(t);
  if (static_cast<std::int64_t>(when) != t) return false;
  struct tm local;
  if (!::localtime_r(&when, &local)) return false;
  *offset = local.tm_gmtoff;
  return true;
}

// Bumped when the time zone is known to have changed (ForgetLocalOffsets).
std::atomic<unsigned> zone_generation{0};

// The same, remembered per UTC day: a search reads a million stamps, of far
// fewer days; any 4096 days in a row (about eleven years) are remembered
// side by side.  A day is remembered only when its start, middle
// and end have one offset (no change of time that day); the days are
// forgotten when the time zone changes: at once after ForgetLocalOffsets,
// otherwise once the C library's zone is seen to differ, which is looked at
// on every 256th call only (the library rewrites its zone's names at every
// conversion, and reading them at every stamp cost more than the rest of
// the lookup).
bool LocalOffset(std::int64_t t, long* offset) {
  struct Day {
    std::int64_t day = std::numeric_limits<std::int64_t>::min();
    long offset = 0;
  };
  thread_local Day days[4096];
  thread_local unsigned generation = ~0u;
  thread_local unsigned calls = 0;
  thread_local const char* zone[2] = {nullptr, nullptr};
  thread_local long zone_offset = 0;
  const unsigned now = zone_generation.load(std::memory_order_relaxed);
  if (now != generation || (++calls & 255) == 0) {
    if (now != generation || zone[0] != tzname[0] || zone[1] != tzname[1] ||
        zone_offset != timezone) {
      for (Day& d : days) d = Day();
      generation = now;
      zone[0] = tzname[0];
      zone[1] = tzname[1];
      zone_offset = timezone;
    }
  }
  const std::int64_t day = t >= 0 ? t / 86400 : -((-t + 86399) / 86400);
  Day& known = days[static_cast<std::uint64_t>(day) % 4096];
  if (known.day == day) {
    *offset = known.offset;
    return true;
  }
  if (!OffsetAt(t, offset)) return false;
  long start, middle, end;
  if (OffsetAt(day * 86400, &start) && OffsetAt(day * 86400 + 43200, &middle) &&
      OffsetAt(day * 86400 + 86399, &end) && start == middle && middle == end && end == *offset) {
    known.day = day;
    known.offset = *offset;
  }
  return true;
}

unsigned MaskOf(Which which) {
  return which == Which::kModified  ? STATX_MTIME
         : which == Which::kCreated ? STATX_BTIME
                                    : STATX_ATIME;
}

// The stamp, identity and size from a status read asked for `mask`.
Stamp StampFrom(const struct statx& stx, Which which, unsigned mask, FileId* id) {
  Stamp stamp;
  if (id && (stx.stx_mask & (STATX_TYPE | STATX_INO)) == (STATX_TYPE | STATX_INO)) {
    *id = FileId::Of(stx);
    if (stx.stx_mask & STATX_SIZE) stamp.size = static_cast<std::int64_t>(stx.stx_size);
  }
  if ((stx.stx_mask & mask) == 0) {
    stamp.unrecorded = mask != 0;
    return stamp;
  }
  const struct statx_timestamp& t = which == Which::kModified  ? stx.stx_mtime
                                    : which == Which::kCreated ? stx.stx_btime
                                                               : stx.stx_atime;
  stamp.value = FileTimeToLocalDate(t.tv_sec, static_cast<long>(t.tv_nsec));
  stamp.empty = false;
  return stamp;
}

constexpr int kStampFlags = AT_SYMLINK_NOFOLLOW | AT_NO_AUTOMOUNT;

Stamp ReadStamp(const std::string& path, Which which, FileId* id) {
  if (id) *id = FileId();
  if (path.empty()) return Stamp();
  const unsigned mask = MaskOf(which);
  struct statx stx;
  // With the identity comes the size: the same call gives both.
  const unsigned asked = id ? mask | FileId::kMask | STATX_SIZE : mask;
  if (Fs().Statx(path.c_str(), kStampFlags, asked, &stx) != 0) {
    // A file in a folder near the longest path the kernel takes may have a
    // path longer than that: it is read relative to its folder.
    if (errno != ENAMETOOLONG) return Stamp();
    ScopedFd folder(Fs().Open(ParentOf(path).c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC));
    if (folder.get() < 0 ||
        Fs().StatxAt(folder.get(), BaseName(path).c_str(), kStampFlags, asked, &stx) != 0) {
      return Stamp();
    }
  }
  return StampFrom(stx, which, mask, id);
}

// Removes the time-zone fields ("t", "tt", "ttt", "tttt") from a Qt time
// format, with the blank before them; quoted text is left alone.
QString WithoutTimeZone(const QString& format) {
  return RewriteFormatField(format, 't', [](int) { return QString(); }).trimmed();
}

struct StampFormats {
  QLocale locale;
  QString date;
  QString time;
};

const StampFormats& Formats() {
  static StampFormats formats;
  static bool ready = false;
  QLocale current;
  if (!ready || !(formats.locale == current)) {
    formats.locale = current;
    formats.date = ShortDateFormat(current);
    formats.time = WithoutTimeZone(current.timeFormat(QLocale::LongFormat));
    ready = true;
  }
  return formats;
}

}  // namespace

Stamp FileDateModified(const std::string& path, FileId* id) {
  return ReadStamp(path, Which::kModified, id);
}
Stamp FileDateCreated(const std::string& path, FileId* id) {
  return ReadStamp(path, Which::kCreated, id);
}
Stamp FileDateAccessed(const std::string& path, FileId* id) {
  return ReadStamp(path, Which::kAccessed, id);
}

Stamp ReadStampAt(int dir_fd, const char* name, DateType type, FileId* id) {
  *id = FileId();
  const Which which = type == DateType::kModified  ? Which::kModified
                      : type == DateType::kCreated ? Which::kCreated
                                                   : Which::kAccessed;
  const unsigned mask = MaskOf(which);
  struct statx stx;
  if (Fs().StatxAt(dir_fd, name, kStampFlags, mask | FileId::kMask | STATX_SIZE, &stx) != 0) {
    return Stamp();
  }
  return StampFrom(stx, which, type == DateType::kNone ? 0 : mask, id);
}

void ForgetLocalOffsets() { zone_generation.fetch_add(1, std::memory_order_relaxed); }

DateValue FileTimeToLocalDate(std::int64_t unix_seconds, long /*nanoseconds, cut*/) {
  long offset = 0;
  if (!LocalOffset(unix_seconds, &offset)) return 0;
  // The offset in force at the stamp's own instant, daylight saving included.
  const std::int64_t local_seconds = unix_seconds + offset;
  std::int64_t days = local_seconds / 86400;
  std::int64_t seconds = local_seconds % 86400;
  if (seconds < 0) {
    seconds += 86400;
    days -= 1;
  }
  // The fraction of a second is cut here, on whole numbers: a value that
  // held it could round up, in the last place of a double, into the next
  // second, the next day or out of range (23:59:59.999999999).  What the
  // rules judge and what the list shows are then the stamp's own second.
  const DateValue value = MakeDateValue(days + kUnixEpochDay, static_cast<double>(seconds));
  return InDateRange(value) ? value : 0;
}

namespace {

// The day the rules judge, and the whole seconds of its time: the fraction
// of a second is cut, so 23:59:59.9996 stays on its own day.  A value holds
// a whole second only to within a few units in its last place, so that much
// is allowed for before cutting (stamps read from files hold whole seconds:
// FileTimeToLocalDate).  *midnight tells a time of 00:00:00.
void WholeSeconds(DateValue value, std::int64_t* day, int* seconds, bool* midnight) {
  *day = CalendarDayOf(value);
  const double magnitude = std::fabs(value);
  const double noise = 4 * (std::nextafter(magnitude, HUGE_VAL) - magnitude) * 86400.0;
  const double exact = SecondsOfDay(value);
  *seconds = static_cast<int>(std::min(86399.0, std::floor(exact + noise)));
  *midnight = exact < noise;
}

}  // namespace

QString StampText(const Stamp& stamp) {
  if (stamp.empty) return QString();
  const StampFormats& f = Formats();
  std::int64_t day;
  int seconds;
  bool midnight;
  WholeSeconds(stamp.value, &day, &seconds, &midnight);
  const QTime time = QTime::fromMSecsSinceStartOfDay(seconds * 1000);
  if (day == 0) return f.locale.toString(time, f.time);
  const QString date = f.locale.toString(QDateFromDayNumber(day), f.date);
  if (midnight) return date;
  return date + QLatin1Char(' ') + f.locale.toString(time, f.time);
}

long UtcOffsetOfLocalDate(DateValue value) {
  std::int64_t day;
  int seconds;
  bool midnight;
  WholeSeconds(value, &day, &seconds, &midnight);
  const std::int64_t local = (day - kUnixEpochDay) * 86400 + seconds;
  // The instants that show this local time lie within a day of it (no
  // offset reaches 24 hours); the offsets in force a day before and a day
  // after are the candidates, the earlier first.  One fits when the
  // instant it gives has that offset itself.
  long before = 0, after = 0;
  if (!LocalOffset(local - 86400, &before)) return 0;
  if (!LocalOffset(local + 86400, &after)) after = before;
  for (long candidate : {before, after}) {
    long at = 0;
    if (LocalOffset(local - candidate, &at) && at == candidate) return candidate;
  }
  return before;
}

LocalDateOffsets::LocalDateOffsets()
    : days_(8192, Day{std::numeric_limits<std::int64_t>::min(), 0}) {}

long LocalDateOffsets::At(DateValue value) {
  const std::int64_t day = CalendarDayOf(value);
  Day& known = days_[static_cast<std::uint64_t>(day) % days_.size()];
  if (known.day == day) return known.offset;
  const long offset = UtcOffsetOfLocalDate(value);
  const DateValue start = MakeDateValue(day, 0);
  if (UtcOffsetOfLocalDate(start) == offset &&
      UtcOffsetOfLocalDate(MakeDateValue(day, 43200)) == offset &&
      UtcOffsetOfLocalDate(MakeDateValue(day, 86399)) == offset) {
    known.day = day;
    known.offset = offset;
  }
  return offset;
}

std::size_t StampIsoText(const Stamp& stamp, char* text, LocalDateOffsets* offsets) {
  if (stamp.empty) return 0;
  std::int64_t day;
  int seconds;
  bool midnight;
  WholeSeconds(stamp.value, &day, &seconds, &midnight);
  const CivilDate date = CivilDateOf(day);
  long offset = offsets ? offsets->At(stamp.value) : UtcOffsetOfLocalDate(stamp.value);
  const char sign = offset < 0 ? '-' : '+';
  if (offset < 0) offset = -offset;
  char* p = text;
  auto digits = [&p](long number, int width) {
    for (int i = width - 1; i >= 0; --i) {
      p[i] = static_cast<char>('0' + number % 10);
      number /= 10;
    }
    p += width;
  };
  digits(date.year, 4);
  *p++ = '-';
  digits(date.month, 2);
  *p++ = '-';
  digits(date.day, 2);
  *p++ = 'T';
  digits(seconds / 3600, 2);
  *p++ = ':';
  digits(seconds / 60 % 60, 2);
  *p++ = ':';
  digits(seconds % 60, 2);
  *p++ = sign;
  digits(offset / 3600 % 100, 2);
  *p++ = ':';
  digits(offset / 60 % 60, 2);
  if (offset % 60 != 0) {
    *p++ = ':';
    digits(offset % 60, 2);
  }
  *p = '\0';
  return static_cast<std::size_t>(p - text);
}

}  // namespace qm
