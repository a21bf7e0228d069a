// SPDX-License-Identifier: GPL-3.0-or-later
// Lays out the "Samples" folder that ships beside the program: a dozen
// small files whose modified and accessed dates are set relative to the
// moment it runs, so that every date rule finds something on any day.
//
//   make_samples DIR
//
// Run on every build.  Files it made earlier but no longer lists (they all
// carry the mark below) are removed; everything else in DIR is left alone.
// Prints nothing on success.
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <set>
#include <string>
#include <vector>

namespace {

// Every sample carries this mark near its start.
const char kMark[] = "Quenmoor sample:";
constexpr long kDay = 24L * 60 * 60;

struct Sample {
  const char* path;      // relative to DIR
  double modified_days;  // days before now (negative: in the future)
  double accessed_days;
  std::string content;
};

// A tiny 8x8 24-bit picture, a blue square on white, with our mark after
// the pixels.
std::string SmallBitmap() {
  const int w = 8, h = 8, row = w * 3;  // 24 bytes: already a multiple of 4
  const int pixels = row * h;
  std::string mark = std::string(kMark) + " a small picture.\n";
  std::string out;
  auto put16 = [&](unsigned v) { out += char(v & 0xFF); out += char((v >> 8) & 0xFF); };
  auto put32 = [&](unsigned v) { put16(v & 0xFFFF); put16(v >> 16); };
  out += "BM";
  put32(54 + pixels + unsigned(mark.size()));
  put32(0);
  put32(54);
  put32(40);
  put32(w);
  put32(h);
  put16(1);
  put16(24);
  put32(0);
  put32(pixels);
  put32(2835);
  put32(2835);
  put32(0);
  put32(0);
  for (int y = 0; y < h; ++y) {
    for (int x = 0; x < w; ++x) {
      bool inner = x >= 2 && x < 6 && y >= 2 && y < 6;
      out += char(inner ? 0xC0 : 0xFF);  // blue
      out += char(inner ? 0x60 : 0xFF);  // green
      out += char(inner ? 0x20 : 0xFF);  // red
    }
  }
  return out + mark;
}

std::vector<Sample> Samples() {
  const std::string m = kMark;
  return {
      {"readme.txt", 0, 0,
       m + " a note written today.\nAdd this folder and try each date rule on it.\n"},
      {"notes/meeting-notes.md", 2, 1,
       m + " meeting notes\n\n# Meeting\n\n- Agree the spring plan\n- Order more paper\n"},
      {"notes/todo.txt", 6, 3, m + " a to-do list.\n- water the plants\n- back up the photos\n"},
      {"notes/~draft-letter.txt", 9, 9,
       m + " a draft kept by an editor; the search passes over names starting with ~.\n"},
      {"data/prices.csv", 45, 20,
       m + " prices\nitem,price\npencil,0.50\nnotebook,2.10\nstapler,6.75\n"},
      {"data/settings.ini", 120, 60, "; " + m + " settings\n[window]\nwidth=800\nheight=600\n"},
      {"data/report.json", 200, 150,
       "{\"note\": \"" + m + " a report\", \"year\": 2024, \"items\": [1, 2, 3]}\n"},
      {"data/.hidden-cache", 30, 30, m + " a dot-file, hidden on most desktops.\n"},
      {"web/index.html", 400, 380,
       "<!-- " + m + " a web page -->\n<!DOCTYPE html>\n<html><head><title>Sample page</title>"
       "</head><body><p>Hello from the samples.</p></body></html>\n"},
      {"web/logo.svg", 2 * 365 + 10, 700,
       "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"32\" height=\"32\">"
       "<!-- " + m + " a drawing --><circle cx=\"16\" cy=\"16\" r=\"12\" fill=\"#3a6ea5\"/></svg>\n"},
      {"web/square.bmp", 3 * 365 + 40, 3 * 365, ""},  // filled in below
      {"old/server.log", 6 * 365 + 100, 6 * 365,
       m + " an old log\n[info] started\n[info] 12 requests served\n[info] stopped\n"},
      {"old/letter-archive.txt", 11 * 365 + 20, 10 * 365, m + " an archived letter, years old.\n"},
      {"planned/next-month.txt", -30, -30,
       m + " dated a month ahead, as a clock set wrong or a copy from such a machine would leave it.\n"},
  };
}

bool Fail(const std::string& what) {
  std::fprintf(stderr, "make_samples: %s: %s\n", what.c_str(), std::strerror(errno));
  return false;
}

bool MakeDirs(const std::string& path) {
  for (size_t pos = 1; pos <= path.size(); ++pos) {
    if (pos == path.size() || path[pos] == '/') {
      std::string part = path.substr(0, pos);
      if (::mkdir(part.c_str(), 0755) != 0 && errno != EEXIST) return Fail("cannot create " + part);
      struct stat st;
      if (::stat(part.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) {
        errno = ENOTDIR;
        return Fail(part);
      }
    }
  }
  return true;
}

// Writes `content` unless the file already holds exactly that.
bool WriteIfChanged(const std::string& path, const std::string& content) {
  int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd >= 0) {
    std::string old;
    char buf[4096];
    ssize_t n;
    while ((n = ::read(fd, buf, sizeof buf)) > 0 && old.size() <= content.size()) old.append(buf, size_t(n));
    ::close(fd);
    if (old == content) return true;
  }
  const std::string temp = path + ".new";
  fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  if (fd < 0) return Fail("cannot write " + temp);
  bool ok = ::write(fd, content.data(), content.size()) == ssize_t(content.size());
  ok = (::close(fd) == 0) && ok;
  if (!ok || ::rename(temp.c_str(), path.c_str()) != 0) {
    ::unlink(temp.c_str());
    return Fail("cannot write " + path);
  }
  return true;
}

bool SetDates(const std::string& path, std::time_t modified, std::time_t accessed) {
  struct timespec times[2] = {};
  times[0].tv_sec = accessed;
  times[1].tv_sec = modified;
  if (::utimensat(AT_FDCWD, path.c_str(), times, 0) != 0) return Fail("cannot date " + path);
  return true;
}

bool CarriesMark(const std::string& path) {
  int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW);
  if (fd < 0) return false;
  char buf[4096];
  ssize_t n = ::read(fd, buf, sizeof buf);
  struct stat st;
  bool small = ::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && st.st_size <= 4096;
  ::close(fd);
  return small && n > 0 && std::string(buf, size_t(n)).find(kMark) != std::string::npos;
}

// Removes our own files that are no longer listed, and folders that this
// leaves empty; returns false only on a failure to remove one of ours.
// `removed` counts what went.
bool Prune(const std::string& dir, const std::string& relative, const std::set<std::string>& keep,
           int* removed) {
  DIR* d = ::opendir(dir.c_str());
  if (!d) return true;
  std::vector<std::string> names;
  while (dirent* e = ::readdir(d)) {
    std::string name = e->d_name;
    if (name != "." && name != "..") names.push_back(name);
  }
  ::closedir(d);
  bool ok = true;
  for (const std::string& name : names) {
    const std::string path = dir + "/" + name;
    const std::string rel = relative.empty() ? name : relative + "/" + name;
    struct stat st;
    if (::lstat(path.c_str(), &st) != 0) continue;
    if (S_ISDIR(st.st_mode)) {
      int inner = 0;
      ok = Prune(path, rel, keep, &inner) && ok;
      if (inner > 0 && ::rmdir(path.c_str()) == 0) ++*removed;  // fails unless now empty
    } else if (S_ISREG(st.st_mode) && !keep.count(rel) && CarriesMark(path)) {
      if (::unlink(path.c_str()) != 0) {
        ok = Fail("cannot remove " + path);
      } else {
        ++*removed;
      }
    }
  }
  return ok;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2 || !*argv[1]) {
    std::fprintf(stderr, "usage: %s DIR\n", argv[0]);
    return 2;
  }
  std::string root = argv[1];
  while (root.size() > 1 && root.back() == '/') root.pop_back();
  if (!MakeDirs(root)) return 1;

  std::vector<Sample> samples = Samples();
  std::set<std::string> keep;
  for (const Sample& s : samples) keep.insert(s.path);
  int removed = 0;
  bool ok = Prune(root, "", keep, &removed);

  const std::time_t now = std::time(nullptr);
  // "Today" must stay today even just after midnight.
  struct tm local;
  ::localtime_r(&now, &local);
  local.tm_hour = local.tm_min = local.tm_sec = 0;
  local.tm_isdst = -1;
  const std::time_t midnight = std::mktime(&local);
  auto when = [&](double days_ago) {
    if (days_ago == 0) return now - 60 > midnight ? now - 60 : now;
    return now - std::time_t(days_ago * kDay);
  };

  for (Sample& s : samples) {
    if (s.content.empty()) s.content = SmallBitmap();
    const std::string path = root + "/" + s.path;
    const std::string parent = path.substr(0, path.rfind('/'));
    if (!MakeDirs(parent) || !WriteIfChanged(path, s.content) ||
        !SetDates(path, when(s.modified_days), when(s.accessed_days))) {
      ok = false;
    }
  }
  return ok ? 0 : 1;
}
