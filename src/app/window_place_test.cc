// SPDX-License-Identifier: GPL-3.0-or-later
// The window as it grows, shrinks and opens again where it was left.
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <QGuiApplication>
#include <QHeaderView>
#include <QProcess>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QtTest/QTest>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <functional>

#include "app/window_state.h"
#include "testing/test_env.h"
#include "testing/test_form.h"
#include "testing/test_results.h"

namespace qm {
namespace {

using testing::ResultsTest;

class WindowPlaceTest : public ResultsTest {};

TEST_F(WindowPlaceTest, GrowingGivesTheListsTheRoomAndTheButtonsKeepToTheirEdges) {
  Form1& form = *form_;
  form.show();
  const QRect results = form.ListView2->geometry();
  form.resize(form.Layout().DefaultSize() + QSize(400, 200));
  const QRect grown = form.ListView2->geometry();
  EXPECT_EQ(grown.top(), results.top());
  EXPECT_EQ(grown.height(), results.height() + 200);
  EXPECT_GT(grown.width(), results.width() + 200);  // most of the width
  EXPECT_EQ(form.PushButton2->geometry().left(), grown.left());
  EXPECT_EQ(form.PushButton2->geometry().right(), grown.right());
  EXPECT_EQ(form.PushButton3->geometry().left(), grown.left());
  EXPECT_EQ(form.PushButton5->geometry().right(), grown.right());
  EXPECT_EQ(form.PushButton1->geometry().right(), form.ListView1->geometry().right());
  EXPECT_EQ(form.Frame2->geometry().bottom() + 1 + 7, form.StatusBar1->geometry().top());
  EXPECT_EQ(form.StatusBar1->geometry().bottom(), form.height() - 1);
  // Back at the designed size, everything is where it was drawn.
  form.resize(form.Layout().DefaultSize());
  EXPECT_EQ(form.ListView2->geometry(), results);
  EXPECT_EQ(form.PushButton5->geometry(), QRect(12000 / 15, 6750 / 15, 3840 / 15, 405 / 15));
}

TEST_F(WindowPlaceTest, SizePlaceAndTheWidthsTheUserGaveComeBackNextTime) {
  const std::string folder = tree_.Sub("files");
  testing::WriteFile(folder + "/a.txt", "abc");
  {
    Form1& form = *form_;
    // Nothing kept yet: the designed size, or the screen's free area where
    // that is smaller (the test's screen is 800 pixels wide).
    form.RestoreWindowState();
    const QSize screen = QGuiApplication::primaryScreen()->availableGeometry().size();
    EXPECT_EQ(form.size(), form.Layout().DefaultSize().boundedTo(screen - QSize(0, 32)));
    form.show();
    form.resize(780, 450);
    SearchAndTickAll(folder);
    // Widths the program sets are not the user's; a dragged divider is.
    form.SaveWindowState();
    EXPECT_TRUE(ReadWindowState().result_widths.empty());
    form.ListView2->header()->resizeSection(0, 250);
    form.ListView1->header()->resizeSection(0, 300);
    form.SaveWindowState();
  }
  const WindowState kept = ReadWindowState();
  EXPECT_EQ(kept.geometry.size(), QSize(780, 450));
  ASSERT_EQ(kept.result_widths.size(), 3u);
  EXPECT_EQ(kept.result_widths[0], 250);
  EXPECT_EQ(kept.result_widths[1], 2000 / 15);

  auto form = NewForm();
  form->RestoreWindowState();
  EXPECT_EQ(form->size(), QSize(780, 450));
  EXPECT_EQ(form->ListView1->columnWidth(0), 300);
  EXPECT_EQ(form->ListView2->columnWidth(0), 7000 / 15);  // "Results", before a search
  form->AddFolderRow(QString::fromStdString(folder) + QLatin1Char('/'));
  form->PushButton2_Click();
  EXPECT_EQ(form->ListView2->columnWidth(0), 250);

  // A size given just before the window closes is written as it closes.
  form->show();
  form->resize(770, 440);
  form->close();
  EXPECT_EQ(unloads_, 1);
  EXPECT_EQ(ReadWindowState().geometry.size(), QSize(770, 440));

  // A damaged state file costs only the lines it spoils.
  testing::WriteFile(WindowStatePath().toStdString(),
                     "geometry=10 20 x 30\nmaximized=1\nresult-columns=0 -3\n\x01\n");
  const WindowState damaged = ReadWindowState();
  EXPECT_TRUE(damaged.geometry.isEmpty());
  EXPECT_TRUE(damaged.maximized);
  EXPECT_TRUE(damaged.result_widths.empty());
}

// Wider than designed, the result columns fill the list, the path first:
// the date and the size show whole, so Size is in sight.  At the designed
// size the columns keep their designed widths.
TEST_F(WindowPlaceTest, GrownWiderTheResultColumnsFillTheListAndShowSizeWhole) {
  const std::string folder = tree_.Sub("files");
  testing::WriteFile(folder + "/a.txt", "abc");
  Form1& form = *form_;
  form.show();
  SearchAndTickAll(folder);
  ListView* list = form.ListView2;
  auto widths = [list] {
    return std::vector<int>{list->columnWidth(0), list->columnWidth(1), list->columnWidth(2)};
  };
  EXPECT_EQ(widths(), (std::vector<int>{5500 / 15, 2000 / 15, 1300 / 15}));
  for (int wider : {1, 400, 1500}) {
    SCOPED_TRACE(wider);
    form.resize(form.Layout().DefaultSize() + QSize(wider, 0));
    const std::vector<int> w = widths();
    const int inside = list->viewport()->width();
    EXPECT_LE(w[0] + w[1] + w[2], inside);  // Size in sight, no scrolling sideways
    EXPECT_GE(w[1], list->fontMetrics().horizontalAdvance(list->SubItemText(1)));
    EXPECT_GE(w[2], list->header()->sectionSizeHint(2));
    if (wider == 1500) {
      EXPECT_GT(w[0], 5500 / 15);  // the path takes what is left
    }
  }
  form.resize(form.Layout().DefaultSize());
  EXPECT_EQ(widths(), (std::vector<int>{5500 / 15, 2000 / 15, 1300 / 15}));
  // Widths the user set are kept, whatever the window's size.
  list->header()->resizeSection(0, 200);
  form.resize(form.Layout().DefaultSize() + QSize(600, 0));
  EXPECT_EQ(list->columnWidth(0), 200);
}

// At twice the scale on a 1920x1080 screen (960x540), and on a 640x480
// screen: the window opens on the screen, its title bar too; at 200% every
// caption shows whole; on the smaller screen, too small for that, the
// window scrolls to every control.  Each in a process of its own, whose
// screen is made to measure.
TEST_F(WindowPlaceTest, AtTwiceTheScaleAndOnASmallScreenEveryCaptionShowsAndTheWindowFits) {
  const QByteArray which = qgetenv("QM_SCREEN_CASE");
  if (which.isEmpty()) {
    for (const char* c : {"200%", "640x480"}) {
      SCOPED_TRACE(c);
      const bool twice = std::string(c) == "200%";
      const std::string config = home_.Sub("screen.json");
      testing::WriteFile(config, std::string("{\"screens\": [{\"name\": \"s\", \"x\": 0, "
                                             "\"y\": 0, \"width\": ") +
                                     (twice ? "1920" : "640") + ", \"height\": " +
                                     (twice ? "1080" : "480") + ", \"logicalDpi\": 96}]}");
      QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
      env.insert(QStringLiteral("QT_QPA_PLATFORM"),
                 QStringLiteral("offscreen:configfile=") + QString::fromStdString(config));
      env.insert(QStringLiteral("QM_SCREEN_CASE"), QLatin1String(c));
      if (twice) env.insert(QStringLiteral("QT_SCALE_FACTOR"), QStringLiteral("2"));
      QProcess child;
      child.setProcessEnvironment(env);
      child.setProcessChannelMode(QProcess::MergedChannels);
      child.start(QCoreApplication::applicationFilePath(),
                  {QStringLiteral("--gtest_filter=WindowPlaceTest.AtTwiceTheScaleAndOnASmall"
                                  "ScreenEveryCaptionShowsAndTheWindowFits")});
      ASSERT_TRUE(child.waitForFinished(120000));
      const QString out = QString::fromUtf8(child.readAll());
      EXPECT_EQ(child.exitCode(), 0) << out.toStdString();
      EXPECT_TRUE(out.contains(QLatin1String("[  PASSED  ] 1 test"))) << out.toStdString();
    }
    return;
  }
  const bool twice = which == "200%";
  const QRect free = QGuiApplication::primaryScreen()->availableGeometry();
  ASSERT_EQ(free.size(), twice ? QSize(960, 540) : QSize(640, 480));
  Form1& form = *form_;
  form.RestoreWindowState();
  form.show();
  const QRect placed = form.geometry();
  EXPECT_TRUE(free.contains(placed))
      << placed.x() << "," << placed.y() << " " << placed.width() << "x" << placed.height();
  EXPECT_GE(placed.top(), free.top() + Form1::kTitleBar);  // room for the title bar
  QScrollBar* across = form.findChild<QScrollBar*>(QStringLiteral("HScroll1"));
  ASSERT_TRUE(across);
  if (twice) {
    EXPECT_FALSE(across->isVisible());
    for (QPushButton* b : form.findChildren<QPushButton*>()) {
      if (b->isVisibleTo(&form)) {
        EXPECT_LE(b->sizeHint().width(), b->width()) << b->text().toStdString();
        EXPECT_LE(b->geometry().right(), form.width()) << b->text().toStdString();
      }
    }
    // The lowest two buttons stand one above the other, each across the
    // results, below the other buttons and the list.
    EXPECT_LT(form.PushButton3->geometry().bottom(), form.PushButton5->geometry().top());
    EXPECT_LT(form.PushButton4->geometry().bottom(), form.PushButton3->geometry().top());
    EXPECT_LT(form.ListView2->geometry().bottom(), form.PushButton4->geometry().top());
    EXPECT_EQ(form.PushButton5->geometry().left(), form.ListView2->geometry().left());
  } else {
    // Too small for every caption: the controls scroll, to the last one.
    ASSERT_TRUE(across->isVisible());
    across->setValue(across->maximum());
    QScrollBar* down = form.findChild<QScrollBar*>(QStringLiteral("VScroll1"));
    if (down->isVisible()) down->setValue(down->maximum());
    const QRect last = form.PushButton5->geometry();
    EXPECT_LE(last.right(), across->geometry().right());
    EXPECT_LE(last.bottom(), form.StatusBar1->geometry().top());
    EXPECT_LE(form.PushButton5->sizeHint().width(), last.width());
  }
}

// A state file that is no file: nothing waits on it, reads it or replaces
// it; it is said once, and the window opens at its designed size.
TEST_F(WindowPlaceTest, AStateFileThatIsNoFileIsToldOnceAndNeverOpenedOrReplaced) {
  const std::string path = WindowStatePath().toStdString();
  testing::MakeDirs(path.substr(0, path.rfind('/')));
  const std::string node = home_.Sub("node");
  struct Case {
    const char* name;
    std::function<bool()> make;  // false: cannot be made here
    const char* said;            // what the message says stands there; "" for nothing
  };
  const Case cases[] = {
      {"a FIFO", [&] { return ::mkfifo(path.c_str(), 0600) == 0; }, "a FIFO"},
      // Reading it would fill memory without end.
      {"a link to /dev/zero", [&] { return ::symlink("/dev/zero", path.c_str()) == 0; },
       "a device"},
      // A device of the test's own (as root): replacing the node would be
      // as bad as reading it.
      {"a link to a device node",
       [&] {
         return ::mknod(node.c_str(), S_IFCHR | 0600, makedev(1, 5)) == 0 &&
                ::symlink(node.c_str(), path.c_str()) == 0;
       },
       "a device"},
      // The usual way to switch such a file off: nothing to say.
      {"a link to /dev/null", [&] { return ::symlink("/dev/null", path.c_str()) == 0; }, ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ::unlink(path.c_str());
    ::unlink(node.c_str());
    if (!c.make()) {
      std::printf("skipped (%s cannot be made here: %s)\n", c.name, std::strerror(errno));
      continue;
    }
    struct stat before;
    ASSERT_EQ(::lstat(path.c_str(), &before), 0);
    requests_.clear();
    auto form = NewForm();
    {
      testing::HangGuard guard(std::string("opening the window with ") + c.name, 20);
      form->RestoreWindowState();
      form->show();
      form->resize(900, 450);
      form->SaveWindowState();
      form->close();
    }
    const std::vector<QString> said = Messages();
    if (*c.said) {
      ASSERT_EQ(said.size(), 1u);
      EXPECT_TRUE(said[0].contains(QString::fromStdString(path))) << said[0].toStdString();
      EXPECT_TRUE(said[0].contains(QLatin1String(c.said))) << said[0].toStdString();
    } else {
      EXPECT_TRUE(said.empty());
    }
    // What was there is there still, untouched.
    struct stat after;
    ASSERT_EQ(::lstat(path.c_str(), &after), 0);
    EXPECT_EQ(after.st_mode & S_IFMT, before.st_mode & S_IFMT);
    EXPECT_EQ(after.st_ino, before.st_ino);
    if (c.name == std::string("a link to a device node")) {
      ASSERT_EQ(::lstat(node.c_str(), &after), 0);
      EXPECT_TRUE(S_ISCHR(after.st_mode));
    }
    EXPECT_EQ(testing::ListDir(path.substr(0, path.rfind('/'))),
              std::vector<std::string>{"window"});
  }
}

}  // namespace
}  // namespace qm
