// Draws the main window offscreen and saves it as a picture, for the
// screenshots in docs/: the window after "Load Sample/Example Folder" and a
// search for files modified before today, sorted by date, newest first.
//
//   window_shot OUT.png [--dark]
//
// --dark draws it under a dark colour scheme like Breeze Dark.  Settings go
// to a temporary home.  So that no machine's own paths show, the program's
// folder is taken to be /home/user/Quenmoor, with a Samples folder laid out
// there by the sample maker beside this tool, on a tmpfs over /home that
// only this process sees (a mount namespace of its own; as root, or where
// user namespaces are allowed).  Where that cannot be had, the samples
// beside the program are used, and a note says so.
#include <fcntl.h>
#include <sched.h>
#include <stdlib.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QApplication>
#include <QDir>
#include <QImage>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <cstdio>
#include <cstring>
#include <string>

#include "app/form1.h"
#include "testing/dark_palette.h"

namespace {

bool WriteText(const char* path, const std::string& text) {
  const int fd = ::open(path, O_WRONLY | O_CLOEXEC);
  if (fd < 0) return false;
  const bool ok = ::write(fd, text.data(), text.size()) == static_cast<ssize_t>(text.size());
  ::close(fd);
  return ok;
}

// A private /home holding /home/user/Quenmoor/Samples; false when this
// process cannot have one.
bool NeutralHome(const std::string& make_samples) {
  const uid_t uid = ::geteuid();
  const gid_t gid = ::getegid();
  if (::unshare(CLONE_NEWNS) != 0) {
    if (::unshare(CLONE_NEWUSER | CLONE_NEWNS) != 0) return false;
    WriteText("/proc/self/setgroups", "deny");
    if (!WriteText("/proc/self/uid_map", "0 " + std::to_string(uid) + " 1") ||
        !WriteText("/proc/self/gid_map", "0 " + std::to_string(gid) + " 1")) {
      return false;
    }
  }
  if (::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0 ||
      ::mount("tmpfs", "/home", "tmpfs", 0, "mode=0755") != 0 ||
      ::mkdir("/home/user", 0755) != 0 || ::mkdir("/home/user/Quenmoor", 0755) != 0) {
    return false;
  }
  const std::string command = "'" + make_samples + "' /home/user/Quenmoor/Samples";
  return std::system(command.c_str()) == 0;
}

}  // namespace

int main(int argc, char** argv) {
  const bool dark = argc == 3 && std::strcmp(argv[2], "--dark") == 0;
  if (argc != 2 && !dark) {
    std::fprintf(stderr, "usage: %s OUT.png [--dark]\n", argv[0]);
    return 2;
  }
  ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
  char self[4096];
  const ssize_t length = ::readlink("/proc/self/exe", self, sizeof self - 1);
  std::string beside = length > 0 ? std::string(self, static_cast<size_t>(length)) : std::string();
  beside = beside.substr(0, beside.rfind('/') + 1);
  const bool neutral = NeutralHome(beside + "make_samples");
  if (!neutral) {
    std::fprintf(stderr, "window_shot: note: no private /home here; the samples beside the "
                         "program are shown, with their own path\n");
  }
  QTemporaryDir home;
  if (!home.isValid()) {
    std::fprintf(stderr, "window_shot: no temporary folder\n");
    return 1;
  }
  ::setenv("HOME", qPrintable(home.path()), 1);
  ::setenv("XDG_CONFIG_HOME", qPrintable(home.path() + "/.config"), 1);
  ::setenv("XDG_DATA_HOME", qPrintable(home.path() + "/.local/share"), 1);
  QApplication app(argc, argv);
  if (dark) QApplication::setPalette(qm::testing::DarkPalette());

  if (neutral) qm::Form1::SetAppFolderForTesting(QStringLiteral("/home/user/Quenmoor"));
  qm::Form1 form;
  form.Form_Load();
  form.show();
  form.Option1->setChecked(true);  // "Date Modified"
  form.Option5->setChecked(true);  // "Before this date": today
  form.PushButton8->click();
  form.PushButton2->click();
  form.ListView2->Model()->SortByClick(1);
  form.ListView2->Model()->SortByClick(1);
  form.ListView2->SetChecked(1, true);
  QApplication::processEvents();
  if (!form.grab().toImage().save(QString::fromLocal8Bit(argv[1]))) {
    std::fprintf(stderr, "window_shot: cannot write %s\n", argv[1]);
    return 1;
  }
  return 0;
}
