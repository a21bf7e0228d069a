// SPDX-License-Identifier: GPL-3.0-or-later
#include "search/search_engine.h"

#include <chrono>
#include <optional>

#include "platform/error_trap.h"
#include "search/folder_walk.h"
#include "search/live_threads.h"
#include "search/time_stamps.h"
#include "search/walker.h"

namespace qm {

const char kSearchRunRoutineId[] = "in Tallowick2021/08/31.Form1.PushButton2_Click ";

namespace {

// The search's own threads alive, over all searches.  Made once and never
// destroyed: a thread may still be on its way out while the process ends.
LiveThreads& SearchThreads() {
  static LiveThreads* live = new LiveThreads;
  return *live;
}

// A chunk goes to the receiver once it has waited this long, however few
// files it holds, so a window's rows and counts never lag far behind.
constexpr std::chrono::milliseconds kChunkAge(25);

// The search run's lines for a failed listing of a folder's files, and for
// a failed stamp read of each date type.
constexpr int kListingLine = 160;
int StampLine(DateType type) {
  switch (type) {
    case DateType::kModified:
      return 188;
    case DateType::kCreated:
      return 194;
    case DateType::kAccessed:
      return 200;
    case DateType::kNone:
      break;
  }
  return 202;
}

}  // namespace

struct SearchEngine::State {
  Options options;
  SearchCriteria criteria;
  std::shared_ptr<std::atomic<bool>> stop = std::make_shared<std::atomic<bool>>(false);

  std::mutex mu;
  std::condition_variable news_cv;
  std::function<void()> news;  // cleared when the receiver goes
  bool news_told = false;
  std::vector<std::unique_ptr<FoundChunk>> chunks;
  std::vector<SearchReport> reports;
  std::vector<SearchNote> notes;
  bool finished = false;

  std::atomic<std::uint64_t> folders{0}, files{0}, found{0}, undated{0}, unreadable_names{0};
  mutable std::mutex folder_mu;
  std::string folder;

  // Tells the receiver there is something to take.  Call with `mu` held.
  void Tell() {
    news_cv.notify_all();
    if (news_told || !news) return;
    news_told = true;
    news();
  }
};

namespace {

using State = SearchEngine::State;

// Reads and judges the files of each folder on the walk's workers, and
// hands the matching ones on in chunks, in walk order.
class Judge : public FilesVisitor {
 public:
  // `mounts`: the search's mount table, for a search by Date Accessed.
  Judge(std::shared_ptr<State> state, std::shared_ptr<const MountTable> mounts)
      : state_(std::move(state)),
        criteria_(state_->criteria),
        type_(criteria_.date.type()),
        last_flush_(std::chrono::steady_clock::now()) {
    if (type_ == DateType::kAccessed) {
      access_ = std::make_unique<AccessTimeMounts>(std::move(mounts));
    }
  }

  struct Judged : Files {
    std::unique_ptr<FoundChunk> chunk;  // the matching files, when any
    std::uint64_t checked = 0;
    std::uint64_t undated = 0;
    std::uint64_t unreadable_names = 0;
    std::vector<SearchReport> reports;
    std::optional<SearchNote> note;
  };

  std::unique_ptr<Files> Read(const std::string& folder, const FolderListing& listing) override {
    auto judged = std::make_unique<Judged>();
    const std::size_t n = listing.FileCount();
    const int fd = listing.fd();
    const SearchFilters& filters = criteria_.filters;
    const bool by_name = !filters.names.empty();
    judged->unreadable_names = listing.unreadable_names;
    if (access_) judged->note = access_->Reached(listing.status.st_dev, fd);
    for (std::size_t i = 0; i < n; ++i) {
      if ((i & 255) == 255 && state_->stop->load(std::memory_order_relaxed)) break;
      const char* name = listing.FileName(i);
      // Names that begin with "~" are left out: temporary and backup files.
      if (name[0] == '~') continue;
      // The name filter needs no status read.
      if (by_name && !filters.names.Keeps(std::string_view(name, listing.FileNameSize(i)))) {
        continue;
      }
      Stamp stamp;
      FileId id;
      try {
        stamp = ReadStampAt(fd, name, type_, &id);
      } catch (...) {
        // The file keeps its place, judged without a date.
        judged->reports.push_back(
            SearchReport{kSearchRunRoutineId, CurrentFailure(), StampLine(type_)});
        stamp = Stamp();
        id = FileId();
      }
      ++judged->checked;
      if (!filters.KeepsSize(stamp.size)) continue;
      if (stamp.unrecorded) {
        ++judged->undated;
        continue;
      }
      if (!criteria_.Matches(stamp)) continue;
      if (!judged->chunk) {
        judged->chunk = std::make_unique<FoundChunk>();
        judged->chunk->Reserve(n - i, listing.FileNamesSize());
        judged->chunk->AddFolder(folder);
      }
      judged->chunk->Add(std::string_view(name, listing.FileNameSize(i)), stamp, id);
    }
    return judged;
  }

  std::unique_ptr<Files> Failed(const std::string& folder, int err) override {
    auto judged = std::make_unique<Judged>();
    judged->reports.push_back(
        SearchReport{kSearchRunRoutineId, FailureFromErrno(err, true), kListingLine});
    return judged;
  }

  // On the search's thread, in walk order.
  void Collected(const std::string& folder, std::unique_ptr<Files> files) override {
    state_->folders.fetch_add(1, std::memory_order_relaxed);
    auto* judged = static_cast<Judged*>(files.get());
    if (!judged) return;
    state_->files.fetch_add(judged->checked, std::memory_order_relaxed);
    state_->undated.fetch_add(judged->undated, std::memory_order_relaxed);
    state_->unreadable_names.fetch_add(judged->unreadable_names, std::memory_order_relaxed);
    if (judged->note) {
      std::lock_guard<std::mutex> lock(state_->mu);
      state_->notes.push_back(std::move(*judged->note));
      state_->Tell();
    }
    if (judged->chunk) {
      state_->found.fetch_add(judged->chunk->Count(), std::memory_order_relaxed);
      if (!outgoing_) {
        // Room for a whole chunk at once: growing it step by step would copy
        // what it holds again and again.
        outgoing_ = std::make_unique<FoundChunk>();
        outgoing_->Reserve(state_->options.chunk_files, state_->options.chunk_files * 24);
      }
      outgoing_->Append(*judged->chunk);
    }
    if (!judged->reports.empty()) {
      std::lock_guard<std::mutex> lock(state_->mu);
      FlushLocked();
      for (SearchReport& report : judged->reports) state_->reports.push_back(std::move(report));
      state_->Tell();
      return;
    }
    if (outgoing_ && (outgoing_->Count() >= state_->options.chunk_files ||
                      std::chrono::steady_clock::now() - last_flush_ >= kChunkAge)) {
      Flush();
    }
  }

  // While a folder's listing is awaited, what came before it goes on.
  void Waiting() override {
    if (outgoing_ && std::chrono::steady_clock::now() - last_flush_ >= kChunkAge) Flush();
  }

  // A failure of the walk's own steps.
  void Report(const char* routine, const Failure& failure, int line) {
    std::lock_guard<std::mutex> lock(state_->mu);
    FlushLocked();
    state_->reports.push_back(SearchReport{routine, failure, line});
    state_->Tell();
  }

  void Flush() {
    std::lock_guard<std::mutex> lock(state_->mu);
    FlushLocked();
  }

 private:
  void FlushLocked() {
    last_flush_ = std::chrono::steady_clock::now();
    if (!outgoing_) return;
    outgoing_->Trim();
    state_->chunks.push_back(std::move(outgoing_));
    state_->Tell();
  }

  std::shared_ptr<State> state_;
  const SearchCriteria criteria_;
  const DateType type_;
  std::unique_ptr<AccessTimeMounts> access_;
  // Only the search's thread touches these.
  std::unique_ptr<FoundChunk> outgoing_;
  std::chrono::steady_clock::time_point last_flush_;
};

void SearchMain(std::shared_ptr<State> state) {
  // One look at the mounts serves the whole search.
  std::shared_ptr<const MountTable> mounts = MountTable::Read();
  auto judge = std::make_shared<Judge>(state, mounts);
  FolderWalk::Options walk_options;
  walk_options.threads = state->options.threads;
  walk_options.mounts = mounts;
  const SearchFilters& filters = state->criteria.filters;
  if (!filters.exclude.empty()) {
    walk_options.exclude = std::make_shared<const FolderExclusions>(filters.exclude);
  }
  walk_options.one_file_system = filters.one_file_system;
  for (const std::string& root : state->criteria.roots) {
    if (state->stop->load()) break;
    FolderWalk walk(
        walk_options, judge,
        [&](const char* routine, const Failure& failure, int line) {
          judge->Report(routine, failure, line);
        },
        state->stop);
    walk.OnNext([&](const std::string& folder) {
      std::lock_guard<std::mutex> lock(state->folder_mu);
      state->folder.assign(folder);
    });
    try {
      walk.Run({root});
    } catch (...) {
      // Out of memory on the search's own thread: what was found so far
      // is kept, and the search ends with a report.
      std::lock_guard<std::mutex> lock(state->mu);
      state->reports.push_back(SearchReport{kSearchRunRoutineId, CurrentFailure(), 204});
      break;
    }
  }
  judge->Flush();
  {
    std::lock_guard<std::mutex> lock(state->mu);
    state->finished = true;
    state->Tell();
  }
  judge.reset();
  state.reset();
  SearchThreads().Ended();
}

}  // namespace

SearchEngine::SearchEngine() : SearchEngine(Options()) {}

SearchEngine::SearchEngine(const Options& options) : options_(options) {}

SearchEngine::~SearchEngine() {
  if (!state_) return;
  state_->stop->store(true);
  std::lock_guard<std::mutex> lock(state_->mu);
  state_->news = nullptr;
}

void SearchEngine::Start(SearchCriteria criteria, std::function<void()> news) {
  state_ = std::make_shared<State>();
  state_->options = options_;
  state_->criteria = std::move(criteria);
  state_->news = std::move(news);
  if (!state_->criteria.roots.empty()) {
    std::lock_guard<std::mutex> lock(state_->folder_mu);
    state_->folder = state_->criteria.roots.front();
  }
  SearchThreads().Started();
  try {
    std::thread(SearchMain, state_).detach();
  } catch (...) {
    SearchThreads().Ended();
    std::lock_guard<std::mutex> lock(state_->mu);
    state_->reports.push_back(SearchReport{kSearchRunRoutineId, Failure(kErrOutOfMemory), 152});
    state_->finished = true;
    state_->Tell();
  }
}

void SearchEngine::Stop() {
  if (state_) state_->stop->store(true);
}

SearchEngine::Taken SearchEngine::Take() {
  Taken taken;
  if (!state_) {
    taken.finished = true;
    return taken;
  }
  std::lock_guard<std::mutex> lock(state_->mu);
  taken.chunks = std::move(state_->chunks);
  state_->chunks.clear();
  taken.reports = std::move(state_->reports);
  state_->reports.clear();
  taken.notes = std::move(state_->notes);
  state_->notes.clear();
  taken.finished = state_->finished;
  state_->news_told = false;
  return taken;
}

bool SearchEngine::WaitForNews(int timeout_ms) {
  if (!state_) return true;
  std::unique_lock<std::mutex> lock(state_->mu);
  return state_->news_cv.wait_for(lock, std::chrono::milliseconds(timeout_ms), [&] {
    return state_->finished || !state_->chunks.empty() || !state_->reports.empty() ||
           !state_->notes.empty();
  });
}

SearchCounts SearchEngine::Counts() const {
  SearchCounts counts;
  if (!state_) return counts;
  counts.folders = state_->folders.load(std::memory_order_relaxed);
  counts.files = state_->files.load(std::memory_order_relaxed);
  counts.found = state_->found.load(std::memory_order_relaxed);
  counts.undated = state_->undated.load(std::memory_order_relaxed);
  counts.unreadable_names = state_->unreadable_names.load(std::memory_order_relaxed);
  return counts;
}

std::string SearchEngine::Folder() const {
  if (!state_) return std::string();
  std::lock_guard<std::mutex> lock(state_->folder_mu);
  return state_->folder;
}

bool SearchEngine::WaitForThreadsToEnd(int timeout_ms) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeout_ms);
  if (!SearchThreads().WaitForNone(deadline)) return false;
  const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
      deadline - std::chrono::steady_clock::now());
  return FolderWalk::WaitForWorkersToEnd(static_cast<int>(std::max<long long>(0, left.count())));
}

}  // namespace qm
