// SPDX-License-Identifier: GPL-3.0-or-later
#include "settings/settings_store.h"

#include <QCoreApplication>
#include <QDate>
#include <QLocale>
#include <QStringList>
#include <cmath>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "platform/failure.h"
#include "platform/settings_file.h"

namespace qm {

const char kSettingsApp[] = "Vellumark";
const char kSettingsSection[] = "Quenmoor";

namespace {

// The file is handled as bytes, line by line: every line other than the one
// written goes back exactly as it was read, whatever its encoding, so other
// programs' sections, a byte-order mark and stray bytes that are not UTF-8
// all survive a write.  Only our own values are read as UTF-8.

// A text file never holds a NUL byte; a file that does is no settings file
// that can be read at all.
bool CanBeParsed(const std::string& bytes) { return bytes.find('\0') == std::string::npos; }

const char kByteOrderMark[] = "\xEF\xBB\xBF";

// The lines of the file, without their "\n"; a "\r" before it stays on the
// line, so Windows line ends are written back as they were.
std::vector<std::string> SplitLines(const std::string& bytes) {
  std::vector<std::string> lines;
  size_t start = 0;
  while (start < bytes.size()) {
    size_t end = bytes.find('\n', start);
    if (end == std::string::npos) end = bytes.size();
    lines.emplace_back(bytes, start, end - start);
    start = end + 1;
  }
  return lines;
}

// What a line says: without the "\r" of a Windows line end, and on the
// first line without a byte-order mark.
std::string_view Content(const std::string& line, bool first) {
  std::string_view v(line);
  if (first && v.substr(0, 3) == kByteOrderMark) v.remove_prefix(3);
  if (!v.empty() && v.back() == '\r') v.remove_suffix(1);
  return v;
}

std::string_view Trimmed(std::string_view v) {
  while (!v.empty() && (v.front() == ' ' || v.front() == '\t')) v.remove_prefix(1);
  while (!v.empty() && (v.back() == ' ' || v.back() == '\t')) v.remove_suffix(1);
  return v;
}

bool IsSectionLine(std::string_view line, std::string_view* name) {
  std::string_view t = Trimmed(line);
  if (t.size() < 2 || t.front() != '[' || t.back() != ']') return false;
  *name = Trimmed(t.substr(1, t.size() - 2));
  return true;
}

bool SplitKeyLine(std::string_view line, std::string_view* key, std::string_view* value) {
  size_t eq = line.find('=');
  if (eq == std::string_view::npos || eq == 0) return false;
  *key = Trimmed(line.substr(0, eq));
  *value = line.substr(eq + 1);
  return !key->empty();
}

QString FromUtf8(std::string_view v) {
  return QString::fromUtf8(v.data(), static_cast<qsizetype>(v.size()));
}

QString Escape(const QString& value) {
  QString out;
  out.reserve(value.size());
  for (QChar c : value) {
    switch (c.unicode()) {
      case '\\':
        out += QLatin1String("\\\\");
        break;
      case '\n':
        out += QLatin1String("\\n");
        break;
      case '\r':
        out += QLatin1String("\\r");
        break;
      default:
        out += c;
        break;
    }
  }
  return out;
}

QString Unescape(const QString& value) {
  QString out;
  out.reserve(value.size());
  for (qsizetype i = 0; i < value.size(); ++i) {
    QChar c = value[i];
    if (c == QLatin1Char('\\') && i + 1 < value.size()) {
      QChar n = value[++i];
      if (n == QLatin1Char('n')) {
        out += QLatin1Char('\n');
      } else if (n == QLatin1Char('r')) {
        out += QLatin1Char('\r');
      } else {
        out += n;
      }
    } else {
      out += c;
    }
  }
  return out;
}

// The store that could not be read, once that has been told: its failure
// is told once per session, and reads then give their defaults.
std::string& ToldUnreadable() {
  static std::string path;
  return path;
}

// Reads the store; false when there is none, or when it cannot be read and
// that was told already.
bool ReadStore(const std::string& path, std::string* bytes) {
  try {
    return ReadSettingsFile(path, bytes);
  } catch (const Failure& failure) {
    if (ToldUnreadable() == path) return false;
    ToldUnreadable() = path;
    throw Failure(failure.number(),
                  Translated("qm::Settings",
                             QT_TRANSLATE_NOOP("qm::Settings",
                                               "%1. Quenmoor uses its default choices and cannot "
                                               "save them while this is so."),
                             {failure.what()}));
  }
}

}  // namespace

std::string SettingsFilePath() { return UserConfigFolder() + "/" + kSettingsApp + ".ini"; }

void CheckSettingsStore() {
  std::string bytes;
  ReadStore(SettingsFilePath(), &bytes);
}

bool SettingsStoreFailureTold() { return ToldUnreadable() == SettingsFilePath(); }

QString ReadSetting(const QString& key, const QString& default_value) {
  std::string bytes;
  if (!ReadStore(SettingsFilePath(), &bytes)) return default_value;
  const QByteArray wanted = key.toUtf8();
  bool in_section = false;
  QString value;
  bool found = false;
  const std::vector<std::string> lines = SplitLines(bytes);
  for (size_t i = 0; i < lines.size(); ++i) {
    const std::string_view line = Content(lines[i], i == 0);
    std::string_view name, k, v;
    if (IsSectionLine(line, &name)) {
      in_section = name == kSettingsSection;
      continue;
    }
    if (in_section && SplitKeyLine(line, &k, &v) && k == wanted.constData()) {
      value = Unescape(FromUtf8(v));
      found = true;  // the last occurrence wins
    }
  }
  return found ? value : default_value;
}

void WriteSetting(const QString& key, const QString& value) {
  const std::string path = SettingsFilePath();
  std::string bytes;
  // A store that cannot be read is not overwritten: the write fails.
  bool exists = ReadSettingsFile(path, &bytes);
  if (exists && !CanBeParsed(bytes)) {
    // Keep it for inspection rather than overwrite it, and start afresh.
    MoveSettingsFileAside(path);
    bytes.clear();
  }
  std::vector<std::string> lines = SplitLines(bytes);
  const QByteArray wanted = key.toUtf8();
  const std::string key_line = (key + QLatin1Char('=') + Escape(value)).toUtf8().toStdString();
  // A line replaced keeps its own line end; new lines end as the file's
  // first line does.
  auto ended = [](const std::string& text, bool windows) { return windows ? text + '\r' : text; };
  const bool windows_ends = !lines.empty() && !lines[0].empty() && lines[0].back() == '\r';
  int section_end = -1;  // line after the last line of our section
  bool in_section = false;
  bool replaced = false;
  for (size_t i = 0; i < lines.size(); ++i) {
    const std::string_view line = Content(lines[i], i == 0);
    std::string_view name, k, v;
    if (IsSectionLine(line, &name)) {
      in_section = name == kSettingsSection;
      if (in_section) section_end = static_cast<int>(i) + 1;
      continue;
    }
    if (!in_section) continue;
    if (SplitKeyLine(line, &k, &v) && k == wanted.constData()) {
      if (replaced) {
        lines.erase(lines.begin() + static_cast<std::ptrdiff_t>(i--));
        continue;
      }
      lines[i] = ended(key_line, lines[i].back() == '\r');
      replaced = true;
    }
    if (!Trimmed(Content(lines[i], i == 0)).empty()) section_end = static_cast<int>(i) + 1;
  }
  if (!replaced) {
    if (section_end < 0) {
      if (!lines.empty() && !Trimmed(Content(lines.back(), lines.size() == 1)).empty()) {
        lines.push_back(ended("", windows_ends));
      }
      lines.push_back(ended(std::string("[") + kSettingsSection + "]", windows_ends));
      lines.push_back(ended(key_line, windows_ends));
    } else {
      lines.insert(lines.begin() + section_end, ended(key_line, windows_ends));
    }
  }
  QByteArray content;
  for (const std::string& line : lines) {
    content.append(line.data(), static_cast<qsizetype>(line.size()));
    content.append('\n');
  }
  ReplaceSettingsFile(path, content);
}

bool SettingToBoolean(const QString& text) {
  QString t = text.trimmed();
  if (t.compare(QLatin1String("True"), Qt::CaseInsensitive) == 0) return true;
  if (t.compare(QLatin1String("False"), Qt::CaseInsensitive) == 0) return false;
  bool ok = false;
  double number = t.toDouble(&ok);
  if (!ok || !std::isfinite(number)) throw Failure(kErrTypeMismatch);
  return number != 0;
}

DateValue SettingToDate(const QString& text) {
  QString t = text.trimmed();
  bool ok = false;
  double number = t.toDouble(&ok);
  if (ok) {
    if (!std::isfinite(number)) throw Failure(kErrTypeMismatch);
    if (!InDateRange(number)) throw Failure(kErrOverflow);
    return number;
  }
  QLocale locale = QLocale::system();
  const QString formats[] = {QStringLiteral("yyyy-MM-dd"), locale.dateFormat(QLocale::ShortFormat),
                             locale.dateFormat(QLocale::LongFormat), QStringLiteral("M/d/yyyy")};
  for (const QString& format : formats) {
    QDate date = locale.toDate(t, format);
    if (!date.isValid()) date = QDate::fromString(t, format);
    if (date.isValid()) return static_cast<double>(DayNumberFromQDate(date));
  }
  throw Failure(kErrTypeMismatch);
}

QString DayNumberSetting(DateValue value) {
  return QString::number(static_cast<qlonglong>(NearestWholeDay(value)));
}

QString BooleanSetting(bool value) {
  return value ? QStringLiteral("True") : QStringLiteral("False");
}

}  // namespace qm
