// SPDX-License-Identifier: GPL-3.0-or-later
// Draws the main window offscreen and saves it as a picture, for the
// screenshots in docs/: the window after "Load Sample/Example Folder" and a
// search for files modified before today, sorted by date, newest first.
//
//   window_shot OUT.png [--dark]
//
// --dark draws it under a dark colour scheme like Breeze Dark.  The texts
// are in the language the environment asks for, as the program's are
// (LC_ALL=de_DE.UTF-8 window_shot OUT.png draws it in German).  Settings go
// to a temporary home; the samples are the ones beside the program.
#include <stdlib.h>

#include <QApplication>
#include <QDir>
#include <QImage>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <cstdio>
#include <cstring>

#include "app/form1.h"
#include "app/translations.h"
#include "testing/dark_palette.h"

int main(int argc, char** argv) {
  const bool dark = argc == 3 && std::strcmp(argv[2], "--dark") == 0;
  if (argc != 2 && !dark) {
    std::fprintf(stderr, "usage: %s OUT.png [--dark]\n", argv[0]);
    return 2;
  }
  ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
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
  qm::InstallTranslations(qm::MessageLanguages(), qm::TranslationsFolder());

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
