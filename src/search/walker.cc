// SPDX-License-Identifier: GPL-3.0-or-later
#include "search/walker.h"

#include <dirent.h>
#include <limits.h>
#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <optional>
#include <vector>

#include "base/hash_index.h"
#include "fsutil/file_helpers.h"
#include "platform/codepage.h"
#include "platform/error_trap.h"
#include "platform/failure.h"
#include "platform/file_system.h"
#include "platform/folder_object.h"
#include "platform/yield.h"
#include "search/read_ahead/read_ahead.h"

namespace qm {

const char kWalkerRoutineId[] = "in BrannocTitle2021/08/31.AddFolder.GetSubDirectories2016 ";

namespace {

WalkProgress*& Progress() {
  static WalkProgress* progress = nullptr;
  return progress;
}

bool WalkStopped() { return Progress() && Progress()->stop && *Progress()->stop; }

// The longest path the kernel takes, in bytes with its final NUL: a folder
// path (with its final "/") of PATH_MAX bytes or more cannot be opened, so
// it is not listed.  Names cannot be longer than NAME_MAX bytes anyway.
constexpr std::size_t kLengthLimit = PATH_MAX;
constexpr std::uint32_t kRefusedPlain = 22;     // directory + system + hidden
constexpr std::uint32_t kRefusedLinked = 1046;  // the same, reached through a link

// The folders one walk has collected, by identity, so a folder that links
// lead to from several places (or from below itself) is walked once.
class CollectedFolders {
 public:
  // False when the folder was collected already.
  bool Add(dev_t dev, ino_t ino) {
    const Id id{static_cast<std::uint64_t>(dev), static_cast<std::uint64_t>(ino)};
    const auto next = static_cast<std::uint32_t>(ids_.size());
    const std::uint32_t known = index_.FindOrAdd(
        Hash(id), next,
        [&](std::uint32_t k) { return ids_[k].dev == id.dev && ids_[k].ino == id.ino; },
        [&](std::uint32_t k) { return Hash(ids_[k]); });
    if (known != HashIndex::kNone) return false;
    ids_.push_back(id);
    return true;
  }

 private:
  struct Id {
    std::uint64_t dev, ino;
  };
  static std::size_t Hash(const Id& id) {
    return static_cast<std::size_t>((id.ino * 0x9E3779B97F4A7C15ULL) ^ (id.dev * 0xC2B2AE3D27D4EB4FULL) ^
                                    (id.ino >> 29));
  }
  std::vector<Id> ids_;
  HashIndex index_;
};

bool Refused(const Folder& folder) {
  if (folder.IsRootFolder()) return false;
  // Only a pseudo-filesystem gives a folder the system attribute, and
  // without it the value can be neither 22 nor 1046: no need to read the
  // folder's own entry.
  if (!folder.OnPseudoFilesystem()) return false;
  const std::uint32_t attributes = folder.Attributes();
  return attributes == kRefusedPlain || attributes == kRefusedLinked;
}

bool WildcardMatchFrom(const char* p, const char* pe, const char* s, const char* se) {
  const char* star_p = nullptr;
  const char* star_s = nullptr;
  while (s < se) {
    if (p < pe && *p == '*') {
      star_p = ++p;
      star_s = s;
      continue;
    }
    if (p < pe) {
      std::size_t plen = 1, slen = 1;
      if (*p == '?') {
        // One character, however many bytes it takes.
        while (s + slen < se && (static_cast<unsigned char>(s[slen]) & 0xC0) == 0x80) ++slen;
        p += plen;
        s += slen;
        continue;
      }
      char a = *p, b = *s;
      if (a >= 'A' && a <= 'Z') a = static_cast<char>(a - 'A' + 'a');
      if (b >= 'A' && b <= 'Z') b = static_cast<char>(b - 'A' + 'a');
      if (a == b) {
        ++p;
        ++s;
        continue;
      }
    }
    if (!star_p) return false;
    p = star_p;
    s = ++star_s;
  }
  while (p < pe && *p == '*') ++p;
  return p == pe;
}

// The folder test: `path`, following links, is a folder.  Its status is kept
// for the attribute test that follows at once.
bool IsFolderStat(const std::string& path, struct stat* st) {
  return !path.empty() && Fs().Stat(path.c_str(), st) == 0 && S_ISDIR(st->st_mode);
}

// The walk of one level.
void WalkLevel(std::vector<std::string>& folders, bool recursive, CollectedFolders& collected) {
  Trap trap(kWalkerRoutineId);
  trap.Line(100);
  FileSystemObject fso;
  trap.Line(104);
  std::vector<std::string> level;

  // Stage 1: list this level.  Until the first entry is admitted failures are
  // reported; from then on a failure ends the examination of its entry.
  bool quiet = false;
  auto test = [&](int line, auto&& condition) -> bool {
    if (quiet) {
      trap.Line(line);
      return condition();
    }
    return trap.Test(line, condition);
  };

  trap.Line(106);
  // The status and listing of each entry are read ahead while this level is
  // listed, when a search reads ahead (search/read_ahead/read_ahead.h).
  std::optional<ReadAhead> ahead(std::in_place, AheadKind::kFolders, folders);
  std::size_t i = 0;
  while (i < folders.size() && !WalkStopped()) {
    const std::string& entry = folders[i];
    struct stat entry_stat;
    try {
      if (!test(108, [&] { return IsFolderStat(entry, &entry_stat); })) {
        ++i;
        continue;
      }
      if (!test(110, [&] { return entry.size() < kLengthLimit; })) {
        ++i;
        continue;
      }
      if (quiet) {
        Yield();
      } else {
        trap.Do(114, [] { Yield(); });
      }
      std::optional<Folder> folder;
      if (!test(116, [&] {
            folder.emplace(fso.GetFolder(entry, entry_stat));
            return !Refused(*folder);
          })) {
        ++i;
        continue;
      }
      quiet = true;  // admitted
      if (Progress()) {
        ++Progress()->folders;
        Progress()->folder.assign(entry);
      }

      trap.Line(118);
      if (!folder) folder.emplace(fso.GetFolder(entry));
      collected.Add(folder->Device(), folder->Inode());  // the given entries too
      SubFolderList subfolders = folder->SubFolders();
      SubFolderEntry sub;
      while (subfolders.Next(&sub)) {
        Yield();  // 120
        const char* name = sub.name;  // 122
        const std::size_t length = sub.name_length;
        if (length > NAME_MAX) continue;                          // 124
        std::string text(name, length);
        if (HasUnsafeNameChars(text)) continue;                  // 126
        if (std::memchr(name, '?', length)) continue;            // 128
        if (text == "." || text == "..") continue;               // 130
        // A folder reached before, through a link or under another name,
        // is not walked again: its files would be listed twice, and a link
        // back up the tree would be walked without end.
        if (!collected.Add(sub.dev, sub.ino)) continue;
        std::string child;                                        // 132, 134
        child.reserve(entry.size() + length + 1);
        child.append(entry).append(text).push_back('/');
        level.push_back(std::move(child));
      }
      ++i;
    } catch (...) {
      // 138: the listing of this entry ended in a failure.
      const Failure failure = CurrentFailure();
      trap.Line(138);
      const int number = failure.number();
      if (number == kErrPermissionDenied || number == kErrPathNotFound) {
        // 140..148: clear it and remove the first entry equal to this one;
        // the entry that followed it is now at position i.
        auto found = std::find(folders.begin(), folders.end(), folders[i]);
        folders.erase(found);
      } else {
        ++i;
      }
    }
  }
  ahead.reset();

  // Stage 2: descend.  Failures are reported again from here on.
  if (recursive && !level.empty() && !WalkStopped()) {
    trap.Do(150, [&] { WalkLevel(level, true, collected); });
  }

  // Stage 3: hand this level, and everything found below it, up.
  trap.Line(152);
  struct stat found_stat;
  for (std::string& found : level) {
    if (!trap.Test(154, [&] { return IsFolderStat(found, &found_stat); })) continue;
    trap.Do(156, [] { Yield(); });
    if (!trap.Test(158, [&] { return !Refused(fso.GetFolder(found, found_stat)); })) continue;
    trap.Do(160, [&] { folders.push_back(std::move(found)); });
  }
}

}  // namespace

void SetWalkProgress(WalkProgress* progress) { Progress() = progress; }

void GetSubDirectories2016(std::vector<std::string>& folders, bool recursive) {
  CollectedFolders collected;
  WalkLevel(folders, recursive, collected);
}

bool WildcardMatch(const std::string& pattern, const std::string& name) {
  const char* p = pattern.data();
  const char* pe = p + pattern.size();
  const char* s = name.data();
  const char* se = s + name.size();
  if (WildcardMatchFrom(p, pe, s, se)) return true;
  // "name.*" also matches "name", and "*.*" every name.
  if (pattern.size() >= 2 && pe[-2] == '.' && pe[-1] == '*') {
    return WildcardMatchFrom(p, pe - 2, s, se);
  }
  return false;
}

std::vector<std::string> ListFolderFiles(const std::string& folder,
                                         const std::string& pattern) {
  std::vector<std::string> names;
  const std::size_t count = ListFolderFilesInto(folder, pattern, &names);
  names.resize(count + 1);
  return names;
}

std::size_t ListFolderFilesInto(const std::string& folder, const std::string& pattern,
                                std::vector<std::string>* names) {
  std::string path = folder;
  if (path.empty() || path.back() != '/') path.push_back('/');
  const bool every_name = pattern == "*.*" || pattern == "*";

  DIR* dir = Fs().OpenDir(path.c_str());
  if (!dir) {
    if (errno == ENOENT || errno == ENOTDIR || errno == ENAMETOOLONG) {
      return 0;  // no folder that can be listed there
    }
    throw FailureFromErrno(errno, true);
  }
  struct DirCloser {
    DIR* dir;
    ~DirCloser() { Fs().CloseDir(dir); }
  } closer{dir};

  if (names->size() < 101) names->resize(101);  // room for 100 names at 1..100
  std::size_t count = 0;
  const std::size_t base = path.size();
  for (;;) {
    errno = 0;
    struct dirent* ent = Fs().ReadDir(dir);
    if (!ent) {
      if (errno != 0) throw FailureFromErrno(errno, true);
      break;
    }
    const char* name = ent->d_name;
    const unsigned char type = ent->d_type;
    if (type != DT_REG && type != DT_LNK && type != DT_UNKNOWN) continue;
    const std::size_t length = std::strlen(name);
    if (!every_name && !WildcardMatch(pattern, std::string(name, length))) continue;
    if (type == DT_REG) {
      // The listing already says it is a regular file; only the name needs
      // to be readable as text.
      if (!IsValidUtf8(name, length)) continue;
    } else {
      path.resize(base);
      path.append(name, length);
      if (!PathIsFile(path)) continue;
    }
    ++count;
    if (count >= names->size()) names->resize(names->size() + 50);
    (*names)[count].assign(name, length);
  }
  return count;
}

bool HasUnsafeNameChars(const std::string& name) {
  std::size_t pos = 0;
  while (pos < name.size()) {
    const int code = Windows1252Code(NextUtf8Char(name.data(), name.size(), &pos));
    if (code < 32 || code == kUnrepresentable || (code >= 127 && code <= 159)) return true;
  }
  return false;
}

}  // namespace qm
