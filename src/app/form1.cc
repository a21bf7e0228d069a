// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/form1.h"

#include <sys/stat.h>
#include <unistd.h>

#include <QApplication>
#include <QCloseEvent>
#include <QDir>
#include <QFileInfo>
#include <QGroupBox>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QShortcut>
#include <QTimer>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "app/error_report.h"
#include "app/hand_pointer.h"
#include "platform/data_folder.h"
#include "platform/dialogs.h"
#include "platform/error_trap.h"
#include "platform/file_system.h"
#include "platform/whole_file.h"
#include "search/time_stamps.h"
#include "settings/settings_store.h"

namespace qm {
namespace {

QString& AppFolderOverride() {
  static QString folder;
  return folder;
}

std::function<void()>& UnloadAction() {
  static std::function<void()> action = [] {
    std::fflush(stdout);
    std::fflush(stderr);
    ::_exit(0);
  };
  return action;
}

// Positions are given in twips; 15 twips make one pixel at 96 dots per inch.
QRect Twips(int left, int top, int width, int height) {
  return QRect(left / 15, top / 15, width / 15, height / 15);
}

QFont ArialBold(double points) {
  QFont font(QStringLiteral("Arial"));
  font.setStyleHint(QFont::SansSerif);
  font.setPointSizeF(points);
  font.setBold(true);
  return font;
}

// A white background, with dark text on it whatever the desktop's colour
// scheme: under a dark scheme the text colour would otherwise be light.
void MakeWhite(QWidget* w) {
  QPalette p = w->palette();
  p.setColor(QPalette::Window, Qt::white);
  p.setColor(QPalette::WindowText, Qt::black);
  w->setPalette(p);
  w->setAutoFillBackground(true);
}

// The window's controls: name, position and size in twips (inside its
// frame for a frame's controls), and caption, which Make translates (""
// for a control without one: BuildControls names it for screen readers).
struct ControlPlace {
  const char* name;
  int left, top, width, height;
  const char* caption;
};
const ControlPlace kControls[] = {
    {"ListView1", 120, 120, 7800, 2535, ""},
    {"PushButton1", 120, 2745, 7800, 405, QT_TRANSLATE_NOOP("qm::Form1", "Add Folder Or Drive")},
    {"PushButton7", 120, 3255, 3840, 405, QT_TRANSLATE_NOOP("qm::Form1", "Clear List")},
    {"PushButton8", 4080, 3255, 3840, 405,
     QT_TRANSLATE_NOOP("qm::Form1", "Load Sample/Example Folder")},
    {"Frame1", 120, 3720, 7800, 735, QT_TRANSLATE_NOOP("qm::Form1", "Find by which date type?")},
    {"Option3", 240, 300, 1695, 255, QT_TRANSLATE_NOOP("qm::Form1", "Date Accessed")},
    {"Option1", 2160, 300, 1695, 255, QT_TRANSLATE_NOOP("qm::Form1", "Date Modified")},
    {"Option2", 3840, 300, 1575, 255, QT_TRANSLATE_NOOP("qm::Form1", "Date Created")},
    {"Frame2", 120, 4545, 7800, 2630, QT_TRANSLATE_NOOP("qm::Form1", "Select Cutoff Date")},
    {"Option4", 225, 345, 1755, 255, QT_TRANSLATE_NOOP("qm::Form1", "After this date")},
    {"DTPicker3", 2280, 300, 2000, 375, ""},
    {"Option5", 240, 795, 1800, 255, QT_TRANSLATE_NOOP("qm::Form1", "Before this date")},
    {"DTPicker4", 2280, 750, 2000, 375, ""},
    {"Option6", 240, 1245, 1665, 255, QT_TRANSLATE_NOOP("qm::Form1", "On this date")},
    {"DTPicker5", 2280, 1200, 2000, 375, ""},
    {"Option7", 240, 1695, 1305, 255, QT_TRANSLATE_NOOP("qm::Form1", "Between")},
    {"DTPicker1", 2280, 1650, 2000, 375, ""},
    {"Label1", 4440, 1695, 315, 225, QT_TRANSLATE_NOOP("qm::Form1", "and")},
    {"DTPicker2", 4920, 1650, 2000, 375, ""},
    {"Option8", 240, 2145, 4815, 255,
     QT_TRANSLATE_NOOP("qm::Form1", "Anything that has not been accessed in x days:")},
    {"Text1", 4920, 2100, 2000, 345, ""},
    {"PushButton2", 8040, 120, 7800, 405,
     QT_TRANSLATE_NOOP("qm::Form1", "Start Finding Unused Files")},
    {"ListView2", 8040, 630, 7800, 5520, ""},
    {"PushButton4", 8040, 6240, 3840, 405, QT_TRANSLATE_NOOP("qm::Form1", "Select All")},
    {"PushButton6", 12000, 6240, 3840, 405, QT_TRANSLATE_NOOP("qm::Form1", "Unselect All")},
    {"PushButton3", 8040, 6750, 3840, 405,
     QT_TRANSLATE_NOOP("qm::Form1", "Send Checked To Recycle Bin")},
    {"PushButton5", 12000, 6750, 3840, 405, QT_TRANSLATE_NOOP("qm::Form1", "Move To Folder")},
};

// How the window's own controls follow it as it grows (the frames' controls
// stay where they are in their frame).
struct ControlAnchor {
  const char* name;
  Anchor anchor;
};
const ControlAnchor kAnchors[] = {
    {"ListView1", {false, 0, 1, 0, 1}},
    {"PushButton1", {false, 0, 1, 1, 1}},
    {"PushButton7", {false, 0, 0.5, 1, 1}},
    {"PushButton8", {false, 0.5, 1, 1, 1}},
    {"Frame1", {false, 0, 1, 1, 1}},
    {"Frame2", {false, 0, 1, 1, 1}},
    {"PushButton2", {true, 0, 1, 0, 0}},
    {"ListView2", {true, 0, 1, 0, 1, Anchor::kListEndsARowHigher}},
    {"PushButton4", {true, 0, 0.5, 1, 1, Anchor::kRowHigher}},
    {"PushButton6", {true, 0.5, 1, 1, 1, Anchor::kRowHigher}},
    {"PushButton3", {true, 0, 0.5, 1, 1, Anchor::kAcrossARowHigher}},
    {"PushButton5", {true, 0.5, 1, 1, 1, Anchor::kAcross}},
};

// Gives each button an Alt+letter: the first letter of a word that no
// button before it has, else any such letter of its caption.  The caption's
// words stay as they are.
void AssignMnemonics(const std::initializer_list<QPushButton*>& buttons) {
  QSet<QChar> taken;
  for (QPushButton* b : buttons) {
    QString caption = b->text();
    caption.replace(QLatin1Char('&'), QStringLiteral("&&"));
    qsizetype at = -1;
    for (int pass = 0; pass < 2 && at < 0; ++pass) {
      for (qsizetype i = 0; i < caption.size(); ++i) {
        const QChar c = caption[i];
        const bool word_start = i == 0 || !caption[i - 1].isLetterOrNumber();
        if (!c.isLetterOrNumber() || (pass == 0 && !word_start)) continue;
        if (taken.contains(c.toLower())) continue;
        at = i;
        break;
      }
    }
    if (at < 0) continue;
    taken.insert(caption[at].toLower());
    caption.insert(at, QLatin1Char('&'));
    b->setText(caption);
  }
}

// Makes the control `name` of the table above inside `parent`.
template <class T>
T* Make(QWidget* parent, const char* name) {
  for (const ControlPlace& place : kControls) {
    if (std::strcmp(place.name, name) != 0) continue;
    T* w = new T(parent);
    w->setObjectName(QLatin1String(name));
    w->setGeometry(Twips(place.left, place.top, place.width, place.height));
    w->setAccessibleName(*place.caption ? QCoreApplication::translate("qm::Form1", place.caption)
                                        : QLatin1String(name));
    return w;
  }
  std::abort();  // every control is in the table
}

const char kFrameStyle[] =
    "QGroupBox { background-color: white; border: 1px solid rgb(190, 190, 190);"
    " margin-top: 7px; }"
    "QGroupBox::title { subcontrol-origin: margin; subcontrol-position: top left;"
    " left: 6px; padding: 0 2px; background-color: white; }"
    "QRadioButton, QLabel { background-color: white; }";

QIcon ProgramIcon() {
  QPixmap pixmap(32, 32);
  pixmap.fill(Qt::transparent);
  QPainter p(&pixmap);
  p.setRenderHint(QPainter::Antialiasing);
  // A page with a folded corner, and a magnifying glass over it.
  p.setPen(QPen(QColor(60, 60, 60), 1.5));
  p.setBrush(QColor(250, 250, 245));
  QPolygonF page;
  page << QPointF(5, 2) << QPointF(19, 2) << QPointF(25, 8) << QPointF(25, 29) << QPointF(5, 29);
  p.drawPolygon(page);
  p.drawLine(QPointF(19, 2), QPointF(19, 8));
  p.drawLine(QPointF(19, 8), QPointF(25, 8));
  p.setPen(QPen(QColor(30, 80, 160), 3));
  p.setBrush(QColor(200, 225, 255, 200));
  p.drawEllipse(QPointF(15, 17), 6.5, 6.5);
  p.drawLine(QPointF(20, 22), QPointF(28, 30));
  return QIcon(pixmap);
}

}  // namespace

QString Form1::AppFolder() {
  if (!AppFolderOverride().isEmpty()) return AppFolderOverride();
  return DataFolderFor(QCoreApplication::applicationDirPath());
}

void Form1::SetAppFolderForTesting(const QString& folder) { AppFolderOverride() = folder; }

void Form1::SetUnloadActionForTesting(std::function<void()> action) {
  UnloadAction() = std::move(action);
}

Form1::Form1(QWidget* parent) : QWidget(parent) {
  setObjectName(QStringLiteral("Form1"));
  setAccessibleName(QStringLiteral("Quenmoor"));
  BuildControls();
  WireEvents();
  InstallErrorReport(this);
  // The result list shows each stamp as text only when a row is painted.
  ListModel::SetStampFormatter([](double value, bool empty) {
    Stamp stamp;
    stamp.value = value;
    stamp.empty = empty;
    return StampText(stamp);
  });
}

Form1::~Form1() { SetErrorReporter(nullptr); }

void Form1::BuildControls() {
  // The window can grow and be maximised; below its designed size only its
  // lists shrink (WindowLayout), as far as the captions allow (FitLeastSize).
  resize(layout_.DefaultSize());
  setFont(ArialBold(9));
  MakeWhite(this);

  ListView1 = Make<ListView>(this, "ListView1");
  ListView1->setToolTip(
      tr("Double-click item to remove it. Move | line to right and out of window to reveal full "
         "names."));
  PushButton1 = Make<QPushButton>(this, "PushButton1");
  PushButton7 = Make<QPushButton>(this, "PushButton7");
  PushButton8 = Make<QPushButton>(this, "PushButton8");
  Frame1 = Make<QGroupBox>(this, "Frame1");
  Option3 = Make<QRadioButton>(Frame1, "Option3");
  Option1 = Make<QRadioButton>(Frame1, "Option1");
  Option2 = Make<QRadioButton>(Frame1, "Option2");
  Frame2 = Make<QGroupBox>(this, "Frame2");
  Option4 = Make<QRadioButton>(Frame2, "Option4");
  DTPicker3 = Make<DatePicker>(Frame2, "DTPicker3");
  Option5 = Make<QRadioButton>(Frame2, "Option5");
  DTPicker4 = Make<DatePicker>(Frame2, "DTPicker4");
  Option6 = Make<QRadioButton>(Frame2, "Option6");
  DTPicker5 = Make<DatePicker>(Frame2, "DTPicker5");
  Option7 = Make<QRadioButton>(Frame2, "Option7");
  DTPicker1 = Make<DatePicker>(Frame2, "DTPicker1");
  Label1 = Make<QLabel>(Frame2, "Label1");
  DTPicker2 = Make<DatePicker>(Frame2, "DTPicker2");
  Option8 = Make<QRadioButton>(Frame2, "Option8");
  Text1 = Make<QLineEdit>(Frame2, "Text1");
  Text1->setText(QStringLiteral("300"));
  PushButton2 = Make<QPushButton>(this, "PushButton2");
  ListView2 = Make<ListView>(this, "ListView2");
  ListView2->Model()->SetCheckable(true);  // a check box on every result row
  // Trashing and moving go through the rows by number while they yield, so
  // the rows keep their order until the command is done.
  ListView2->SetSortable(true, [this] { return !result_command_running_; });
  ListView2->setToolTip(tr("Move | line to right and out of window to reveal full names."));
  // Several results can be selected, for Copy Path and Open Containing
  // Folder; Space ticks or unticks them all.
  ListView2->setSelectionMode(QAbstractItemView::ExtendedSelection);
  ListView2->setContextMenuPolicy(Qt::CustomContextMenu);
  PushButton4 = Make<QPushButton>(this, "PushButton4");
  PushButton6 = Make<QPushButton>(this, "PushButton6");
  PushButton3 = Make<QPushButton>(this, "PushButton3");
  PushButton5 = Make<QPushButton>(this, "PushButton5");
  SkinFramework1 = new SkinFramework(this);
  SkinFramework1->setObjectName(QStringLiteral("SkinFramework1"));

  for (QPushButton* b : {PushButton1, PushButton2, PushButton3, PushButton4, PushButton5,
                         PushButton6, PushButton7, PushButton8}) {
    b->setText(b->accessibleName());
    b->setFont(ArialBold(11.25));
  }
  for (QRadioButton* o : {Option1, Option2, Option3, Option4, Option5, Option6, Option7, Option8}) {
    o->setText(o->accessibleName());
    MakeWhite(o);
    // The round mark too: a white circle with a dark dot when selected.
    QPalette p = o->palette();
    p.setColor(QPalette::Base, Qt::white);
    p.setColor(QPalette::Text, Qt::black);
    o->setPalette(p);
  }
  BuildStatusLine();
  BuildResultsMenu();
  // Every button gets an Alt+letter; Stop's and Undo's come last.
  AssignMnemonics({PushButton1, PushButton2, PushButton8, PushButton7, PushButton4, PushButton6,
                   PushButton3, PushButton5, PushButton9, PushButton10, PushButton14});
  for (const ControlAnchor& a : kAnchors) {
    QWidget* w = findChild<QWidget*>(QLatin1String(a.name), Qt::FindDirectChildrenOnly);
    anchored_.insert(w, {w->geometry(), a.anchor});
  }
  h_scroll_ = new QScrollBar(Qt::Horizontal, this);
  h_scroll_->setObjectName(QStringLiteral("HScroll1"));
  v_scroll_ = new QScrollBar(Qt::Vertical, this);
  v_scroll_->setObjectName(QStringLiteral("VScroll1"));
  for (QScrollBar* bar : {h_scroll_, v_scroll_}) {
    bar->hide();
    connect(bar, &QScrollBar::valueChanged, this, [this] { LayOut(); });
  }
  Frame1->setTitle(Frame1->accessibleName());
  Frame2->setTitle(Frame2->accessibleName());
  Label1->setText(Label1->accessibleName());
  // Screen readers call each date and the days box by the caption of its
  // rule; the lists go by their column header (ListView).
  DTPicker3->setAccessibleName(Option4->text());
  DTPicker4->setAccessibleName(Option5->text());
  DTPicker5->setAccessibleName(Option6->text());
  DTPicker1->setAccessibleName(Option7->text());
  DTPicker2->setAccessibleName(Label1->text());
  Text1->setAccessibleName(Option8->text());
  // White frames with their caption on the top border line.
  for (QGroupBox* frame : {Frame1, Frame2}) frame->setStyleSheet(kFrameStyle);
  MakeWhite(Frame1);
  MakeWhite(Frame2);
  MakeWhite(Label1);
  // The window as designed: "Date Accessed" and "After this date".
  Option3->setChecked(true);
  Option4->setChecked(true);
  FitLeastSize();
}

void Form1::WireEvents() {
  connect(PushButton1, &QPushButton::clicked, this, [this] { PushButton1_Click(); });
  connect(PushButton2, &QPushButton::clicked, this, [this] { PushButton2_Click(); });
  connect(PushButton3, &QPushButton::clicked, this, [this] { PushButton3_Click(); });
  connect(PushButton4, &QPushButton::clicked, this, [this] { PushButton4_Click(); });
  connect(PushButton5, &QPushButton::clicked, this, [this] { PushButton5_Click(); });
  connect(PushButton6, &QPushButton::clicked, this, [this] { PushButton6_Click(); });
  connect(PushButton7, &QPushButton::clicked, this, [this] { PushButton7_Click(); });
  connect(PushButton8, &QPushButton::clicked, this, [this] { PushButton8_Click(); });
  connect(ListView1, &ListView::DblClick, this, [this] { ListView1_DblClick(); });
  connect(ListView1, &ListView::KeyDown, this,
          [this](int key, int shift) { ListView1_KeyDown(key, shift); });
  // An option's Click fires when it becomes the selected one.
  connect(Option4, &QRadioButton::toggled, this, [this](bool on) {
    if (on) Option4_Click();
  });
  connect(Option5, &QRadioButton::toggled, this, [this](bool on) {
    if (on) Option5_Click();
  });
  connect(Option6, &QRadioButton::toggled, this, [this](bool on) {
    if (on) Option6_Click();
  });
  connect(Option7, &QRadioButton::toggled, this, [this](bool on) {
    if (on) Option7_Click();
  });
  connect(Option8, &QRadioButton::toggled, this, [this](bool on) {
    if (on) Option8_Click();
  });
  connect(DTPicker1, &DatePicker::Validate, this, [this] { DTPicker1_Validate(); });
  connect(DTPicker2, &DatePicker::Validate, this, [this] { DTPicker2_Validate(); });
  connect(DTPicker3, &DatePicker::Validate, this, [this] { DTPicker3_Validate(); });
  connect(DTPicker4, &DatePicker::Validate, this, [this] { DTPicker4_Validate(); });
  connect(DTPicker5, &DatePicker::Validate, this, [this] { DTPicker5_Validate(); });
  connect(Text1, &QLineEdit::textChanged, this, [this] { Text1_Change(); });
  // The results: Enter and a double-click open a result; the context menu;
  // the status line follows what is listed and ticked.
  connect(ListView2, &ListView::RowDoubleClicked, this,
          [this](int position) { ListView2_Activated(position); });
  connect(ListView2, &ListView::KeyDown, this,
          [this](int key, int shift) { ListView2_KeyDown(key, shift); });
  connect(ListView2, &QWidget::customContextMenuRequested, this,
          [this](const QPoint& where) { ListView2_ContextMenu(where); });
  // Many ticks in a row (a drag over boxes, a command's loop) make one
  // update of the status line, when the event loop next turns.
  status_timer_ = new QTimer(this);
  status_timer_->setSingleShot(true);
  status_timer_->setInterval(0);
  connect(status_timer_, &QTimer::timeout, this, [this] { UpdateStatus(); });
  connect(ListView2->Model(), &ListModel::TotalsChanged, status_timer_,
          qOverload<>(&QTimer::start));
  connect(PushButton9, &QPushButton::clicked, this, [this] { PushButton9_Click(); });
  connect(PushButton10, &QPushButton::clicked, this, [this] { PushButton10_Click(); });
  // Esc stops a search, wherever the focus is in the window; between
  // searches the key is left to the controls.
  escape_shortcut_ = new QShortcut(QKeySequence(Qt::Key_Escape), this);
  escape_shortcut_->setContext(Qt::WindowShortcut);
  escape_shortcut_->setEnabled(false);
  connect(escape_shortcut_, &QShortcut::activated, this, [this] { PushButton9_Click(); });
  WatchColumnWidths();

  // Hover handlers: every control, with every widget it is made of.
  setMouseTracking(true);
  hover_owner_.insert(this, this);
  installEventFilter(this);  // the bare window has its hover handler too
  for (QWidget* control : std::initializer_list<QWidget*>{
           ListView1,   PushButton1, PushButton7, PushButton8, Frame1,       Option3,
           Option1,     Option2,     Frame2,      Option4,     DTPicker3,    Option5,
           DTPicker4,   Option6,     DTPicker5,   Option7,     DTPicker1,    Label1,
           DTPicker2,   Option8,     Text1,       PushButton2, ListView2,    PushButton4,
           PushButton6, PushButton3, PushButton5, PushButton9, PushButton10, PushButton14,
           StatusBar1}) {
    WatchHover(control);
  }
  // Remember the cursors some widgets bring (the text field's I-beam), to
  // give them back when the default pointer returns.
  for (QWidget* w : findChildren<QWidget*>()) {
    if (w->testAttribute(Qt::WA_SetCursor)) natural_cursor_.insert(w, w->cursor());
  }
}

void Form1::WatchHover(QWidget* control) {
  QList<QWidget*> parts = control->findChildren<QWidget*>();
  parts.prepend(control);
  for (QWidget* part : parts) {
    // A frame's own children are controls of their own.
    if (part != control && hover_owner_.contains(part)) continue;
    if (part != control && (control == Frame1 || control == Frame2)) continue;
    hover_owner_.insert(part, control);
    part->setMouseTracking(true);
    part->installEventFilter(this);
  }
}

bool Form1::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::KeyPress) {
    // Enter and Return press the button that has the focus, as Space does.
    auto* key = static_cast<QKeyEvent*>(event);
    auto* button = qobject_cast<QPushButton*>(watched);
    if (button && (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) &&
        (key->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier) {
      if (!key->isAutoRepeat()) button->animateClick();
      return true;
    }
  }
  if (event->type() == QEvent::MouseMove) {
    // A move that a child leaves unhandled travels on to its parents (as a
    // copy with the same time and place); only the innermost control's
    // handler runs.
    auto* move = static_cast<QMouseEvent*>(event);
    const QPointF where = move->globalPosition();
    if (last_hover_time_ != move->timestamp() || last_hover_where_ != where) {
      last_hover_where_ = where;
      last_hover_time_ = move->timestamp();
      QWidget* control = hover_owner_.value(static_cast<QWidget*>(watched));
      if (control) ControlMouseMove(control->objectName());
    }
  }
  return QWidget::eventFilter(watched, event);
}

void Form1::ControlMouseMove(const QString& control) {
  // Buttons show the hand; DTPicker3 to DTPicker5 and the "and" label leave
  // the pointer alone; everything else shows the default pointer.
  int pointer = kPointerDefault;
  if (control.startsWith(QLatin1String("PushButton"))) {
    pointer = kPointerHand;
  } else if (control == QLatin1String("DTPicker3") || control == QLatin1String("DTPicker4") ||
             control == QLatin1String("DTPicker5") || control == QLatin1String("Label1")) {
    return;
  }
  if (MousePointer() == kPointerBusy) return;
  SetMousePointer(pointer);
}

void Form1::SetMousePointer(int pointer) {
  if (pointer == mouse_pointer_) return;
  mouse_pointer_ = pointer;
  ApplyPointer();
}

void Form1::ApplyPointer() {
  QList<QWidget*> widgets = findChildren<QWidget*>();
  widgets.prepend(this);
  for (QWidget* w : widgets) {
    switch (mouse_pointer_) {
      case kPointerBusy:
        w->setCursor(Qt::WaitCursor);
        break;
      case kPointerHand:
        if (has_hand_picture_) {
          w->setCursor(hand_cursor_);
        } else {
          w->setCursor(Qt::ArrowCursor);
        }
        break;
      default:
        if (natural_cursor_.contains(w)) {
          w->setCursor(natural_cursor_.value(w));
        } else {
          w->unsetCursor();
        }
        break;
    }
  }
}

void Form1::Form_Load() {
  Trap trap(kFormLoadId);
  // 1. The optional skin, which may change what the captions need.
  trap.Do(102, [&] { ApplySkin(); });
  FitLeastSize();
  // 2, 3. The hand pointer's picture.
  const QString cursor_path = AppFolder() + QStringLiteral("/HAND-M.CUR");
  if (trap.Test(104, [&] { return PathExists(cursor_path); })) {
    trap.Do(106, [&] { LoadHandPicture(cursor_path); });
  }
  // 4. Caption, icon and application title.
  trap.Do(108, [&] {
    setWindowTitle(QStringLiteral("Quenmoor"));
    setWindowIcon(ProgramIcon());
    SetApplicationTitle();
  });
  // 5, 6. One column for each list.
  trap.Do(128, [&] { ListView1->AddColumn(tr("Folder(s) Or Drives To Search")); });
  trap.Do(130, [&] { ListView1->SetColumnWidthTwips(1, 7000); });
  trap.Do(132, [&] { ListView2->AddColumn(tr("Results")); });
  trap.Do(134, [&] { ListView2->SetColumnWidthTwips(1, 7000); });
  // 7. The criterion controls, from the settings store.  A store that
  // cannot be read at all is told once, and every control takes its default.
  trap.Do(136, [&] { CheckSettingsStore(); });
  trap.Do(136, [&] { Text1->setText(ReadSetting(QStringLiteral("Access in days"), QString())); });
  trap.Do(138, [&] {
    SetOptionValue(Option4, SettingToBoolean(ReadSetting(QStringLiteral("Option4"), "1")));
  });
  trap.Do(140, [&] {
    SetOptionValue(Option5, SettingToBoolean(ReadSetting(QStringLiteral("Option5"), "0")));
  });
  trap.Do(142, [&] {
    SetOptionValue(Option6, SettingToBoolean(ReadSetting(QStringLiteral("Option6"), "0")));
  });
  trap.Do(144, [&] {
    SetOptionValue(Option7, SettingToBoolean(ReadSetting(QStringLiteral("Option7"), "0")));
  });
  trap.Do(146, [&] {
    SetOptionValue(Option8, SettingToBoolean(ReadSetting(QStringLiteral("Option8"), "0")));
  });
  const QString today = QString::number(TodayDayNumber());
  DatePicker* pickers[] = {DTPicker1, DTPicker2, DTPicker3, DTPicker4, DTPicker5};
  for (int n = 1; n <= 5; ++n) {
    trap.Do(146 + 2 * n, [&] {
      pickers[n - 1]->SetValue(SettingToDate(ReadSetting(QStringLiteral("Date%1").arg(n), today)));
    });
  }
  // The filters, under keys of their own.
  LoadFilters();
}

void Form1::ApplySkin() {
  // A missing skin, or a folder of its name, is no skin: nothing happens.
  // Anything else of its name is loaded, or said to be no skin (a FIFO, a
  // device, a file that cannot be read), and is never waited on.
  // A link to /dev/null switches the skin off, as any file of the program's.
  const QString path = AppFolder() + QStringLiteral("/x/o.cjs");
  QFileInfo info(path);
  mode_t mode = 0;
  const OwnFileKind kind = LookAtOwnFile(path.toStdString(), &mode);
  if (kind == OwnFileKind::kMissing || kind == OwnFileKind::kSwitchedOff || S_ISDIR(mode) ||
      info.fileName().startsWith(QLatin1Char('.'))) {
    return;
  }
  // The window and its frames, options and label take the button-face colour,
  // with the text colour that goes with it.
  const QColor face = QApplication::palette().color(QPalette::Button);
  const QColor face_text = QApplication::palette().color(QPalette::ButtonText);
  // The skin styles the frames from now on.
  Frame1->setStyleSheet(QString());
  Frame2->setStyleSheet(QString());
  for (QWidget* w :
       std::initializer_list<QWidget*>{this, Option1, Option2, Option3, Option4, Option5, Option6,
                                       Option7, Option8, Frame1, Frame2, Label1}) {
    QPalette p = w->palette();
    p.setColor(QPalette::Window, face);
    p.setColor(QPalette::WindowText, face_text);
    w->setPalette(p);
  }
  SkinFramework1->Invoke(2, SkinFramework::kMethod, {path, QString()});
  qint32 options = SkinFramework1->Invoke(1, SkinFramework::kPropertyGet).toInt();
  SkinFramework1->Invoke(1, SkinFramework::kPropertyPut, {options | 1});
  SkinFramework1->Invoke(5, SkinFramework::kPropertyPut, {true});
  SkinFramework1->Invoke(10, SkinFramework::kPropertyPut, {true});
  SkinFramework1->Invoke(3, SkinFramework::kMethod, {static_cast<quint32>(winId())});
}

void Form1::LoadHandPicture(const QString& path) {
  has_hand_picture_ = false;
  // A link to /dev/null switches the hand off, as any file of the program's.
  if (LookAtOwnFile(path.toStdString()) == OwnFileKind::kSwitchedOff) return;
  hand_cursor_ = LoadHandCursor(path);  // fails on a file that is not a cursor
  has_hand_picture_ = true;
  if (mouse_pointer_ == kPointerHand) ApplyPointer();
}

void Form1::SetApplicationTitle() {
  // Drop trailing words until the title fits in 40 characters; a name
  // without a space has no word to drop and is used whole.
  QString title = QStringLiteral("Quenmoor");
  do {
    qsizetype space = title.lastIndexOf(QLatin1Char(' '));
    if (space < 0) break;
    title = title.left(space);
  } while (title.size() > 40);
  SetAppTitle(title);
  QCoreApplication::setApplicationName(title);
}

void Form1::SetOptionValue(QRadioButton* option, bool value) {
  if (value) {
    option->setChecked(true);
  } else if (option->isChecked()) {
    option->setAutoExclusive(false);
    option->setChecked(false);
    option->setAutoExclusive(true);
  }
}

void Form1::WriteSettingQuietly(const QString& key, const QString& value) {
  try {
    WriteSetting(key, value);
  } catch (const Failure& failure) {
    // Tell the user once per session (a store that cannot even be read was
    // told at start-up); the control keeps working.
    if (settings_write_failure_shown_ || SettingsStoreFailureTold()) return;
    settings_write_failure_shown_ = true;
    MessageBox(
        this,
        tr("Your choices could not be saved (%1: %2). They apply until "
           "Quenmoor is closed.")
            .arg(QString::fromUtf8(failure.what()), QString::fromStdString(SettingsFilePath())),
        kExclamation);
  }
}

void Form1::closeEvent(QCloseEvent* event) {
  event->accept();
  Form_Unload();
}

void Form1::Form_Unload() {
  // Every setting is on disk already; an operation yielding to the event
  // loop is abandoned where it stands.  A change of the window's size or
  // column widths not yet written goes first (one small file).
  if (save_state_timer_ && save_state_timer_->isActive()) SaveWindowState();
  UnloadAction()();
}

}  // namespace qm
