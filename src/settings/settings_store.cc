#include "settings/settings_store.h"

#include <QDate>
#include <QLocale>
#include <QStringList>
#include <cmath>
#include <cstdlib>
#include <vector>

#include "platform/failure.h"
#include "platform/settings_file.h"

namespace qm {

const char kSettingsApp[] = "Vellumark";
const char kSettingsSection[] = "Quenmoor";

namespace {

// A text store holds no NUL bytes and is valid UTF-8.
bool LooksLikeText(const std::string& bytes) {
  if (bytes.find('\0') != std::string::npos) return false;
  QString decoded = QString::fromUtf8(bytes.data(), static_cast<qsizetype>(bytes.size()));
  return decoded.toUtf8() == QByteArray(bytes.data(), static_cast<qsizetype>(bytes.size()));
}

QString Escape(const QString& value) {
  QString out;
  out.reserve(value.size());
  for (QChar c : value) {
    switch (c.unicode()) {
      case '\\': out += QLatin1String("\\\\"); break;
      case '\n': out += QLatin1String("\\n"); break;
      case '\r': out += QLatin1String("\\r"); break;
      default: out += c; break;
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

bool IsSectionLine(const QString& line, QString* name) {
  QString t = line.trimmed();
  if (t.size() < 2 || !t.startsWith(QLatin1Char('[')) || !t.endsWith(QLatin1Char(']'))) {
    return false;
  }
  *name = t.mid(1, t.size() - 2).trimmed();
  return true;
}

bool SplitKeyLine(const QString& line, QString* key, QString* value) {
  qsizetype eq = line.indexOf(QLatin1Char('='));
  if (eq <= 0) return false;
  *key = line.left(eq).trimmed();
  *value = line.mid(eq + 1);
  return !key->isEmpty();
}

QStringList SplitLines(const std::string& bytes) {
  QString text = QString::fromUtf8(bytes.data(), static_cast<qsizetype>(bytes.size()));
  text.replace(QLatin1String("\r\n"), QLatin1String("\n"));
  QStringList lines = text.split(QLatin1Char('\n'));
  if (!lines.isEmpty() && lines.last().isEmpty()) lines.removeLast();
  return lines;
}

}  // namespace

std::string SettingsFilePath() {
  return UserConfigFolder() + "/" + kSettingsApp + ".ini";
}

QString ReadSetting(const QString& key, const QString& default_value) {
  std::string bytes;
  if (!ReadSettingsFile(SettingsFilePath(), &bytes)) return default_value;
  QString section;
  QString value;
  bool found = false;
  for (const QString& line : SplitLines(bytes)) {
    QString name;
    if (IsSectionLine(line, &name)) {
      section = name;
      continue;
    }
    QString k, v;
    if (section == QLatin1String(kSettingsSection) && SplitKeyLine(line, &k, &v) && k == key) {
      value = Unescape(v);
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
  if (exists && !LooksLikeText(bytes)) {
    // Keep a damaged store for inspection rather than overwrite it.
    std::string aside = path + ".damaged";
    MoveSettingsFileAside(path, aside);
    bytes.clear();
  }
  QStringList lines = SplitLines(bytes);
  QString new_line = key + QLatin1Char('=') + Escape(value);
  QString section;
  int section_end = -1;   // line after the last line of our section
  bool in_section = false;
  bool replaced = false;
  for (int i = 0; i < lines.size(); ++i) {
    QString name;
    if (IsSectionLine(lines[i], &name)) {
      section = name;
      in_section = section == QLatin1String(kSettingsSection);
      if (in_section) section_end = i + 1;
      continue;
    }
    if (!in_section) continue;
    QString k, v;
    if (SplitKeyLine(lines[i], &k, &v) && k == key) {
      if (replaced) {
        lines.removeAt(i--);
        continue;
      }
      lines[i] = new_line;
      replaced = true;
    }
    if (!lines[i].trimmed().isEmpty()) section_end = i + 1;
  }
  if (!replaced) {
    if (section_end < 0) {
      if (!lines.isEmpty() && !lines.last().trimmed().isEmpty()) lines.append(QString());
      lines.append(QLatin1Char('[') + QLatin1String(kSettingsSection) + QLatin1Char(']'));
      lines.append(new_line);
    } else {
      lines.insert(section_end, new_line);
    }
  }
  QByteArray content = lines.join(QLatin1Char('\n')).toUtf8();
  content.append('\n');
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
  const QString formats[] = {
      QStringLiteral("yyyy-MM-dd"), locale.dateFormat(QLocale::ShortFormat),
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
