// SPDX-License-Identifier: GPL-3.0-or-later
// Form1: the program's one window, its controls, its start-up and shutdown,
// and the mouse pointer that its handlers read and set.
//
// The handlers of the window's commands are members of Form1, each defined
// in a source file of app/ named after the engine it drives (search_run.cc
// drives search/search_engine.h, ...); this file lays out the window and
// wires events to them.
#ifndef QUENMOOR_APP_FORM1_H_
#define QUENMOOR_APP_FORM1_H_

#include <QCursor>
#include <QEventLoop>
#include <QHash>
#include <QPointF>
#include <QPointer>
#include <QSet>
#include <QString>
#include <QStringList>
#include <QWidget>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/date_picker.h"
#include "app/list_view.h"
#include "app/skin_framework.h"
#include "app/window_layout.h"
#include "fsutil/file_helpers.h"
#include "search/found_files.h"
#include "search/search_criteria.h"
#include "search/search_engine.h"

class QGroupBox;
class QLabel;
class QLineEdit;
class QMenu;
class QPushButton;
class QRadioButton;
class QScrollBar;
class QShortcut;
class QTimer;

namespace qm {

class JournalWriter;

// The window's mouse pointers.
enum Pointer { kPointerDefault = 0, kPointerBusy = 11, kPointerHand = 99 };

class Form1 : public QWidget {
  Q_OBJECT

 public:
  // The status line's height, in pixels.
  static constexpr int kStatusHeight = 26;
  // Room kept above the window for its title bar when it is placed.
  static constexpr int kTitleBar = 32;
  // The result list's columns once a search has set them up: path, date,
  // size.
  static constexpr int kResultColumns = 3;

  explicit Form1(QWidget* parent = nullptr);
  ~Form1() override;

  // The folder where the skin, the hand cursor and the sample folder are
  // looked for: beside the program, or for an installed program its data
  // folder (DataFolderFor).  Tests point it elsewhere.
  static QString AppFolder();
  static void SetAppFolderForTesting(const QString& folder);
  // What closing the window does (ends the process); tests replace it.
  static void SetUnloadActionForTesting(std::function<void()> action);

  // Start-up and shutdown.
  void Form_Load();
  void Form_Unload();
  void SetApplicationTitle();

  // The window's pointer: kPointerDefault, kPointerBusy or kPointerHand.
  int MousePointer() const { return mouse_pointer_; }
  void SetMousePointer(int pointer);
  bool HasHandPicture() const { return has_hand_picture_; }
  const QCursor& HandCursor() const { return hand_cursor_; }
  // The hover handler of `control` (a control's objectName).
  void ControlMouseMove(const QString& control);

  // Search folder list.
  void PushButton1_Click();
  void AddFolderRow(const QString& folder_path);
  void ListView1_DblClick();
  void ListView1_KeyDown(int key_code, int shift);
  // Sample folder.
  void PushButton8_Click();
  // Search run.
  void PushButton2_Click();
  bool SearchRunning() const { return search_running_; }
  // Date criteria.
  void ApplyDateCriterion();
  // What a search started now would look for: the folder rows, the date
  // type and the rule with its dates or days.
  SearchCriteria CriteriaFromControls() const;
  void Option4_Click();
  void Option5_Click();
  void Option6_Click();
  void Option7_Click();
  void Option8_Click();
  void DTPicker1_Validate();
  void DTPicker2_Validate();
  void DTPicker3_Validate();
  void DTPicker4_Validate();
  void DTPicker5_Validate();
  void Text1_Change();
  // List commands.
  void PushButton4_Click();
  void PushButton6_Click();
  void PushButton7_Click();
  // Send to the trash.
  void PushButton3_Click();
  // Removes the ticked rows whose file is gone: those whose path is in
  // `taken` (the files the command took away, each with its size as it
  // went; the path may name a new file by now), and the others whose path
  // names nothing any more.  Returns how many files the command took and
  // what they held.
  struct RowsGone {
    int files = 0;
    ByteCount bytes = 0;
  };
  RowsGone RemoveCheckedRows(const QHash<QString, std::int64_t>* taken = nullptr);
  // Move to folder.
  void PushButton5_Click();

  // The results' context menu: open a result, show it in its folder, copy
  // the selected rows' paths.  Nothing here changes ticks or rows.
  void ListView2_Activated(int position);
  void ListView2_KeyDown(int key_code, int shift);
  void ListView2_ContextMenu(const QPoint& where);
  void OpenResult(int position);
  void ShowResultsInFolder();
  void CopyResultPaths();

  // Undo (the status line's button, or Ctrl+Z): puts back what the last
  // trash or move took away, as its journal tells (results/undo.h); the
  // files that come back are listed again, ticked.
  void PushButton14_Click();
  // Saves the listed rows, or only the ticked ones, as CSV (the results'
  // context menu, Ctrl+S, Ctrl+Shift+S).
  void ExportResults(bool ticked_only);

  // Stop (the status line's button, or Esc): ends a search early; what was
  // judged so far is listed.
  void PushButton9_Click();
  bool StopRequested() const { return stop_requested_; }
  // The status line's text.
  QString StatusText() const;
  // Whether a search shows its progress (on unless a benchmark compares
  // searches with and without it).
  void SetSearchProgressShown(bool shown) { progress_shown_ = shown; }

  // Filters (app/filters.cc): the status line's "Filters…" opens their
  // dialog; SetFilters keeps them (in the settings store too) and shows
  // them in plain words beside the button.
  void PushButton10_Click();
  const FilterTexts& Filters() const { return filter_texts_; }
  void SetFilters(const FilterTexts& texts);

  // The window's place, size and column widths from the last run, fitted to
  // the screen; and writing them back (also done by itself a moment after
  // they change).
  void RestoreWindowState();
  void SaveWindowState();
  const WindowLayout& Layout() const { return layout_; }

  // The files the last search found.
  const FoundFiles& Found() const { return *found_; }

  // Controls, named as the handlers know them.
  ListView* ListView1;
  QPushButton* PushButton1;
  QPushButton* PushButton7;
  QPushButton* PushButton8;
  QGroupBox* Frame1;
  QRadioButton* Option3;
  QRadioButton* Option1;
  QRadioButton* Option2;
  QGroupBox* Frame2;
  QRadioButton* Option4;
  DatePicker* DTPicker3;
  QRadioButton* Option5;
  DatePicker* DTPicker4;
  QRadioButton* Option6;
  DatePicker* DTPicker5;
  QRadioButton* Option7;
  DatePicker* DTPicker1;
  QLabel* Label1;
  DatePicker* DTPicker2;
  QRadioButton* Option8;
  QLineEdit* Text1;
  QPushButton* PushButton2;
  ListView* ListView2;
  QPushButton* PushButton4;
  QPushButton* PushButton6;
  QPushButton* PushButton3;
  QPushButton* PushButton5;
  SkinFramework* SkinFramework1;
  // Added to the window's design: the status line along its bottom, with
  // its text and the Stop button, and the results' context menu.
  QWidget* StatusBar1;
  QLabel* Label2;
  QPushButton* PushButton9;
  QMenu* Menu1;
  // The filters in plain words, shown while any is on, and "Filters…".
  QLabel* Label3;
  QPushButton* PushButton10;
  // Undo, in the status line.
  QPushButton* PushButton14;

 protected:
  void closeEvent(QCloseEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void moveEvent(QMoveEvent* event) override;
  void changeEvent(QEvent* event) override;

 private:
  void BuildControls();
  void BuildStatusLine();
  void BuildResultsMenu();
  void BuildUndo();    // undo.cc
  void BuildExport();  // export_list.cc: the menu's export items, dragging rows out
  void EnableExportActions();
  // After a trash or a move: Undo is offered while a journal is there, and
  // a journal that could not be written is told (once a session).
  void NoteJournal(const JournalWriter& journal);
  void WireEvents();
  void LayOut();
  // The least size from the buttons' captions as they are now (language,
  // font, skin): every caption whole.
  void FitLeastSize();
  // Wider than designed, the result columns fill the list: the date and
  // the size take what their texts need, the path the rest.  At the
  // designed size and below, and once the user has set widths, the
  // columns keep their widths.
  void FitResultColumns();
  void StateChanged();
  void ApplyRememberedWidths(ListView* list, const std::vector<int>& widths);
  void WatchColumnWidths();
  // The widths the user gave the result list's columns, once a search has
  // set them up.
  void ApplyResultWidths();
  // Puts the status line's text together: what last happened, then what
  // the result list holds.
  void UpdateStatus();
  // Runs a search on threads of its own, turning the event loop until it
  // ends, and returns what it found.
  struct RunningSearch {
    SearchEngine engine;
    std::shared_ptr<FoundFiles> found = std::make_shared<FoundFiles>();
    QEventLoop loop;
    bool finished = false;
    bool receiving = false;  // a report box is up
    std::vector<SearchNote> notes;
  };
  std::shared_ptr<FoundFiles> RunSearch(const SearchCriteria& criteria);
  // Takes what the search has found and reported since the last time.
  void ReceiveSearchNews();
  // The status line while a search runs: shown a few times a second from
  // what the search counts anyway, with the Stop button.
  void BeginSearchStatus();
  void ShowSearchProgress();
  void EndSearchStatus(bool stopped);
  // Sets the status line's event part: what the trash or a move took away.
  void ShowTakenAway(const QString& text) {
    status_event_ = text;
    UpdateStatus();
  }
  // The result rows the context menu acts on: the selected ones, or the
  // current row when none is selected.
  std::vector<int> ResultRowsForMenu() const;
  void WatchHover(QWidget* control);
  void ApplySkin();
  void LoadHandPicture(const QString& path);
  void ApplyPointer();
  void WriteRuleOptions();
  void ValidatePicker(int number, DatePicker* picker);
  // A settings write from a handler without an error report of its own.
  void WriteSettingQuietly(const QString& key, const QString& value);
  // Sets an option button as the settings restore does: false can leave no
  // button of the group selected.
  static void SetOptionValue(QRadioButton* option, bool value);
  bool ResultCommandBusy() const { return result_command_running_ || search_running_; }
  // The filters from the settings store, at start-up.
  void LoadFilters();
  void ShowFilterSummary();
  // Shares the status line between what it tells and the filters' line:
  // each gets its text's width where both fit; otherwise the filters' line
  // keeps at least two fifths, and both end in an ellipsis.
  void FitStatusParts();
  // The filters a search started now would use: none when they cannot be
  // used, which FiltersUsable tells the user before a search starts.
  SearchFilters ActiveFilters() const;
  bool FiltersUsable();

  int mouse_pointer_ = kPointerDefault;
  QCursor hand_cursor_;
  bool has_hand_picture_ = false;
  QHash<QWidget*, QWidget*> hover_owner_;    // part of a control -> control
  QHash<QWidget*, QCursor> natural_cursor_;  // widgets with a cursor of their own
  QPointF last_hover_where_;
  ulong last_hover_time_ = 0;
  bool settings_write_failure_shown_ = false;

  WindowLayout layout_{QSize(15960 / 15, 7275 / 15), kStatusHeight};
  // Where each control of the window sits at the designed size, and how it
  // follows the window.
  QHash<QWidget*, std::pair<QRect, Anchor>> anchored_;
  // On a screen smaller than the least size, the controls scroll.
  QScrollBar* h_scroll_ = nullptr;
  QScrollBar* v_scroll_ = nullptr;
  QTimer* save_state_timer_ = nullptr;
  std::vector<int> folder_widths_;  // remembered column widths, pixels
  std::vector<int> result_widths_;

  bool search_running_ = false;
  bool stop_requested_ = false;
  // What the status line says before the result list's totals: a stopped
  // search, the files last trashed or moved.  Empty after a search.
  QString status_event_;
  // The search under way (nullptr between searches), and the timer that
  // ends the wait for it once Stop was pressed.
  RunningSearch* search_ = nullptr;
  // What the last search counted, and what it had to say beside its rows,
  // for the status line once it ended.
  SearchCounts last_counts_;
  QStringList last_notes_;
  QTimer* stop_timer_ = nullptr;
  QTimer* progress_timer_ = nullptr;
  QTimer* status_timer_ = nullptr;
  QShortcut* escape_shortcut_ = nullptr;
  bool progress_shown_ = true;

  bool result_command_running_ = false;
  FilterTexts filter_texts_;
  // The date type the result list's rows were judged by.
  DateType result_date_type_ = DateType::kAccessed;
  bool journal_trouble_told_ = false;
  // Every file the last search found, with its stamp and identity; the
  // result list's rows are positions in it.
  std::shared_ptr<FoundFiles> found_ = std::make_shared<FoundFiles>();
};

}  // namespace qm

#endif  // QUENMOOR_APP_FORM1_H_
