// SPDX-License-Identifier: GPL-3.0-or-later
#include "results/journal.h"

#include <fcntl.h>
#include <pwd.h>
#include <unistd.h>

#include <QCoreApplication>
#include <cerrno>
#include <charconv>
#include <chrono>
#include <cstdlib>
#include <ctime>

#include "platform/failure.h"
#include "platform/file_system.h"

namespace qm {
namespace {

const char kMagic[] = "QJ1";
// A journal of a command on a million files takes some 300 MB; anything
// much larger is not one of ours.
constexpr std::size_t kMaxJournalBytes = std::size_t{2} << 30;
// Records are flushed to disk at most once a second (and at the end): a
// kill loses none of them in any case, a power cut at most a second's.
// (Each flush also commits the file system's journal, with every rename
// made meanwhile: on a slow disk, one per so many records would cost more
// than the moves.)
constexpr std::chrono::milliseconds kSyncEvery{1000};

const WholeFileWords kWords = {
    "qm::Journal",
    QT_TRANSLATE_NOOP("qm::Journal", "The undo journal %1 is %2, not a file"),
    QT_TRANSLATE_NOOP("qm::Journal", "The undo journal %1 is too large (%2)"),
    QT_TRANSLATE_NOOP("qm::Journal", "The undo journal %1 cannot be read: %2"),
};
const char kBusy[] =
    QT_TRANSLATE_NOOP("qm::Journal", "The undo journal %1 is in use by another running Quenmoor");

// A line's check value: 64-bit FNV-1a, as 16 hex digits.
std::string Check(const std::string& text) {
  std::uint64_t h = 1469598103934665603ull;
  for (unsigned char c : text) {
    h ^= c;
    h *= 1099511628211ull;
  }
  static const char kHex[] = "0123456789abcdef";
  std::string out(16, '0');
  for (int i = 15; i >= 0; --i, h >>= 4) out[static_cast<std::size_t>(i)] = kHex[h & 15];
  return out;
}

void AddNumber(std::string* line, long long n) {
  line->push_back(' ');
  line->append(std::to_string(n));
}

void AddState(std::string* line, const FileState& s) {
  line->push_back(' ');
  line->append(std::to_string(s.id.ino));
  AddNumber(line, s.id.dev);
  AddNumber(line, s.id.kind);
  AddNumber(line, s.size);
  AddNumber(line, s.mtime_sec);
  AddNumber(line, s.mtime_nsec);
}

void AddText(std::string* line, const std::string& text) {
  line->push_back(' ');
  // Never empty: a lone "." stands for no text (no path is ".").
  line->append(text.empty() ? std::string(".") : EncodeTrashPath(text));
}

std::vector<std::string> Split(const std::string& line) {
  std::vector<std::string> parts;
  std::size_t at = 0;
  while (at <= line.size()) {
    std::size_t space = line.find(' ', at);
    if (space == std::string::npos) space = line.size();
    parts.push_back(line.substr(at, space - at));
    at = space + 1;
  }
  return parts;
}

template <class T>
bool Number(const std::string& text, T* out) {
  if (text.empty()) return false;
  const auto r = std::from_chars(text.data(), text.data() + text.size(), *out);
  return r.ec == std::errc() && r.ptr == text.data() + text.size();
}

bool Text(const std::string& field, std::string* out) {
  if (field.empty()) return false;
  *out = field == "." ? std::string() : DecodeTrashPath(field);
  return true;
}

// Six fields from `at` as a state.
bool State(const std::vector<std::string>& f, std::size_t at, FileState* s) {
  return f.size() >= at + 6 && Number(f[at], &s->id.ino) && Number(f[at + 1], &s->id.dev) &&
         Number(f[at + 2], &s->id.kind) && Number(f[at + 3], &s->size) &&
         Number(f[at + 4], &s->mtime_sec) && Number(f[at + 5], &s->mtime_nsec);
}

std::string StateHome() {
  const char* state = std::getenv("XDG_STATE_HOME");
  // A relative path is to be ignored, as for every XDG variable.
  if (state && state[0] == '/') return state;
  std::string home;
  if (const char* h = std::getenv("HOME"); h && *h) {
    home = h;
  } else if (const struct passwd* pw = ::getpwuid(::getuid())) {
    home = pw->pw_dir;
  }
  return home + "/.local/state";
}

}  // namespace

FileState FileState::Of(const FileId& id, const struct stat& st) {
  FileState s;
  s.id = id;
  s.size = st.st_size;
  s.mtime_sec = st.st_mtim.tv_sec;
  s.mtime_nsec = st.st_mtim.tv_nsec;
  return s;
}

FileState FileState::Of(const struct statx& stx) {
  FileState s;
  s.id = FileId::Of(stx);
  s.size = static_cast<std::int64_t>(stx.stx_size);
  s.mtime_sec = stx.stx_mtime.tv_sec;
  s.mtime_nsec = stx.stx_mtime.tv_nsec;
  return s;
}

bool ReadFileState(const std::string& path, FileState* state) {
  struct statx stx;
  if (Fs().Statx(path.c_str(), AT_SYMLINK_NOFOLLOW | AT_NO_AUTOMOUNT,
                 STATX_BASIC_STATS | FileId::kMask, &stx) != 0) {
    return false;
  }
  *state = FileState::Of(stx);
  return true;
}

std::string JournalPath() { return StateHome() + "/quenmoor/journal"; }

// ---- writing -----------------------------------------------------------------

JournalWriter::JournalWriter(JournalKind kind, const std::string& folder)
    : kind_(kind), folder_(folder) {
  while (folder_.size() > 1 && folder_.back() == '/') folder_.pop_back();
}

JournalWriter::~JournalWriter() { Finish(); }

bool JournalWriter::Begin() {
  if (begun_) return !off_;
  begun_ = true;
  std::string header = kMagic;
  header += kind_ == JournalKind::kTrash ? " trash" : " move";
  AddNumber(&header, static_cast<long long>(std::time(nullptr)));
  if (kind_ == JournalKind::kMove) AddText(&header, folder_);
  header += ' ' + Check(header) + '\n';
  synced_ = std::chrono::steady_clock::now();  // the header is on disk
  try {
    if (!file_.Start(JournalPath(), header, 0600, kWords)) off_ = true;
  } catch (const Failure& failure) {
    GiveUp(failure.what());
  }
  return !off_;
}

void JournalWriter::GiveUp(const std::string& why) {
  if (trouble_.empty()) trouble_ = why;
  file_.Remove();
  off_ = true;
}

void JournalWriter::Write(std::string fields) {
  if (off_) return;
  fields += ' ' + Check(fields) + '\n';
  if (const int err = file_.Append(fields)) {
    GiveUp(Translated("qm::Journal",
                      QT_TRANSLATE_NOOP("qm::Journal",
                                        "The undo journal %1 could not be "
                                        "written: %2"),
                      {JournalPath(), ReasonText(err)}));
    return;
  }
  const auto now = std::chrono::steady_clock::now();
  if (now - synced_ >= kSyncEvery) {
    file_.Sync();
    synced_ = now;
  }
}

std::string JournalWriter::Announce(char kind, const std::string& path, const FileId& id,
                                    const struct stat& st, const std::string& place) {
  if (!pending_ || path != pending_path_) {
    pending_ = true;
    pending_path_ = path;
    pending_state_ = FileState::Of(id, st);
    ++next_;
  }
  pending_place_ = place;
  std::string line(1, kind);
  AddNumber(&line, next_ - 1);
  AddText(&line, path);
  AddState(&line, pending_state_);
  AddText(&line, place);
  return line;
}

void JournalWriter::Going(const std::string& path, const FileId& id, const struct stat& st,
                          const std::string& place) {
  if (!Begin()) return;
  Write(Announce('I', path, id, st, place));
}

void JournalWriter::Going(const std::string& path, const FileId& id, const struct stat& st,
                          const std::string& entry, const std::string& info,
                          const std::string& path_value) {
  if (!Begin()) return;
  std::string line = Announce('T', path, id, st, entry);
  AddText(&line, info);
  AddText(&line, path_value);
  Write(std::move(line));
}

void JournalWriter::Arrived() {
  if (!pending_) return;
  pending_ = false;
  ++gone_;
  std::string line = "A";
  AddNumber(&line, next_ - 1);
  FileState there;
  if (!off_ && ReadFileState(pending_place_, &there) && there != pending_state_) {
    AddState(&line, there);
  }
  Write(std::move(line));
}

void JournalWriter::Stayed() {
  if (!pending_) return;
  pending_ = false;
  std::string line = "S";
  AddNumber(&line, next_ - 1);
  Write(std::move(line));
}

void JournalWriter::Finish() {
  if (!file_.IsOpen()) return;
  if (gone_ == 0) {
    // Nothing to take back: Undo is not offered on it.
    file_.Remove();
    return;
  }
  file_.Sync();
  file_.Close();
}

// ---- reading -----------------------------------------------------------------

bool ParseJournal(const std::string& text, Journal* journal, int* bad_line,
                  std::size_t* good_size) {
  *journal = Journal();
  *good_size = 0;
  std::size_t at = 0;
  int number = 0;
  while (at < text.size()) {
    const std::size_t end = text.find('\n', at);
    ++number;
    *bad_line = number;
    // A last line without its end was cut short by a kill: what it tells
    // of never happened.  Without even a first line, it is no journal.
    if (end == std::string::npos) return number > 1;
    const std::string whole = text.substr(at, end - at);
    at = end + 1;
    const std::size_t space = whole.rfind(' ');
    if (space == std::string::npos || Check(whole.substr(0, space)) != whole.substr(space + 1)) {
      return false;
    }
    const std::vector<std::string> f = Split(whole.substr(0, space));
    if (number == 1) {
      if (f[0] != kMagic || f.size() < 3) return false;
      if (f[1] == "trash" && f.size() == 3) {
        journal->kind = JournalKind::kTrash;
      } else if (f[1] == "move" && f.size() == 4 && Text(f[3], &journal->folder)) {
        journal->kind = JournalKind::kMove;
      } else {
        return false;
      }
      if (!Number(f[2], &journal->when)) return false;
      *good_size = at;
      continue;
    }
    std::size_t n = 0;
    if (f.size() < 2 || f[0].size() != 1 || !Number(f[1], &n)) return false;
    std::vector<JournalEntry>& entries = journal->entries;
    const char type = f[0][0];
    if (type == 'T' || type == 'I') {
      // A new file, or another attempt of the last one.
      const bool trash = type == 'T';
      if (trash != (journal->kind == JournalKind::kTrash)) return false;
      if (f.size() != (trash ? 12u : 10u)) return false;
      JournalEntry e;
      if (!Text(f[2], &e.path) || !State(f, 3, &e.was) || !Text(f[9], &e.place)) return false;
      if (trash && (!Text(f[10], &e.info) || !Text(f[11], &e.path_value))) return false;
      if (n == entries.size()) {
        entries.push_back(std::move(e));
      } else if (n + 1 == entries.size() && entries[n].outcome == JournalEntry::kUnknown &&
                 entries[n].path == e.path) {
        entries[n] = std::move(e);
      } else {
        return false;
      }
    } else if (type == 'A' || type == 'S') {
      if (n + 1 != entries.size() || entries[n].outcome != JournalEntry::kUnknown) return false;
      JournalEntry& e = entries[n];
      if (type == 'S') {
        if (f.size() != 2) return false;
        e.outcome = JournalEntry::kStayed;
      } else {
        if (f.size() == 8) {
          if (!State(f, 2, &e.arrived)) return false;
          e.arrived_other = true;
        } else if (f.size() != 2) {
          return false;
        }
        e.outcome = JournalEntry::kArrived;
      }
    } else if (type == 'B') {
      if (f.size() != 2 || n >= entries.size()) return false;
      entries[n].back = true;
    } else {
      return false;
    }
    *good_size = at;
  }
  return number >= 1;
}

JournalReader::Status JournalReader::Open(Journal* journal, std::string* trouble) {
  std::string text;
  try {
    if (!file_.Open(JournalPath(), kMaxJournalBytes, kWords, kBusy, &text)) return kNone;
  } catch (const Failure& failure) {
    *trouble = failure.what();
    return kTrouble;
  }
  int bad_line = 0;
  std::size_t good = 0;
  if (!ParseJournal(text, journal, &bad_line, &good)) {
    file_.Close();
    *trouble = Translated("qm::Journal",
                          QT_TRANSLATE_NOOP("qm::Journal",
                                            "The undo journal %1 is damaged (line %2) and is "
                                            "ignored"),
                          {JournalPath(), std::to_string(bad_line)});
    return kTrouble;
  }
  synced_ = std::chrono::steady_clock::now();
  // A torn last record goes before anything is added after it.
  torn_ = good < text.size();
  good_size_ = good;
  return kRead;
}

void JournalReader::MarkBack(std::size_t index) {
  std::string line = "B";
  AddNumber(&line, static_cast<long long>(index));
  line += ' ' + Check(line) + '\n';
  if (torn_) {
    file_.Cut(static_cast<off_t>(good_size_));
    torn_ = false;
  }
  file_.Append(line);  // without it a later undo finds the file back all the same
  const auto now = std::chrono::steady_clock::now();
  if (now - synced_ >= kSyncEvery) {
    file_.Sync();
    synced_ = now;
  }
}

void JournalReader::Remove() { file_.Remove(); }

bool JournalPresent() {
  std::string head;
  try {
    if (!ReadOwnFileHead(JournalPath(), 4096, kWords, &head)) return false;
  } catch (const Failure&) {
    return false;
  }
  const std::size_t end = head.find('\n');
  if (end == std::string::npos) return false;
  Journal first;
  int bad = 0;
  std::size_t good = 0;
  return ParseJournal(head.substr(0, end + 1), &first, &bad, &good);
}

}  // namespace qm
