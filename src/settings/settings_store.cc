#include "settings/settings_store.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QDate>
#include <QLocale>
#include <QStringList>
#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <vector>

#include "platform/failure.h"

namespace qm {

const char kSettingsApp[] = "Vellumark";
const char kSettingsSection[] = "Quenmoor";

namespace {

const size_t kMaxStoreBytes = 4 * 1024 * 1024;

std::string ConfigDir() {
  const char* xdg = std::getenv("XDG_CONFIG_HOME");
  if (xdg && *xdg == '/') return xdg;
  const char* home = std::getenv("HOME");
  return std::string(home && *home ? home : "/") + "/.config";
}

// Reads the whole file.  Returns false when it does not exist; fails when it
// exists but cannot be read.
bool ReadStoreFile(const std::string& path, std::string* out) {
  int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
  if (fd < 0) {
    if (errno == ENOENT || errno == ENOTDIR) return false;  // no store there
    throw FailureFromErrno(errno);
  }
  struct stat st;
  if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
    ::close(fd);
    throw Failure(kErrPathFileAccess);
  }
  out->clear();
  char buf[65536];
  for (;;) {
    ssize_t n = ::read(fd, buf, sizeof buf);
    if (n < 0) {
      if (errno == EINTR) continue;
      int err = errno;
      ::close(fd);
      throw FailureFromErrno(err);
    }
    if (n == 0) break;
    out->append(buf, static_cast<size_t>(n));
    if (out->size() > kMaxStoreBytes) {
      ::close(fd);
      throw Failure(kErrPathFileAccess);
    }
  }
  ::close(fd);
  return true;
}

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

void WriteAll(int fd, const QByteArray& data) {
  const char* p = data.constData();
  qsizetype left = data.size();
  while (left > 0) {
    ssize_t n = ::write(fd, p, static_cast<size_t>(left));
    if (n < 0) {
      if (errno == EINTR) continue;
      throw FailureFromErrno(errno);
    }
    p += n;
    left -= n;
  }
}

void MakeDirs(const std::string& dir) {
  std::string partial;
  size_t pos = 0;
  while (pos != std::string::npos) {
    size_t next = dir.find('/', pos + 1);
    partial = dir.substr(0, next);
    if (!partial.empty() && ::mkdir(partial.c_str(), 0700) != 0 && errno != EEXIST) {
      throw FailureFromErrno(errno, true);
    }
    pos = next;
  }
}

// Replaces the store's file with `content`, atomically.
void ReplaceStoreFile(const std::string& path, const QByteArray& content) {
  std::string dir = path.substr(0, path.rfind('/'));
  MakeDirs(dir);
  std::string temp = path + ".XXXXXX";
  std::vector<char> name(temp.begin(), temp.end());
  name.push_back('\0');
  int fd = ::mkstemp(name.data());
  if (fd < 0) throw FailureFromErrno(errno, true);
  try {
    WriteAll(fd, content);
    if (::fchmod(fd, 0600) != 0 || ::fsync(fd) != 0) throw FailureFromErrno(errno);
  } catch (...) {
    ::close(fd);
    ::unlink(name.data());
    throw;
  }
  if (::close(fd) != 0) {
    int err = errno;
    ::unlink(name.data());
    throw FailureFromErrno(err);
  }
  if (::rename(name.data(), path.c_str()) != 0) {
    int err = errno;
    ::unlink(name.data());
    throw FailureFromErrno(err);
  }
  int dfd = ::open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (dfd >= 0) {
    ::fsync(dfd);
    ::close(dfd);
  }
}

}  // namespace

std::string SettingsFilePath() {
  return ConfigDir() + "/" + kSettingsApp + ".ini";
}

QString ReadSetting(const QString& key, const QString& default_value) {
  std::string bytes;
  if (!ReadStoreFile(SettingsFilePath(), &bytes)) return default_value;
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
  bool exists = ReadStoreFile(path, &bytes);
  if (exists && !LooksLikeText(bytes)) {
    // Keep a damaged store for inspection rather than overwrite it.
    std::string aside = path + ".damaged";
    if (::rename(path.c_str(), aside.c_str()) != 0) throw FailureFromErrno(errno);
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
  ReplaceStoreFile(path, content);
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
