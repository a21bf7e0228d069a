// SPDX-License-Identifier: GPL-3.0-or-later
// The journal of the last command that took files away, to the trash or
// into a folder, so that Undo can put them back: also after the window was
// closed, and after the program was killed in the middle of the command.
//
// It is the file $XDG_STATE_HOME/quenmoor/journal (by default
// ~/.local/state/quenmoor/journal), read and written as every file of the
// program's own (platform/whole_file.h: OwnRecordFile).  A command that
// takes a file away replaces it, just before the first file goes, so only
// the last such command is kept.  One line a record, each ended by a check
// value over the line:
//
//   QJ1 trash TIME | QJ1 move TIME FOLDER    what the command was
//   T N PATH ID SIZE MTIME ENTRY INFO VALUE  file N is to go to the trash
//   I N PATH ID SIZE MTIME PLACE             file N is to go to PLACE
//   A N [ID SIZE MTIME]                      file N went (as another file)
//   S N                                      file N stayed where it was
//   B N                                      an undo put file N back
//
// Paths are written as the trash writes them (percent-encoded), so a line
// holds no blank or line end of a name.  A file's T or I record is written
// before each attempt at its place, before anything of it moves (for the
// trash, before its info file); its A or S record once it is known.  So
// after a kill the journal names every file that went, or may have gone,
// and where: the last record of a file without A or S tells where to look.
//
// Each record goes in with one write(), so a kill leaves at most the last
// line torn, and that line tells of nothing that happened yet: it is
// dropped.  A line that is complete but fails its check, or records out of
// order, make the journal damaged: it is then reported and ignored.
#ifndef QUENMOOR_RESULTS_JOURNAL_H_
#define QUENMOOR_RESULTS_JOURNAL_H_

#include <sys/stat.h>

#include <chrono>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/file_id.h"
#include "platform/trash.h"
#include "platform/whole_file.h"

namespace qm {

enum class JournalKind { kTrash, kMove };

// What a file was when it went: its identity, and its size and modified
// time, which tell whether it changed since.
struct FileState {
  FileId id;
  std::int64_t size = 0;
  std::int64_t mtime_sec = 0;
  std::int64_t mtime_nsec = 0;

  static FileState Of(const FileId& id, const struct stat& st);
  static FileState Of(const struct statx& stx);
  // The same identity, size and modified time.
  bool operator==(const FileState& o) const {
    return id == o.id && size == o.size && mtime_sec == o.mtime_sec && mtime_nsec == o.mtime_nsec;
  }
  bool operator!=(const FileState& o) const { return !(*this == o); }
  // The same type of file, of the same size and modified time: what a
  // copy keeps of its source.
  bool LooksLike(const FileState& o) const {
    return id.Type() == o.id.Type() && size == o.size && mtime_sec == o.mtime_sec &&
           mtime_nsec == o.mtime_nsec;
  }
};

// The state of what `path` names now (a link itself); false when nothing
// can be read there, with errno set.
bool ReadFileState(const std::string& path, FileState* state);

// One file the command took, or was about to take when it ended.
struct JournalEntry {
  enum Outcome { kUnknown, kArrived, kStayed };
  std::string path;        // where it was (absolute)
  FileState was;           // as it was when it went
  std::string place;       // where it went: the last place announced
  std::string info;        // trash: its info file
  std::string path_value;  // trash: the info file's Path
  Outcome outcome = kUnknown;
  bool arrived_other = false;  // what arrived is another file (a copy) ...
  FileState arrived;           // ... this one
  bool back = false;           // an undo put it back, or found it back
};

struct Journal {
  JournalKind kind = JournalKind::kTrash;
  std::int64_t when = 0;  // seconds since 1970
  std::string folder;     // a move's folder
  std::vector<JournalEntry> entries;
};

// The journal's path.
std::string JournalPath();

// Writes the journal of one command, which replaces the last one's as the
// command starts to take files (Start), so that a command ended before any
// file went leaves nothing to undo, not the command before it.  A journal
// that cannot be written (no space, something
// else than a file at its path) is given up for the command, which goes on
// without it: Trouble() says why, and what was written of it is removed,
// so Undo never offers half a command.  A journal linked to /dev/null is
// switched off without a word.
class JournalWriter : public TrashWatcher {
 public:
  // `folder`: the folder a move goes to; "" for the trash.
  JournalWriter(JournalKind kind, const std::string& folder);
  ~JournalWriter() override;
  JournalWriter(const JournalWriter&) = delete;
  JournalWriter& operator=(const JournalWriter&) = delete;

  // Replaces the last command's journal with this one's, still empty: done
  // just before the first file goes (the first announcement does it too).
  void Start() { Begin(); }

  // A move: the file at `path` (listed as `id`, its status `st`) is to
  // become `place`.  Another call for the same file is another attempt.
  void Going(const std::string& path, const FileId& id, const struct stat& st,
             const std::string& place);
  // The trash's announcements (TrashWatcher).
  void Going(const std::string& path, const FileId& id, const struct stat& st,
             const std::string& entry, const std::string& info,
             const std::string& path_value) override;
  // The file announced last went to the place announced last (what is
  // there is read: a copy is another file, and some file systems number a
  // file anew under each name).
  void Arrived() override;
  void Stayed() override;

  // Flushes the journal to disk and lets go of it; removes it when no file
  // went.  Done by the destructor too.
  void Finish();

  // How many files went, as recorded.
  int Gone() const { return gone_; }
  // Whether the journal holds this command (not given up, not switched
  // off, and something was announced).
  bool Kept() const { return begun_ && !off_; }
  // Why the journal was given up ("" while it is kept or switched off).
  const std::string& Trouble() const { return trouble_; }

 private:
  bool Begin();
  // Makes `path` the file announced (unless it is already: another
  // attempt), going to `place`, and gives the announcement's first fields.
  std::string Announce(char kind, const std::string& path, const FileId& id, const struct stat& st,
                       const std::string& place);
  void Write(std::string fields);
  void GiveUp(const std::string& why);

  JournalKind kind_;
  std::string folder_;
  OwnRecordFile file_;
  bool begun_ = false;
  bool off_ = false;      // switched off or given up
  bool pending_ = false;  // the last file announced has no outcome yet
  std::string pending_path_;
  std::string pending_place_;
  FileState pending_state_;
  long long next_ = 0;  // the next file's number
  int gone_ = 0;
  std::chrono::steady_clock::time_point synced_;  // last flushed to disk
  std::string trouble_;
};

// The journal opened to take back what it holds: read whole, and held, so
// that no other copy of the program uses it meanwhile, with what was put
// back added as it goes.
class JournalReader {
 public:
  enum Status { kNone, kRead, kTrouble };
  // kNone: there is no journal (or it is switched off).  kTrouble: it
  // cannot be used; `trouble` says why (not a file, damaged, in use, ...).
  Status Open(Journal* journal, std::string* trouble);
  // Records that entry `index` is back where it was.
  void MarkBack(std::size_t index);
  // Removes the journal: nothing in it is left to take back.
  void Remove();
  void Close() { file_.Close(); }

 private:
  OwnRecordFile file_;
  std::chrono::steady_clock::time_point synced_;
  bool torn_ = false;  // the last line is torn, and goes before a record is added
  std::size_t good_size_ = 0;
};

// Whether the journal is there and begins as a journal does (its first
// line only is read): what Undo is offered on.
bool JournalPresent();

// Reads the text of a journal; false, with the line number of the first
// line that is not right in `bad_line`, when it is damaged.  A torn last
// line is dropped; `good_size` is the length of what was read.
bool ParseJournal(const std::string& text, Journal* journal, int* bad_line, std::size_t* good_size);

}  // namespace qm

#endif  // QUENMOOR_RESULTS_JOURNAL_H_
