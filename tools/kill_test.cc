// SPDX-License-Identifier: GPL-3.0-or-later
// Ends the real "Move To Folder" and "Send Checked To Recycle Bin" with
// SIGKILL at random moments and checks that no file is ever lost, corrupted
// or left behind in pieces.
//
// A set of files with unique contents (most small, a few of several MB)
// lives in one of two folders, each on its own file system when the run may
// mount a tmpfs (as root), else both on one (a note says so).  Each round a
// child process starts the window offscreen, searches the folder holding
// the files, ticks every row and moves them to the other folder, or sends
// them to the trash, with its dialogs answered through the dialog seam; the
// parent kills it at a random moment of the command.  Then every file is
// checked by its hash: each must be complete at its source, at its target
// or in the trash (complete in two places is allowed after a kill between a
// copy's arrival and its source's removal), nothing else may be there (no
// temporary file, no partial copy), and every trash info file must be
// whole.  The same command then runs again, unkilled, on what is left, and
// afterwards every file must be exactly once at its target.
//
// With --fuse the second folder is seen through a FUSE mount (bindfs), whose
// file system offers no unnamed files: copies into it are written under a
// hidden temporary name of the program's own, which a kill leaves behind.
// Those are counted after each kill, and after the second run there must
// be none.  Where no FUSE mount can be made, the run says so and makes the
// program's file layer refuse unnamed files instead.
//
// With --undo the command, once killed, is not run again but undone: the
// window's Undo, itself killed at a random moment every other round and
// checked as above, then run to its end, after which every file must be
// exactly once at its source, whole, with nothing left of it at the target
// or in the trash (no entry, no info file, no temporary).  The next round
// starts from there.
//
// With --refusing (and --fuse) the FUSE folder is one that can place no
// file safely, as an SMB share through FUSE: no rename that refuses to
// replace (bindfs has none), no hard link, and no name of an open file can
// be removed (EBUSY); the last two are injected through the program's file
// layer.  Only moves into it are run.  Every file must stay whole at its
// source, and no temporary of ours may be left in that folder after a
// command that ran to its end, nor after the one that follows a kill.
//
//   kill_test [--kills N] [--files N] [--seed N] [--fuse] [--refusing] [--undo] [--keep]
//
// Defaults: 20 kills, 1,000 files.  Exit status 0 when every check held.
#include <dirent.h>
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QApplication>
#include <QPushButton>
#include <QRadioButton>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <optional>
#include <random>
#include <string>
#include <vector>

#include "app/form1.h"
#include "base/date_value.h"
#include "platform/dialogs.h"
#include "platform/file_system.h"
#include "platform/new_file.h"
#include "platform/trash.h"
#include "testing/test_faulty_fs.h"

namespace {

using Clock = std::chrono::steady_clock;

double SecondsSince(Clock::time_point start) {
  return std::chrono::duration<double>(Clock::now() - start).count();
}

// ---- the child: one command in the real window ---------------------------

// What the worker's file layer refuses.
enum Layer { kPlain, kNoUnnamed, kRefusing, kRefusingAll };
const char* const kLayerNames[] = {"plain", "no-unnamed", "refusing", "refusing-all"};

// Searches `source`, ticks every row, and moves the files into `dest` or
// (with an empty `dest`) sends them to the trash; or, with `source` "-",
// presses Undo.  Writes one byte to `ready_fd` just before the command
// starts.  Exit status 3 when the command showed a message (something was
// not moved, trashed or put back).
int Worker(const std::string& source, const std::string& dest, int ready_fd, Layer kind) {
  ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
  qm::testing::FaultyFs layer;
  if (kind != kPlain) layer.RefuseUnnamedFiles();
  if (kind == kRefusing || kind == kRefusingAll) {
    layer.RefuseLinks();
    layer.BusyWhileOpen();
  }
  // Without the FUSE mount, whose renames cannot refuse to replace.
  if (kind == kRefusingAll) layer.RefuseNoReplaceRenames();
  if (kind != kPlain) qm::SetFs(&layer);
  int argc = 1;
  char name[] = "kill_test";
  char* argv[] = {name, nullptr};
  QApplication app(argc, argv);
  qm::Form1::SetAppFolderForTesting(QString::fromStdString(std::getenv("HOME")));
  qm::Form1::SetUnloadActionForTesting([] {});
  int messages = 0;
  const QString folder = QString::fromStdString(dest);
  qm::SetDialogResponder([&](const qm::DialogRequest& r) -> std::optional<qm::DialogAnswer> {
    qm::DialogAnswer answer;
    if (r.kind == qm::DialogKind::kFolderBrowser) answer.folder = folder;
    if (r.kind == qm::DialogKind::kMessage) {
      ++messages;
      std::fprintf(stderr, "  [message] %s\n", r.text.left(400).toLocal8Bit().constData());
    }
    return answer;
  });
  qm::Form1 form;
  form.Form_Load();
  if (source == "-") {
    if (::write(ready_fd, "r", 1) != 1) return 4;
    ::close(ready_fd);
    form.PushButton14_Click();
    return messages ? 3 : 0;
  }
  form.AddFolderRow(QString::fromStdString(source) + "/");
  form.Option1->setChecked(true);  // Date Modified
  form.Option4->setChecked(true);  // After 1 January 2000: every file here
  form.DTPicker3->SetValue(qm::DayNumberOf(2000, 1, 1));
  form.PushButton2->click();
  form.PushButton4_Click();  // Select All
  if (::write(ready_fd, "r", 1) != 1) return 4;
  ::close(ready_fd);
  (dest.empty() ? form.PushButton3 : form.PushButton5)->click();
  return messages ? 3 : 0;
}

// ---- the files -------------------------------------------------------------

std::uint64_t Fnv(const char* data, std::size_t size, std::uint64_t h = 1469598103934665603ull) {
  for (std::size_t i = 0; i < size; ++i) {
    h ^= static_cast<unsigned char>(data[i]);
    h *= 1099511628211ull;
  }
  return h;
}

std::string Contents(int index, std::size_t size) {
  std::string text = "file " + std::to_string(index) + "\n";
  std::uint64_t x = 0x9E3779B97F4A7C15ull * static_cast<std::uint64_t>(index + 1);
  while (text.size() < size) {
    x ^= x << 13;
    x ^= x >> 7;
    x ^= x << 17;
    text.append(reinterpret_cast<const char*>(&x), std::min<std::size_t>(8, size - text.size()));
  }
  text.resize(size);
  return text;
}

std::string FileName(int index) {
  char name[32];
  std::snprintf(name, sizeof name, "f%04d.dat", index);
  return name;
}

// The index a name of ours stands for ("f0042.dat", "f0042 (2).dat" after a
// rename in the folder, "f0042.2.dat" in the trash); -1 for any other name.
int IndexOf(const std::string& name) {
  if (name.size() < 9 || name[0] != 'f' || name.compare(name.size() - 4, 4, ".dat") != 0) {
    return -1;
  }
  for (int i = 1; i <= 4; ++i) {
    if (name[i] < '0' || name[i] > '9') return -1;
  }
  const std::string rest = name.substr(5, name.size() - 9);
  if (!rest.empty() && rest[0] != ' ' && rest[0] != '.') return -1;
  return std::atoi(name.substr(1, 4).c_str());
}

bool ReadWhole(const std::string& path, std::string* text) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC);
  if (fd < 0) return false;
  text->clear();
  char buffer[1 << 16];
  for (;;) {
    ssize_t n = ::read(fd, buffer, sizeof buffer);
    if (n < 0) {
      ::close(fd);
      return false;
    }
    if (n == 0) break;
    text->append(buffer, static_cast<std::size_t>(n));
  }
  ::close(fd);
  return true;
}

std::vector<std::string> Entries(const std::string& dir) {
  std::vector<std::string> names;
  if (DIR* d = ::opendir(dir.c_str())) {
    while (dirent* e = ::readdir(d)) {
      const std::string name = e->d_name;
      if (name != "." && name != "..") names.push_back(name);
    }
    ::closedir(d);
  }
  std::sort(names.begin(), names.end());
  return names;
}

bool IsDir(const std::string& path) {
  struct stat st;
  return ::lstat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

// ---- the checks ------------------------------------------------------------

struct Place {
  std::string data;   // the folder searched on this side
  std::string trash;  // the trash the side's files go to
  std::string top;    // the mount's top, for the trash's relative paths ("" for the home trash)
};

struct Census {
  std::vector<int> at_source, at_target;  // copies per file
  int both = 0;             // files complete in two places
  int orphan_infos = 0;     // info files whose entry never arrived
  int temporaries = 0;      // hidden temporary files of the program's own
  std::vector<std::string> faults;
};

class Checker {
 public:
  Checker(int files, std::vector<std::uint64_t> hashes)
      : files_(files), hashes_(std::move(hashes)) {}

  // Every file of ours below `dir` (and only ours), counted into `copies`.
  void CountFolder(const std::string& dir, std::vector<int>* copies, Census* census) const {
    for (const std::string& name : Entries(dir)) {
      const std::string path = dir + "/" + name;
      if (IsDir(path)) {
        CountFolder(path, copies, census);
        continue;
      }
      CountFile(path, name, copies, census);
    }
  }

  void CountFile(const std::string& path, const std::string& name, std::vector<int>* copies,
                 Census* census) const {
    if (qm::IsTemporaryName(name.c_str())) {
      ++census->temporaries;
      return;
    }
    const int index = IndexOf(name);
    if (index < 0 || index >= files_) {
      census->faults.push_back("left behind: " + path);
      return;
    }
    std::string text;
    if (!ReadWhole(path, &text) || Fnv(text.data(), text.size()) != hashes_[index]) {
      census->faults.push_back("corrupted: " + path + " (" + std::to_string(text.size()) +
                               " bytes)");
      return;
    }
    ++(*copies)[index];
  }

  // The trash folder `trash`: every entry of files/ with a whole info file,
  // every info file whole; an info file without its entry is allowed only
  // while its file is still in its own folder.
  void CountTrash(const Place& side, std::vector<int>* copies, Census* census) const {
    const std::string files = side.trash + "/files";
    const std::string info = side.trash + "/info";
    for (const std::string& name : Entries(files)) {
      CountFile(files + "/" + name, name, copies, census);
      struct stat st;
      if (::stat((info + "/" + name + ".trashinfo").c_str(), &st) != 0) {
        census->faults.push_back("in the trash without an info file: " + name);
      }
    }
    for (const std::string& name : Entries(info)) {
      std::string text, path;
      if (qm::IsTemporaryName(name.c_str())) {
        ++census->temporaries;
        continue;
      }
      const std::string suffix = ".trashinfo";
      if (name.size() <= suffix.size() ||
          name.compare(name.size() - suffix.size(), suffix.size(), suffix) != 0 ||
          !ReadWhole(info + "/" + name, &text) || !ParseInfo(text, &path)) {
        census->faults.push_back("not a whole info file: " + info + "/" + name + " (" +
                                 std::to_string(text.size()) + " bytes)");
        continue;
      }
      struct stat st;
      const std::string entry = files + "/" + name.substr(0, name.size() - suffix.size());
      if (::lstat(entry.c_str(), &st) == 0) continue;
      const std::string original = side.top.empty() ? path : side.top + "/" + path;
      if (::lstat(original.c_str(), &st) == 0) {
        ++census->orphan_infos;
      } else {
        census->faults.push_back("an info file for a file that is nowhere: " + name);
      }
    }
  }

  // "[Trash Info]", "Path=...", "DeletionDate=YYYY-MM-DDThh:mm:ss", nothing else.
  static bool ParseInfo(const std::string& text, std::string* path) {
    const std::string head = "[Trash Info]\nPath=";
    if (text.compare(0, head.size(), head) != 0) return false;
    const std::size_t end = text.find('\n', head.size());
    if (end == std::string::npos) return false;
    *path = qm::DecodeTrashPath(text.substr(head.size(), end - head.size()));
    const std::string date = text.substr(end + 1);
    return date.size() == 33 && date.compare(0, 13, "DeletionDate=") == 0 && date.back() == '\n';
  }

  // After a kill: every file complete once or twice, nothing else.
  Census AfterKill(const Place& source, const Place* target_side, bool to_trash) const {
    Census c;
    c.at_source.assign(files_, 0);
    c.at_target.assign(files_, 0);
    CountFolder(source.data, &c.at_source, &c);
    if (to_trash) {
      CountTrash(source, &c.at_target, &c);
    } else {
      CountFolder(target_side->data, &c.at_target, &c);
    }
    for (int i = 0; i < files_; ++i) {
      const int n = c.at_source[i] + c.at_target[i];
      if (n == 0) c.faults.push_back("lost: " + FileName(i));
      if (c.at_source[i] > 1 || c.at_target[i] > 1) {
        c.faults.push_back("more than once on one side: " + FileName(i));
      }
      if (n == 2) ++c.both;
    }
    return c;
  }

  // After a move into a folder that can place nothing: every file once, at
  // its source; nothing at the target, no temporary of ours there.
  Census AfterRefused(const Place& source, const Place& target, bool killed) const {
    Census c = AfterKill(source, &target, false);
    for (int i = 0; i < files_; ++i) {
      if (c.at_source[i] != 1 || c.at_target[i] != 0) {
        c.faults.push_back("not once at its source: " + FileName(i));
      }
    }
    if (!killed && c.temporaries != 0) {
      c.faults.push_back(std::to_string(c.temporaries) + " temporary files left behind");
    }
    return c;
  }

  // After an undo ran to its end: every file exactly once, at its source,
  // and nothing of it left at the target or in the trash.
  Census AfterUndo(const Place& source, const Place* target_side, bool to_trash) const {
    Census c = AfterKill(source, target_side, to_trash);
    for (int i = 0; i < files_; ++i) {
      if (c.at_source[i] != 1 || c.at_target[i] != 0) {
        c.faults.push_back("not once at its source after the undo: " + FileName(i));
      }
    }
    if (c.orphan_infos != 0) {
      c.faults.push_back(std::to_string(c.orphan_infos) + " info files left by the undo");
    }
    if (c.temporaries != 0) {
      c.faults.push_back(std::to_string(c.temporaries) + " temporary files left behind");
    }
    return c;
  }

  // After the command ran again: every file exactly once, at its target.
  Census AfterRerun(const Place& source, const Place* target_side, bool to_trash) const {
    Census c = AfterKill(source, target_side, to_trash);
    for (int i = 0; i < files_; ++i) {
      if (c.at_source[i] != 0 || c.at_target[i] != 1) {
        c.faults.push_back("not once at its target after the second run: " + FileName(i));
      }
    }
    if (c.orphan_infos != 0) {
      c.faults.push_back(std::to_string(c.orphan_infos) + " info files without their entry");
    }
    if (c.temporaries != 0) {
      c.faults.push_back(std::to_string(c.temporaries) + " temporary files left behind");
    }
    return c;
  }

 private:
  int files_;
  std::vector<std::uint64_t> hashes_;
};

// Puts everything in `side`'s trash back where it came from.
bool Restore(const Place& side) {
  const std::string files = side.trash + "/files";
  const std::string info = side.trash + "/info";
  bool ok = true;
  for (const std::string& name : Entries(info)) {
    std::string text, path;
    if (!ReadWhole(info + "/" + name, &text) || !Checker::ParseInfo(text, &path)) continue;
    const std::string original = side.top.empty() ? path : side.top + "/" + path;
    const std::string entry = files + "/" + name.substr(0, name.size() - 10);
    struct stat st;
    if (::lstat(entry.c_str(), &st) == 0 && ::rename(entry.c_str(), original.c_str()) != 0) {
      std::fprintf(stderr, "cannot restore %s: %s\n", entry.c_str(), std::strerror(errno));
      ok = false;
    }
    ::unlink((info + "/" + name).c_str());
  }
  return ok;
}

// ---- the parent --------------------------------------------------------------

struct Run {
  bool started = false;  // the command was reached
  bool killed = false;   // killed before it ended by itself
  int status = -1;       // exit status when it ended by itself
  double seconds = 0;    // from the command's start to the end or the kill
};

// Starts a worker; kills it `kill_after` seconds after its command started
// (never, when negative).
Run RunWorker(const std::string& self, const std::string& source, const std::string& dest,
              double kill_after, Layer layer) {
  Run run;
  int pipe_fds[2];
  if (::pipe2(pipe_fds, O_CLOEXEC) != 0) return run;
  const pid_t pid = ::fork();
  if (pid == 0) {
    ::close(pipe_fds[0]);
    const int ready = ::dup(pipe_fds[1]);  // without close-on-exec
    const std::string ready_text = std::to_string(ready);
    ::execl(self.c_str(), self.c_str(), "--worker", source.c_str(), dest.c_str(),
            ready_text.c_str(), kLayerNames[layer], static_cast<char*>(nullptr));
    ::_exit(127);
  }
  ::close(pipe_fds[1]);
  struct pollfd p = {pipe_fds[0], POLLIN, 0};
  char byte;
  if (::poll(&p, 1, 120000) == 1 && ::read(pipe_fds[0], &byte, 1) == 1) run.started = true;
  ::close(pipe_fds[0]);
  const auto start = Clock::now();
  if (run.started && kill_after >= 0) {
    const auto deadline = start + std::chrono::duration<double>(kill_after);
    int status = 0;
    while (Clock::now() < deadline) {
      if (::waitpid(pid, &status, WNOHANG) == pid) {
        run.status = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
        run.seconds = SecondsSince(start);
        return run;
      }
      ::usleep(200);
    }
    ::kill(pid, SIGKILL);
    ::waitpid(pid, &status, 0);
    run.killed = !(WIFEXITED(status));
    if (!run.killed) run.status = WEXITSTATUS(status);
    run.seconds = SecondsSince(start);
    return run;
  }
  int status = 0;
  ::waitpid(pid, &status, 0);
  run.status = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
  run.seconds = SecondsSince(start);
  return run;
}

void MakeDirs(const std::string& path) {
  for (std::size_t slash = path.find('/', 1);; slash = path.find('/', slash + 1)) {
    ::mkdir(path.substr(0, slash).c_str(), 0755);
    if (slash == std::string::npos) break;
  }
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 6 && std::string(argv[1]) == "--worker") {
    Layer layer = kPlain;
    for (int l = 0; l < 4; ++l) {
      if (argv[5] == std::string(kLayerNames[l])) layer = static_cast<Layer>(l);
    }
    return Worker(argv[2], argv[3], std::atoi(argv[4]), layer);
  }
  int kills = 20;
  int files = 1000;
  unsigned seed = static_cast<unsigned>(std::time(nullptr));
  bool keep = false;
  bool fuse = false;
  bool refusing = false;
  bool undo = false;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg == "--kills" && i + 1 < argc) kills = std::atoi(argv[++i]);
    else if (arg == "--files" && i + 1 < argc) files = std::atoi(argv[++i]);
    else if (arg == "--seed" && i + 1 < argc) seed = static_cast<unsigned>(std::atol(argv[++i]));
    else if (arg == "--keep") keep = true;
    else if (arg == "--fuse") fuse = true;
    else if (arg == "--refusing") refusing = fuse = true;
    else if (arg == "--undo") undo = true;
    else {
      std::fprintf(stderr, "usage: kill_test [--kills N] [--files N] [--seed N] [--fuse] "
                           "[--refusing] [--undo] [--keep]\n");
      return 2;
    }
  }
  if (kills < 1 || files < 1 || files > 9999 || (undo && refusing)) return 2;
  char self[4096];
  const ssize_t self_length = ::readlink("/proc/self/exe", self, sizeof self - 1);
  if (self_length <= 0) return 2;
  self[self_length] = '\0';

  const char* tmp = std::getenv("TMPDIR");
  std::string base = std::string(tmp && *tmp ? tmp : "/tmp") + "/qmkill.XXXXXX";
  if (!::mkdtemp(&base[0])) return 2;
  const std::string home = base + "/home";
  const std::string other = base + "/other";
  MakeDirs(home);
  MakeDirs(other);
  bool mounted = ::mount("tmpfs", other.c_str(), "tmpfs", 0, "size=1g,mode=0755") == 0;
  if (!mounted) {
    std::printf("note: could not mount a tmpfs (%s): both folders are on one file system, "
                "so moves are renames\n",
                std::strerror(errno));
  }
  ::setenv("HOME", home.c_str(), 1);
  MakeDirs(base + "/run");
  ::chmod((base + "/run").c_str(), 0700);
  ::setenv("XDG_RUNTIME_DIR", (base + "/run").c_str(), 1);
  ::setenv("XDG_CONFIG_HOME", (home + "/.config").c_str(), 1);
  ::setenv("XDG_DATA_HOME", (home + "/.local/share").c_str(), 1);
  ::setenv("XDG_STATE_HOME", (home + "/.local/state").c_str(), 1);
  const std::string uid = std::to_string(::getuid());
  Place sides[2] = {{base + "/disk", home + "/.local/share/Trash", ""},
                    {other + "/data", other + "/.Trash-" + uid, other}};
  if (!mounted) sides[1].trash = sides[0].trash, sides[1].top = "";  // the home trash's disk
  // The second folder through FUSE: a view of a folder on the other disk.
  bool fuse_mounted = false, no_unnamed = false;
  const std::string view = base + "/view";
  if (fuse) {
    MakeDirs(other + "/backing");
    MakeDirs(view);
    const std::string command =
        "bindfs --no-allow-other '" + other + "/backing' '" + view + "' 2>/dev/null";
    fuse_mounted = std::system(command.c_str()) == 0;
    if (fuse_mounted) {
      sides[1] = {view + "/data", view + "/.Trash-" + uid, view};
    } else {
      no_unnamed = true;
      std::printf("note: could not mount bindfs: the program's file layer refuses unnamed "
                  "files instead\n");
    }
  }
  MakeDirs(sides[0].data);
  MakeDirs(sides[1].data);
  Layer layer = no_unnamed ? kNoUnnamed : kPlain;
  if (refusing) {
    layer = fuse_mounted ? kRefusing : kRefusingAll;
    std::printf("note: the %s refuses links and, where a name is open, its removal%s\n",
                fuse_mounted ? "FUSE mount" : "second folder",
                fuse_mounted ? "" : ", and renames that must not replace");
  }

  // The files: unique contents, most of a few KB, some of several MB.
  std::mt19937 random(seed);
  std::vector<std::uint64_t> hashes(files);
  long total = 0;
  const int big_every = std::max(1, files / 8);
  for (int i = 0; i < files; ++i) {
    const std::size_t size = i % big_every == big_every / 2
                                 ? 2000000 + random() % 4000000
                                 : 200 + random() % 24000;
    const std::string text = Contents(i, size);
    hashes[i] = Fnv(text.data(), text.size());
    const std::string dir = sides[0].data + "/d" + std::to_string(i % 10);
    MakeDirs(dir);
    FILE* f = std::fopen((dir + "/" + FileName(i)).c_str(), "wb");
    if (!f || std::fwrite(text.data(), 1, text.size(), f) != text.size() || std::fclose(f) != 0) {
      std::fprintf(stderr, "cannot write the files under %s\n", dir.c_str());
      return 2;
    }
    total += static_cast<long>(size);
  }
  std::printf("kill_test: %d files (%.1f MB), %d kills, seed %u, %s%s\n", files, total / 1e6,
              kills, seed, mounted ? "the second folder on a tmpfs" : "one file system",
              fuse_mounted ? ", seen through a FUSE mount"
                           : no_unnamed ? ", without unnamed files" : "");

  const Checker checker(files, hashes);
  int side = 0;  // where the files are
  int landed = 0, missed = 0, both = 0, orphans = 0, temporaries = 0, kills_in_trash = 0;
  int undo_kills = 0, undos = 0;
  bool ok = true;
  // Seconds a whole command took: [trash][side it started from]; and an
  // undo of it.
  double estimate[2][2] = {{-1, -1}, {-1, -1}};
  double undo_estimate[2][2] = {{-1, -1}, {-1, -1}};
  const auto started = Clock::now();
  auto fail = [&](const std::string& what, const Census& c) {
    ok = false;
    std::printf("FAILED %s: %zu faults\n", what.c_str(), c.faults.size());
    for (std::size_t i = 0; i < c.faults.size() && i < 10; ++i) {
      std::printf("  %s\n", c.faults[i].c_str());
    }
  };

  for (int round = 0; ok && landed < kills && round < 4 * kills; ++round) {
    // Move, trash, move back, trash, ...; only moves into a refusing folder.
    const bool trash = !refusing && round % 2 == 1;
    const Place& source = sides[side];
    const Place& target = sides[1 - side];
    const std::string dest = trash ? std::string() : target.data;
    double& whole = estimate[trash ? 1 : 0][side];
    // The first command of each kind runs whole, to learn how long it takes.
    const double kill_after =
        whole < 0 ? -1 : std::uniform_real_distribution<double>(0, whole)(random);
    Run run = RunWorker(self, source.data, dest, kill_after, layer);
    if (!run.started) {
      std::printf("FAILED: the window did not reach the command\n");
      ok = false;
      break;
    }
    const char* what = trash ? "trash" : "move";
    if (run.killed) {
      ++landed;
      kills_in_trash += trash ? 1 : 0;
      Census c = checker.AfterKill(source, &target, trash);
      both += c.both;
      orphans += c.orphan_infos;
      temporaries += c.temporaries;
      int at_source = 0;
      for (int n : c.at_source) at_source += n;
      std::printf("kill %2d: %-5s from %-5s after %6.3f s: %4d at the source, %4d at the target, "
                  "%d in both, %d info files without entry, %d temporaries\n",
                  landed, what, side ? (fuse_mounted ? "fuse" : "tmpfs") : "disk", run.seconds,
                  at_source, files - at_source + c.both, c.both, c.orphan_infos, c.temporaries);
      if (!c.faults.empty()) {
        fail(std::string("after kill ") + std::to_string(landed), c);
        break;
      }
      if (refusing) {
        c = checker.AfterRefused(source, target, true);
        if (!c.faults.empty()) {
          fail(std::string("after kill ") + std::to_string(landed), c);
          break;
        }
      }
      // Killed before any file went, the command may not have replaced the
      // journal of the one before it yet, which Undo would then rightly
      // take back: such a round is run again instead.
      if (undo && at_source < files) {
        // Undone instead of run again; every other undo is killed too.
        double& undo_whole = undo_estimate[trash ? 1 : 0][side];
        if (undo_whole >= 0 && landed % 2 == 0) {
          const double undo_kill =
              std::uniform_real_distribution<double>(0, undo_whole)(random);
          Run killed = RunWorker(self, "-", "-", undo_kill, layer);
          if (killed.killed) {
            ++undo_kills;
            c = checker.AfterKill(source, &target, trash);
            std::printf("         undo killed after %6.3f s\n", killed.seconds);
            if (!c.faults.empty()) {
              fail(std::string("after the undo of kill ") + std::to_string(landed) +
                       " was killed",
                   c);
              break;
            }
          }
        }
        run = RunWorker(self, "-", "-", -1, layer);
        ++undos;
        // The longest so far: undos differ as much as what the kills left.
        undo_whole = std::max(undo_whole, run.seconds);
        if (run.status != 0) {
          std::printf("FAILED: the undo ended with status %d\n", run.status);
          ok = false;
          break;
        }
        c = checker.AfterUndo(source, &target, trash);
        if (!c.faults.empty()) {
          fail(std::string("after the undo of kill ") + std::to_string(landed), c);
          break;
        }
        // The files are back where the round began.  Every other round the
        // command then runs whole, so the next starts from the other side.
        if (landed % 2 == 0) continue;
      }
      run = RunWorker(self, source.data, dest, -1, layer);  // again, on what is left
    } else if (kill_after >= 0) {
      ++missed;  // it ended before the kill came
    } else {
      whole = run.seconds;
      std::printf("whole %s from the %s: %.3f s\n", what, side ? (fuse_mounted ? "fuse" : "tmpfs") : "disk", run.seconds);
    }
    // Into a refusing folder every file stays, and the command says so.
    if (run.status != (refusing ? 3 : 0)) {
      std::printf("FAILED: the %s ended with status %d\n", what, run.status);
      ok = false;
      break;
    }
    if (refusing) {
      Census c = checker.AfterRefused(source, target, false);
      if (!c.faults.empty()) {
        fail(std::string("after the ") + what + " ran to its end", c);
        break;
      }
      continue;
    }
    Census c = checker.AfterRerun(source, &target, trash);
    if (!c.faults.empty()) {
      fail(std::string("after the ") + what + " ran again", c);
      break;
    }
    if (trash) {
      ok = Restore(source);
    } else {
      side = 1 - side;
    }
  }
  const double seconds = SecondsSince(started);
  std::printf("%d kills landed (%d during a trash), %d came after the command ended; "
              "no file lost, corrupted or left in pieces: %s\n",
              landed, kills_in_trash, missed, ok && landed >= kills ? "yes" : "NO");
  if (undo) {
    std::printf("%d killed commands undone, %d of the undos killed first; every file back "
                "once, nothing left at the target or in the trash: %s\n",
                undos, undo_kills, ok && undos > 0 ? "yes" : "NO");
  }
  std::printf("left by the kills: %d files complete in both places (the next move removed the "
              "source), %d info files without their entry (taken over by the next trash), "
              "%d hidden temporaries (removed by the next run); %.1f s in all\n",
              both, orphans, temporaries, seconds);
  if (fuse_mounted) ::umount2(view.c_str(), MNT_DETACH);
  if (mounted) ::umount2(other.c_str(), MNT_DETACH);
  if (!keep) std::system(("rm -rf '" + base + "'").c_str());
  return ok && landed >= kills ? 0 : 1;
}
