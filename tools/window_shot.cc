// SPDX-License-Identifier: GPL-3.0-or-later
// Draws the main window offscreen and saves it as a picture, for the
// screenshots in docs/: the window after "Load Sample/Example Folder" and a
// search for files modified before today, sorted by date, newest first.
//
//   window_shot OUT.png [--dark] [--maximised] [--filters | --filters-dialog]
//
// --dark draws it under a dark colour scheme like Breeze Dark; --maximised
// draws the window as it fills a 1920x1080 screen less a panel (1920x1048),
// its lists grown.  --filters searches with filters on (a folder left out,
// some names, a least size), which the status line then names;
// --filters-dialog draws the filters dialog over the window instead.  The status line along the bottom tells what was found
// and ticked.  The texts
// are in the language the environment asks for, as the program's are
// (LC_ALL=de_DE.UTF-8 window_shot OUT.png draws it in German).
//
// The picture shows the neutral home folder /home/user, never the path of
// the machine that drew it: in a mount namespace of its own, the tool puts
// an empty tmpfs over /home, lays the samples out in /home/user/Samples with
// the sample maker beside it, and keeps its settings in /home/user/.config.
#include <fcntl.h>
#include <sched.h>
#include <stdlib.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QApplication>
#include <QCoreApplication>
#include <QDir>
#include <QImage>
#include <QPushButton>
#include <QRadioButton>
#include <cstdio>
#include <cstring>
#include <string>

#include "app/filters_dialog.h"
#include "app/form1.h"
#include "app/translations.h"
#include "testing/dark_palette.h"

namespace {

bool WriteText(const char* path, const char* text) {
  const int fd = ::open(path, O_WRONLY);
  if (fd < 0) return false;
  const bool ok = ::write(fd, text, std::strlen(text)) == static_cast<ssize_t>(std::strlen(text));
  ::close(fd);
  return ok;
}

// A private /home on a tmpfs, in a mount namespace of this process alone
// (a user namespace first when not run as root).
bool PrivateHome() {
  const uid_t uid = ::getuid();
  const gid_t gid = ::getgid();
  if (uid != 0) {
    if (::unshare(CLONE_NEWUSER | CLONE_NEWNS) != 0) return false;
    const std::string uid_map = "0 " + std::to_string(uid) + " 1";
    const std::string gid_map = "0 " + std::to_string(gid) + " 1";
    if (!WriteText("/proc/self/setgroups", "deny") ||
        !WriteText("/proc/self/uid_map", uid_map.c_str()) ||
        !WriteText("/proc/self/gid_map", gid_map.c_str())) {
      return false;
    }
  } else if (::unshare(CLONE_NEWNS) != 0) {
    return false;
  }
  return ::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) == 0 &&
         ::mount("tmpfs", "/home", "tmpfs", 0, "mode=0755") == 0 &&
         ::mkdir("/home/user", 0755) == 0;
}

// Runs the sample maker beside this program on `folder`.
bool MakeSamples(const std::string& program_folder, const char* folder) {
  const std::string maker = program_folder + "/make_samples";
  const pid_t child = ::fork();
  if (child == 0) {
    ::execl(maker.c_str(), maker.c_str(), folder, static_cast<char*>(nullptr));
    ::_exit(127);
  }
  int status = 0;
  return child > 0 && ::waitpid(child, &status, 0) == child && WIFEXITED(status) &&
         WEXITSTATUS(status) == 0;
}

}  // namespace

int main(int argc, char** argv) {
  bool dark = false;
  bool maximised = false;
  bool filters = false;
  bool filters_dialog = false;
  bool usage = argc < 2;
  for (int i = 2; i < argc; ++i) {
    if (std::strcmp(argv[i], "--dark") == 0) {
      dark = true;
    } else if (std::strcmp(argv[i], "--maximised") == 0) {
      maximised = true;
    } else if (std::strcmp(argv[i], "--filters") == 0) {
      filters = true;
    } else if (std::strcmp(argv[i], "--filters-dialog") == 0) {
      filters_dialog = true;
    } else {
      usage = true;
    }
  }
  if (usage) {
    std::fprintf(stderr,
                 "usage: %s OUT.png [--dark] [--maximised] [--filters | --filters-dialog]\n",
                 argv[0]);
    return 2;
  }
  ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
  char self[4096];
  const ssize_t n = ::readlink("/proc/self/exe", self, sizeof self - 1);
  std::string program_folder = n > 0 ? std::string(self, static_cast<size_t>(n)) : ".";
  program_folder.erase(program_folder.rfind('/'));
  if (!PrivateHome()) {
    std::perror("window_shot: cannot put a private /home/user in place");
    return 1;
  }
  if (!MakeSamples(program_folder, "/home/user/Samples")) {
    std::fprintf(stderr, "window_shot: cannot lay out /home/user/Samples\n");
    return 1;
  }
  ::setenv("HOME", "/home/user", 1);
  ::setenv("XDG_CONFIG_HOME", "/home/user/.config", 1);
  ::setenv("XDG_DATA_HOME", "/home/user/.local/share", 1);
  // (The window's state and the undo journal, which would show Undo.)
  ::setenv("XDG_STATE_HOME", "/home/user/.local/state", 1);
  QApplication app(argc, argv);
  if (dark) QApplication::setPalette(qm::testing::DarkPalette());
  qm::InstallTranslations(qm::MessageLanguages(), qm::TranslationsFolder());
  qm::Form1::SetAppFolderForTesting(QStringLiteral("/home/user"));

  qm::Form1 form;
  form.Form_Load();
  if (maximised) form.resize(1920, 1048);
  form.show();
  form.Option1->setChecked(true);  // "Date Modified"
  form.Option5->setChecked(true);  // "Before this date": today
  if (filters || filters_dialog) {
    qm::FilterTexts texts;
    texts.exclude = {QStringLiteral("old")};
    texts.names = QStringLiteral("*.md *.txt");
    texts.min_size = QStringLiteral("60");
    form.SetFilters(texts);
  }
  form.PushButton8->click();
  form.PushButton2->click();
  form.ListView2->Model()->SortByClick(1);
  form.ListView2->Model()->SortByClick(1);
  form.ListView2->SetChecked(1, true);
  form.ListView2->SetChecked(2, true);
  QApplication::processEvents();
  QWidget* drawn = &form;
  if (filters_dialog) {
    form.PushButton10->click();
    drawn = form.findChild<qm::FiltersDialog*>();
    QApplication::processEvents();
  }
  if (!drawn || !drawn->grab().toImage().save(QString::fromLocal8Bit(argv[1]))) {
    std::fprintf(stderr, "window_shot: cannot write %s\n", argv[1]);
    return 1;
  }
  return 0;
}
