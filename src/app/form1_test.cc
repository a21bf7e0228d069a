// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/form1.h"

#include <sys/stat.h>
#include <unistd.h>

#include <QAccessible>
#include <QApplication>
#include <QDateTimeEdit>
#include <QFocusEvent>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSet>
#include <QStyle>
#include <QStyleOptionButton>
#include <QToolTip>
#include <QtTest/QTest>
#include <algorithm>
#include <cmath>
#include <functional>
#include <map>
#include <tuple>

#include "app/error_report.h"
#include "platform/error_trap.h"
#include "platform/yield.h"
#include "settings/settings_store.h"
#include "testing/dark_palette.h"
#include "testing/test_form.h"
#include "testing/test_results.h"

namespace qm {
namespace {

using testing::FormTest;
using testing::ResultsTest;
using testing::WriteFile;

class Form1Test : public FormTest {};

QRect PixelsOf(int left, int top, int width, int height) {
  return QRect(left / 15, top / 15, width / 15, height / 15);
}

TEST_F(Form1Test, FirstRunOpensWithDesignedControlsAndDefaults) {
  auto form = NewForm();
  EXPECT_EQ(form->windowTitle(), QStringLiteral("Quenmoor"));
  EXPECT_EQ(AppTitle(), QStringLiteral("Quenmoor"));
  // The designed window, with the status line along its bottom.
  EXPECT_EQ(form->size(), QSize(1064, 485 + Form1::kStatusHeight));
  EXPECT_TRUE(ErrorReports().empty());

  // Every control is found by its name, at its place, with its caption.
  struct Expect {
    const char* name;
    QRect rect;
    const char* caption;
  };
  const Expect controls[] = {
      {"ListView1", PixelsOf(120, 120, 7800, 2535), "Folder(s) Or Drives To Search"},
      {"PushButton1", PixelsOf(120, 2745, 7800, 405), "Add Folder Or Drive"},
      {"PushButton7", PixelsOf(120, 3255, 3840, 405), "Clear List"},
      {"PushButton8", PixelsOf(4080, 3255, 3840, 405), "Load Sample/Example Folder"},
      {"Frame1", PixelsOf(120, 3720, 7800, 735), "Find by which date type?"},
      {"Option3", PixelsOf(240, 300, 1695, 255), "Date Accessed"},
      {"Option8", PixelsOf(240, 2145, 4815, 255), "Anything that has not been accessed in x days:"},
      {"DTPicker3", PixelsOf(2280, 300, 2000, 375), "After this date"},
      {"DTPicker4", PixelsOf(2280, 750, 2000, 375), "Before this date"},
      {"DTPicker5", PixelsOf(2280, 1200, 2000, 375), "On this date"},
      {"DTPicker1", PixelsOf(2280, 1650, 2000, 375), "Between"},
      {"DTPicker2", PixelsOf(4920, 1650, 2000, 375), "and"},
      {"Label1", PixelsOf(4440, 1695, 315, 225), "and"},
      {"Text1", PixelsOf(4920, 2100, 2000, 345), "Anything that has not been accessed in x days:"},
      {"PushButton2", PixelsOf(8040, 120, 7800, 405), "Start Finding Unused Files"},
      {"ListView2", PixelsOf(8040, 630, 7800, 5520), "Results"},
      {"PushButton5", PixelsOf(12000, 6750, 3840, 405), "Move To Folder"},
  };
  for (const Expect& e : controls) {
    QWidget* w = form->findChild<QWidget*>(QLatin1String(e.name));
    ASSERT_NE(w, nullptr) << e.name;
    EXPECT_EQ(w->geometry(), e.rect) << e.name;
    // What a screen reader says for it.
    QAccessibleInterface* reader = QAccessible::queryAccessibleInterface(w);
    ASSERT_NE(reader, nullptr) << e.name;
    EXPECT_EQ(reader->text(QAccessible::Name), QString::fromUtf8(e.caption)) << e.name;
  }
  // The caption's words, with an Alt+letter of their own.
  EXPECT_EQ(form->PushButton3->text(), QStringLiteral("Send Checked &To Recycle Bin"));
  EXPECT_TRUE(form->PushButton3->font().bold());
  EXPECT_DOUBLE_EQ(form->PushButton3->font().pointSizeF(), 11.25);
  EXPECT_DOUBLE_EQ(form->Option1->font().pointSizeF(), 9);
  EXPECT_EQ(form->palette().color(QPalette::Window), QColor(Qt::white));
  EXPECT_EQ(form->Frame2->palette().color(QPalette::Window), QColor(Qt::white));
  EXPECT_EQ(form->ListView1->toolTip(),
            QStringLiteral("Double-click item to remove it. Move | line to right and out of "
                           "window to reveal full names."));
  EXPECT_EQ(form->ListView1->ColumnCaption(1), QStringLiteral("Folder(s) Or Drives To Search"));
  EXPECT_NEAR(form->ListView1->ColumnWidthTwips(1), 7000, 15);
  EXPECT_EQ(form->ListView2->ColumnCaption(1), QStringLiteral("Results"));

  // First run: "Date Accessed", "After this date", today, an empty days box
  // that is written back.
  EXPECT_TRUE(form->Option3->isChecked());
  EXPECT_TRUE(form->Option4->isChecked());
  for (DatePicker* p :
       {form->DTPicker1, form->DTPicker2, form->DTPicker3, form->DTPicker4, form->DTPicker5}) {
    EXPECT_EQ(p->date(), QDate::currentDate());
  }
  EXPECT_EQ(form->Text1->text(), QString());
  EXPECT_EQ(ReadSetting(QStringLiteral("Access in days"), QStringLiteral("absent")), QString());
}

// Relative luminance and contrast ratio as WCAG 2 defines them.
double Luminance(QRgb c) {
  auto channel = [](int v) {
    const double s = v / 255.0;
    return s <= 0.03928 ? s / 12.92 : std::pow((s + 0.055) / 1.055, 2.4);
  };
  return 0.2126 * channel(qRed(c)) + 0.7152 * channel(qGreen(c)) + 0.0722 * channel(qBlue(c));
}

double Contrast(QRgb a, QRgb b) {
  const double x = Luminance(a), y = Luminance(b);
  return (std::max(x, y) + 0.05) / (std::min(x, y) + 0.05);
}

// How well the text drawn in `area` of a rendered window stands out: the
// background is the commonest colour there, the text the pixel furthest
// from it.
double TextContrast(const QImage& shot, const QRect& area) {
  std::map<QRgb, int> counts;
  for (int y = area.top(); y <= area.bottom(); ++y) {
    for (int x = area.left(); x <= area.right(); ++x) ++counts[shot.pixel(x, y) | 0xFF000000u];
  }
  QRgb background = 0;
  int most = 0;
  for (const auto& [colour, n] : counts) {
    if (n > most) std::tie(background, most) = std::tie(colour, n);
  }
  double best = 1;
  for (const auto& entry : counts) best = std::max(best, Contrast(entry.first, background));
  return best;
}

// Where each caption of the window is drawn, in the window's pixels, and
// the mark of each selected option.
std::vector<std::pair<QString, QRect>> CaptionAreas(Form1& form) {
  std::vector<std::pair<QString, QRect>> areas;
  auto add = [&](QWidget* w, const QRect& r) {
    areas.emplace_back(w->objectName(), QRect(w->mapTo(&form, r.topLeft()), r.size()));
  };
  for (QRadioButton* o : {form.Option1, form.Option2, form.Option3, form.Option4, form.Option5,
                          form.Option6, form.Option7, form.Option8}) {
    QStyleOptionButton opt;
    opt.initFrom(o);
    opt.text = o->text();
    add(o, o->style()->subElementRect(QStyle::SE_RadioButtonContents, &opt, o));
    if (o->isChecked()) {
      add(o, o->style()->subElementRect(QStyle::SE_RadioButtonIndicator, &opt, o));
      areas.back().first += QStringLiteral("'s mark");
    }
  }
  for (QGroupBox* frame : {form.Frame1, form.Frame2}) {
    add(frame, QRect(0, 0, frame->width(), frame->fontMetrics().height() + 2));  // the title
  }
  add(form.Label1, form.Label1->rect());
  for (QPushButton* b : form.findChildren<QPushButton*>()) {
    if (b->isVisibleTo(&form)) add(b, b->rect().adjusted(4, 4, -4, -4));
  }
  for (ListView* list : {form.ListView1, form.ListView2}) add(list, list->header()->geometry());
  return areas;
}

TEST_F(Form1Test, EveryCaptionStaysLegibleUnderALightOrADarkScheme) {
  struct Restore {
    QPalette palette = QApplication::palette();
    ~Restore() {
      QApplication::setPalette(palette);
      qApp->setStyleSheet(QString());
    }
  } restore;
  struct Scheme {
    const char* name;
    QPalette palette;
    const char* skin;
  };
  const Scheme schemes[] = {
      {"light", restore.palette, nullptr},
      {"dark", testing::DarkPalette(), nullptr},
      // A skin that leaves colours alone: the window takes the scheme's own
      // button colours.
      {"dark, skinned", testing::DarkPalette(), "QPushButton { font-weight: bold; }"},
  };
  for (const Scheme& scheme : schemes) {
    QApplication::setPalette(scheme.palette);
    if (scheme.skin) WriteFile(app_dir_.Sub("x/o.cjs"), scheme.skin);
    auto form = NewForm();
    form->show();
    const QImage shot = form->grab().toImage();
    for (const auto& [name, area] : CaptionAreas(*form)) {
      EXPECT_GE(TextContrast(shot, area), 4.5) << scheme.name << ": " << name.toStdString();
    }
    // The header's empty end takes the list's own background.
    for (ListView* list : {form->ListView1, form->ListView2}) {
      QHeaderView* header = list->header();
      const int last = header->count() - 1;
      const int end = header->sectionViewportPosition(last) + header->sectionSize(last);
      ASSERT_LT(end + 4, header->width()) << "the header has an empty end";
      const QPoint empty =
          header->mapTo(form.get(), QPoint((end + header->width()) / 2, header->height() / 2));
      EXPECT_EQ(shot.pixelColor(empty), list->palette().color(QPalette::Base))
          << scheme.name << ": " << list->objectName().toStdString();
    }
  }
  EXPECT_TRUE(ErrorReports().empty());
}

TEST_F(Form1Test, RestoresRuleDatesAndDaysFromTheStore) {
  WriteSetting("Option4", "False");
  WriteSetting("Option5", "False");
  WriteSetting("Option6", "False");
  WriteSetting("Option7", "True");
  WriteSetting("Option8", "False");
  WriteSetting("Date1", "36526");
  WriteSetting("Date2", "2024-03-15");
  WriteSetting("Access in days", "45");
  auto form = NewForm();
  EXPECT_TRUE(form->Option7->isChecked());
  EXPECT_FALSE(form->Option4->isChecked());
  EXPECT_EQ(form->DTPicker1->date(), QDate(2000, 1, 1));
  EXPECT_EQ(form->DTPicker2->date(), QDate(2024, 3, 15));
  EXPECT_EQ(form->Text1->text(), QStringLiteral("45"));
  // Selecting "Between" rewrote the five keys with what was stored.
  EXPECT_EQ(ReadSetting("Option4", ""), QStringLiteral("False"));
  EXPECT_EQ(ReadSetting("Option7", ""), QStringLiteral("True"));
  EXPECT_EQ(ReadSetting("Option8", ""), QStringLiteral("False"));
  EXPECT_TRUE(ErrorReports().empty());
}

TEST_F(Form1Test, BadStoredValuesAreReportedPerKeyAndStartUpGoesOn) {
  WriteSetting("Option5", "perhaps");
  WriteSetting("Date2", "not a date");
  WriteSetting("Date4", "99999999");  // beyond the year 9999
  auto form = NewForm();
  std::vector<QString> reports = ErrorReports();
  ASSERT_EQ(reports.size(), 3u);
  EXPECT_TRUE(reports[0].startsWith(
      QStringLiteral("Type mismatch\r\nin Tallowick2021/08/31.Form1.Form_Load at line 140\r\r")));
  EXPECT_TRUE(reports[1].contains(QStringLiteral("at line 150")));
  EXPECT_TRUE(reports[2].contains(QStringLiteral("at line 154")));
  // The controls keep what they had; the rest was restored.
  EXPECT_TRUE(form->Option4->isChecked());
  EXPECT_EQ(form->DTPicker2->date(), QDate::currentDate());
  EXPECT_EQ(form->DTPicker5->date(), QDate::currentDate());
  // A picker that kept its first date holds midnight of it, so leaving it
  // stores today, not tomorrow, at any time of day.
  EXPECT_EQ(form->DTPicker2->Value(), static_cast<DateValue>(TodayDayNumber()));
  form->DTPicker2_Validate();
  EXPECT_EQ(ReadSetting("Date2", ""), QString::number(TodayDayNumber()));
}

TEST_F(Form1Test, AnOptionWithNoneSelectedLeavesTheGroupEmpty) {
  WriteSetting("Option4", "0");
  auto form = NewForm();
  for (QRadioButton* o :
       {form->Option4, form->Option5, form->Option6, form->Option7, form->Option8}) {
    EXPECT_FALSE(o->isChecked());
  }
}

TEST_F(Form1Test, CriterionControlsAreStoredAsTheyChange) {
  auto form = NewForm();
  form->Text1->setText(QString());
  QTest::keyClick(form->Text1, Qt::Key_4);
  EXPECT_EQ(ReadSetting("Access in days", "x"), QStringLiteral("4"));
  QTest::keyClick(form->Text1, Qt::Key_5);
  EXPECT_EQ(ReadSetting("Access in days", "x"), QStringLiteral("45"));
  form->Text1->clear();
  EXPECT_EQ(ReadSetting("Access in days", "x"), QString());

  form->Option6->click();
  EXPECT_EQ(ReadSetting("Option4", ""), QStringLiteral("False"));
  EXPECT_EQ(ReadSetting("Option6", ""), QStringLiteral("True"));
  EXPECT_EQ(ReadSetting("Option7", ""), QStringLiteral("False"));

  // The picker's date goes in as its day number, whatever time of day it
  // was given.
  form->DTPicker3->setDateTime(QDateTime(QDate(2024, 3, 15), QTime(11, 0)));
  form->DTPicker3_Validate();
  EXPECT_EQ(ReadSetting("Date3", ""), QStringLiteral("45366"));
  form->DTPicker3->SetValue(45366.75);
  EXPECT_EQ(form->DTPicker3->Value(), 45366.0);
  form->DTPicker3->setDateTime(QDateTime(QDate(2024, 3, 15), QTime(13, 0)));
  QFocusEvent out(QEvent::FocusOut, Qt::TabFocusReason);
  QApplication::sendEvent(form->DTPicker3, &out);
  EXPECT_EQ(ReadSetting("Date3", ""), QStringLiteral("45366"));

  // Tabbing out of a picker leaves it, and stores its date.
  form->show();
  QApplication::setActiveWindow(form.get());
  form->DTPicker4->setFocus();
  form->DTPicker4->setDateTime(QDateTime(QDate(2000, 1, 1), QTime(0, 0)));
  // A date stepped with the arrow key is the picker's value at once.
  QTest::keyClick(form->DTPicker4, Qt::Key_Up);
  EXPECT_NE(form->DTPicker4->Value(), 36526.0);
  EXPECT_EQ(form->DTPicker4->Value(),
            static_cast<DateValue>(DayNumberFromQDate(form->DTPicker4->date())));
  form->DTPicker4->setDateTime(QDateTime(QDate(2000, 1, 1), QTime(0, 0)));
  QTest::keyClick(form->DTPicker4, Qt::Key_Tab);
  EXPECT_FALSE(form->DTPicker4->hasFocus());
  EXPECT_EQ(ReadSetting("Date4", ""), QStringLiteral("36526"));
}

TEST_F(Form1Test, HoverPointersFollowTheTableAndNeverReplaceBusy) {
  auto form = NewForm();
  form->show();
  QTest::mouseMove(form->PushButton4, QPoint(5, 5));
  EXPECT_EQ(form->MousePointer(), kPointerHand);
  // The bare window between the two lists.
  ASSERT_EQ(form->childAt(QPoint(532, 200)), nullptr);
  QTest::mouseMove(form.get(), QPoint(532, 200));
  EXPECT_EQ(form->MousePointer(), kPointerDefault);
  QTest::mouseMove(form->PushButton4, QPoint(6, 6));
  EXPECT_EQ(form->MousePointer(), kPointerHand);
  // Over DTPicker3 (its text field too) the pointer stays as it was.
  QWidget* field = form->DTPicker3->findChild<QLineEdit*>();
  ASSERT_NE(field, nullptr);
  QTest::mouseMove(field, QPoint(3, 3));
  EXPECT_EQ(form->MousePointer(), kPointerHand);
  QTest::mouseMove(form->Label1, QPoint(2, 2));
  EXPECT_EQ(form->MousePointer(), kPointerHand);
  QTest::mouseMove(form->ListView1->viewport(), QPoint(10, 10));
  EXPECT_EQ(form->MousePointer(), kPointerDefault);
  QTest::mouseMove(form->PushButton1, QPoint(5, 5));
  QTest::mouseMove(form->DTPicker1->findChild<QLineEdit*>(), QPoint(3, 3));
  EXPECT_EQ(form->MousePointer(), kPointerDefault);
  form->ControlMouseMove("PushButton2");
  EXPECT_EQ(form->cursor().shape(), Qt::ArrowCursor);  // no hand picture loaded

  form->SetMousePointer(kPointerBusy);
  EXPECT_EQ(form->PushButton2->cursor().shape(), Qt::WaitCursor);
  QTest::mouseMove(form->PushButton2, QPoint(6, 6));
  QTest::mouseMove(form->Frame2, QPoint(2, 30));
  EXPECT_EQ(form->MousePointer(), kPointerBusy);
  form->SetMousePointer(kPointerDefault);
  EXPECT_EQ(form->Text1->cursor().shape(), Qt::IBeamCursor);
}

TEST_F(Form1Test, TheListsShowTheirOwnToolTipOverTheirRows) {
  auto form = NewForm();
  form->show();
  form->AddFolderRow("/home/u/");
  form->ListView2->AddItem("/home/u/a.txt");
  for (ListView* list : {form->ListView1, form->ListView2}) {
    QToolTip::hideText();
    const QRect row = list->visualRect(list->Model()->index(0, 0));
    ASSERT_FALSE(row.isEmpty());
    QHelpEvent help(QEvent::ToolTip, row.center(), list->viewport()->mapToGlobal(row.center()));
    QApplication::sendEvent(list->viewport(), &help);
    EXPECT_TRUE(QToolTip::isVisible()) << list->objectName().toStdString();
    EXPECT_EQ(QToolTip::text(), list->toolTip());
  }
  QToolTip::hideText();
}

TEST_F(Form1Test, SkinRestylesTheWindowAndABrokenSkinIsReported) {
  WriteFile(app_dir_.Sub("x/o.cjs"), "QPushButton { color: rgb(1, 2, 3); }");
  {
    auto form = NewForm();
    EXPECT_TRUE(ErrorReports().empty());
    const QColor face = QApplication::palette().color(QPalette::Button);
    EXPECT_EQ(form->palette().color(QPalette::Window), face);
    EXPECT_EQ(form->Option5->palette().color(QPalette::Window), face);
    EXPECT_TRUE(form->styleSheet().contains(QStringLiteral("rgb(1, 2, 3)")));
  }
  qApp->setStyleSheet(QString());
  for (const std::string& bad :
       {std::string(), std::string("\x01\x02\0\x03", 4), std::string(2 * 1024 * 1024, 'a')}) {
    requests_.clear();
    WriteFile(app_dir_.Sub("x/o.cjs"), bad);
    auto form = NewForm();
    std::vector<QString> reports = ErrorReports();
    ASSERT_EQ(reports.size(), 1u);
    EXPECT_TRUE(reports[0].contains(QStringLiteral("Form_Load at line 102")));
    EXPECT_EQ(form->windowTitle(), QStringLiteral("Quenmoor"));  // start-up went on
  }
  // What is no file at all: told without being waited on or read, except
  // a folder or a link to /dev/null, which are no skin.
  const std::string skin = app_dir_.Sub("x/o.cjs");
  struct Case {
    const char* what;
    std::function<void()> make;
  } cases[] = {
      {"a FIFO", [&] { ASSERT_EQ(::mkfifo(skin.c_str(), 0644), 0); }},
      {"a device", [&] { ASSERT_EQ(::symlink("/dev/zero", skin.c_str()), 0); }},
      {nullptr, [&] { ASSERT_EQ(::mkdir(skin.c_str(), 0755), 0); }},
      {nullptr, [&] { ASSERT_EQ(::symlink("/dev/null", skin.c_str()), 0); }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what ? c.what : "a folder, /dev/null");
    ::system(("rm -rf '" + skin + "'").c_str());
    c.make();
    requests_.clear();
    auto form = NewForm();
    std::vector<QString> reports = ErrorReports();
    if (!c.what) {
      EXPECT_TRUE(reports.empty());
      continue;
    }
    ASSERT_EQ(reports.size(), 1u);
    EXPECT_TRUE(reports[0].startsWith(QStringLiteral("The skin file ") +
                                      QString::fromStdString(skin) + " is " + c.what +
                                      ", not a file\r\n"))
        << reports[0].toStdString();
    EXPECT_TRUE(reports[0].contains(QStringLiteral("Form_Load at line 102")));
  }
}

TEST_F(Form1Test, HandCursorComesFromTheFileAndACorruptOneIsReported) {
  std::string built =
      (QCoreApplication::applicationDirPath() + QStringLiteral("/HAND-M.CUR")).toStdString();
  std::string cursor = testing::ReadFile(built);
  ASSERT_FALSE(cursor.empty()) << "the build draws HAND-M.CUR beside the tests";
  WriteFile(app_dir_.Sub("HAND-M.CUR"), cursor);
  {
    auto form = NewForm();
    EXPECT_TRUE(ErrorReports().empty());
    EXPECT_TRUE(form->HasHandPicture());
    int hot_x =
        static_cast<unsigned char>(cursor[10]) | (static_cast<unsigned char>(cursor[11]) << 8);
    EXPECT_EQ(form->HandCursor().hotSpot().x(), hot_x);
    form->SetMousePointer(kPointerHand);
    EXPECT_EQ(form->PushButton1->cursor().shape(), Qt::BitmapCursor);
  }
  WriteFile(app_dir_.Sub("HAND-M.CUR"), cursor.substr(0, 30));
  auto form = NewForm();
  std::vector<QString> reports = ErrorReports();
  ASSERT_EQ(reports.size(), 1u);
  EXPECT_TRUE(reports[0].startsWith(QStringLiteral("Invalid picture\r\n")));
  EXPECT_TRUE(reports[0].contains(QStringLiteral("at line 106")));
  EXPECT_FALSE(form->HasHandPicture());
  // A link to /dev/null switches the hand off, without a word.
  ::unlink(app_dir_.Sub("HAND-M.CUR").c_str());
  ASSERT_EQ(::symlink("/dev/null", app_dir_.Sub("HAND-M.CUR").c_str()), 0);
  requests_.clear();
  auto off = NewForm();
  EXPECT_TRUE(ErrorReports().empty());
  EXPECT_FALSE(off->HasHandPicture());
}

TEST_F(Form1Test, ClosingTheWindowEndsTheProgram) {
  auto form = NewForm();
  form->show();
  form->close();
  EXPECT_EQ(unloads_, 1);
}

TEST_F(Form1Test, PathExistsForFilesAndFoldersOnly) {
  WriteFile(home_.Sub("f.txt"));
  EXPECT_TRUE(PathExists(home_.Sub("f.txt")));
  EXPECT_TRUE(PathExists(home_.path()));
  EXPECT_FALSE(PathExists(std::string()));
  EXPECT_FALSE(PathExists(home_.Sub("missing")));
}

// Trashing and moving go through the rows by number, yielding between
// them: a header click meanwhile leaves the order alone, so no ticked row is
// skipped or taken twice.
TEST_F(ResultsTest, AHeaderClickWhileTickedFilesGoLeavesTheRowsInOrder) {
  form_->show();
  QHeaderView* header = form_->ListView2->header();
  const QPoint first_header(header->sectionViewportPosition(0) + 10, header->height() / 2);
  for (bool move : {false, true}) {
    SCOPED_TRACE(move ? "move" : "trash");
    const std::string folder = move ? "moved/" : "trashed/";
    std::vector<std::string> files;
    for (const char* name : {"c.txt", "b.txt", "a.txt"}) files.push_back(Row(folder + name, true));
    int yields = 0;
    SetYieldHook([&] {
      if (++yields == 2) QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, first_header);
    });
    if (move) {
      testing::MakeDirs(tree_.Sub("target"));
      AnswerFolder(QString::fromStdString(tree_.Sub("target")));
      form_->PushButton5->click();
    } else {
      form_->PushButton3->click();
    }
    SetYieldHook(nullptr);
    EXPECT_GE(yields, 2);
    for (const std::string& file : files) EXPECT_FALSE(testing::Exists(file)) << file;
    EXPECT_TRUE(Rows().empty());
    EXPECT_TRUE(Messages().empty());
  }
  // Once they are done, a click sorts again.
  Row("y.txt", false);
  Row("x.txt", false);
  QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, first_header);
  EXPECT_EQ(Rows(), std::vector<std::string>({tree_.Sub("x.txt"), tree_.Sub("y.txt")}));
}

TEST(ErrorReportTest, ComposesTheReportExactly) {
  EXPECT_EQ(ComposeErrorReport("Path not found", kPushButton2Id, 146),
            QStringLiteral("Path not found\r\nin Tallowick2021/08/31.Form1.PushButton2_Click "
                           "at line 146\r\rPlease email screenshot of this message to ") +
                QLatin1String(kSupportAddress));
  EXPECT_TRUE(ComposeErrorReport("Disk full", kPushButton5Id, 126, "File: /a/b.txt")
                  .endsWith(QStringLiteral("\r\rFile: /a/b.txt")));
}

TEST(ErrorTrapTest, ReportsEachFailureAndCarriesOn) {
  std::vector<std::pair<int, int>> seen;  // (line, error number)
  ErrorReporter old =
      SetErrorReporter([&](const std::string& id, const Failure& f, int line, const std::string&) {
        EXPECT_EQ(id, "in test ");
        seen.emplace_back(line, f.number());
      });
  Trap trap("in test ");
  int after = 0;
  trap.Do(100, [] { throw Failure(kErrPermissionDenied); });
  trap.Line(102);
  trap.Do(104, [&] { after = 1; });
  bool passed = trap.Test(106, []() -> bool { throw Failure(kErrPathNotFound); });
  trap.Do(108, [] { throw std::bad_alloc(); });
  SetErrorReporter(old);
  EXPECT_TRUE(passed);
  EXPECT_EQ(after, 1);
  ASSERT_EQ(seen.size(), 3u);
  EXPECT_EQ(seen[0], std::make_pair(100, 70));
  EXPECT_EQ(seen[1], std::make_pair(106, 76));
  EXPECT_EQ(seen[2], std::make_pair(108, 7));
}

}  // namespace
}  // namespace qm

namespace qm {
namespace {

TEST_F(Form1Test, TheKeyboardReachesAndPressesEveryButton) {
  auto form = NewForm();
  form->show();
  ASSERT_TRUE(QTest::qWaitForWindowActive(form.get()));
  // Every button has an Alt+letter of its own, and keeps its caption's words.
  QSet<QChar> letters;
  for (QPushButton* b : form->findChildren<QPushButton*>()) {
    const QString text = b->text();
    const qsizetype at = text.indexOf(QLatin1Char('&'));
    ASSERT_GE(at, 0) << text.toStdString();
    EXPECT_FALSE(letters.contains(text[at + 1].toLower())) << text.toStdString();
    letters.insert(text[at + 1].toLower());
    EXPECT_EQ(QString(text).remove(at, 1), b->accessibleName());
  }
  // Tab leaves the results for the buttons below them.
  form->ListView2->AddItem(QStringLiteral("/a"));
  form->ListView2->setFocus();
  for (QPushButton* next :
       {form->PushButton4, form->PushButton6, form->PushButton3, form->PushButton5}) {
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    EXPECT_EQ(QApplication::focusWidget(), next) << next->objectName().toStdString();
  }
  // Enter and Return press the focused button.
  form->PushButton4->setFocus();
  QTest::keyClick(form->PushButton4, Qt::Key_Return);
  QTest::qWait(200);  // the button shows itself pressed for a moment
  EXPECT_TRUE(form->ListView2->Checked(1));
  form->PushButton6->setFocus();
  QTest::keyClick(form->PushButton6, Qt::Key_Enter, Qt::KeypadModifier);
  QTest::qWait(200);
  EXPECT_FALSE(form->ListView2->Checked(1));
}

}  // namespace
}  // namespace qm
