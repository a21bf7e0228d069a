// SPDX-License-Identifier: GPL-3.0-or-later
#include "search/folder_walk.h"

#include <sys/resource.h>
#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <mutex>
#include <optional>
#include <thread>

#include "base/hash_index.h"
#include "platform/error_trap.h"
#include "search/live_threads.h"

namespace qm {
namespace {

// Worker threads alive, over all walks.  Made once and never destroyed: a
// thread may still be on its way out while the process ends.
LiveThreads& Workers() {
  static LiveThreads* live = new LiveThreads;
  return *live;
}

// How long the walk's thread waits for a listing before it looks at the
// stop flag again.
constexpr std::chrono::milliseconds kStopLook(20);

// The folders one walk has collected, by identity, so a folder that links
// lead to from several places (or from below itself) is walked once.
class CollectedFolders {
 public:
  // False when the folder was collected already.
  bool Add(dev_t dev, ino_t ino) {
    const Id id{static_cast<std::uint64_t>(dev), static_cast<std::uint64_t>(ino)};
    const auto next = static_cast<std::uint32_t>(ids_.size());
    const std::uint32_t known = index_.FindOrAdd(
        Hash(id), next,
        [&](std::uint32_t k) { return ids_[k].dev == id.dev && ids_[k].ino == id.ino; },
        [&](std::uint32_t k) { return Hash(ids_[k]); });
    if (known != HashIndex::kNone) return false;
    ids_.push_back(id);
    return true;
  }

 private:
  struct Id {
    std::uint64_t dev, ino;
  };
  static std::size_t Hash(const Id& id) {
    return static_cast<std::size_t>((id.ino * 0x9E3779B97F4A7C15ULL) ^
                                    (id.dev * 0xC2B2AE3D27D4EB4FULL) ^ (id.ino >> 29));
  }
  std::vector<Id> ids_;
  HashIndex index_;
};

// One folder of the walk, from the moment it is queued until the walk's
// thread has taken its listing.
struct Node {
  enum Kind { kNotFolder, kTooLong, kRefused, kAdmitted };

  std::string path;
  int level = 0;
  bool has_status = false;  // `status` came with the parent's listing
  struct stat status = {};
  dev_t parent_dev = 0;  // the device of the folder it was found in
  // The given folder it lies under: its device and, where that device is
  // mounted more than once, its mount (one_file_system).
  dev_t root_dev = 0;
  std::uint64_t root_mount = 0;
  bool root_mount_known = false;

  // What a worker found; read by the walk's thread once `done` is set.
  bool done = false;
  Kind kind = kNotFolder;
  std::optional<Failure> refusal_failure;  // the attribute rule could not be applied
  int listing_error = 0;
  std::vector<FolderListing::Subfolder> children;
  std::unique_ptr<FilesVisitor::Files> files;
};

}  // namespace

struct FolderWalk::Shared {
  Options options;
  std::shared_ptr<FilesVisitor> visitor;
  std::shared_ptr<const std::atomic<bool>> stop;
  RefusalTest refusal;
  TrashFolders trash;

  std::mutex mu;
  std::condition_variable work_cv;  // workers wait for a folder to claim
  std::condition_variable done_cv;  // the walk's thread waits for a listing
  std::deque<Node> nodes;           // queued, from position `base` on
  std::size_t base = 0;
  std::size_t next_claim = 0;
  bool closed = false;
  int workers = 0;  // started
  int working = 0;
  int idle = 0;
  int limit = 1;  // workers that may read at once
  bool waited = false;

  bool Stopped() const { return stop && stop->load(std::memory_order_relaxed); }
};

namespace {

using Shared = FolderWalk::Shared;

// Takes out of `n`'s subfolders those the walk never enters: the trash's
// folders, the folders left out by a pattern, and with one_file_system the
// folders on another mount than the given folder above them.  `fd` is
// `n`'s listing, still open.
void LeaveOut(Shared& s, Node& n, int fd) {
  const FolderWalk::Options& o = s.options;
  if (n.level == 0) {
    n.root_dev = n.status.st_dev;
    // A device mounted in more than one place does not tell a folder's
    // mount: the given folder's own mount is asked.
    if (o.one_file_system && o.mounts->OfDevice(n.root_dev).size() > 1) {
      n.root_mount_known = MountIdAt(fd, "", &n.root_mount);
    }
  }
  std::string_view own(n.path);
  if (own.size() > 1 && own.back() == '/') own.remove_suffix(1);
  const bool at_top =
      (n.level > 0 && n.status.st_dev != n.parent_dev) || (o.mounts && o.mounts->IsMountPoint(own));
  auto left_out = [&](const FolderListing::Subfolder& sub) {
    if (s.trash.Is(sub.name, sub.status, at_top)) return true;
    if (o.exclude && o.exclude->Excludes(n.path, sub.name)) return true;
    if (o.one_file_system) {
      if (sub.status.st_dev != n.root_dev) return true;
      // The same device mounted again below (a bind mount) is another
      // mount all the same.
      std::uint64_t mount = 0;
      if (n.root_mount_known && MountIdAt(fd, sub.name.c_str(), &mount) && mount != n.root_mount) {
        return true;
      }
    }
    return false;
  };
  n.children.erase(std::remove_if(n.children.begin(), n.children.end(), left_out),
                   n.children.end());
}

// Lists one folder: the tests a folder must pass to be walked, then its
// subfolders and files in one pass.  `listing` is the worker's own, used
// again from one folder to the next.
void Process(Shared& s, Node& n, FolderListing& listing) {
  struct stat st;
  bool folder;
  if (n.has_status) {
    st = n.status;
    folder = S_ISDIR(st.st_mode);
  } else {
    folder = !n.path.empty() && Fs().Stat(n.path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
  }
  const bool given = n.level == 0;
  FilesVisitor* visitor = s.visitor.get();
  if (folder) {
    n.status = st;
    if (n.path.size() >= kFolderPathLimit) {
      n.kind = Node::kTooLong;
    } else {
      bool refused = false;
      try {
        refused = s.refusal.Refused(n.path, st);
      } catch (...) {
        n.refusal_failure = CurrentFailure();
      }
      n.kind = refused ? Node::kRefused : Node::kAdmitted;
    }
  }
  if (n.kind == Node::kAdmitted) {
    // Without recursion the given folders' children are only tested.
    if (!given && !s.options.recursive) return;
    int err = listing.Open(n.path);
    if (err == 0) {
      listing.status = st;
      err = listing.Read(true, visitor != nullptr);
      n.children.swap(listing.subfolders);
      LeaveOut(s, n, listing.fd());
    }
    n.listing_error = err;
    if (visitor) {
      if (err == 0) {
        n.files = visitor->Read(n.path, listing);
      } else if (!RemovesFolder(ListingFailure(err))) {
        n.files = visitor->Failed(n.path, err);
      }
    }
  } else if (given && visitor) {
    // A given folder the walk does not enter keeps its place, and its files
    // are listed all the same where it can be listed.
    int err = listing.Open(n.path);
    if (err != 0) {
      if (err != ENOENT && err != ENOTDIR && err != ENAMETOOLONG) {
        n.files = visitor->Failed(n.path, err);
      }
      return;
    }
    listing.status = n.status;
    if ((err = listing.Read(false, true)) != 0) {
      n.files = visitor->Failed(n.path, err);
    } else {
      n.files = visitor->Read(n.path, listing);
    }
  }
}

void StartWorkers(const std::shared_ptr<Shared>& shared, int count);

void WorkerMain(std::shared_ptr<Shared> shared) {
  Shared& s = *shared;
  std::uint64_t jobs = 0;
  // Whether each of this worker's last four measured listings waited, the
  // latest in the lowest bit.
  unsigned recent_waits = 0;
  FolderListing listing;
  std::unique_lock<std::mutex> lock(s.mu);
  for (;;) {
    while (!s.closed && !(s.next_claim < s.base + s.nodes.size() && s.working < s.limit)) {
      ++s.idle;
      s.work_cv.wait(lock);
      --s.idle;
    }
    if (s.closed) break;
    const std::size_t index = s.next_claim++;
    Node& n = s.nodes[index - s.base];
    ++s.working;
    // Whether this listing waits is asked of the first listings and of one
    // in eight after them: the question costs two calls of its own.
    const bool measure = !s.waited && (jobs++ < 8 || jobs % 8 == 0);
    lock.unlock();

    struct rusage before = {}, after = {};
    if (measure) ::getrusage(RUSAGE_THREAD, &before);
    try {
      Process(s, n, listing);
    } catch (...) {
      // Out of memory, most likely: the folder goes without its files
      // rather than taking the walk down.
      n.files.reset();
    }
    // Listings that make the thread wait come from a disk, a network or a
    // FUSE daemon: from now on many requests go out at once.  A wait or two
    // is not enough: listings from memory now and then wait for a lock of
    // the kernel's (the address space's, while another thread maps
    // memory), and sixteen workers on a few cores would then crowd out the
    // window for nothing.  A listing from a disk or a FUSE daemon waits for
    // each block or request; a network share that answers a listing in one
    // call waits once in every listing, so three of the last four measured
    // listings that waited count too.
    bool waited = false;
    if (measure && ::getrusage(RUSAGE_THREAD, &after) == 0) {
      const long waits = after.ru_nvcsw - before.ru_nvcsw;
      recent_waits = ((recent_waits << 1) | (waits > 0 ? 1u : 0u)) & 0xfu;
      waited = waits >= 3 || __builtin_popcount(recent_waits) >= 3;
    }
    listing.Close();

    lock.lock();
    --s.working;
    n.done = true;
    if (index == s.base) s.done_cv.notify_one();
    if (waited && !s.waited) {
      s.waited = true;
      s.limit = s.options.threads;
      const int more = s.limit - s.workers;
      if (more > 0) {
        lock.unlock();
        StartWorkers(shared, more);
        lock.lock();
      }
      s.work_cv.notify_all();
    }
  }
  lock.unlock();
  shared.reset();
  Workers().Ended();
}

// Starts up to `count` more workers; a thread that cannot be made is done
// without.
void StartWorkers(const std::shared_ptr<Shared>& shared, int count) {
  for (int i = 0; i < count; ++i) {
    Workers().Started();
    try {
      std::thread(WorkerMain, shared).detach();
      std::lock_guard<std::mutex> lock(shared->mu);
      ++shared->workers;
    } catch (...) {
      Workers().Ended();
      return;
    }
  }
}

}  // namespace

FolderWalk::FolderWalk(const Options& options, std::shared_ptr<FilesVisitor> visitor,
                       Reporter report, std::shared_ptr<const std::atomic<bool>> stop)
    : shared_(std::make_shared<Shared>()), report_(std::move(report)) {
  shared_->options = options;
  shared_->options.threads = std::max(1, options.threads);
  shared_->visitor = std::move(visitor);
  shared_->stop = std::move(stop);
}

FolderWalk::~FolderWalk() {
  std::lock_guard<std::mutex> lock(shared_->mu);
  shared_->closed = true;
  shared_->work_cv.notify_all();
}

std::vector<std::string> FolderWalk::Run(const std::vector<std::string>& folders) {
  Shared& s = *shared_;
  std::vector<std::string> result;
  if (folders.empty()) return result;
  if (!s.options.mounts) s.options.mounts = MountTable::Read();
  {
    std::lock_guard<std::mutex> lock(s.mu);
    for (const std::string& folder : folders) {
      s.nodes.emplace_back();
      s.nodes.back().path = folder;
    }
    // One worker more than the cores: the cores stay busy while a worker
    // waits for its listing to be taken, and the window's thread is not
    // crowded out (sixteen were slower, and held it up to 25 ms).
    const int cores = static_cast<int>(std::max(1u, std::thread::hardware_concurrency()));
    s.limit = std::min(s.options.threads, cores + 1);
  }
  StartWorkers(shared_, s.limit);

  std::vector<bool> level_admitted;
  auto admitted = [&](int level) -> std::vector<bool>::reference {
    if (level_admitted.size() <= static_cast<std::size_t>(level)) {
      level_admitted.resize(static_cast<std::size_t>(level) + 1, false);
    }
    return level_admitted[static_cast<std::size_t>(level)];
  };
  CollectedFolders collected;
  std::vector<Node> children;

  std::unique_lock<std::mutex> lock(s.mu);
  while (!s.nodes.empty()) {
    Node* front = &s.nodes.front();
    if (on_next_) {
      const std::string path = front->path;
      lock.unlock();
      on_next_(path);
      lock.lock();
      front = &s.nodes.front();
    }
    while (!front->done && !s.Stopped()) {
      if (s.workers == 0 && s.next_claim == s.base) {
        // No worker could be started: the walk's thread lists it itself.
        ++s.next_claim;
        lock.unlock();
        FolderListing own;
        Process(s, *front, own);
        lock.lock();
        front->done = true;
        break;
      }
      if (s.done_cv.wait_for(lock, kStopLook) == std::cv_status::timeout && s.visitor) {
        lock.unlock();
        s.visitor->Waiting();
        lock.lock();
        front = &s.nodes.front();
      }
    }
    if (s.Stopped()) break;
    Node node = std::move(*front);
    s.nodes.pop_front();
    ++s.base;
    lock.unlock();

    // The listing's outcome, as the level-by-level walk has it: a folder
    // whose attribute rule fails is entered when it is the first of its
    // level to be (the failure is reported), else it stays unentered and
    // the failure is reported when it is handed up.  A refused or vanished
    // listing takes the folder out; another failure leaves it in.
    bool member = false;
    bool enter = false;
    switch (node.kind) {
      case Node::kNotFolder:
      case Node::kTooLong:
      case Node::kRefused:
        member = node.level == 0;
        break;
      case Node::kAdmitted:
        member = true;
        if (node.level > 0 && !s.options.recursive) {
          // Without recursion the children are only tested, as they are
          // handed up.
          if (node.refusal_failure && report_) {
            report_(kWalkerRoutineId, *node.refusal_failure, 158);
          }
        } else if (!node.refusal_failure) {
          enter = true;
        } else if (!admitted(node.level)) {
          if (report_) report_(kWalkerRoutineId, *node.refusal_failure, 116);
          enter = true;
        } else if (node.level > 0) {
          if (report_) report_(kWalkerRoutineId, *node.refusal_failure, 158);
        }
        if (enter) admitted(node.level) = true;
        if (enter && node.listing_error != 0 && RemovesFolder(ListingFailure(node.listing_error))) {
          member = false;
        }
        break;
    }
    if (member) {
      if (s.visitor) {
        s.visitor->Collected(node.path, std::move(node.files));
      } else {
        result.push_back(node.path);
      }
    }
    children.clear();
    if (enter) {
      collected.Add(node.status.st_dev, node.status.st_ino);
      for (FolderListing::Subfolder& sub : node.children) {
        // A folder reached before, through a link or under another name, is
        // not walked again: its files would be listed twice, and a link
        // back up the tree would be walked without end.
        if (!collected.Add(sub.status.st_dev, sub.status.st_ino)) continue;
        children.emplace_back();
        Node& child = children.back();
        child.path.reserve(node.path.size() + sub.name.size() + 1);
        child.path.append(node.path).append(sub.name).push_back('/');
        child.level = node.level + 1;
        child.has_status = true;
        child.status = sub.status;
        child.parent_dev = node.status.st_dev;
        child.root_dev = node.root_dev;
        child.root_mount = node.root_mount;
        child.root_mount_known = node.root_mount_known;
      }
    }

    lock.lock();
    for (Node& child : children) s.nodes.push_back(std::move(child));
    const std::size_t wake =
        std::min<std::size_t>(children.size(), static_cast<std::size_t>(s.idle));
    for (std::size_t i = 0; i < wake; ++i) s.work_cv.notify_one();
  }
  s.closed = true;
  s.work_cv.notify_all();
  return result;
}

int FolderWalk::LiveWorkers() { return Workers().Count(); }

bool FolderWalk::WaitForWorkersToEnd(int timeout_ms) {
  return Workers().WaitForNone(std::chrono::steady_clock::now() +
                               std::chrono::milliseconds(timeout_ms));
}

}  // namespace qm
