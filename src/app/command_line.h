// SPDX-License-Identifier: GPL-3.0-or-later
// The program's command line.  `quenmoor --find ...` searches without a
// window, on the window's search engine, and prints the rows the window
// would list, or with --trash or --move-to acts on them as the window's
// commands do (app/command_act.h); `quenmoor --undo` takes back the last
// such command; `--help` and `--version` answer; no argument opens the
// window, and folders as arguments open it with those folders listed.
//
// Two steps, each usable on its own: ParseCommandLine turns the arguments
// into a value (or a usage error), RunFind runs that value's search and
// writes its rows and messages to two streams.  Neither needs a display or
// a D-Bus session: QCoreApplication, for the translations, is all.
//
// The options of --find are rows of one table (kFindOptions in
// command_line.cc): a name, what follows it, whether it is a rule, and what
// it does to the FindRequest.  A new option is a new row there and, where
// it needs one, a new field here.
#ifndef QUENMOOR_APP_COMMAND_LINE_H_
#define QUENMOOR_APP_COMMAND_LINE_H_

#include <QDate>
#include <QString>
#include <QStringList>
#include <cstdint>
#include <cstdio>
#include <string>

#include "search/date_criteria.h"
#include "search/filters.h"
#include "search/found_files.h"
#include "search/search_engine.h"
#include "search/time_stamps.h"

namespace qm {

// How the rows are written: one path a line; paths ended by NUL; path, date
// and size separated by tabs; one JSON object a line.
enum class RowFormat { kLines, kNull, kTsv, kJson };

// A search as the command line asks for it.  Nothing in it has been
// checked against the file system yet.
struct FindRequest {
  DateType type = DateType::kAccessed;  // as the window starts
  DateRule rule = DateRule::kNone;
  QDate first;         // After, Before, On, and Between's first day
  QDate last;          // Between's last day
  long long days = 0;  // Not accessed in days
  RowFormat format = RowFormat::kLines;
  QStringList folders;    // as given, in order
  SearchFilters filters;  // --exclude, --one-file-system, --name, --min-size, --max-size
  // What is done with the rows found: printed; sent to the trash; moved
  // into `move_to` (as given).  With `dry_run` what would be trashed or
  // moved is printed, and nothing is touched.
  enum class Act { kList, kTrash, kMove };
  Act act = Act::kList;
  QString move_to;
  bool dry_run = false;

  // The criterion, `today` (a day number) counting for the days rule.
  DateCriterion Criterion(std::int64_t today) const;
};

struct CommandLine {
  enum class Action { kWindow, kHelp, kVersion, kFind, kUndo, kUsageError };
  Action action = Action::kWindow;
  FindRequest find;      // for kFind
  QString error;         // for kUsageError: the whole message, one line
  QStringList folders;   // for kWindow: the folders to list, as given
  bool dry_run = false;  // for kUndo
};

// Reads `arguments` (without the program's name).  The arguments are a
// search when the first is --find, an undo when it is --undo (with
// --dry-run); otherwise --help or --version alone, or folders (after "--"
// also names starting with "-") for the window, or nothing.
CommandLine ParseCommandLine(const QStringList& arguments);

// --help's text, in the user's language.
QString UsageText();

// The folder row for a FOLDER argument, as the folder browser gives one:
// absolute (a relative one taken from the current folder), cleaned, ending
// in one "/" (the root is "/").  "" with the reason in *problem ("quenmoor:
// FOLDER: no such folder; it is left out") when the argument names no
// folder that can be listed.
QString FolderRowForArgument(const QString& arg, QString* problem);

// Collects rows in the chosen format and hands them to a stream in large
// writes: at most about 64 KiB wait in memory, and Flush hands over the
// rest at once.
class RowWriter {
 public:
  RowWriter(std::FILE* out, RowFormat format);
  RowWriter(const RowWriter&) = delete;
  RowWriter& operator=(const RowWriter&) = delete;

  // Every file of `chunk`, in order.
  void Write(const FoundChunk& chunk);
  // One file, its path in two parts.
  void WriteRow(std::string_view folder, std::string_view name, const Stamp& stamp,
                std::int64_t size);
  // Writes what waits and flushes the stream; false once a write failed.
  bool Flush();
  // The errno of the first failed write, 0 while none failed.
  int error() const { return error_; }

 private:
  void AppendPath(std::string_view folder, std::string_view name);
  void Drain();

  std::FILE* out_;
  RowFormat format_;
  std::string buffer_;
  LocalDateOffsets offsets_;
  int error_ = 0;
};

// Runs the search of `request`: checks and prunes its folders as the
// window does its rows, writes the rows to `out` as the search hands them
// over (flushed each time), and every message to `err`, one a line.
// Returns the exit status: 0 when the search ran, whatever it found; 1
// when a folder was left out, an error was reported or the rows could not
// be written.  `engine_options` are the search engine's (tests make its
// chunks small).
int RunFind(const FindRequest& request, std::FILE* out, std::FILE* err,
            const SearchEngine::Options& engine_options = SearchEngine::Options());

// Prints a message, in the user's language, as one line, at once: what the
// command line says on standard error.
void Say(std::FILE* to, const QString& text);

}  // namespace qm

#endif  // QUENMOOR_APP_COMMAND_LINE_H_
