// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/command_line.h"

#include <dirent.h>
#include <sys/stat.h>

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <cerrno>
#include <charconv>
#include <optional>
#include <set>
#include <vector>

#include "app/command_act.h"
#include "app/error_report.h"
#include "app/search_notes.h"
#include "base/date_value.h"
#include "platform/failure.h"
#include "platform/file_system.h"
#include "scope/folder_rows.h"
#include "search/search_criteria.h"
#include "search/subfolder_marks.h"
#include "search/time_stamps.h"

namespace qm {

namespace {

// The command line's texts are translated in the context "Main", with the
// messages of main.cc.
QString Tr(const char* text) { return QCoreApplication::translate("Main", text); }

const char kUsage[] = QT_TRANSLATE_NOOP(
    "Main",
    "Usage: quenmoor [--help | --version]\n"
    "       quenmoor [FOLDER...]\n"
    "       quenmoor --find [--date TYPE] RULE [FILTER...] [--format FORMAT]\n"
    "                [--trash | --move-to FOLDER [--dry-run]] FOLDER...\n"
    "       quenmoor --undo [--dry-run]\n"
    "\n"
    "Quenmoor finds unused files: list the folders to search, pick a date type\n"
    "(modified, created, accessed) and a rule, and it lists every file whose date\n"
    "matches. Tick results to send them to the trash or move them into a folder.\n"
    "\n"
    "Without arguments Quenmoor opens its window; with folders, it opens it with\n"
    "them in its folder list.\n"
    "\n"
    "  --help     show this help and exit\n"
    "  --version  show the version and exit\n"
    "  --find     search without a window and print the files the window would\n"
    "             list, in the same order; messages go to standard error\n"
    "  --undo     put back what the last --trash, --move-to, Send To Recycle Bin\n"
    "             or Move To Folder took away, where it was; print each file put\n"
    "             back, and name each one that cannot be with its reason\n"
    "\n"
    "Options of --find, with DATE as YYYY-MM-DD in local time; exactly one rule:\n"
    "  --after DATE           files whose date falls on a later day,\n"
    "  --before DATE          on an earlier day,\n"
    "  --on DATE              on that day,\n"
    "  --between DATE DATE    from the first day to the second, both included,\n"
    "  --not-accessed-days N  N or more days before today;\n"
    "and where wanted:\n"
    "  --date accessed|modified|created\n"
    "                         the date to judge by (accessed when not given)\n"
    "  --format lines|null|tsv|json\n"
    "                         lines: one path a line (the default); null: each\n"
    "                         path ended by a NUL character, for names that may\n"
    "                         hold a newline; tsv: path, date and size in bytes,\n"
    "                         separated by tabs, with a tab, newline, carriage\n"
    "                         return or backslash in a path written \\t, \\n, \\r,\n"
    "                         \\\\; json: one object a line with \"path\", \"date\"\n"
    "                         and \"size\"\n"
    "  --trash                send every file found to the trash, as Send To\n"
    "                         Recycle Bin does, and print those that went\n"
    "  --move-to FOLDER       move every file found into FOLDER, as Move To\n"
    "                         Folder does (a name that is taken gets a number),\n"
    "                         and print those that went\n"
    "  --dry-run              with --trash, --move-to or --undo: print what would\n"
    "                         go, and touch nothing\n"
    "Filters that narrow the list, where wanted:\n"
    "  --exclude PATTERN      leave out folders: a pattern without / matches a\n"
    "                         folder's name at any depth (.git, *.cache), one\n"
    "                         with / a whole path (/home/me/Backups); may be\n"
    "                         given more than once\n"
    "  --one-file-system      enter no folder on another mount than the folder\n"
    "                         given that it lies under\n"
    "  --name PATTERN         only files whose name matches (*.iso); may be given\n"
    "                         more than once, and any of them then does\n"
    "  --min-size SIZE        only files of at least SIZE,\n"
    "  --max-size SIZE        of at most SIZE: 10M, 1.5G or 500KiB, where kB, MB,\n"
    "                         GB, TB (and K, M, G, T alone) count in thousands,\n"
    "                         KiB, MiB, GiB, TiB in 1,024s; a number alone is bytes\n"
    "Patterns take * ? [...] as the shell does (quote them), upper and lower case\n"
    "apart. Files left out because their file system keeps no creation date or\n"
    "their names are not UTF-8, and mounts where reading a file does not move its\n"
    "access date (noatime, FUSE), are said on standard error.\n"
    "Dates are written in ISO 8601 with the offset from UTC in force on that day\n"
    "(2024-03-15T12:00:00+01:00); a date or size that could not be read is left\n"
    "empty (tsv) or null (json). Relative folders are taken from the current\n"
    "folder; after -- every argument is a folder.\n"
    "\n"
    "A file is trashed, moved or put back only while it is still the file\n"
    "found, and nothing is ever replaced; each file that is not is named on\n"
    "standard error with its reason. What went is written to the undo journal,\n"
    "$XDG_STATE_HOME/quenmoor/journal, which the window's Undo uses too.\n"
    "\n"
    "Exit status: 0 when the search ran, whatever it found, and every file was\n"
    "trashed, moved or put back; 1 when a folder was left out, an error was\n"
    "reported or a file was not handled; 2 for a wrong command line.\n"
    "\n"
    "Settings are kept in $XDG_CONFIG_HOME/Vellumark.ini (~/.config/Vellumark.ini).\n"
    "See quenmoor(1).\n");

CommandLine WithAction(CommandLine::Action action) {
  CommandLine line;
  line.action = action;
  return line;
}

// "quenmoor: REASON (try quenmoor --help)"
CommandLine UsageError(const QString& reason) {
  CommandLine line;
  line.action = CommandLine::Action::kUsageError;
  line.error =
      QCoreApplication::translate("Main", "quenmoor: %1 (try quenmoor --help)").arg(reason);
  return line;
}

// A day as YYYY-MM-DD, within the days the window's date pickers hold;
// otherwise the reason it is refused.
std::optional<QDate> ParseDay(const QString& text, QString* reason) {
  bool form = text.size() == 10 && text[4] == QLatin1Char('-') && text[7] == QLatin1Char('-');
  for (int i = 0; form && i < text.size(); ++i) {
    if (i != 4 && i != 7 && !(text[i] >= QLatin1Char('0') && text[i] <= QLatin1Char('9'))) {
      form = false;
    }
  }
  if (!form) {
    *reason =
        QCoreApplication::translate("Main", "'%1' is not a date of the form YYYY-MM-DD").arg(text);
    return std::nullopt;
  }
  const QDate day(text.left(4).toInt(), text.mid(5, 2).toInt(), text.mid(8, 2).toInt());
  if (!day.isValid()) {
    *reason = QCoreApplication::translate("Main", "there is no day %1").arg(text);
    return std::nullopt;
  }
  if (day < QDate(1601, 1, 1) || day > QDate(9999, 12, 31)) {
    *reason =
        QCoreApplication::translate("Main", "%1 lies outside 1601-01-01 to 9999-12-31").arg(text);
    return std::nullopt;
  }
  return day;
}

// What an option of --find is: one of the rules (exactly one is given),
// one of the acts on the files found (at most one), or another.
enum OptionGroup { kOther, kRule, kAct };

// One option of --find: its name, how many values follow it, its group,
// whether it may come more than once, what to say when its values are
// missing, and what it does with them (the reason when a value is unfit,
// else "").
struct FindOption {
  const char* name;
  int values;
  OptionGroup group;
  bool repeatable;
  const char* missing;
  QString (*take)(const QStringList& values, FindRequest* request);
};

QString TakeSingle(DateRule rule, const QStringList& values, FindRequest* request) {
  QString reason;
  const std::optional<QDate> day = ParseDay(values[0], &reason);
  if (!day) return reason;
  request->rule = rule;
  request->first = *day;
  return QString();
}

const FindOption kFindOptions[] = {
    {"--date", 1, kOther, false,
     QT_TRANSLATE_NOOP("Main", "'%1' needs accessed, modified or created"),
     [](const QStringList& values, FindRequest* request) {
       const QString& v = values[0];
       if (v == QLatin1String("accessed")) {
         request->type = DateType::kAccessed;
       } else if (v == QLatin1String("modified")) {
         request->type = DateType::kModified;
       } else if (v == QLatin1String("created")) {
         request->type = DateType::kCreated;
       } else {
         return QCoreApplication::translate(
                    "Main", "unknown date type '%1': use accessed, modified or created")
             .arg(v);
       }
       return QString();
     }},
    {"--after", 1, kRule, false, QT_TRANSLATE_NOOP("Main", "'%1' needs a date"),
     [](const QStringList& values, FindRequest* request) {
       return TakeSingle(DateRule::kAfter, values, request);
     }},
    {"--before", 1, kRule, false, QT_TRANSLATE_NOOP("Main", "'%1' needs a date"),
     [](const QStringList& values, FindRequest* request) {
       return TakeSingle(DateRule::kBefore, values, request);
     }},
    {"--on", 1, kRule, false, QT_TRANSLATE_NOOP("Main", "'%1' needs a date"),
     [](const QStringList& values, FindRequest* request) {
       return TakeSingle(DateRule::kOn, values, request);
     }},
    {"--between", 2, kRule, false, QT_TRANSLATE_NOOP("Main", "'%1' needs two dates"),
     [](const QStringList& values, FindRequest* request) {
       QString reason;
       const std::optional<QDate> first = ParseDay(values[0], &reason);
       if (!first) return reason;
       const std::optional<QDate> last = ParseDay(values[1], &reason);
       if (!last) return reason;
       // A first day after the last is no mistake of the command line's:
       // as in the window, the dates are kept as given and no day matches.
       request->rule = DateRule::kBetween;
       request->first = *first;
       request->last = *last;
       return QString();
     }},
    {"--not-accessed-days", 1, kRule, false,
     QT_TRANSLATE_NOOP("Main", "'%1' needs a number of days"),
     [](const QStringList& values, FindRequest* request) {
       // The window's rule for its days box: a whole number, 0 or more.
       const std::optional<long long> days = ParseDays(values[0]);
       if (!days)
         return QCoreApplication::translate("Main", "'%1' is not a whole number of days, 0 or more")
             .arg(values[0]);
       request->rule = DateRule::kNotAccessedInDays;
       request->days = *days;
       return QString();
     }},
    {"--exclude", 1, kOther, true, QT_TRANSLATE_NOOP("Main", "'%1' needs a folder pattern"),
     [](const QStringList& values, FindRequest* request) {
       if (values[0].trimmed().isEmpty())
         return QCoreApplication::translate("Main", "'%1' needs a folder pattern").arg("--exclude");
       QString reason;
       request->filters.exclude.Add(values[0], QDir::homePath(), &reason);
       return reason;
     }},
    {"--one-file-system", 0, kOther, false, "",
     [](const QStringList&, FindRequest* request) {
       request->filters.one_file_system = true;
       return QString();
     }},
    {"--name", 1, kOther, true, QT_TRANSLATE_NOOP("Main", "'%1' needs a name pattern"),
     [](const QStringList& values, FindRequest* request) {
       if (values[0].isEmpty())
         return QCoreApplication::translate("Main", "'%1' needs a name pattern").arg("--name");
       QString reason;
       request->filters.names.Add(values[0], &reason);
       return reason;
     }},
    {"--min-size", 1, kOther, false, QT_TRANSLATE_NOOP("Main", "'%1' needs a size"),
     [](const QStringList& values, FindRequest* request) {
       QString reason;
       request->filters.min_size = ParseSize(values[0], &reason);
       return reason;
     }},
    {"--max-size", 1, kOther, false, QT_TRANSLATE_NOOP("Main", "'%1' needs a size"),
     [](const QStringList& values, FindRequest* request) {
       QString reason;
       request->filters.max_size = ParseSize(values[0], &reason);
       return reason;
     }},
    {"--format", 1, kOther, false, QT_TRANSLATE_NOOP("Main", "'%1' needs lines, null, tsv or json"),
     [](const QStringList& values, FindRequest* request) {
       const QString& v = values[0];
       if (v == QLatin1String("lines")) {
         request->format = RowFormat::kLines;
       } else if (v == QLatin1String("null")) {
         request->format = RowFormat::kNull;
       } else if (v == QLatin1String("tsv")) {
         request->format = RowFormat::kTsv;
       } else if (v == QLatin1String("json")) {
         request->format = RowFormat::kJson;
       } else {
         return QCoreApplication::translate("Main",
                                            "unknown format '%1': use lines, null, tsv or json")
             .arg(v);
       }
       return QString();
     }},
    {"--trash", 0, kAct, false, "",
     [](const QStringList&, FindRequest* request) {
       request->act = FindRequest::Act::kTrash;
       return QString();
     }},
    {"--move-to", 1, kAct, false, QT_TRANSLATE_NOOP("Main", "'%1' needs a folder"),
     [](const QStringList& values, FindRequest* request) {
       if (values[0].isEmpty())
         return QCoreApplication::translate("Main", "'--move-to' needs a folder");
       request->act = FindRequest::Act::kMove;
       request->move_to = values[0];
       return QString();
     }},
    {"--dry-run", 0, kOther, false, "",
     [](const QStringList&, FindRequest* request) {
       request->dry_run = true;
       return QString();
     }},
};

const FindOption* FindOptionNamed(const QString& name) {
  for (const FindOption& option : kFindOptions) {
    if (name == QLatin1String(option.name)) return &option;
  }
  return nullptr;
}

// The arguments after --find.
CommandLine ParseFind(const QStringList& args) {
  CommandLine line;
  line.action = CommandLine::Action::kFind;
  FindRequest& request = line.find;
  // --help and --version answer whatever else is given.
  for (const QString& arg : args) {
    if (arg == QLatin1String("--")) break;
    if (arg == QLatin1String("--help")) return WithAction(CommandLine::Action::kHelp);
    if (arg == QLatin1String("--version")) {
      return WithAction(CommandLine::Action::kVersion);
    }
  }
  const FindOption* rule = nullptr;
  const FindOption* act = nullptr;
  std::set<const FindOption*> seen;
  bool only_folders = false;
  for (int i = 0; i < args.size(); ++i) {
    const QString& arg = args[i];
    // A lone "-" is a name like any other.
    if (only_folders || !arg.startsWith(QLatin1Char('-')) || arg == QLatin1String("-")) {
      request.folders.push_back(arg);
      continue;
    }
    if (arg == QLatin1String("--")) {
      only_folders = true;
      continue;
    }
    // "--name=value" for an option of one value.
    QString name = arg;
    QStringList values;
    const int equals = arg.indexOf(QLatin1Char('='));
    const FindOption* option = nullptr;
    if (arg.startsWith(QLatin1String("--")) && equals > 2) {
      option = FindOptionNamed(arg.left(equals));
      if (option && option->values == 1) {
        name = arg.left(equals);
        values.push_back(arg.mid(equals + 1));
      } else {
        option = nullptr;
      }
    }
    if (!option) option = FindOptionNamed(arg);
    if (!option)
      return UsageError(QCoreApplication::translate("Main", "unknown option '%1'").arg(arg));
    if (values.isEmpty()) {
      if (i + option->values >= args.size()) {
        return UsageError(Tr(option->missing).arg(name));
      }
      for (int k = 1; k <= option->values; ++k) values.push_back(args[i + k]);
      i += option->values;
    }
    if (option->group == kRule) {
      if (rule) {
        return UsageError(QCoreApplication::translate("Main", "two rules, '%1' and '%2': give one")
                              .arg(QLatin1String(rule->name), name));
      }
      rule = option;
    } else if (option->group == kAct) {
      if (act) {
        return UsageError(QCoreApplication::translate("Main", "'%1' and '%2' cannot go together")
                              .arg(QLatin1String(act->name), name));
      }
      act = option;
    } else if (!option->repeatable && !seen.insert(option).second) {
      return UsageError(QCoreApplication::translate("Main", "'%1' is given twice").arg(name));
    }
    const QString reason = option->take(values, &request);
    if (!reason.isEmpty()) return UsageError(reason);
  }
  if (!rule) {
    return UsageError(QCoreApplication::translate(
        "Main", "no rule: give one of --after, --before, --on, --between, --not-accessed-days"));
  }
  if (request.folders.isEmpty())
    return UsageError(QCoreApplication::translate("Main", "no folder to search"));
  const SearchFilters& f = request.filters;
  if (f.min_size && f.max_size && f.min_size->bytes > f.max_size->bytes) {
    return UsageError(
        QCoreApplication::translate("Main", "--min-size %1 is larger than --max-size %2")
            .arg(f.min_size->shown, f.max_size->shown));
  }
  if (request.dry_run && !act) {
    return UsageError(
        QCoreApplication::translate("Main", "'--dry-run' goes with --trash or --move-to"));
  }
  return line;
}

}  // namespace

void Say(std::FILE* to, const QString& text) {
  const QByteArray bytes = (text + QLatin1Char('\n')).toLocal8Bit();
  std::fwrite(bytes.constData(), 1, static_cast<std::size_t>(bytes.size()), to);
  std::fflush(to);
}

QString FolderRowForArgument(const QString& arg, QString* problem) {
  const QString clean =
      arg.isEmpty() ? QString() : QDir::cleanPath(QFileInfo(arg).absoluteFilePath());
  const std::string path = clean.toStdString();
  struct stat st;
  if (path.empty() || Fs().Stat(path.c_str(), &st) != 0) {
    const int err = path.empty() ? ENOENT : errno;
    if (err == ENOENT || err == ENOTDIR) {
      *problem = QCoreApplication::translate("Main", "quenmoor: %1: no such folder; it is left out")
                     .arg(arg);
    } else {
      *problem =
          QCoreApplication::translate("Main", "quenmoor: %1: cannot be read (%2); it is left out")
              .arg(arg, QString::fromStdString(FailureFromErrno(err, true).what()));
    }
    return QString();
  }
  if (!S_ISDIR(st.st_mode)) {
    *problem =
        QCoreApplication::translate("Main", "quenmoor: %1: not a folder; it is left out").arg(arg);
    return QString();
  }
  // A folder the search could not list would give nothing, silently.
  // The row as the folder browser gives it.
  const QString row = FolderRowFor(clean == QLatin1String("/") ? QString() : clean);
  DIR* dir = Fs().OpenDir(row.toStdString().c_str());
  if (!dir) {
    *problem =
        QCoreApplication::translate("Main", "quenmoor: %1: cannot be read (%2); it is left out")
            .arg(arg, QString::fromStdString(FailureFromErrno(errno, true).what()));
    return QString();
  }
  Fs().CloseDir(dir);
  return row;
}

namespace {

constexpr std::size_t kWriteSize = 64 * 1024;

// Appends `text` to `out` with the escapes of the tsv rows: \t, \n, \r, \\.
void AppendTsvText(std::string& out, std::string_view text) {
  std::size_t plain = 0;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    const char* escape = c == '\t'   ? "\\t"
                         : c == '\n' ? "\\n"
                         : c == '\r' ? "\\r"
                         : c == '\\' ? "\\\\"
                                     : nullptr;
    if (!escape) continue;
    out.append(text.data() + plain, i - plain);
    out.append(escape, 2);
    plain = i + 1;
  }
  out.append(text.data() + plain, text.size() - plain);
}

// Appends `text` to `out` as the inside of a JSON string.  Paths are
// UTF-8 (the search lists no name that is not), so only the quote, the
// backslash and the control characters need escapes.
void AppendJsonText(std::string& out, std::string_view text) {
  static const char kHex[] = "0123456789abcdef";
  std::size_t plain = 0;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const unsigned char c = static_cast<unsigned char>(text[i]);
    if (c >= 0x20 && c != '"' && c != '\\') continue;
    out.append(text.data() + plain, i - plain);
    plain = i + 1;
    switch (c) {
      case '"':
        out.append("\\\"");
        break;
      case '\\':
        out.append("\\\\");
        break;
      case '\n':
        out.append("\\n");
        break;
      case '\r':
        out.append("\\r");
        break;
      case '\t':
        out.append("\\t");
        break;
      case '\b':
        out.append("\\b");
        break;
      case '\f':
        out.append("\\f");
        break;
      default: {
        const char u[] = {'\\', 'u', '0', '0', kHex[c >> 4], kHex[c & 15]};
        out.append(u, sizeof u);
      }
    }
  }
  out.append(text.data() + plain, text.size() - plain);
}

void AppendNumber(std::string& out, std::int64_t number) {
  char digits[24];
  const std::to_chars_result r = std::to_chars(digits, digits + sizeof digits, number);
  out.append(digits, static_cast<std::size_t>(r.ptr - digits));
}

}  // namespace

DateCriterion FindRequest::Criterion(std::int64_t today) const {
  switch (rule) {
    case DateRule::kAfter:
    case DateRule::kBefore:
    case DateRule::kOn:
      return DateCriterion::Single(type, rule, static_cast<DateValue>(DayNumberFromQDate(first)));
    case DateRule::kBetween:
      return DateCriterion::Between(type, static_cast<DateValue>(DayNumberFromQDate(first)),
                                    static_cast<DateValue>(DayNumberFromQDate(last)));
    case DateRule::kNotAccessedInDays:
      return DateCriterion::NotAccessedIn(type, days, today);
    case DateRule::kNone:
      break;
  }
  return DateCriterion::Single(type, DateRule::kNone, 0);
}

CommandLine ParseCommandLine(const QStringList& arguments) {
  if (arguments.isEmpty()) return CommandLine();
  if (arguments[0] == QLatin1String("--find")) return ParseFind(arguments.mid(1));
  if (arguments.size() == 1 && arguments[0] == QLatin1String("--help")) {
    return WithAction(CommandLine::Action::kHelp);
  }
  if (arguments.size() == 1 && arguments[0] == QLatin1String("--version")) {
    return WithAction(CommandLine::Action::kVersion);
  }
  if (arguments[0] == QLatin1String("--undo")) {
    CommandLine undo;
    undo.action = CommandLine::Action::kUndo;
    for (const QString& arg : arguments.mid(1)) {
      if (arg == QLatin1String("--dry-run") && !undo.dry_run) {
        undo.dry_run = true;
      } else {
        return UsageError(QCoreApplication::translate("Main", "'--undo' takes only --dry-run"));
      }
    }
    return undo;
  }
  // Folders for the window; a name starting with "-" only after "--".
  CommandLine window;
  bool only_folders = false;
  QString unknown;
  for (const QString& arg : arguments) {
    if (!only_folders && arg == QLatin1String("--")) {
      only_folders = true;
    } else if (!only_folders && arg.startsWith(QLatin1Char('-')) && arg != QLatin1String("-")) {
      unknown = arg;
      break;
    } else {
      window.folders.push_back(arg);
    }
  }
  if (unknown.isEmpty()) return window;
  CommandLine line;
  line.action = CommandLine::Action::kUsageError;
  line.error =
      QCoreApplication::translate("Main", "quenmoor: unknown argument '%1' (try quenmoor --help)\n")
          .arg(unknown);
  line.error.chop(1);  // the text's own line end
  return line;
}

QString UsageText() { return QCoreApplication::translate("Main", kUsage); }

RowWriter::RowWriter(std::FILE* out, RowFormat format) : out_(out), format_(format) {
  buffer_.reserve(kWriteSize + 8192);
}

void RowWriter::AppendPath(std::string_view folder, std::string_view name) {
  switch (format_) {
    case RowFormat::kLines:
    case RowFormat::kNull:
      buffer_.append(folder).append(name);
      break;
    case RowFormat::kTsv:
      AppendTsvText(buffer_, folder);
      AppendTsvText(buffer_, name);
      break;
    case RowFormat::kJson:
      AppendJsonText(buffer_, folder);
      AppendJsonText(buffer_, name);
      break;
  }
}

void RowWriter::Write(const FoundChunk& chunk) {
  const std::size_t n = chunk.Count();
  for (std::size_t i = 0; i < n; ++i) {
    std::string_view folder, name;
    chunk.Parts(i, &folder, &name);
    WriteRow(folder, name, chunk.StampAt(i), chunk.SizeAt(i));
  }
}

void RowWriter::WriteRow(std::string_view folder, std::string_view name, const Stamp& stamp,
                         std::int64_t size) {
  char date[kStampIsoSize];
  switch (format_) {
    case RowFormat::kLines:
      AppendPath(folder, name);
      buffer_.push_back('\n');
      break;
    case RowFormat::kNull:
      AppendPath(folder, name);
      buffer_.push_back('\0');
      break;
    case RowFormat::kTsv: {
      AppendPath(folder, name);
      buffer_.push_back('\t');
      buffer_.append(date, StampIsoText(stamp, date, &offsets_));
      buffer_.push_back('\t');
      if (size >= 0) AppendNumber(buffer_, size);
      buffer_.push_back('\n');
      break;
    }
    case RowFormat::kJson: {
      buffer_.append("{\"path\":\"");
      AppendPath(folder, name);
      buffer_.append("\",\"date\":");
      const std::size_t length = StampIsoText(stamp, date, &offsets_);
      if (length == 0) {
        buffer_.append("null");
      } else {
        buffer_.push_back('"');
        buffer_.append(date, length);
        buffer_.push_back('"');
      }
      buffer_.append(",\"size\":");
      if (size >= 0) {
        AppendNumber(buffer_, size);
      } else {
        buffer_.append("null");
      }
      buffer_.append("}\n");
      break;
    }
  }
  if (buffer_.size() >= kWriteSize) Drain();
}

void RowWriter::Drain() {
  if (error_ == 0 && !buffer_.empty() &&
      std::fwrite(buffer_.data(), 1, buffer_.size(), out_) != buffer_.size()) {
    error_ = errno != 0 ? errno : EIO;
  }
  buffer_.clear();
}

bool RowWriter::Flush() {
  Drain();
  if (error_ == 0 && std::fflush(out_) != 0) error_ = errno != 0 ? errno : EIO;
  return error_ == 0;
}

int RunFind(const FindRequest& request, std::FILE* out, std::FILE* err,
            const SearchEngine::Options& engine_options) {
  bool trouble = false;
  // The folder rows, as the folder browser would have added them.
  std::vector<QString> rows;
  for (const QString& folder : request.folders) {
    QString problem;
    const QString row = FolderRowForArgument(folder, &problem);
    if (row.isEmpty()) {
      Say(err, problem);
      trouble = true;
      continue;
    }
    rows.push_back(row);
  }
  // Rows inside a row listed after them go, from the bottom up, each with
  // the window's message.
  const std::vector<int> marks = SubfolderMarks(rows);
  for (auto it = marks.rbegin(); it != marks.rend(); ++it) {
    const std::size_t row = static_cast<std::size_t>(*it - 1);
    Say(err,
        QCoreApplication::translate("Main", "quenmoor: %1").arg(SubfolderRemovedText(rows[row])));
    rows.erase(rows.begin() + static_cast<std::ptrdiff_t>(row));
  }
  if (rows.empty()) {
    Say(err, QCoreApplication::translate("Main", "quenmoor: %1")
                 .arg(QCoreApplication::translate("qm::Form1", "No folders added.")));
    return 1;
  }

  SearchCriteria criteria;
  for (const QString& row : rows) criteria.roots.push_back(row.toStdString());
  criteria.date = request.Criterion(TodayDayNumber());
  criteria.filters = request.filters;
  // A folder to move into that is not there is said before any search.
  QString move_to;
  if (request.act == FindRequest::Act::kMove) {
    move_to = MoveFolderForArgument(request.move_to, err);
    if (move_to.isEmpty()) return 1;
  }
  SearchEngine engine(engine_options);
  engine.Start(std::move(criteria), nullptr);
  RowWriter writer(out, request.format);
  // To act on the files, they are all found first, as in the window.
  const bool acting = request.act != FindRequest::Act::kList;
  FoundFiles found;
  for (;;) {
    // The search ends on its own; the wait only spaces the looks.
    engine.WaitForNews(1000);
    SearchEngine::Taken taken = engine.Take();
    if (acting) {
      for (auto& chunk : taken.chunks) found.Append(std::move(chunk));
      taken.chunks.clear();
    }
    for (const auto& chunk : taken.chunks) writer.Write(*chunk);
    if (!taken.chunks.empty() && !writer.Flush()) {
      engine.Stop();
      Say(err,
          QCoreApplication::translate("Main", "quenmoor: the files found could not be written (%1)")
              .arg(QString::fromStdString(FailureFromErrno(writer.error()).what())));
      return 1;
    }
    for (const SearchReport& report : taken.reports) {
      Say(err, QCoreApplication::translate("Main", "quenmoor: %1")
                   .arg(ErrorReportLine(report.failure.what(), report.routine, report.line)));
      trouble = true;
    }
    // Notes tell what the rows mean; they change no exit status.
    for (const SearchNote& note : taken.notes) {
      Say(err, QCoreApplication::translate("Main", "quenmoor: %1").arg(SearchNoteText(note)));
    }
    if (taken.finished) break;
  }
  for (const QString& text : LeftOutTexts(engine.Counts(), request.type)) {
    Say(err, QCoreApplication::translate("Main", "quenmoor: %1").arg(text));
  }
  if (acting) {
    const int status = ActOnFound(request, move_to, found, &writer, err);
    if (!writer.Flush()) {
      Say(err, QCoreApplication::translate("Main",
                                           "quenmoor: the files handled could not be written (%1)")
                   .arg(QString::fromStdString(FailureFromErrno(writer.error()).what())));
      return 1;
    }
    return trouble ? 1 : status;
  }
  if (!writer.Flush()) {
    Say(err,
        QCoreApplication::translate("Main", "quenmoor: the files found could not be written (%1)")
            .arg(QString::fromStdString(FailureFromErrno(writer.error()).what())));
    return 1;
  }
  return trouble ? 1 : 0;
}

}  // namespace qm
