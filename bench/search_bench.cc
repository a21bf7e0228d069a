// Times a whole search run in the real window: a generated tree is listed in
// the folder list, "Start Finding Unused Files" is clicked and the run goes
// to its end, criterion pass and result list included.  Beside it, on the
// same warm tree, `find TREE -type f -newerat DATE` lists the same files.
// The rule is the window's default, "Date Accessed" and "After this date",
// with a date before every file's access time, so every file is listed.
//
//   QT_QPA_PLATFORM=offscreen search_bench [FILES] [FOLDER] [RUNS]
//
// FILES: number of files (default 200,000, at most 1,000,000), in FILES / 20
// folders.  FOLDER: where to keep the tree for the next run (reused when it
// already holds one of the same size); by default a temporary folder,
// removed at the end.  RUNS: search runs (default 2 up to 200,000 files,
// else 1); every run after the first starts with the last run's rows listed.
//
// Prints the run's wall time beside find's and their ratio, the peak memory
// of the run and its cost per file found, and the longest the window went
// without a turn of its event loop: as the yields see it, and as a 1 ms
// timer sees it (the truer figure: it includes the time spent in each turn).
#include <sys/stat.h>

#include <QApplication>
#include <QEventLoop>
#include <QTimer>
#include <QPushButton>
#include <QRadioButton>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <fstream>
#include <string>
#include <vector>

#include "app/date_value.h"
#include "app/form1.h"
#include "bench_util.h"
#include "platform/yield.h"
#include "tree_gen.h"

namespace {

using qm::bench::Clock;
using qm::bench::Mb;
using qm::bench::SecondsSince;

struct RunFigures {
  double seconds = 0;
  long rows = 0;
  double yield_gap_ms = 0;
  double timer_gap_ms = 0;
  double timer_gap_end_ms = 0;  // when that gap ended, from the click
  long rss_before_kb = 0;
  long peak_kb = 0;
  long rss_after_kb = 0;
};

RunFigures RunSearch(qm::Form1& form) {
  RunFigures out;
  QCoreApplication::processEvents(QEventLoop::AllEvents);
  out.rss_before_kb = qm::bench::RssKb();
  qm::bench::ResetPeak();
  qm::bench::LoopGapWatch watch;
  watch.Start();
  qm::ResetYieldGap();
  auto start = Clock::now();
  form.PushButton2->click();  // the search runs inside the click handler
  while (form.SearchRunning()) QCoreApplication::processEvents(QEventLoop::AllEvents);
  out.seconds = SecondsSince(start);
  // The window lays out and paints the new rows once the handler has
  // returned; that turn belongs to the run as the user sees it.
  QEventLoop settle;
  QTimer::singleShot(300, &settle, &QEventLoop::quit);
  settle.exec();
  watch.Stop();
  out.yield_gap_ms = qm::LongestYieldGap();
  out.timer_gap_ms = watch.LongestMs();
  out.timer_gap_end_ms = watch.LongestEndMs();
  out.peak_kb = qm::bench::PeakKb();
  out.rss_after_kb = qm::bench::RssKb();
  out.rows = form.ListView2->ItemCount();
  return out;
}

struct FindFigures {
  double seconds = 0;
  long matches = 0;
};

FindFigures RunFind(const std::string& tree, const std::string& after_text) {
  FindFigures out;
  const std::string command = "find '" + tree + "' -type f -newerat '" + after_text + "'";
  out.matches = qm::bench::CountOutputLines(command, &out.seconds);
  return out;
}

}  // namespace

int main(int argc, char** argv) {
  if (!std::getenv("QT_QPA_PLATFORM")) ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
  long files = argc > 1 ? std::atol(argv[1]) : 200000;
  if (files < 1) files = 1;
  if (files > 1000000) files = 1000000;
  const bool temporary = argc <= 2;
  std::string keep = temporary ? qm::bench::MakeTempFolder("qmsearchbench") : argv[2];
  if (keep.empty()) return 1;
  if (keep.back() == '/') keep.pop_back();
  ::mkdir(keep.c_str(), 0755);
  const std::string tree = keep + "/tree/";
  const std::string home = keep + "/home";
  ::mkdir(home.c_str(), 0755);

  // Fixed stamps keep a kept tree valid: every access time lies in the 1000
  // days before 1 January 2026.
  const qm::bench::TreeShape shape =
      qm::bench::EnsureTree(tree, keep + "/.searchbench-", files, /*clear=*/true);

  // The picked day lies two days before the oldest possible stamp; "After"
  // takes the days after it, which is what find's -newerat says of the
  // following midnight.
  const std::time_t picked = shape.newest - 1002L * 86400;
  struct tm local;
  ::localtime_r(&picked, &local);
  const qm::DateValue picked_day = static_cast<double>(
      qm::DayNumberOf(local.tm_year + 1900, local.tm_mon + 1, local.tm_mday));
  struct tm next = local;
  next.tm_mday += 1;
  next.tm_hour = 12;
  std::mktime(&next);
  char after_text[64];
  std::snprintf(after_text, sizeof after_text, "%04d-%02d-%02d 00:00:00", next.tm_year + 1900,
                next.tm_mon + 1, next.tm_mday);

  qm::bench::PrepareWindowEnvironment(home, nullptr);
  QApplication app(argc, argv);
  qm::Form1 form;
  form.Form_Load();
  form.show();
  form.Option3->setChecked(true);  // Date Accessed
  form.Option4->setChecked(true);  // After this date
  form.DTPicker3->SetValue(picked_day);
  form.AddFolderRow(QString::fromStdString(tree));

  // Warm the tree, then alternate runs; the first run gives the memory
  // figures (nothing is left over from an earlier one).
  int rounds = files <= 200000 ? 2 : 1;
  if (argc > 3 && std::atoi(argv[3]) > 0) rounds = std::atoi(argv[3]);
  FindFigures find = RunFind(tree, after_text);
  RunFigures first = RunSearch(form);
  RunFigures best = first;
  std::vector<RunFigures> all{first};
  FindFigures f = RunFind(tree, after_text);
  if (f.seconds < find.seconds || find.matches == 0) find = f;
  for (int round = 1; round < rounds; ++round) {
    RunFigures r = RunSearch(form);
    all.push_back(r);
    if (r.seconds < best.seconds) best = r;
    f = RunFind(tree, after_text);
    if (f.seconds < find.seconds) find = f;
  }

  double max_yield_gap = 0, max_timer_gap = 0;
  for (const RunFigures& r : all) {
    max_yield_gap = std::max(max_yield_gap, r.yield_gap_ms);
    max_timer_gap = std::max(max_timer_gap, r.timer_gap_ms);
  }
  const double ratio = best.seconds / find.seconds;
  const double per_file =
      first.rows > 0 ? (first.peak_kb - first.rss_before_kb) * 1024.0 / first.rows : 0;
  std::printf("\nsearch_bench: %ld files in %ld folders, Date Accessed after %s "
              "(best of %d runs, find best of %d)\n\n",
              files, shape.folders, after_text, rounds, rounds + 1);
  std::printf("| %-48s | %12s |\n", "measure", "value");
  std::printf("|%s|%s|\n", std::string(50, '-').c_str(), std::string(14, '-').c_str());
  std::printf("| %-48s | %12.3f |\n", "search run, wall time (s)", best.seconds);
  std::printf("| %-48s | %12.3f |\n", "find -type f -newerat (s)", find.seconds);
  std::printf("| %-48s | %12.2f |\n", "ratio run / find", ratio);
  std::printf("| %-48s | %12ld |\n", "files listed by the run", best.rows);
  std::printf("| %-48s | %12ld |\n", "files listed by find", find.matches);
  std::printf("| %-48s | %12.1f |\n", "RSS before the run (MB)", Mb(first.rss_before_kb));
  std::printf("| %-48s | %12.1f |\n", "peak memory during the run, VmHWM (MB)", Mb(first.peak_kb));
  std::printf("| %-48s | %12.1f |\n", "RSS after the run (MB)", Mb(first.rss_after_kb));
  std::printf("| %-48s | %12.0f |\n", "peak growth per file found (bytes)", per_file);
  std::printf("| %-48s | %12.1f |\n", "longest gap between yields, any run (ms)",
              max_yield_gap);
  std::printf("| %-48s | %12.1f |\n", "longest gap seen by a 1 ms timer, any run (ms)",
              max_timer_gap);

  std::printf("\n");
  bool counts_agree = true;
  for (std::size_t k = 0; k < all.size(); ++k) {
    const RunFigures& r = all[k];
    std::printf("run %zu: %.3f s, %ld rows, longest timer gap %.1f ms ending %.0f ms after "
                "the click\n",
                k + 1, r.seconds, r.rows, r.timer_gap_ms, r.timer_gap_end_ms);
    counts_agree = counts_agree && r.rows == find.matches;
  }
  const bool all_match = best.rows == files;
  const double gap = max_timer_gap;
  std::printf("\ncounts %s; every file listed: %s\n", counts_agree ? "agree" : "DIFFER",
              all_match ? "yes" : "NO");
  std::printf("ratio <= 3: %s   longest gap <= 100 ms: %s\n", ratio <= 3 ? "yes" : "NO",
              gap <= 100 ? "yes" : "NO");
  if (files == 1000000) {
    std::printf("peak under 1 GB: %s\n", first.peak_kb < 1024L * 1024 ? "yes" : "NO");
  }
  if (temporary) qm::bench::RemoveTree(keep);
  return counts_agree ? 0 : 2;
}
