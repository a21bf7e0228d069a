// SPDX-License-Identifier: GPL-3.0-or-later
// The three time stamps of a file, as local date values, and their text.
//
// Stamps are those of the path's own entry: a symbolic link gives its own
// times, not its target's (a listing reports a link's own entry, and a link
// that points elsewhere must not take the dates of a file that may live
// outside the searched folders).  Reading a stamp is one statx call; the file
// is never opened, so its access time is untouched.
#ifndef QUENMOOR_SEARCH_TIME_STAMPS_H_
#define QUENMOOR_SEARCH_TIME_STAMPS_H_

#include <QString>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "base/date_value.h"
#include "platform/file_id.h"
#include "search/date_criteria.h"

namespace qm {

// One stamp.  `empty` marks a stamp that could not be read (missing file,
// no birth time on this file system); it is shown as an empty cell.
// `unrecorded` tells the second kind: the file's status was read, but its
// file system keeps no such date (no birth time on FUSE, some network
// shares).  Such a stamp matches no rule; another empty one is judged as
// the zero date.
struct Stamp {
  DateValue value = 0;
  bool empty = true;
  // The file's size in bytes (a link's own), from the same call, when it was
  // read with the file's identity; -1 otherwise.
  std::int64_t size = -1;
  bool unrecorded = false;
};

// `id`, when given, receives the file's identity from the same call; it is
// left unknown only when the file's status could not be read at all (a file
// system without birth times still gives it).
Stamp FileDateModified(const std::string& path, FileId* id = nullptr);
// The birth time, where the file system records one; otherwise empty.
Stamp FileDateCreated(const std::string& path, FileId* id = nullptr);
Stamp FileDateAccessed(const std::string& path, FileId* id = nullptr);

// The stamp of date type `type` of entry `name` of the open folder
// `dir_fd`, read as the readers above read it, with the identity in *id and
// the size.  kNone reads no date: the stamp stays empty.
Stamp ReadStampAt(int dir_fd, const char* name, DateType type, FileId* id);

// A UTC instant as a local date value, shifted by the offset from UTC in
// force at that instant (so a winter stamp read in summer keeps its winter
// wall-clock time), in whole seconds: the nanoseconds are cut.  The zero
// date when the instant cannot be converted or lies outside 1 January 100 ..
// 31 December 9999.
DateValue FileTimeToLocalDate(std::int64_t unix_seconds, long nanoseconds);

// The conversions to local time remember each day's offset from UTC; after
// the time zone changed (TZ set and tzset called) this forgets them in every
// thread.  A change made otherwise is noticed within a few hundred stamps.
void ForgetLocalOffsets();

// The stamp in the user's general date format: short date (four-digit year),
// one blank, long time (without a time-zone name) in whole seconds, the
// fraction cut so the date shown is always the stamp's own; the date alone
// at midnight, the time alone on the zero date; "" for an empty stamp.
QString StampText(const Stamp& stamp);

// The offset from UTC, in seconds, in force at the local date and time
// `value` (whole seconds), for a stamp made by FileTimeToLocalDate.  In the
// hour that repeats when clocks go back, a local time names two instants
// and the value alone cannot tell which: the offset in force before the
// change (the first pass through that hour) is given.  The hour skipped
// when clocks go forward holds no stamp; there too the earlier offset is
// given.
long UtcOffsetOfLocalDate(DateValue value);

// UtcOffsetOfLocalDate remembered per local day, for one writer of many
// stamps in one time zone: a day whose start, middle and end have one
// offset (no change of time that day) costs one lookup.  Any 8192 days in a
// row (about 22 years) are remembered side by side.
class LocalDateOffsets {
 public:
  LocalDateOffsets();
  long At(DateValue value);

 private:
  struct Day {
    std::int64_t day;
    long offset;
  };
  std::vector<Day> days_;
};

// The stamp as ISO 8601 local date and time with that offset,
// "2024-03-15T12:00:00+01:00" (the offset's seconds follow only when it has
// any, as in the local mean time of old dates), the same whole second
// StampText shows; "" for an empty stamp.  Written into `text`, which
// needs kStampIsoSize bytes; returns the length.  `offsets`, when given,
// finds the offset.
constexpr std::size_t kStampIsoSize = 32;
std::size_t StampIsoText(const Stamp& stamp, char* text, LocalDateOffsets* offsets = nullptr);

}  // namespace qm

#endif  // QUENMOOR_SEARCH_TIME_STAMPS_H_
