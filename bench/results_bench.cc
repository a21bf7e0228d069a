// SPDX-License-Identifier: GPL-3.0-or-later
// Times the two ways of disposing of results in the real window, on small
// files a search has listed and "Select All" has ticked:
//   "Move To Folder" (the folder browser answered with a folder on the same
//   file system), beside `mv -t` of as many files through xargs; the same
//   move with its undo journal switched off, and Undo of the whole move;
//   "Send Checked To Recycle Bin" (the question answered OK), beside
//   `trash-put` and `gio trash` of as many files, where installed.
// Everything lives under a private temporary HOME and XDG_DATA_HOME, so the
// trash is a fresh one.
//
//   QT_QPA_PLATFORM=offscreen results_bench [FILES] [ROUNDS]
//
// FILES: files per command (default 10,000), spread over 10 folders;
// ROUNDS: rounds of the move and of mv (default 3), the best one counting.  The
// files and the trash go under $TMPDIR (default /tmp); on a disk, creating
// files soon after many were deleted can cost far more than the commands
// themselves, so TMPDIR=/dev/shm gives the steadier comparison.
#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QApplication>
#include <QEventLoop>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>

#include "app/form1.h"
#include "base/date_value.h"
#include "bench_util.h"
#include "tree_gen.h"

namespace {

using qm::bench::Clock;
using qm::bench::SecondsSince;

const int kFolders = 10;

// `count` small files in `kFolders` folders below `root`, names unique over
// the whole set (a move gathers them into one folder).
void MakeFiles(const std::string& root, const std::string& stem, int count) {
  ::mkdir(root.c_str(), 0755);
  for (int f = 0; f < kFolders; ++f) ::mkdir((root + "/d" + std::to_string(f)).c_str(), 0755);
  for (int i = 0; i < count; ++i) {
    std::ofstream(root + "/d" + std::to_string(i % kFolders) + "/" + stem + " " +
                  std::to_string(i) + ".txt")
        << "sample " << i << "\n";
  }
}

long CountFiles(const std::string& folder) {
  DIR* dir = ::opendir(folder.c_str());
  if (!dir) return 0;
  long count = 0;
  while (struct dirent* ent = ::readdir(dir)) count += ent->d_type == DT_REG;
  ::closedir(dir);
  return count;
}

// Runs `command` in a shell; seconds taken, or -1 when it failed.
double Timed(const std::string& command) {
  auto start = Clock::now();
  const int rc = std::system(command.c_str());
  const double seconds = SecondsSince(start);
  return rc == 0 ? seconds : -1;
}

// Searches `root` and ticks every row; the number of rows.
int ListAndTick(qm::Form1& form, const std::string& root) {
  form.PushButton7_Click();  // Clear List
  form.AddFolderRow(QString::fromStdString(root + "/"));
  form.PushButton2->click();
  form.PushButton4_Click();
  QCoreApplication::processEvents(QEventLoop::AllEvents);
  return form.ListView2->ItemCount();
}

struct CommandFigures {
  double seconds = 0;
  double gap_ms = 0;
};

// Clicks `button` and lets the window settle; the time and the longest the
// event loop waited for a turn.
CommandFigures Click(QPushButton* button) {
  qm::bench::LoopGapWatch watch;
  watch.Start();
  auto start = Clock::now();
  button->click();  // the command runs inside the click handler
  CommandFigures out;
  out.seconds = SecondsSince(start);
  QEventLoop settle;
  QTimer::singleShot(100, &settle, &QEventLoop::quit);
  settle.exec();
  watch.Stop();
  out.gap_ms = watch.LongestMs();
  return out;
}

void Line(const char* what, double seconds, long files, const std::string& note) {
  if (seconds < 0) {
    std::printf("| %-36s | %9s | %9s | %-34s |\n", what, "failed", "", note.c_str());
  } else {
    std::printf("| %-36s | %9.3f | %9.0f | %-34s |\n", what, seconds, files / seconds,
                note.c_str());
  }
}

}  // namespace

int main(int argc, char** argv) {
  if (!std::getenv("QT_QPA_PLATFORM")) ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
  const int files = argc > 1 ? std::atoi(argv[1]) : 10000;
  const int rounds = argc > 2 ? std::atoi(argv[2]) : 3;
  if (files < 1 || rounds < 1) return 1;
  const std::string root = qm::bench::MakeTempFolder("qmresultsbench");
  if (root.empty()) return 1;
  const std::string home = root + "/home";
  ::mkdir(home.c_str(), 0755);
  QString move_target;
  qm::bench::PrepareWindowEnvironment(home, &move_target);
  const std::string trash_files = home + "/.local/share/Trash/files";
  QApplication app(argc, argv);

  qm::Form1 form;
  form.Form_Load();
  form.show();
  form.Option3->setChecked(true);  // Date Accessed
  form.Option4->setChecked(true);  // After this date: every fresh file
  form.DTPicker3->SetValue(qm::DayNumberOf(2000, 1, 1));

  std::printf("results_bench: %d small files per command, in %d folders\n\n", files, kFolders);
  std::printf("| %-36s | %9s | %9s | %-34s |\n", "command", "seconds", "files/s", "");
  std::printf("|%s|%s|%s|%s|\n", std::string(38, '-').c_str(), std::string(11, '-').c_str(),
              std::string(11, '-').c_str(), std::string(36, '-').c_str());
  bool ok = true;

  // Move To Folder and mv, in rounds whose order alternates (whoever goes
  // first after many files were made pays for the file system's catching
  // up); each takes its best round.  The machine may be shared: only the
  // best rounds are worth comparing.
  CommandFigures move;
  move.seconds = -1;
  double mv = -1;
  for (int round = 1; round <= rounds; ++round) {
    const std::string r = std::to_string(round);
    MakeFiles(root + "/move" + r, "moved" + r, files);
    MakeFiles(root + "/mv" + r, "mv" + r, files);
    ::mkdir((root + "/moved-here" + r).c_str(), 0755);
    ::mkdir((root + "/mv-here" + r).c_str(), 0755);
    const int listed = ListAndTick(form, root + "/move" + r);
    auto ours = [&] {
      move_target = QString::fromStdString(root + "/moved-here" + r);
      CommandFigures figures = Click(form.PushButton5);
      const long arrived = CountFiles(root + "/moved-here" + r);
      ok = ok && listed == files && arrived == files && form.ListView2->ItemCount() == 0;
      Line(("Move To Folder (PushButton5) " + r).c_str(), figures.seconds, files,
           std::to_string(arrived) + " moved, " + std::to_string(form.ListView2->ItemCount()) +
               " rows left");
      const double gap = std::max(move.gap_ms, figures.gap_ms);
      if (move.seconds < 0 || figures.seconds < move.seconds) move = figures;
      move.gap_ms = gap;
    };
    auto theirs = [&] {
      const double t = Timed("cd '" + root + "/mv" + r +
                             "' && find . -type f -print0 | xargs -0 mv -t ../mv-here" + r);
      Line(("mv -t (xargs) " + r).c_str(), t, files,
           std::to_string(CountFiles(root + "/mv-here" + r)) + " moved");
      if (mv < 0 || (t >= 0 && t < mv)) mv = t;
    };
    if (round % 2) {
      ours();
      theirs();
    } else {
      theirs();
      ours();
    }
  }

  // Send Checked To Recycle Bin and the trash clients, in two rounds, the
  // second in the opposite order: creating files costs the file system far
  // more soon after many were deleted, and whoever comes first pays most.
  // Each round's files are all made before any is timed; each command takes
  // its better round.
  const bool have_trash_put = std::system("command -v trash-put >/dev/null 2>&1") == 0;
  const bool have_gio = std::system("command -v gio >/dev/null 2>&1") == 0;
  CommandFigures trash;
  trash.seconds = -1;
  double trash_put = -1, gio = -1;
  auto better = [](double best, double now) {
    return best < 0 || (now >= 0 && now < best) ? now : best;
  };
  auto client = [&](const char* label, const std::string& folder, const char* command,
                    double* best) {
    const long before = CountFiles(trash_files);
    const double t = Timed("cd '" + folder + "' && find . -type f -print0 | xargs -0 " + command);
    Line(label, t, files, std::to_string(CountFiles(trash_files) - before) + " in the trash");
    *best = better(*best, t);
  };
  for (int round = 1; round <= 2; ++round) {
    const std::string r = std::to_string(round);
    MakeFiles(root + "/trash" + r, "ours" + r, files);
    if (have_trash_put) MakeFiles(root + "/cli" + r, "cli" + r, files);
    if (have_gio) MakeFiles(root + "/gio" + r, "gio" + r, files);
    const int listed = ListAndTick(form, root + "/trash" + r);
    auto ours = [&] {
      const long before = CountFiles(trash_files);
      CommandFigures figures = Click(form.PushButton3);
      const long trashed = CountFiles(trash_files) - before;
      ok = ok && listed == files && trashed == files && form.ListView2->ItemCount() == 0;
      Line(("Send To Recycle Bin (PushButton3) " + r).c_str(), figures.seconds, files,
           std::to_string(trashed) + " in the trash, " +
               std::to_string(form.ListView2->ItemCount()) + " rows left");
      const double gap = std::max(trash.gap_ms, figures.gap_ms);
      if (trash.seconds < 0 || figures.seconds < trash.seconds) trash = figures;
      trash.gap_ms = gap;
    };
    auto cli = [&] {
      if (have_trash_put) {
        client(("trash-put (xargs) " + r).c_str(), root + "/cli" + r, "trash-put", &trash_put);
      }
    };
    auto gio_trash = [&] {
      if (have_gio) client(("gio trash (xargs) " + r).c_str(), root + "/gio" + r, "gio trash", &gio);
    };
    if (round == 1) {
      ours();
      cli();
      gio_trash();
    } else {
      gio_trash();
      cli();
      ours();
    }
  }

  // The undo journal's cost: the move with the journal switched off (linked
  // to /dev/null), and with it, in alternating order; then Undo of the
  // whole move, which puts every file back and lists it again.
  const std::string journal = home + "/.local/state/quenmoor/journal";
  ::mkdir((home + "/.local/state").c_str(), 0700);
  ::mkdir((home + "/.local/state/quenmoor").c_str(), 0700);
  double journal_off = -1, journal_on = -1, undo = -1;
  for (int round = 1; round <= rounds; ++round) {
    const std::string r = std::to_string(round);
    auto move_with = [&](bool journaled) {
      const std::string tag = (journaled ? "on" : "off") + r;
      MakeFiles(root + "/journal-" + tag, "j" + tag, files);
      ::mkdir((root + "/journal-" + tag + "-here").c_str(), 0755);
      ::unlink(journal.c_str());
      if (!journaled) ::symlink("/dev/null", journal.c_str());
      const int listed = ListAndTick(form, root + "/journal-" + tag);
      move_target = QString::fromStdString(root + "/journal-" + tag + "-here");
      CommandFigures figures = Click(form.PushButton5);
      const long arrived = CountFiles(root + "/journal-" + tag + "-here");
      ok = ok && listed == files && arrived == files;
      Line(("Move To Folder, journal " + std::string(journaled ? "on " : "off ") + r).c_str(),
           figures.seconds, files, std::to_string(arrived) + " moved");
      double& best = journaled ? journal_on : journal_off;
      if (best < 0 || figures.seconds < best) best = figures.seconds;
      if (!journaled) return;
      const auto start = Clock::now();
      form.PushButton10_Click();
      const double seconds = SecondsSince(start);
      long back = 0;
      for (int f = 0; f < kFolders; ++f) {
        back += CountFiles(root + "/journal-" + tag + "/d" + std::to_string(f));
      }
      ok = ok && back == files && CountFiles(root + "/journal-" + tag + "-here") == 0 &&
           form.ListView2->ItemCount() == files;
      Line(("Undo of that move " + r).c_str(), seconds, files,
           std::to_string(back) + " back, " + std::to_string(form.ListView2->ItemCount()) +
               " rows");
      if (undo < 0 || seconds < undo) undo = seconds;
    };
    move_with(round % 2 == 0);
    move_with(round % 2 == 1);
  }
  ::unlink(journal.c_str());

  std::printf("\nbest rounds: move %.3f s = %.2fx mv; trash %.3f s", move.seconds,
              move.seconds / mv, trash.seconds);
  if (trash_put > 0) std::printf(" = %.2fx trash-put (%.3f s)", trash.seconds / trash_put, trash_put);
  if (gio > 0) std::printf(" = %.2fx gio trash (%.3f s)", trash.seconds / gio, gio);
  std::printf("\nthe move with its undo journal %.3f s, without %.3f s (%.0f%% more); "
              "Undo of it %.3f s = %.2fx the move\n",
              journal_on, journal_off, 100 * (journal_on / journal_off - 1), undo,
              undo / journal_on);
  std::printf("longest gap between event-loop turns: move %.1f ms, trash %.1f ms\n",
              move.gap_ms, trash.gap_ms);
  std::printf("every file moved or trashed and its row gone: %s\n", ok ? "yes" : "NO");
  qm::bench::RemoveTree(root);
  return ok ? 0 : 2;
}
