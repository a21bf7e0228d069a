// SPDX-License-Identifier: GPL-3.0-or-later
// The filters a search can narrow its list with, beside the date rule:
// folders left out, staying on one file system, file names, and sizes.
// Each is a small value with its own parsing, taken with the criteria when
// a search starts (search_criteria.h).
//
// Patterns are globs: "*" any run of characters, "?" one character,
// "[...]" one of a set ("[a-z]", "[!0-9]" or "[^0-9]" for none of them),
// "\" takes the next character as it is.  They are matched on whole
// characters of the UTF-8 names, case-sensitive as the file system is,
// whatever the locale.
#ifndef QUENMOOR_SEARCH_FILTERS_H_
#define QUENMOOR_SEARCH_FILTERS_H_

#include <QString>
#include <QStringList>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace qm {

// One glob for one name: no "/" in it is special.
class GlobPattern {
 public:
  // The pattern of `text`; nothing, with the reason in *problem, for a "["
  // without its "]" or a lone "\" at the end.
  static std::optional<GlobPattern> Parse(std::string_view text, QString* problem);

  bool Matches(std::string_view name) const;

 private:
  // Most patterns are a plain name, "*.ext" or "prefix*": those are
  // compared without the general matcher.
  enum class Kind { kLiteral, kSuffix, kPrefix, kAny, kGeneral };
  struct Token {
    enum Type { kChar, kOne, kStar, kSet } type;
    char32_t c = 0;
    bool negated = false;
    std::vector<std::pair<char32_t, char32_t>> ranges;  // kSet
  };
  bool MatchesGeneral(std::string_view name) const;

  Kind kind_ = Kind::kGeneral;
  std::string literal_;  // kLiteral, kSuffix, kPrefix
  std::vector<Token> tokens_;
};

// Folders left out of the walk: neither they nor anything below them is
// searched.  A pattern without "/" matches a folder's name at any depth
// (".git", "node_modules", "*.cache"); a pattern with "/" matches a folder's
// whole path ("/home/me/Backups", "~/Videos/*"), where "*", "?" and "[...]"
// stay within one name and a "**" between slashes stands for any number of
// folders ("**/build/cache").  A folder listed to be searched is searched
// whatever the patterns: they act on the folders found below it.
class FolderExclusions {
 public:
  // Adds `pattern` (blanks around it are not part of it; a final "/" is
  // dropped; a leading "~/" stands for `home`).  False with the reason in
  // *problem when it is unfit: a pattern with "/" that does not start with
  // "/", "~/" or "**/", or a broken glob.
  bool Add(const QString& pattern, const QString& home, QString* problem);

  bool empty() const { return given_.isEmpty(); }
  int size() const { return static_cast<int>(given_.size()); }
  // The patterns as given.
  const QStringList& Patterns() const { return given_; }

  // Whether the subfolder `name` of the folder at `parent` (its path ends
  // in "/") is left out.
  bool Excludes(std::string_view parent, std::string_view name) const;

 private:
  struct PathPattern {
    // One entry per name of the path; nullopt stands for "**".
    std::vector<std::optional<GlobPattern>> parts;
  };
  static bool MatchParts(const std::vector<std::optional<GlobPattern>>& parts, std::size_t p,
                         const std::vector<std::string_view>& names, std::size_t n);

  QStringList given_;
  std::vector<GlobPattern> names_;
  std::vector<PathPattern> paths_;
};

// File names to keep: a file is listed only when some pattern matches its
// name.  No pattern: every name is kept.
class NamePatterns {
 public:
  // False with *problem for a pattern holding "/" (no name does) or a
  // broken glob.
  bool Add(const QString& pattern, QString* problem);
  bool empty() const { return patterns_.empty(); }
  const QStringList& Patterns() const { return given_; }
  bool Keeps(std::string_view name) const;

 private:
  QStringList given_;
  std::vector<GlobPattern> patterns_;
};

// A size as typed: a number, with a decimal point where wanted, and a
// unit.  kB, MB, GB, TB count in powers of 1,000, KiB, MiB, GiB, TiB in
// powers of 1,024; a bare K, M, G or T is the decimal unit (10M is
// 10,000,000 bytes), as the sizes the window shows are; no unit or B is
// bytes.  Letter case does not matter.  The size is rounded to a whole byte.
struct SizeBound {
  std::int64_t bytes = 0;
  QString shown;  // the number as typed, with its unit's usual spelling: "10 MB"
};
// Nothing, with the reason in *problem, for a text that is no such size.
std::optional<SizeBound> ParseSize(const QString& text, QString* problem);

struct SearchFilters {
  FolderExclusions exclude;
  // Folders on another mount than the listed folder they were found under
  // are not entered.
  bool one_file_system = false;
  NamePatterns names;
  std::optional<SizeBound> min_size;  // at least
  std::optional<SizeBound> max_size;  // at most

  // Whether any filter narrows the search.
  bool Active() const {
    return !exclude.empty() || one_file_system || !names.empty() || min_size || max_size;
  }
  bool HasSizeBound() const { return min_size || max_size; }
  // Whether a file of `size` bytes is kept; a size that could not be read
  // (-1) is kept only when no size bound is set.
  bool KeepsSize(std::int64_t size) const {
    if (!HasSizeBound()) return true;
    if (size < 0) return false;
    return (!min_size || size >= min_size->bytes) && (!max_size || size <= max_size->bytes);
  }
};

// The filters as the window keeps them, as typed.
struct FilterTexts {
  QStringList exclude;  // one pattern each
  bool one_file_system = false;
  QString names;     // patterns separated by blanks ("*.iso *.mkv")
  QString min_size;  // empty: no bound
  QString max_size;

  bool operator==(const FilterTexts& o) const {
    return exclude == o.exclude && one_file_system == o.one_file_system && names == o.names &&
           min_size == o.min_size && max_size == o.max_size;
  }
};

// The patterns of a names text: split at blanks, but not at a blank after
// "\" ("My\ File*" is one pattern, which matches "My File 1").
QStringList SplitNamePatterns(const QString& text);

// The filters of `texts` (blank lines and blank texts set nothing);
// nothing, with the reason in *problem, when one cannot be used, or when
// the least size is larger than the greatest.  `home` stands for "~".
std::optional<SearchFilters> ParseFilters(const FilterTexts& texts, const QString& home,
                                          QString* problem);

}  // namespace qm

#endif  // QUENMOOR_SEARCH_FILTERS_H_
