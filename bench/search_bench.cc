// SPDX-License-Identifier: GPL-3.0-or-later
// Times a whole search in the real window: a generated tree is listed in the
// folder list, "Start Finding Unused Files" is clicked, and the clock stops
// when the result list has painted the rows the search listed.  The search
// runs on threads of its own (search/search_engine.h) while the window's
// thread turns a nested event loop; the clock includes what the window does
// with the finds (the criterion pass, the list) and its first paint.  The
// same search engine is also timed alone, without a window, by the same
// criteria (taken from the window's controls): the "search engine alone"
// line.  Beside them, on the same tree, `find TREE -type f -newerat DATE`
// and, when installed, `fdfind` (by its default thread count and with 16
// threads, made to read every file's status by a date filter) list the same
// files.  The rule is the window's default, "Date Accessed" and "After this
// date", with a date before every file's access time, so every file is
// listed.
//
//   QT_QPA_PLATFORM=offscreen search_bench [FILES] [FOLDER] [RUNS] [--warm-only]
//                                          [--status-ab] [--filters] [--engine-only]
//                                          [--engine-threads N]
//
// FILES: number of files (default 200,000, at most 1,000,000), in FILES / 20
// folders.  FOLDER: where to keep the tree for the next run (reused when it
// already holds one of the same size); by default a temporary folder,
// removed at the end.  RUNS: timed runs of each command, warm and cold
// (default 3); the best is kept.  Every search in the window after the
// first starts with the last one's rows listed, as a user's second search
// does.
//
// Warm runs come first, on a tree read once beforehand.  Cold runs follow
// when this process may empty the page cache (root): before each timed run
// of each command the cache is written back and dropped.  Otherwise, or
// with --warm-only, the cold figures are skipped and the output says so.
//
// Prints the wall times side by side with the CPU time each used (all the
// search's threads, or the child process's own, from its rusage), the
// ratios of the search to find and to `fdfind -j 16`, the peak memory growth
// of the first search per file found (and of the first engine-alone run),
// the CPU time of the window's thread, and the longest the window went
// without a turn of its event loop, as a 1 ms timer sees it.  On a virtual
// machine the host may keep all its cores from running for tens of
// milliseconds at a time, more so while the disk is busy; each run also
// names the host's steal within its longest gap and the longest gap that
// held none.  The load average is printed as the benchmark starts and ends.
//
// With --status-ab the warm search runs go in pairs, one showing its
// progress in the status line and one not, the order changing from pair to
// pair, and both are reported: what the status line costs a search, taken
// on the same tree in the same minutes.
//
// With --filters the window's filters are on: five folder patterns (plain
// names, a suffix, a set, a whole path) that match no folder of the tree,
// and a greatest size every file stays below, so the rows are the same and
// the figures show what judging the filters costs.
//
// With --engine-only only the engine alone runs, RUNS times warm and (as
// root) RUNS times cold, without a window or the other commands: a run to
// profile (`perf record -g`, `perf stat`).  --engine-threads N gives the
// engine alone at most N workers (SearchEngine::Options::threads, 16 by
// default).  Every run names the most workers alive at once.
#include <sys/prctl.h>
#include <sys/resource.h>
#include <sys/stat.h>

#include <QApplication>
#include <QEvent>
#include <QEventLoop>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "app/form1.h"
#include "base/date_value.h"
#include "bench_util.h"
#include "search/folder_walk.h"
#include "search/found_files.h"
#include "search/search_engine.h"
#include "tree_gen.h"

namespace {

using qm::bench::Clock;
using qm::bench::CpuSeconds;
using qm::bench::Mb;
using qm::bench::SecondsSince;

// The first line of /proc/loadavg, without its end of line.
std::string LoadAverage() {
  std::ifstream in("/proc/loadavg");
  std::string line;
  std::getline(in, line);
  return line.empty() ? "unknown" : line;
}

// Notes when the result list's rows are painted after a search: the first
// paint of its viewport once the search has ended.
class PaintWatch : public QObject {
 public:
  explicit PaintWatch(qm::Form1& form) : form_(form) {
    form_.ListView2->viewport()->installEventFilter(this);
  }
  void Arm() {
    armed_ = true;
    painted_ = false;
  }
  bool Painted() const { return painted_; }
  Clock::time_point PaintedAt() const { return painted_at_; }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (armed_ && !painted_ && event->type() == QEvent::Paint && !form_.SearchRunning()) {
      painted_ = true;
      painted_at_ = Clock::now();
    }
    return QObject::eventFilter(watched, event);
  }

 private:
  qm::Form1& form_;
  bool armed_ = false;
  bool painted_ = false;
  Clock::time_point painted_at_;
};

struct RunFigures {
  double seconds = 0;       // the click until the rows are painted
  double listed_seconds = 0;  // the click until the handler returned
  bool painted = false;     // false: no paint came within 2 s of the end
  double cpu = 0;  // CPU seconds of all the process's threads
  double window_cpu = 0;  // CPU seconds of the window's thread
  long rows = 0;
  double timer_gap_ms = 0;
  double timer_gap_end_ms = 0;  // when that gap ended, from the click
  long steal_in_gap_ms = -1;     // the host's steal within that gap
  double clear_gap_ms = 0;       // the longest gap that holds no steal
  long rss_before_kb = 0;
  long peak_kb = 0;
  long rss_after_kb = 0;
  int most_workers = 0;  // the walk's worker threads alive at once, at most
};

RunFigures RunSearch(qm::Form1& form, PaintWatch& paint) {
  RunFigures out;
  QCoreApplication::processEvents(QEventLoop::AllEvents);
  out.rss_before_kb = qm::bench::RssKb();
  qm::bench::ResetPeak();
  qm::bench::LoopGapWatch watch;
  qm::bench::StealWatch steal;
  steal.Start();
  watch.Start();
  paint.Arm();
  // How many workers the walk starts: as many as there are cores while
  // listings come from memory, more once one is seen to wait.
  QTimer workers;
  QObject::connect(&workers, &QTimer::timeout, [&] {
    out.most_workers = std::max(out.most_workers, qm::FolderWalk::LiveWorkers());
  });
  workers.start(5);
  // While the search runs the window's thread goes by another name, so a
  // scheduler trace (`perf sched record`, then `perf sched timehist`)
  // tells its turns in the search apart from the rest of the benchmark.
  char name[16] = {};
  ::prctl(PR_GET_NAME, name);
  ::prctl(PR_SET_NAME, "qm-window");
  auto start = Clock::now();
  const double cpu_start = CpuSeconds(RUSAGE_SELF);
  const double window_start = CpuSeconds(RUSAGE_THREAD);
  // The search runs on its own threads while the click handler turns the
  // event loop; the handler returns with the rows listed.
  form.PushButton2->click();
  while (form.SearchRunning()) QCoreApplication::processEvents(QEventLoop::AllEvents);
  out.listed_seconds = SecondsSince(start);
  // The window lays out and paints the new rows once the handler has
  // returned; that turn belongs to the run as the user sees it.  The 1 ms
  // timer keeps the wait for events short.
  while (!paint.Painted() && SecondsSince(start) < out.listed_seconds + 2) {
    QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
  }
  out.painted = paint.Painted();
  out.seconds = out.painted ? std::chrono::duration<double>(paint.PaintedAt() - start).count()
                            : out.listed_seconds;
  out.cpu = CpuSeconds(RUSAGE_SELF) - cpu_start;
  out.window_cpu = CpuSeconds(RUSAGE_THREAD) - window_start;
  workers.stop();
  ::prctl(PR_SET_NAME, name);
  QEventLoop settle;
  QTimer::singleShot(300, &settle, &QEventLoop::quit);
  settle.exec();
  watch.Stop();
  steal.Stop();
  out.timer_gap_ms = watch.LongestMs();
  out.timer_gap_end_ms = watch.LongestEndMs();
  // Steal comes in ticks of 10 ms: a gap of 10 ms or less counts as clear.
  out.clear_gap_ms = std::min(out.timer_gap_ms, 10.0);
  double longest = 0;
  for (const qm::bench::LoopGapWatch::Gap& gap : watch.Gaps()) {
    const long ticks = steal.TicksIn(gap.begin_ns, gap.end_ns);
    if (gap.Ms() >= longest) {
      longest = gap.Ms();
      out.steal_in_gap_ms = ticks < 0 ? -1 : ticks * 10;
    }
    if (ticks == 0) out.clear_gap_ms = std::max(out.clear_gap_ms, gap.Ms());
  }
  out.peak_kb = qm::bench::PeakKb();
  out.rss_after_kb = qm::bench::RssKb();
  out.rows = form.ListView2->ItemCount();
  return out;
}

// The search engine alone, as the command line runs it: no window, the
// finds kept as the window keeps them.
struct EngineFigures {
  double seconds = 0;
  double cpu = 0;  // CPU seconds of all the process's threads
  long rows = 0;
  long reports = 0;
  long rss_before_kb = 0;
  long peak_kb = 0;
  int most_workers = 0;
};

EngineFigures RunEngine(const qm::SearchCriteria& criteria,
                        const qm::SearchEngine::Options& options) {
  EngineFigures out;
  out.rss_before_kb = qm::bench::RssKb();
  qm::bench::ResetPeak();
  auto start = Clock::now();
  const double cpu_start = CpuSeconds(RUSAGE_SELF);
  auto found = std::make_shared<qm::FoundFiles>();
  {
    qm::SearchEngine engine(options);
    engine.Start(criteria, nullptr);
    for (;;) {
      engine.WaitForNews(5);
      out.most_workers = std::max(out.most_workers, qm::FolderWalk::LiveWorkers());
      qm::SearchEngine::Taken taken = engine.Take();
      for (auto& chunk : taken.chunks) found->Append(std::move(chunk));
      out.reports += static_cast<long>(taken.reports.size());
      if (taken.finished) break;
    }
  }
  out.seconds = SecondsSince(start);
  out.cpu = CpuSeconds(RUSAGE_SELF) - cpu_start;
  out.peak_kb = qm::bench::PeakKb();
  out.rows = static_cast<long>(found->Count());
  return out;
}

// A command of the comparison, and the best of its timed runs.
struct Command {
  std::string label;
  std::string shell;  // prints one line per file found
  double warm = 0, cold = 0;
  double warm_cpu = 0, cold_cpu = 0;  // CPU seconds of the best run, from the child's rusage
  long lines = -1;
};

void TimeCommand(Command& c, bool cold) {
  double seconds = 0;
  const double cpu_start = CpuSeconds(RUSAGE_CHILDREN);
  const long lines = qm::bench::CountOutputLines(c.shell, &seconds);
  const double cpu = CpuSeconds(RUSAGE_CHILDREN) - cpu_start;
  double& best = cold ? c.cold : c.warm;
  if (best == 0 || seconds < best) {
    best = seconds;
    (cold ? c.cold_cpu : c.warm_cpu) = cpu;
  }
  c.lines = lines;
}

std::string Quoted(const std::string& text) { return "'" + text + "'"; }

}  // namespace

int main(int argc, char** argv) {
  if (!std::getenv("QT_QPA_PLATFORM")) ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
  bool warm_only = false;
  bool status_ab = false;
  bool filters = false;
  bool engine_only = false;
  qm::SearchEngine::Options engine_options;
  std::vector<std::string> args;
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--status-ab") == 0) {
      status_ab = true;
    } else if (std::strcmp(argv[i], "--warm-only") == 0) {
      warm_only = true;
    } else if (std::strcmp(argv[i], "--filters") == 0) {
      filters = true;
    } else if (std::strcmp(argv[i], "--engine-only") == 0) {
      engine_only = true;
    } else if (std::strcmp(argv[i], "--engine-threads") == 0 && i + 1 < argc) {
      engine_options.threads = std::max(1, std::atoi(argv[++i]));
    } else {
      args.push_back(argv[i]);
    }
  }
  long files = args.size() > 0 ? std::atol(args[0].c_str()) : 200000;
  if (files < 1) files = 1;
  if (files > 1000000) files = 1000000;
  const bool temporary = args.size() < 2;
  std::string keep = temporary ? qm::bench::MakeTempFolder("qmsearchbench") : args[1];
  if (keep.empty()) return 1;
  if (keep.back() == '/') keep.pop_back();
  ::mkdir(keep.c_str(), 0755);
  const std::string tree = keep + "/tree/";
  const std::string home = keep + "/home";
  ::mkdir(home.c_str(), 0755);
  int runs = args.size() > 2 ? std::atoi(args[2].c_str()) : 3;
  if (runs < 1) runs = 1;
  const std::string load_at_start = LoadAverage();

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

  if (engine_only) {
    // The criteria the window's controls give below, without the window.
    qm::SearchCriteria criteria;
    criteria.roots = {tree};
    criteria.date =
        qm::DateCriterion::Single(qm::DateType::kAccessed, qm::DateRule::kAfter, picked_day);
    std::printf("engine alone: %ld files in %ld folders, load average %s\n", files,
                shape.folders, load_at_start.c_str());
    bool ok = true;
    auto report = [&](const char* kind, int k, const EngineFigures& r) {
      std::printf("%s engine alone %d: %.3f s (CPU %.3f s), %ld rows, %ld reports, "
                  "at most %d workers, peak bytes per file %.0f\n",
                  kind, k, r.seconds, r.cpu, r.rows, r.reports, r.most_workers,
                  r.rows > 0 ? (r.peak_kb - r.rss_before_kb) * 1024.0 / r.rows : 0.0);
      ok = ok && r.rows == files;
    };
    // The first run reads the tree once, and gives the memory figures of a
    // first search in the process.
    report("first", 0, RunEngine(criteria, engine_options));
    for (int k = 1; k <= runs; ++k) report("warm", k, RunEngine(criteria, engine_options));
    std::string why_not = "--warm-only was given";
    for (int k = 1; k <= runs && !warm_only && qm::bench::DropCaches(&why_not); ++k) {
      report("cold", k, RunEngine(criteria, engine_options));
    }
    if (temporary) qm::bench::RemoveTree(keep);
    return ok ? 0 : 2;
  }

  std::vector<Command> commands;
  commands.push_back({"find -type f -newerat",
                      "find " + Quoted(tree) + " -type f -newerat " + Quoted(after_text)});
  // fd reads a file's status only for a filter that needs it; the date
  // filter (on the modified time, equal to the access time in this tree)
  // makes it read every file's, as find and the search do.
  int fd16 = -1;
  if (qm::bench::OnPath("fdfind")) {
    const std::string fd = "fdfind -u -t f --changed-after " + Quoted(after_text);
    commands.push_back({"fdfind (default threads)", fd + " . " + Quoted(tree)});
    commands.push_back({"fdfind -j 16", fd + " -j 16 . " + Quoted(tree)});
    fd16 = static_cast<int>(commands.size()) - 1;
  }

  qm::bench::PrepareWindowEnvironment(home, nullptr);
  QApplication app(argc, argv);
  qm::Form1 form;
  form.Form_Load();
  form.show();
  form.Option3->setChecked(true);  // Date Accessed
  form.Option4->setChecked(true);  // After this date
  form.DTPicker3->SetValue(picked_day);
  form.AddFolderRow(QString::fromStdString(tree));
  if (filters) {
    qm::FilterTexts texts;
    texts.exclude = {".git", "node_modules", "*.cache", "build-[0-9]*", "/srv/backups/*"};
    texts.max_size = "1T";
    form.SetFilters(texts);
  }
  PaintWatch paint(form);
  // The engine alone searches by what the window would search by.
  const qm::SearchCriteria criteria = form.CriteriaFromControls();

  // Warm: the tree is read once, then each round times every command; the
  // first search in the window gives the memory figures (nothing is left
  // over from an earlier one), the first engine-alone run those of the
  // engine with the window's rows still listed.
  TimeCommand(commands[0], false);
  commands[0].warm = 0;
  std::vector<RunFigures> warm_runs, cold_runs;
  std::vector<EngineFigures> warm_engine, cold_engine;
  std::vector<RunFigures> shown_runs, hidden_runs;  // --status-ab
  for (int round = 0; round < runs; ++round) {
    if (!status_ab) {
      warm_runs.push_back(RunSearch(form, paint));
    } else {
      // The first run of all shows the status line, so the memory figures
      // are those of a first search as ever.
      for (int k = 0; k < 2; ++k) {
        const bool shown = (round + k) % 2 == 0;
        form.SetSearchProgressShown(shown);
        (shown ? shown_runs : hidden_runs).push_back(RunSearch(form, paint));
      }
      form.SetSearchProgressShown(true);
      warm_runs.push_back(shown_runs.back());
    }
    warm_engine.push_back(RunEngine(criteria, engine_options));
    for (Command& c : commands) TimeCommand(c, false);
  }

  std::string why_not_cold = "--warm-only was given";
  bool cold = !warm_only && qm::bench::DropCaches(&why_not_cold);
  for (int round = 0; cold && round < runs; ++round) {
    if (round > 0) cold = qm::bench::DropCaches(&why_not_cold);
    if (!cold) break;
    cold_runs.push_back(RunSearch(form, paint));
    cold = qm::bench::DropCaches(&why_not_cold);
    if (!cold) break;
    cold_engine.push_back(RunEngine(criteria, engine_options));
    for (Command& c : commands) {
      cold = qm::bench::DropCaches(&why_not_cold);
      if (!cold) break;
      TimeCommand(c, true);
    }
  }
  if (!cold) {
    cold_runs.clear();
    cold_engine.clear();
  }
  const std::string load_at_end = LoadAverage();

  auto best_of = [](const auto& all) {
    auto best = all.front();
    for (const auto& r : all) {
      if (r.seconds < best.seconds) best = r;
    }
    return best;
  };
  auto longest_gap = [](const std::vector<RunFigures>& all) {
    double gap = 0;
    for (const RunFigures& r : all) gap = std::max(gap, r.timer_gap_ms);
    return gap;
  };
  auto longest_clear_gap = [](const std::vector<RunFigures>& all) {
    double gap = 0;
    for (const RunFigures& r : all) gap = std::max(gap, r.clear_gap_ms);
    return gap;
  };
  const RunFigures& first = warm_runs.front();
  const RunFigures warm_best = best_of(warm_runs);
  const RunFigures cold_best = cold_runs.empty() ? RunFigures() : best_of(cold_runs);
  const EngineFigures engine_warm = best_of(warm_engine);
  const EngineFigures engine_cold = cold_engine.empty() ? EngineFigures() : best_of(cold_engine);
  const double per_file =
      first.rows > 0 ? (first.peak_kb - first.rss_before_kb) * 1024.0 / first.rows : 0;
  const EngineFigures& engine_first = warm_engine.front();
  const double engine_per_file =
      engine_first.rows > 0
          ? (engine_first.peak_kb - engine_first.rss_before_kb) * 1024.0 / engine_first.rows
          : 0;

  std::printf("\nsearch_bench: %ld files in %ld folders, Date Accessed after %s, best of %d%s\n",
              files, shape.folders, after_text, runs,
              filters ? ", five folder patterns and a size filter on" : "");
  std::printf("load average at start: %s\n", load_at_start.c_str());
  std::printf("load average at end: %s\n\n", load_at_end.c_str());
  std::printf("| %-40s | %10s | %10s | %10s | %10s | %9s |\n", "command", "warm (s)", "warm CPU s",
              "cold (s)", "cold CPU s", "files");
  std::printf("|%s|%s|%s|%s|%s|%s|\n", std::string(42, '-').c_str(),
              std::string(12, '-').c_str(), std::string(12, '-').c_str(),
              std::string(12, '-').c_str(), std::string(12, '-').c_str(),
              std::string(11, '-').c_str());
  auto cold_text = [&](double seconds) {
    char text[32];
    if (cold_runs.empty()) return std::string("skipped");
    std::snprintf(text, sizeof text, "%.3f", seconds);
    return std::string(text);
  };
  auto row = [&](const char* label, double warm, double warm_cpu, double cold_s, double cold_cpu,
                 long count) {
    std::printf("| %-40s | %10.3f | %10.3f | %10s | %10s | %9ld |\n", label, warm, warm_cpu,
                cold_text(cold_s).c_str(), cold_text(cold_cpu).c_str(), count);
  };
  row("search run", warm_best.seconds, warm_best.cpu, cold_best.seconds, cold_best.cpu,
      warm_best.rows);
  row("search engine alone", engine_warm.seconds, engine_warm.cpu, engine_cold.seconds,
      engine_cold.cpu, engine_warm.rows);
  for (const Command& c : commands) {
    row(c.label.c_str(), c.warm, c.warm_cpu, c.cold, c.cold_cpu, c.lines);
  }
  std::printf("\n");
  const Command& find = commands[0];
  std::printf("warm ratio run / find: %.2f\n", warm_best.seconds / find.warm);
  std::printf("warm CPU ratio run / find: %.2f (engine alone %.2f)\n",
              warm_best.cpu / find.warm_cpu, engine_warm.cpu / find.warm_cpu);
  if (cold_runs.empty()) {
    std::printf("cold figures skipped: %s\n", why_not_cold.c_str());
  } else {
    std::printf("cold ratio run / find: %.2f\n", cold_best.seconds / find.cold);
    if (fd16 >= 0) {
      std::printf("cold ratio run / fdfind -j 16: %.2f (engine alone %.2f)\n",
                  cold_best.seconds / commands[fd16].cold,
                  engine_cold.seconds / commands[fd16].cold);
    }
  }
  std::printf("peak bytes per file: %.0f (first run: %.1f MB before, peak %.1f MB, "
              "%.1f MB after)\n",
              per_file, Mb(first.rss_before_kb), Mb(first.peak_kb), Mb(first.rss_after_kb));
  if (warm_runs.size() > 1) {
    const RunFigures& second = warm_runs[1];
    std::printf("second run, the first run's rows still listed: peak %.1f MB\n",
                Mb(second.peak_kb));
  }
  std::printf("engine alone, peak bytes per file: %.0f (first run, the window's rows listed)\n",
              engine_per_file);
  std::printf("window thread CPU, best warm run: %.3f s", warm_best.window_cpu);
  if (!cold_runs.empty()) std::printf(", best cold run: %.3f s", cold_best.window_cpu);
  std::printf("\n");
  std::printf("painting the rows after the handler returned, best warm run: %.1f ms%s\n",
              1000 * (warm_best.seconds - warm_best.listed_seconds),
              warm_best.painted ? "" : " (no paint seen)");
  std::printf("longest gap (ms): %.1f warm", longest_gap(warm_runs));
  if (!cold_runs.empty()) std::printf(", %.1f cold", longest_gap(cold_runs));
  std::printf("\nlongest gap without the host's steal in it (ms): %.1f warm",
              longest_clear_gap(warm_runs));
  if (!cold_runs.empty()) std::printf(", %.1f cold", longest_clear_gap(cold_runs));
  std::printf("\n\n");

  if (status_ab) {
    auto line = [](const char* kind, const std::vector<RunFigures>& all) {
      std::vector<double> wall, cpu;
      for (const RunFigures& r : all) {
        wall.push_back(r.seconds);
        cpu.push_back(r.cpu);
      }
      std::sort(wall.begin(), wall.end());
      std::sort(cpu.begin(), cpu.end());
      std::printf("status line %-5s: best %.3f s, median %.3f s; CPU best %.3f s, median %.3f s "
                  "(%zu runs)\n",
                  kind, wall.front(), wall[wall.size() / 2], cpu.front(), cpu[cpu.size() / 2],
                  all.size());
      return wall.front();
    };
    const double on = line("shown", shown_runs);
    const double off = line("off", hidden_runs);
    std::printf("status line shown / off, best warm: %.3f\n\n", on / off);
  }

  bool counts_agree = true;
  auto list_runs = [&](const char* kind, const std::vector<RunFigures>& all) {
    for (std::size_t k = 0; k < all.size(); ++k) {
      const RunFigures& r = all[k];
      char steal_text[48] = "unknown";
      if (r.steal_in_gap_ms >= 0) {
        std::snprintf(steal_text, sizeof steal_text, "%ld ms", r.steal_in_gap_ms);
      }
      std::printf("%s run %zu: %.3f s, rows listed at %.3f s (CPU %.3f s, window thread %.3f s), "
                  "%ld rows, at most %d workers, longest gap %.1f ms ending %.0f ms after the click "
                  "(host's steal in it: %s), longest without steal %.1f ms\n",
                  kind, k + 1, r.seconds, r.listed_seconds, r.cpu, r.window_cpu, r.rows,
                  r.most_workers, r.timer_gap_ms, r.timer_gap_end_ms, steal_text,
                  r.clear_gap_ms);
      counts_agree = counts_agree && r.rows == find.lines;
    }
  };
  auto list_engine = [&](const char* kind, const std::vector<EngineFigures>& all) {
    for (std::size_t k = 0; k < all.size(); ++k) {
      const EngineFigures& r = all[k];
      std::printf("%s engine alone %zu: %.3f s (CPU %.3f s), %ld rows, %ld reports, at most %d "
                  "workers\n",
                  kind, k + 1, r.seconds, r.cpu, r.rows, r.reports, r.most_workers);
      counts_agree = counts_agree && r.rows == find.lines;
    }
  };
  list_runs("warm", warm_runs);
  list_engine("warm", warm_engine);
  list_runs("cold", cold_runs);
  list_engine("cold", cold_engine);
  for (const Command& c : commands) counts_agree = counts_agree && c.lines == find.lines;
  std::printf("\ncounts %s; every file listed: %s\n", counts_agree ? "agree" : "DIFFER",
              warm_best.rows == files ? "yes" : "NO");
  if (temporary) qm::bench::RemoveTree(keep);
  return counts_agree ? 0 : 2;
}
