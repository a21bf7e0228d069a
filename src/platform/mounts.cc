// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/mounts.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>

#include <charconv>

#include "platform/file_system.h"

namespace qm {
namespace {

// The next blank-separated field of `line` from `*pos`; "" at the end.
std::string_view NextField(std::string_view line, std::size_t* pos) {
  while (*pos < line.size() && line[*pos] == ' ') ++*pos;
  const std::size_t start = *pos;
  while (*pos < line.size() && line[*pos] != ' ') ++*pos;
  return line.substr(start, *pos - start);
}

// A field with the kernel's escapes undone: a blank, tab, newline or
// backslash in a path is written as three octal digits after "\".
std::string Unescaped(std::string_view field) {
  std::string out;
  out.reserve(field.size());
  for (std::size_t i = 0; i < field.size(); ++i) {
    if (field[i] == '\\' && i + 3 < field.size()) {
      const char a = field[i + 1], b = field[i + 2], c = field[i + 3];
      if (a >= '0' && a <= '3' && b >= '0' && b <= '7' && c >= '0' && c <= '7') {
        out.push_back(static_cast<char>((a - '0') * 64 + (b - '0') * 8 + (c - '0')));
        i += 3;
        continue;
      }
    }
    out.push_back(field[i]);
  }
  return out;
}

template <class T>
bool Number(std::string_view text, T* out) {
  const std::from_chars_result r = std::from_chars(text.data(), text.data() + text.size(), *out);
  return r.ec == std::errc() && r.ptr == text.data() + text.size();
}

bool OptionIn(std::string_view options, std::string_view option) {
  std::size_t start = 0;
  while (start <= options.size()) {
    std::size_t end = options.find(',', start);
    if (end == std::string_view::npos) end = options.size();
    if (options.substr(start, end - start) == option) return true;
    start = end + 1;
  }
  return false;
}

}  // namespace

bool MountEntry::HasOption(std::string_view option) const {
  return OptionIn(options, option) || OptionIn(super_options, option);
}

bool MountEntry::IsFuse() const {
  return type == "fuse" || type == "fuseblk" || type.compare(0, 5, "fuse.") == 0;
}

MountTable MountTable::Parse(std::string_view text) {
  MountTable table;
  std::size_t start = 0;
  while (start < text.size()) {
    std::size_t end = text.find('\n', start);
    if (end == std::string_view::npos) end = text.size();
    const std::string_view line = text.substr(start, end - start);
    start = end + 1;
    // ID PARENT MAJOR:MINOR ROOT POINT OPTIONS [OPTIONAL...] - TYPE SOURCE SUPER
    std::size_t pos = 0;
    MountEntry entry;
    std::uint64_t parent = 0;
    if (!Number(NextField(line, &pos), &entry.id) || !Number(NextField(line, &pos), &parent)) {
      continue;
    }
    const std::string_view device = NextField(line, &pos);
    const std::size_t colon = device.find(':');
    unsigned major_number = 0, minor_number = 0;
    if (colon == std::string_view::npos || !Number(device.substr(0, colon), &major_number) ||
        !Number(device.substr(colon + 1), &minor_number)) {
      continue;
    }
    entry.dev = makedev(major_number, minor_number);
    NextField(line, &pos);  // the folder of its file system that is mounted
    entry.point = Unescaped(NextField(line, &pos));
    entry.options = std::string(NextField(line, &pos));
    std::string_view field;
    do {
      field = NextField(line, &pos);
    } while (!field.empty() && field != "-");
    if (field.empty() || entry.point.empty() || entry.point[0] != '/') continue;
    entry.type = Unescaped(NextField(line, &pos));
    entry.source = Unescaped(NextField(line, &pos));
    entry.super_options = std::string(NextField(line, &pos));
    while (entry.point.size() > 1 && entry.point.back() == '/') entry.point.pop_back();
    table.points_.insert(entry.point);
    table.by_id_.emplace(entry.id, table.entries_.size());
    table.entries_.push_back(std::move(entry));
  }
  return table;
}

std::shared_ptr<const MountTable> MountTable::Read() {
  std::string text;
  if (Fs().ReadMountInfo(&text) != 0) text.clear();
  return std::make_shared<const MountTable>(Parse(text));
}

bool MountTable::IsMountPoint(std::string_view path) const {
  return points_.count(std::string(path)) != 0;
}

const MountEntry* MountTable::ById(std::uint64_t id) const {
  const auto found = by_id_.find(id);
  return found == by_id_.end() ? nullptr : &entries_[found->second];
}

std::vector<const MountEntry*> MountTable::OfDevice(dev_t dev) const {
  std::vector<const MountEntry*> found;
  for (const MountEntry& entry : entries_) {
    if (entry.dev == dev) found.push_back(&entry);
  }
  return found;
}

bool MountIdAt(int dir_fd, const char* name, std::uint64_t* id) {
  struct statx stx;
  const int flags = AT_NO_AUTOMOUNT | (*name ? 0 : AT_EMPTY_PATH);
  if (Fs().StatxAt(dir_fd, name, flags, STATX_MNT_ID, &stx) != 0) return false;
  if ((stx.stx_mask & STATX_MNT_ID) == 0) return false;
  *id = stx.stx_mnt_id;
  return true;
}

}  // namespace qm
