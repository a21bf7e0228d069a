// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/command_act.h"

#include <sys/stat.h>

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <cerrno>
#include <set>
#include <string>
#include <vector>

#include "platform/failure.h"
#include "platform/file_system.h"
#include "platform/trash.h"
#include "results/journal.h"
#include "results/move_files.h"
#include "results/undo.h"

namespace qm {
namespace {

QString Tr(const char* text) { return QCoreApplication::translate("Main", text); }

QString Q(const std::string& text) { return QString::fromStdString(text); }

// The window's words for what a move did, in their own context.
QString MoveSaid(const char* text) { return Q(Translated("qm::MoveToFolder", text)); }

void NotTrashed(std::FILE* err, const std::string& path, const std::string& why) {
  Say(err, Tr(QT_TRANSLATE_NOOP("Main", "quenmoor: %1: not moved to the trash (%2)"))
               .arg(Q(path), Q(why)));
}

void NotMoved(std::FILE* err, const std::string& path, const QString& why) {
  Say(err, Tr(QT_TRANSLATE_NOOP("Main", "quenmoor: %1: not moved (%2)")).arg(Q(path), why));
}

void JournalTrouble(std::FILE* err, const JournalWriter& journal) {
  if (journal.Trouble().empty()) return;
  Say(err, Tr(QT_TRANSLATE_NOOP("Main", "quenmoor: this command cannot be undone: %1"))
               .arg(Q(journal.Trouble())));
}

// The files found, each once, with their positions in `found`.
struct Listed {
  std::vector<ListedFile> files;
  std::vector<std::size_t> at;
};

Listed ListFound(const FoundFiles& found) {
  Listed listed;
  std::set<std::string> seen;
  for (std::size_t i = 0; i < found.Count(); ++i) {
    std::string path = found.Path(i);
    if (!seen.insert(path).second) continue;
    listed.files.push_back({std::move(path), found.IdAt(i)});
    listed.at.push_back(i);
  }
  return listed;
}

void WriteFound(RowWriter* writer, const FoundFiles& found, std::size_t i) {
  std::string_view folder, name;
  found.Parts(i, &folder, &name);
  writer->WriteRow(folder, name, found.StampAt(i), found.SizeAt(i));
}

// Whether the file listed as `file` is still there as it was listed; the
// reason when not.
bool StillListed(const ListedFile& file, std::string* why) {
  FileState now;
  if (!ReadFileState(file.path, &now)) {
    *why = ReasonText(errno);
    return false;
  }
  if (!file.id.Known() || now.id != file.id) {
    *why = ReasonText(kChangedSinceSearch);
    return false;
  }
  return true;
}

bool SameFolder(const std::string& a, const std::string& b) {
  struct stat x, y;
  return Fs().Stat(a.c_str(), &x) == 0 && Fs().Stat(b.c_str(), &y) == 0 && x.st_dev == y.st_dev &&
         x.st_ino == y.st_ino;
}

int Trash(const Listed& listed, const FoundFiles& found, bool dry_run, RowWriter* writer,
          std::FILE* err) {
  int handled = 0;
  if (dry_run) {
    for (std::size_t k = 0; k < listed.files.size(); ++k) {
      std::string why;
      if (!StillListed(listed.files[k], &why)) {
        NotTrashed(err, listed.files[k].path, why);
        continue;
      }
      WriteFound(writer, found, listed.at[k]);
      ++handled;
    }
  } else {
    JournalWriter journal(JournalKind::kTrash, std::string());
    if (!listed.files.empty()) journal.Start();
    const TrashOutcome outcome = MoveToTrash(listed.files, nullptr, &journal);
    journal.Finish();
    // Both lists keep the order of the files.
    std::size_t next = 0;
    for (std::size_t k = 0; k < listed.files.size(); ++k) {
      if (next < outcome.trashed.size() && outcome.trashed[next] == listed.files[k].path) {
        WriteFound(writer, found, listed.at[k]);
        ++next;
        ++handled;
      }
    }
    for (std::size_t k = 0; k < outcome.not_trashed.size(); ++k) {
      NotTrashed(err, outcome.not_trashed[k],
                 k < outcome.reasons.size() ? outcome.reasons[k] : std::string());
    }
    JournalTrouble(err, journal);
  }
  const int total = static_cast<int>(listed.files.size());
  if (dry_run) {
    Say(err, total == 1 ? Tr(QT_TRANSLATE_NOOP("Main",
                                               "quenmoor: dry run: %1 of 1 file would be moved "
                                               "to the trash; nothing was changed"))
                              .arg(handled)
                        : Tr(QT_TRANSLATE_NOOP("Main",
                                               "quenmoor: dry run: %1 of %2 files would be "
                                               "moved to the trash; nothing was changed"))
                              .arg(QString::number(handled), QString::number(total)));
  }
  return handled == total ? 0 : 1;
}

int Move(const Listed& listed, const FoundFiles& found, const QString& folder, bool dry_run,
         RowWriter* writer, std::FILE* err) {
  const std::string target = folder.toStdString();
  FileMover mover;
  JournalWriter journal(JournalKind::kMove, target);
  int folder_error = 0;
  if (!dry_run) {
    mover.SetJournal(&journal);
    folder_error = mover.OpenFolder(target);
    if (!listed.files.empty()) journal.Start();
  }
  int handled = 0;
  for (std::size_t k = 0; k < listed.files.size(); ++k) {
    const ListedFile& file = listed.files[k];
    const std::string name = BaseName(file.path);
    if (const char* refused = RefusedMoveName(name)) {
      NotMoved(err, file.path, MoveSaid(refused));
      continue;
    }
    if (folder_error != 0) {
      NotMoved(err, file.path, Q(ReasonText(folder_error)));
      continue;
    }
    if (dry_run) {
      std::string why;
      if (!StillListed(file, &why)) {
        NotMoved(err, file.path, Q(why));
      } else if (SameFolder(ParentOf(file.path), target)) {
        FileMover::Result there;
        there.outcome = FileMover::kAlreadyThere;
        NotMoved(err, file.path, Q(FileMover::ReasonOf(there)));
      } else {
        WriteFound(writer, found, listed.at[k]);
        ++handled;
      }
      continue;
    }
    const FileMover::Result result = mover.Move(file.path, file.id);
    switch (result.outcome) {
      case FileMover::kMoved:
        WriteFound(writer, found, listed.at[k]);
        ++handled;
        if (result.name != name) {
          Say(err, Tr(QT_TRANSLATE_NOOP("Main",
                                        "quenmoor: %1: moved as %2, because the folder already "
                                        "held a file of its name"))
                       .arg(Q(file.path), Q(result.name)));
        }
        break;
      default:
        NotMoved(err, file.path, Q(FileMover::ReasonOf(result)));
        break;
    }
  }
  journal.Finish();
  JournalTrouble(err, journal);
  const int total = static_cast<int>(listed.files.size());
  if (dry_run) {
    Say(err, (total == 1 ? Tr(QT_TRANSLATE_NOOP("Main",
                                                "quenmoor: dry run: %1 of 1 file would be moved "
                                                "to %2; nothing was changed"))
                               .arg(QString::number(handled), folder)
                         : Tr(QT_TRANSLATE_NOOP("Main",
                                                "quenmoor: dry run: %1 of %2 files would be "
                                                "moved to %3; nothing was changed"))
                               .arg(QString::number(handled), QString::number(total), folder)));
  }
  return handled == total ? 0 : 1;
}

}  // namespace

QString MoveFolderForArgument(const QString& arg, std::FILE* err) {
  const QString clean = QDir::cleanPath(QFileInfo(arg).absoluteFilePath());
  struct stat st;
  if (Fs().Stat(clean.toStdString().c_str(), &st) != 0) {
    Say(err, Tr(QT_TRANSLATE_NOOP("Main", "quenmoor: %1: no folder to move to (%2)"))
                 .arg(arg, Q(ReasonText(errno))));
    return QString();
  }
  if (!S_ISDIR(st.st_mode)) {
    Say(err, Tr(QT_TRANSLATE_NOOP("Main", "quenmoor: %1: not a folder to move to")).arg(arg));
    return QString();
  }
  return clean;
}

int ActOnFound(const FindRequest& request, const QString& move_to, const FoundFiles& found,
               RowWriter* writer, std::FILE* err) {
  const Listed listed = ListFound(found);
  if (request.act == FindRequest::Act::kTrash) {
    return Trash(listed, found, request.dry_run, writer, err);
  }
  return Move(listed, found, move_to, request.dry_run, writer, err);
}

int RunUndo(bool dry_run, std::FILE* out, std::FILE* err) {
  const UndoOutcome undone = UndoLastCommand(dry_run);
  switch (undone.status) {
    case UndoOutcome::kNothing:
      Say(err, Tr(QT_TRANSLATE_NOOP("Main", "quenmoor: nothing to undo")));
      return 0;
    case UndoOutcome::kTrouble:
      Say(err, Tr(QT_TRANSLATE_NOOP("Main", "quenmoor: %1")).arg(Q(undone.trouble)));
      return 1;
    case UndoOutcome::kDone:
      break;
  }
  if (undone.back.empty() && undone.not_back.empty()) {
    // A command ended before any file went, or nothing in it is left.
    Say(err, Tr(QT_TRANSLATE_NOOP("Main", "quenmoor: nothing to undo")));
    return 0;
  }
  for (const UndoOutcome::File& file : undone.back) {
    std::fwrite(file.path.data(), 1, file.path.size(), out);
    std::fputc('\n', out);
  }
  std::fflush(out);
  for (const UndoOutcome::File& file : undone.not_back) {
    Say(err, Tr(QT_TRANSLATE_NOOP("Main", "quenmoor: %1: not put back (%2)"))
                 .arg(Q(file.path), Q(file.reason)));
  }
  if (dry_run) {
    const int total = static_cast<int>(undone.back.size() + undone.not_back.size());
    const QString back = QString::number(undone.back.size());
    Say(err, total == 1 ? Tr(QT_TRANSLATE_NOOP("Main",
                                               "quenmoor: dry run: %1 of 1 file would be put "
                                               "back; nothing was changed"))
                              .arg(back)
                        : Tr(QT_TRANSLATE_NOOP("Main",
                                               "quenmoor: dry run: %1 of %2 files would be put "
                                               "back; nothing was changed"))
                              .arg(back, QString::number(total)));
  }
  return undone.not_back.empty() ? 0 : 1;
}

}  // namespace qm
