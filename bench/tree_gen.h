// SPDX-License-Identifier: GPL-3.0-or-later
// Generates a tree of folders and files with scattered modified times, for
// the benchmarks.  Header-only so every benchmark program can include it.
//
//   qm::bench::TreeShape shape;             // 200,000 files in 10,000 folders
//   shape.files = 50000; shape.folders = 2500;
//   qm::bench::TreeInfo info = qm::bench::GenerateTree("/tmp/tree", shape);
//
// Folder k (k >= 1) sits below folder (k - 1) / fanout, folder 0 being the
// root, so the tree is filled level by level.  Files are spread round-robin
// over all folders.  Every tenth file has no extension and every twenty-fifth
// a name starting with "."; every folder name is plain ASCII.  Modified and
// access times are drawn, reproducibly from `seed`, over the `span_days`
// days before `newest`, never on a whole minute (so a cutoff at a whole
// minute never ties).
#ifndef QUENMOOR_BENCH_TREE_GEN_H_
#define QUENMOOR_BENCH_TREE_GEN_H_

#include <fcntl.h>
#include <ftw.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <stdexcept>
#include <string>
#include <vector>

namespace qm {
namespace bench {

struct TreeShape {
  long files = 200000;
  long folders = 10000;
  int fanout = 10;
  unsigned seed = 20240315;
  std::time_t newest = 0;  // 0: now
  int span_days = 1000;
};

struct TreeInfo {
  long files = 0;
  long folders = 0;
  std::vector<std::string> folder_paths;  // each ending in "/"
};

namespace detail {
inline std::uint64_t NextRandom(std::uint64_t* state) {
  // splitmix64: cheap and well spread.
  std::uint64_t z = (*state += 0x9E3779B97F4A7C15ull);
  z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
  z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
  return z ^ (z >> 31);
}
}  // namespace detail

// Builds the tree inside `root` (created when missing).  Throws
// std::runtime_error when a folder or file cannot be made.
inline TreeInfo GenerateTree(const std::string& root, const TreeShape& shape) {
  TreeInfo info;
  std::string base = root;
  if (base.empty() || base.back() != '/') base.push_back('/');
  ::mkdir(base.c_str(), 0755);
  const long folders = shape.folders < 1 ? 1 : shape.folders;
  const int fanout = shape.fanout < 1 ? 1 : shape.fanout;
  info.folder_paths.reserve(static_cast<std::size_t>(folders));
  info.folder_paths.push_back(base);
  for (long k = 1; k < folders; ++k) {
    const std::string& parent = info.folder_paths[static_cast<std::size_t>((k - 1) / fanout)];
    std::string path = parent + "d" + std::to_string(k) + "/";
    if (::mkdir(path.c_str(), 0755) != 0 && errno != EEXIST) {
      throw std::runtime_error("cannot make " + path + ": " + std::strerror(errno));
    }
    info.folder_paths.push_back(std::move(path));
  }
  info.folders = folders;

  const std::time_t newest = shape.newest ? shape.newest : std::time(nullptr);
  const std::int64_t span = static_cast<std::int64_t>(shape.span_days) * 86400;
  std::uint64_t state = shape.seed;
  std::string path;
  for (long j = 0; j < shape.files; ++j) {
    path = info.folder_paths[static_cast<std::size_t>(j % folders)];
    if (j % 25 == 0) path += ".f" + std::to_string(j);
    else if (j % 10 == 0) path += "f" + std::to_string(j);
    else path += "f" + std::to_string(j) + ".txt";
    int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0) throw std::runtime_error("cannot make " + path + ": " + std::strerror(errno));
    std::int64_t back = static_cast<std::int64_t>(detail::NextRandom(&state) %
                                                  static_cast<std::uint64_t>(span));
    std::int64_t when = static_cast<std::int64_t>(newest) - back;
    if (when % 60 == 0) when += 7;
    struct timespec times[2];
    times[0].tv_sec = static_cast<std::time_t>(when);
    times[0].tv_nsec = 0;
    times[1] = times[0];
    ::futimens(fd, times);
    ::close(fd);
  }
  info.files = shape.files;
  return info;
}

// Removes a generated tree with everything in it.
inline void RemoveTree(const std::string& root) {
  ::nftw(root.c_str(),
         [](const char* p, const struct stat*, int, struct FTW*) { return ::remove(p), 0; },
         64, FTW_DEPTH | FTW_PHYS);
}

// The standard benchmark tree of `files` files in files / 20 folders at
// `root` (ending in "/"), with every stamp in the 1000 days before
// 1 January 2026.  A tree left by an earlier run of the same size (marked by
// a file named `marker` + the size) is reused; otherwise the tree is
// generated, into an emptied `root` when `clear` is set (only for a folder
// the benchmark owns).
inline TreeShape EnsureTree(const std::string& root, const std::string& marker, long files,
                            bool clear = false) {
  TreeShape shape;
  shape.files = files;
  shape.folders = files / 20 > 0 ? files / 20 : 1;
  shape.newest = 1767225600;  // 2026-01-01 00:00 UTC
  const std::string mark = marker + std::to_string(files);
  struct stat st;
  if (::stat(mark.c_str(), &st) == 0) {
    std::printf("reusing the tree in %s\n", root.c_str());
    return shape;
  }
  if (clear) RemoveTree(root);
  std::time_t start = std::time(nullptr);
  GenerateTree(root, shape);
  if (FILE* f = std::fopen(mark.c_str(), "w")) {
    std::fprintf(f, "tree of %ld files\n", files);
    std::fclose(f);
  }
  std::printf("generated %ld files in %ld folders in about %ld s\n", shape.files, shape.folders,
              static_cast<long>(std::time(nullptr) - start));
  return shape;
}

// Runs a shell command and counts the lines it prints (one per file found,
// for `find`); `seconds` gets its wall time.
inline long CountOutputLines(const std::string& command, double* seconds) {
  struct timespec t0, t1;
  ::clock_gettime(CLOCK_MONOTONIC, &t0);
  long lines = 0;
  if (FILE* pipe = ::popen(command.c_str(), "r")) {
    char line[8192];
    while (std::fgets(line, sizeof line, pipe)) ++lines;
    ::pclose(pipe);
  }
  ::clock_gettime(CLOCK_MONOTONIC, &t1);
  *seconds = double(t1.tv_sec - t0.tv_sec) + double(t1.tv_nsec - t0.tv_nsec) / 1e9;
  return lines;
}

}  // namespace bench
}  // namespace qm

#endif  // QUENMOOR_BENCH_TREE_GEN_H_
