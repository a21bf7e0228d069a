// SPDX-License-Identifier: GPL-3.0-or-later
// Times the result list of the real window at a million rows: appending
// them as the criterion pass does (positions of the found files, in batches),
// "Select All" and
// "Unselect All" through their handlers, removing every second row, and
// ticking rows one by one before the ticked rows go as they do after a trash
// or a move; sorting by path, by date and by size as header clicks do; with
// the memory the rows take.  Each step includes the repaint that follows it,
// and the status line's totals (found, ticked), which follow every step.
//
//   QT_QPA_PLATFORM=offscreen list_bench [ROWS] [BATCH]
//
// ROWS: rows to append (default 1,000,000).  BATCH: rows per append (default
// 100,000).
#include <QApplication>
#include <QPushButton>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "app/form1.h"
#include "app/found_rows.h"
#include "app/list_view.h"
#include "app/status_text.h"
#include "bench_util.h"
#include "search/found_files.h"
#include "tree_gen.h"

namespace {

using qm::bench::Clock;
using qm::bench::Mb;
using qm::bench::SecondsSince;

void Row(const char* step, double seconds, long rows, const char* note = "") {
  std::printf("| %-34s | %9.3f | %9ld | %-26s |\n", step, seconds, rows, note);
}

void Settle() { QCoreApplication::processEvents(QEventLoop::AllEvents); }

void AppendAll(qm::ListView* list, const std::shared_ptr<qm::FoundFiles>& found, long batch) {
  const long rows = static_cast<long>(found->Count());
  const auto source = std::make_shared<qm::FoundRows>(found);
  for (long first = 0; first < rows; first += batch) {
    const long last = std::min(rows, first + batch);
    std::vector<std::uint32_t> positions;
    positions.reserve(static_cast<std::size_t>(last - first));
    for (long i = first; i < last; ++i) positions.push_back(static_cast<std::uint32_t>(i));
    list->AddSourceItems(source, std::move(positions));
  }
}

long CountChecked(qm::ListView* list) {
  long ticked = 0;
  for (int i = 0; i < list->Model()->Count(); ++i) ticked += list->Model()->Checked(i);
  return ticked;
}

}  // namespace

int main(int argc, char** argv) {
  if (!std::getenv("QT_QPA_PLATFORM")) ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
  const long rows = argc > 1 ? std::atol(argv[1]) : 1000000;
  const long batch = argc > 2 ? std::atol(argv[2]) : 100000;
  if (rows < 2 || batch < 1) {
    std::fprintf(stderr, "usage: list_bench [ROWS >= 2] [BATCH >= 1]\n");
    return 1;
  }
  const std::string home = qm::bench::MakeTempFolder("qmlistbench");
  if (home.empty()) return 1;
  qm::bench::PrepareWindowEnvironment(home, nullptr);
  QApplication app(argc, argv);

  qm::Form1 form;
  form.Form_Load();
  form.show();
  Settle();
  qm::ListView* list = form.ListView2;
  // The columns a search gives the list.
  list->RemoveColumn(1);
  list->AddColumn(QStringLiteral("File(s) Found"));
  list->SetColumnWidthTwips(1, 5500);
  list->AddColumn(QStringLiteral("Date Modified"));
  list->SetColumnWidthTwips(2, 2000);
  list->AddColumn(QStringLiteral("Size"));
  list->SetColumnWidthTwips(3, 1300);

  // The found files a search would hold: paths of a typical length, stamps.
  auto found = std::make_shared<qm::FoundFiles>();
  auto path_of = [](long i) {
    return QStringLiteral("/home/someone/Documents/archive/d%1/d%2/file %3.txt")
        .arg(i % 97)
        .arg(i % 1009)
        .arg(i);
  };
  auto chunk = std::make_unique<qm::FoundChunk>();
  for (long i = 0; i < rows; ++i) {
    const std::string path = path_of(i).toStdString();
    const std::size_t slash = path.rfind('/');
    chunk->AddFolder(path.substr(0, slash + 1));
    qm::Stamp stamp;
    stamp.value = 45000.0 + double(i % 5000) + 0.37;
    stamp.empty = false;
    stamp.size = (i * 7919) % 100003;  // sizes in no order, many repeated
    chunk->Add(path.substr(slash + 1), stamp, qm::FileId());
    if (chunk->Count() == 32768) {
      found->Append(std::move(chunk));
      chunk = std::make_unique<qm::FoundChunk>();
    }
  }
  found->Append(std::move(chunk));
  Settle();
  const long rss_empty = qm::bench::RssKb();
  const bool peak_reset = qm::bench::ResetPeak();

  std::printf("list_bench: %ld rows in batches of %ld (offscreen, window shown)\n\n", rows,
              batch);
  std::printf("| %-34s | %9s | %9s | %-26s |\n", "step", "seconds", "rows", "");
  std::printf("|%s|%s|%s|%s|\n", std::string(36, '-').c_str(), std::string(11, '-').c_str(),
              std::string(11, '-').c_str(), std::string(28, '-').c_str());

  // Append, batch by batch, as the criterion pass hands rows over.
  auto start = Clock::now();
  AppendAll(list, found, batch);
  Settle();
  Row("append", SecondsSince(start), list->ItemCount());
  // The list holds positions; the found files' part is not counted.
  const long rss_full = qm::bench::RssKb();

  start = Clock::now();
  form.PushButton4_Click();
  Settle();
  const double select_all = SecondsSince(start);
  Row("Select All (PushButton4_Click)", select_all, CountChecked(list), "ticked after");
  // The status line's ticked total is brought up to date with the ticks;
  // timed alone, it is what Select All adds for it.
  start = Clock::now();
  std::int64_t total = 0;
  for (int i = 0; i < list->Model()->Count(); ++i) total += list->Model()->Size(i);
  const double summed = SecondsSince(start);
  const bool total_shown =
      list->Model()->CheckedBytes() == static_cast<qm::ByteCount>(total) &&
      form.StatusText().contains(qm::TickedText(list->Model()->Count(), total));
  Row("ticked total, summed afresh", summed, list->Model()->Count(),
      total_shown ? "status line agrees" : "STATUS LINE WRONG");

  start = Clock::now();
  form.PushButton6_Click();
  Settle();
  const double unselect_all = SecondsSince(start);
  Row("Unselect All (PushButton6_Click)", unselect_all, CountChecked(list), "ticked after");

  // Remove every second row, in one call.
  std::vector<int> every_second;
  every_second.reserve(static_cast<std::size_t>(rows / 2 + 1));
  for (int p = 2; p <= list->ItemCount(); p += 2) every_second.push_back(p);
  start = Clock::now();
  list->RemoveItems(every_second);
  Settle();
  Row("remove every second row", SecondsSince(start), list->ItemCount(), "rows left");
  const bool kept_odd = list->ItemText(2) == path_of(2);

  // Tick every second remaining row one at a time (as clicks would), then
  // drop the ticked rows whose file is gone, as after a trash or a move.
  const int left = list->ItemCount();
  start = Clock::now();
  for (int p = 1; p <= left; p += 2) list->SetChecked(p, true);
  Settle();
  Row("tick every second row, one by one", SecondsSince(start), CountChecked(list),
      "ticked after");
  start = Clock::now();
  form.RemoveCheckedRows();
  Settle();
  Row("RemoveCheckedRows (lstat each)", SecondsSince(start), list->ItemCount(), "rows left");
  const long rss_half = qm::bench::RssKb();
  const long peak = qm::bench::PeakKb();

  start = Clock::now();
  list->ClearItems();
  Settle();
  Row("clear", SecondsSince(start), list->ItemCount(), "rows left");
  const long rss_cleared = qm::bench::RssKb();

  // Sorting all rows, as clicks on the headers do, with every third row
  // ticked; then checks that the order is right and the ticks stayed with
  // their files.
  AppendAll(list, found, batch);
  for (int p = 1; p <= list->ItemCount(); p += 3) list->SetChecked(p, true);
  Settle();
  qm::ListModel* model = list->Model();
  // One header click, timed; then whether each row is in order after the
  // one before it.
  bool sorted = true;
  auto click = [&](const char* step, int column, auto&& in_order) {
    const auto began = Clock::now();
    model->SortByClick(column);
    Settle();
    const double seconds = SecondsSince(began);
    Row(step, seconds, list->ItemCount());
    for (int i = 1; i < model->Count() && sorted; ++i) sorted = in_order(i - 1, i);
    return seconds;
  };
  const double sort_path = click("sort by path (header click)", 0, [&](int a, int b) {
    return model->Text(a) <= model->Text(b);
  });
  const double sort_date = click("sort by date", 1, [&](int a, int b) {
    return model->Stamp(a) <= model->Stamp(b);
  });
  const double sort_reverse = click("sort by date, reversed", 1, [&](int a, int b) {
    return model->Stamp(a) >= model->Stamp(b);
  });
  const double sort_size = click("sort by size", 2, [&](int a, int b) {
    return model->Size(a) <= model->Size(b);
  });
  click("sort by size, reversed", 2, [&](int a, int b) { return model->Size(a) >= model->Size(b); });
  // Row k was made from path k, "... file k.txt"; rows 0, 3, 6, ... were ticked.
  bool ticks_kept = true;
  for (int i = 0; i < model->Count() && ticks_kept; ++i) {
    const QString text = model->Text(i);
    const qsizetype from = text.lastIndexOf(QLatin1Char(' ')) + 1;
    const long k = text.mid(from, text.size() - from - 4).toLong();
    ticks_kept = model->Checked(i) == (k % 3 == 0);
  }
  const double slowest_sort = std::max({sort_path, sort_date, sort_reverse});
  list->ClearItems();
  Settle();

  std::printf("\n| %-34s | %9s |\n", "memory", "MB");
  std::printf("|%s|%s|\n", std::string(36, '-').c_str(), std::string(11, '-').c_str());
  std::printf("| %-34s | %9.1f |\n", "RSS before the rows", Mb(rss_empty));
  std::printf("| %-34s | %9.1f |\n", "RSS with all rows", Mb(rss_full));
  std::printf("| %-34s | %9.1f |\n", "RSS after removals", Mb(rss_half));
  std::printf("| %-34s | %9.1f |\n", "RSS after clear", Mb(rss_cleared));
  std::printf("| %-34s | %9.1f |\n", peak_reset ? "peak (VmHWM) during the steps"
                                                : "peak (VmHWM) of the process",
              Mb(peak));
  std::printf("\nlist memory per row: %.0f bytes (a position in the found files, whose own "
              "cost is not counted)\n",
              (rss_full - rss_empty) * 1024.0 / double(rows));
  const bool ok = select_all < 0.5 && unselect_all < 0.5 && kept_odd && slowest_sort < 1.0 &&
                  sorted && ticks_kept && total_shown && select_all < 0.05 && sort_size < 0.5;
  std::printf("Select All %.3f s, Unselect All %.3f s: %s; rows kept in order: %s\n",
              select_all, unselect_all,
              select_all < 0.5 && unselect_all < 0.5 ? "under half a second" : "TOO SLOW",
              kept_odd ? "yes" : "NO");
  std::printf("Select All with the ticked total %.3f s: %s; sort by size %.3f s: %s\n",
              select_all, select_all < 0.05 ? "under 50 ms" : "TOO SLOW", sort_size,
              sort_size < 0.5 ? "under half a second" : "TOO SLOW");
  std::printf("slowest sort %.3f s: %s; sorted right: %s; ticks stayed with their rows: %s\n",
              slowest_sort, slowest_sort < 1.0 ? "under a second" : "TOO SLOW",
              sorted ? "yes" : "NO", ticks_kept ? "yes" : "NO");
  qm::bench::RemoveTree(home);
  return ok ? 0 : 2;
}
