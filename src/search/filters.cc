// SPDX-License-Identifier: GPL-3.0-or-later
#include "search/filters.h"

#include <QCoreApplication>
#include <limits>

#include "platform/codepage.h"

namespace qm {
namespace {

QString Tr(const char* text) { return QCoreApplication::translate("qm::Filters", text); }

// The code point at `*pos` of `text`, advancing past it; a malformed byte
// stands for itself (names that are not valid UTF-8 never reach a
// pattern, and a pattern's text comes from a QString).
char32_t Next(std::string_view text, std::size_t* pos) {
  const unsigned char c = static_cast<unsigned char>(text[*pos]);
  if (c < 0x80) {
    ++*pos;
    return c;
  }
  const long cp = NextUtf8Char(text.data(), text.size(), pos);
  return cp < 0 ? c : static_cast<char32_t>(cp);
}

bool EndsWith(std::string_view text, std::string_view end) {
  return text.size() >= end.size() && text.compare(text.size() - end.size(), end.size(), end) == 0;
}

}  // namespace

std::optional<GlobPattern> GlobPattern::Parse(std::string_view text, QString* problem) {
  GlobPattern glob;
  const QString shown = QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
  std::size_t pos = 0;
  while (pos < text.size()) {
    const char32_t c = Next(text, &pos);
    Token token;
    if (c == '\\') {
      if (pos >= text.size()) {
        *problem = Tr(QT_TRANSLATE_NOOP("qm::Filters", "'%1' ends in a lone \\")).arg(shown);
        return std::nullopt;
      }
      token.type = Token::kChar;
      token.c = Next(text, &pos);
    } else if (c == '*') {
      if (!glob.tokens_.empty() && glob.tokens_.back().type == Token::kStar) continue;
      token.type = Token::kStar;
    } else if (c == '?') {
      token.type = Token::kOne;
    } else if (c == '[') {
      token.type = Token::kSet;
      std::size_t at = pos;
      if (at < text.size() && (text[at] == '!' || text[at] == '^')) {
        token.negated = true;
        ++at;
      }
      bool closed = false;
      bool first = true;
      while (at < text.size()) {
        char32_t low = Next(text, &at);
        if (low == ']' && !first) {
          closed = true;
          break;
        }
        first = false;
        if (low == '\\' && at < text.size()) low = Next(text, &at);
        char32_t high = low;
        if (at + 1 < text.size() && text[at] == '-' && text[at + 1] != ']') {
          ++at;
          high = Next(text, &at);
          if (high == '\\' && at < text.size()) high = Next(text, &at);
        }
        token.ranges.emplace_back(low, high);
      }
      if (!closed) {
        *problem = Tr(QT_TRANSLATE_NOOP("qm::Filters", "'%1' has a [ without its ]")).arg(shown);
        return std::nullopt;
      }
      pos = at;
    } else {
      token.type = Token::kChar;
      token.c = c;
    }
    glob.tokens_.push_back(std::move(token));
  }
  // The plain forms, compared as bytes.
  const std::size_t n = glob.tokens_.size();
  auto plain = [&](std::size_t from, std::size_t to) {
    for (std::size_t i = from; i < to; ++i) {
      if (glob.tokens_[i].type != Token::kChar) return false;
    }
    return true;
  };
  auto literal = [&](std::size_t from, std::size_t to) {
    std::string out;
    for (std::size_t i = from; i < to; ++i) {
      const char32_t c = glob.tokens_[i].c;
      if (c < 0x80) {
        out.push_back(static_cast<char>(c));
      } else {
        out += QString::fromUcs4(&c, 1).toStdString();
      }
    }
    return out;
  };
  if (plain(0, n)) {
    glob.kind_ = Kind::kLiteral;
    glob.literal_ = literal(0, n);
  } else if (n == 1 && glob.tokens_[0].type == Token::kStar) {
    glob.kind_ = Kind::kAny;
  } else if (glob.tokens_[0].type == Token::kStar && plain(1, n)) {
    glob.kind_ = Kind::kSuffix;
    glob.literal_ = literal(1, n);
  } else if (glob.tokens_[n - 1].type == Token::kStar && plain(0, n - 1)) {
    glob.kind_ = Kind::kPrefix;
    glob.literal_ = literal(0, n - 1);
  }
  return glob;
}

bool GlobPattern::Matches(std::string_view name) const {
  switch (kind_) {
    case Kind::kLiteral:
      return name == literal_;
    case Kind::kSuffix:
      return EndsWith(name, literal_);
    case Kind::kPrefix:
      return name.compare(0, literal_.size(), literal_) == 0;
    case Kind::kAny:
      return true;
    case Kind::kGeneral:
      break;
  }
  return MatchesGeneral(name);
}

bool GlobPattern::MatchesGeneral(std::string_view name) const {
  // The greedy match with one way back: on a mismatch the last "*" takes
  // one more character.  Every "*" matches the same things, so going back
  // to the last one is enough.
  const std::size_t count = tokens_.size();
  std::size_t t = 0, n = 0;
  std::size_t star_t = count, star_n = 0;
  while (n < name.size()) {
    if (t < count && tokens_[t].type == Token::kStar) {
      star_t = t++;
      star_n = n;
      continue;
    }
    if (t < count) {
      std::size_t after = n;
      const char32_t c = Next(name, &after);
      const Token& token = tokens_[t];
      bool match = false;
      switch (token.type) {
        case Token::kChar:
          match = c == token.c;
          break;
        case Token::kOne:
          match = true;
          break;
        case Token::kSet: {
          bool in = false;
          for (const auto& range : token.ranges) in = in || (c >= range.first && c <= range.second);
          match = in != token.negated;
          break;
        }
        case Token::kStar:
          break;
      }
      if (match) {
        ++t;
        n = after;
        continue;
      }
    }
    if (star_t == count) return false;
    t = star_t + 1;
    Next(name, &star_n);
    n = star_n;
  }
  while (t < count && tokens_[t].type == Token::kStar) ++t;
  return t == count;
}

bool FolderExclusions::Add(const QString& pattern, const QString& home, QString* problem) {
  QString text = pattern.trimmed();
  if (text.isEmpty()) return true;
  while (text.size() > 1 && text.endsWith(QLatin1Char('/'))) text.chop(1);
  if (!text.contains(QLatin1Char('/'))) {
    std::optional<GlobPattern> glob = GlobPattern::Parse(text.toStdString(), problem);
    if (!glob) return false;
    names_.push_back(std::move(*glob));
    given_.push_back(pattern.trimmed());
    return true;
  }
  if (text.startsWith(QLatin1String("~/"))) {
    QString base = home;
    while (base.endsWith(QLatin1Char('/'))) base.chop(1);
    text = base + text.mid(1);
  }
  if (!text.startsWith(QLatin1Char('/')) && !text.startsWith(QLatin1String("**/"))) {
    *problem = Tr(QT_TRANSLATE_NOOP("qm::Filters",
                                    "'%1' holds a / but starts with neither /, ~/ nor **/: a "
                                    "pattern with / names a whole path"))
                   .arg(pattern.trimmed());
    return false;
  }
  PathPattern path;
  for (const QString& part : text.split(QLatin1Char('/'), Qt::SkipEmptyParts)) {
    if (part == QLatin1String("**")) {
      // "**/**" says no more than "**".
      if (path.parts.empty() || path.parts.back()) path.parts.emplace_back(std::nullopt);
      continue;
    }
    std::optional<GlobPattern> glob = GlobPattern::Parse(part.toStdString(), problem);
    if (!glob) return false;
    path.parts.emplace_back(std::move(glob));
  }
  paths_.push_back(std::move(path));
  given_.push_back(pattern.trimmed());
  return true;
}

bool FolderExclusions::MatchParts(const std::vector<std::optional<GlobPattern>>& parts,
                                  std::size_t p, const std::vector<std::string_view>& names,
                                  std::size_t n) {
  if (p == parts.size()) return n == names.size();
  if (!parts[p]) {
    // "**" at the end stands for one folder or more (what lies inside),
    // elsewhere for none or more.
    if (p + 1 == parts.size()) return n < names.size();
    for (std::size_t k = n; k <= names.size(); ++k) {
      if (MatchParts(parts, p + 1, names, k)) return true;
    }
    return false;
  }
  return n < names.size() && parts[p]->Matches(names[n]) && MatchParts(parts, p + 1, names, n + 1);
}

bool FolderExclusions::Excludes(std::string_view parent, std::string_view name) const {
  for (const GlobPattern& glob : names_) {
    if (glob.Matches(name)) return true;
  }
  if (paths_.empty()) return false;
  std::vector<std::string_view> names;
  std::size_t start = 0;
  while (start < parent.size()) {
    std::size_t end = parent.find('/', start);
    if (end == std::string_view::npos) end = parent.size();
    if (end > start) names.push_back(parent.substr(start, end - start));
    start = end + 1;
  }
  names.push_back(name);
  for (const PathPattern& path : paths_) {
    if (MatchParts(path.parts, 0, names, 0)) return true;
  }
  return false;
}

bool NamePatterns::Add(const QString& pattern, QString* problem) {
  if (pattern.contains(QLatin1Char('/'))) {
    *problem = Tr(QT_TRANSLATE_NOOP("qm::Filters", "'%1' holds a /, which no file name does"))
                   .arg(pattern);
    return false;
  }
  std::optional<GlobPattern> glob = GlobPattern::Parse(pattern.toStdString(), problem);
  if (!glob) return false;
  patterns_.push_back(std::move(*glob));
  given_.push_back(pattern);
  return true;
}

bool NamePatterns::Keeps(std::string_view name) const {
  if (patterns_.empty()) return true;
  for (const GlobPattern& glob : patterns_) {
    if (glob.Matches(name)) return true;
  }
  return false;
}

std::optional<SizeBound> ParseSize(const QString& text, QString* problem) {
  const QString t = text.trimmed();
  auto unfit = [&] {
    *problem = Tr(QT_TRANSLATE_NOOP("qm::Filters",
                                    "'%1' is not a size: give a number and a unit, such as 10M, "
                                    "1.5G or 500KiB"))
                   .arg(t);
    return std::nullopt;
  };
  qsizetype i = 0;
  // Digits past the largest size only need to be known to be too many.
  constexpr unsigned __int128 kTooLarge =
      static_cast<unsigned __int128>(std::numeric_limits<std::int64_t>::max()) + 1;
  unsigned __int128 whole = 0;
  unsigned long long fraction = 0, scale = 1;
  bool digits = false;
  QString number;
  for (; i < t.size() && t[i].isDigit() && t[i].unicode() < 0x80; ++i) {
    whole = whole * 10 + static_cast<unsigned>(t[i].unicode() - '0');
    if (whole > kTooLarge) whole = kTooLarge;
    digits = true;
    number += t[i];
  }
  if (i < t.size() && (t[i] == QLatin1Char('.') || t[i] == QLatin1Char(','))) {
    number += QLatin1Char('.');
    ++i;
    for (; i < t.size() && t[i].isDigit() && t[i].unicode() < 0x80; ++i) {
      // Beyond 18 places a digit changes nothing a byte can show.
      if (scale < 1000000000000000000ULL) {
        fraction = fraction * 10 + static_cast<unsigned>(t[i].unicode() - '0');
        scale *= 10;
      }
      digits = true;
      number += t[i];
    }
  }
  if (!digits) return unfit();
  while (i < t.size() && t[i].isSpace()) ++i;
  // A unit may end in "b" or not: "k" and "kB", "Ki" and "KiB" alike.
  QString unit = t.mid(i).toLower();
  if (unit.endsWith(QLatin1Char('b'))) unit.chop(1);
  struct Unit {
    const char* name;
    std::uint64_t factor;
    const char* shown;  // "" for bytes
  };
  static const Unit kUnits[] = {
      {"", 1, ""},
      {"k", 1000ULL, "kB"},
      {"m", 1000000ULL, "MB"},
      {"g", 1000000000ULL, "GB"},
      {"t", 1000000000000ULL, "TB"},
      {"ki", 1ULL << 10, "KiB"},
      {"mi", 1ULL << 20, "MiB"},
      {"gi", 1ULL << 30, "GiB"},
      {"ti", 1ULL << 40, "TiB"},
  };
  const Unit* found = nullptr;
  for (const Unit& u : kUnits) {
    if (unit == QLatin1String(u.name)) found = &u;
  }
  if (!found) return unfit();
  const unsigned __int128 bytes =
      whole * found->factor +
      (static_cast<unsigned __int128>(fraction) * found->factor + scale / 2) / scale;
  if (bytes > static_cast<unsigned __int128>(std::numeric_limits<std::int64_t>::max())) {
    *problem = Tr(QT_TRANSLATE_NOOP("qm::Filters", "'%1' is too large a size")).arg(t);
    return std::nullopt;
  }
  SizeBound bound;
  bound.bytes = static_cast<std::int64_t>(bytes);
  if (number.endsWith(QLatin1Char('.'))) number.chop(1);
  if (*found->shown) {
    bound.shown = number + QLatin1Char(' ') + QLatin1String(found->shown);
  } else if (bound.bytes == 1 && number == QLatin1String("1")) {
    bound.shown = Tr(QT_TRANSLATE_NOOP("qm::Filters", "1 byte"));
  } else {
    bound.shown = Tr(QT_TRANSLATE_NOOP("qm::Filters", "%1 bytes"))
                      .arg(QString::number(static_cast<qlonglong>(bound.bytes)));
  }
  return bound;
}

QStringList SplitNamePatterns(const QString& text) {
  QStringList patterns;
  QString current;
  for (qsizetype i = 0; i < text.size(); ++i) {
    const QChar c = text[i];
    if (c == QLatin1Char('\\') && i + 1 < text.size()) {
      current += c;
      current += text[++i];
    } else if (c.isSpace()) {
      if (!current.isEmpty()) patterns.push_back(current);
      current.clear();
    } else {
      current += c;
    }
  }
  if (!current.isEmpty()) patterns.push_back(current);
  return patterns;
}

std::optional<SearchFilters> ParseFilters(const FilterTexts& texts, const QString& home,
                                          QString* problem) {
  SearchFilters filters;
  for (const QString& pattern : texts.exclude) {
    if (!filters.exclude.Add(pattern, home, problem)) return std::nullopt;
  }
  filters.one_file_system = texts.one_file_system;
  for (const QString& pattern : SplitNamePatterns(texts.names)) {
    if (!filters.names.Add(pattern, problem)) return std::nullopt;
  }
  if (!texts.min_size.trimmed().isEmpty()) {
    filters.min_size = ParseSize(texts.min_size, problem);
    if (!filters.min_size) return std::nullopt;
  }
  if (!texts.max_size.trimmed().isEmpty()) {
    filters.max_size = ParseSize(texts.max_size, problem);
    if (!filters.max_size) return std::nullopt;
  }
  if (filters.min_size && filters.max_size && filters.min_size->bytes > filters.max_size->bytes) {
    *problem =
        Tr(QT_TRANSLATE_NOOP("qm::Filters", "the least size, %1, is larger than the greatest, %2"))
            .arg(filters.min_size->shown, filters.max_size->shown);
    return std::nullopt;
  }
  return filters;
}

}  // namespace qm
