// SPDX-License-Identifier: GPL-3.0-or-later
// The window's size and place: laying the controls out as it grows or
// shrinks, and remembering size, place and column widths between runs.
#include <QEvent>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QHeaderView>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QStyle>
#include <QTimer>
#include <QWindow>
#include <algorithm>

#include "app/form1.h"
#include "app/status_text.h"
#include "app/window_state.h"
#include "base/date_value.h"
#include "platform/dialogs.h"

namespace qm {
namespace {

std::vector<int> ColumnWidths(const ListView* list) {
  std::vector<int> widths;
  for (int c = 0; c < list->ColumnCount(); ++c) widths.push_back(list->columnWidth(c));
  return widths;
}

}  // namespace

void Form1::LayOut() {
  if (!h_scroll_) return;  // not built yet
  const QSize now = size();
  const QSize least = layout_.MinimumSize();
  // Smaller than its least size (only on a screen smaller than that), the
  // window shows its controls laid out at the least size, and scrolls.
  const int bar = style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, this);
  bool across = now.width() < least.width();
  const bool down = now.height() < least.height() + (across ? bar : 0);
  across = now.width() < least.width() + (down ? bar : 0);
  const QSize laid = now.expandedTo(least);
  const int view_width = now.width() - (down ? bar : 0);
  const int view_height = now.height() - kStatusHeight - (across ? bar : 0);
  h_scroll_->setRange(0, across ? laid.width() - view_width : 0);
  v_scroll_->setRange(0, down ? laid.height() - kStatusHeight - view_height : 0);
  h_scroll_->setPageStep(std::max(1, view_width));
  v_scroll_->setPageStep(std::max(1, view_height));
  const QPoint offset(-h_scroll_->value(), -v_scroll_->value());
  for (auto it = anchored_.cbegin(); it != anchored_.cend(); ++it) {
    const QRect place = layout_.Place(it.value().first, it.value().second, laid);
    it.key()->setGeometry(place.translated(offset));
  }
  h_scroll_->setGeometry(0, now.height() - kStatusHeight - bar, view_width, bar);
  v_scroll_->setGeometry(now.width() - bar, 0, bar, view_height);
  h_scroll_->setVisible(across);
  v_scroll_->setVisible(down);
  h_scroll_->raise();
  v_scroll_->raise();
  StatusBar1->setGeometry(0, now.height() - kStatusHeight, now.width(), kStatusHeight);
  FitStatusParts();
  FitResultColumns();
}

void Form1::FitLeastSize() {
  auto need = [](const QPushButton* b) { return b->sizeHint().width(); };
  // Designed: the results column, the gap between two buttons of a row, and
  // how far apart the rows of buttons stand.
  const int left = 8040 / 15, width = 7800 / 15, gap = (12000 - 8040 - 3840) / 15;
  const int row = (6750 - 6240) / 15;
  const int pair = 2 * std::max(need(PushButton3), need(PushButton5)) + gap;
  const int least = std::max({need(PushButton2), need(PushButton3), need(PushButton5),
                              2 * std::max(need(PushButton4), need(PushButton6)) + gap,
                              width - WindowLayout::kResultsShrink});
  layout_.SetResultsColumn(left, width, row, least, pair);
  QSize minimum = layout_.MinimumSize();
  // On a screen smaller than that, the window may be as small as the
  // screen, and scrolls.
  if (const QScreen* screen = QGuiApplication::primaryScreen()) {
    minimum = minimum.boundedTo(screen->availableGeometry().size() - QSize(0, kTitleBar));
  }
  setMinimumSize(minimum);
  LayOut();
}

void Form1::FitResultColumns() {
  if (ListView2->ColumnCount() != kResultColumns || !result_widths_.empty()) return;
  const int designed[kResultColumns] = {5500 / 15, 2000 / 15, 1300 / 15};
  int widths[kResultColumns] = {designed[0], designed[1], designed[2]};
  if (width() > layout_.DefaultSize().width()) {
    // The widest texts a column shows: a date with wide digits, the widest
    // sizes, the header with its sort mark.
    const QFontMetrics metrics(ListView2->font());
    const int margin =
        2 * (style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, ListView2) + 1) + 8;
    const QString date = ListModel::FormatStamp(DayNumberOf(2028, 12, 28) + 0.95762, false);
    int date_need = metrics.horizontalAdvance(date) + margin;
    int size_need = 0;
    for (ByteCount bytes :
         {ByteCount(999), ByteCount(888800), ByteCount(888800000), ByteCount(888800000000)}) {
      size_need = std::max(size_need, metrics.horizontalAdvance(SizeText(bytes)) + margin);
    }
    date_need = std::max({date_need, designed[1], ListView2->header()->sectionSizeHint(1)});
    size_need = std::max({size_need, designed[2], ListView2->header()->sectionSizeHint(2)});
    // The list's inside, less room for its scroll bar, which may come.
    const int inside = ListView2->width() - 2 * ListView2->frameWidth() -
                       style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, ListView2);
    widths[0] = std::max(inside - date_need - size_need, designed[0] / 2);
    widths[1] = date_need;
    widths[2] = size_need;
  }
  for (int c = 0; c < kResultColumns; ++c) {
    if (ListView2->columnWidth(c) != widths[c]) ListView2->SetColumnWidthPixels(c + 1, widths[c]);
  }
}

void Form1::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  LayOut();
  StateChanged();
}

void Form1::moveEvent(QMoveEvent* event) {
  QWidget::moveEvent(event);
  StateChanged();
}

void Form1::changeEvent(QEvent* event) {
  QWidget::changeEvent(event);
  if (event->type() == QEvent::WindowStateChange) StateChanged();
}

void Form1::StateChanged() {
  // Written a moment after the last change, not at every step of a drag.
  if (save_state_timer_ && isVisible()) save_state_timer_->start();
}

void Form1::RestoreWindowState() {
  QString trouble;
  const WindowState state = ReadWindowState(&trouble);
  // Said once, at start: the window then opens as designed, and its size
  // is not kept while the file stays as it is (writes leave it alone).
  if (!trouble.isEmpty()) {
    MessageBox(this,
               tr("%1. Quenmoor opens at its designed size and does not keep its size and "
                  "place while this is so.")
                   .arg(trouble),
               kOkOnly | kExclamation);
  }
  folder_widths_ = state.folder_widths;
  result_widths_ = state.result_widths;
  ApplyRememberedWidths(ListView1, folder_widths_);
  // The window opens on the screen it would open on, no larger than its
  // free area, with room above it for its title bar: the place given is
  // that of the window's inside, and the frame's title bar stands above it.
  QScreen* screen = QGuiApplication::primaryScreen();
  if (screen) {
    QRect free = screen->availableGeometry();
    free.adjust(0, kTitleBar, 0, 0);
    setGeometry(FitToScreen(state.geometry, layout_.DefaultSize(), minimumSize(), free));
  }
  if (state.maximized) setWindowState(windowState() | Qt::WindowMaximized);
}

void Form1::SaveWindowState() {
  save_state_timer_->stop();
  WindowState state;
  state.geometry = isMaximized() || isFullScreen() ? normalGeometry() : geometry();
  state.maximized = isMaximized();
  state.folder_widths = folder_widths_;
  state.result_widths = result_widths_;
  WriteWindowState(state);
}

void Form1::ApplyRememberedWidths(ListView* list, const std::vector<int>& widths) {
  const int n = std::min(list->ColumnCount(), static_cast<int>(widths.size()));
  for (int c = 0; c < n; ++c) list->SetColumnWidthPixels(c + 1, widths[static_cast<size_t>(c)]);
}

void Form1::WatchColumnWidths() {
  save_state_timer_ = new QTimer(this);
  save_state_timer_->setSingleShot(true);
  save_state_timer_->setInterval(500);
  connect(save_state_timer_, &QTimer::timeout, this, [this] { SaveWindowState(); });
  // Only widths the user set by dragging a divider are remembered.
  connect(ListView1, &ListView::ColumnResizedByUser, this, [this] {
    folder_widths_ = ColumnWidths(ListView1);
    StateChanged();
  });
  connect(ListView2, &ListView::ColumnResizedByUser, this, [this] {
    if (ListView2->ColumnCount() != kResultColumns) return;
    result_widths_ = ColumnWidths(ListView2);
    StateChanged();
  });
}

void Form1::ApplyResultWidths() {
  if (ListView2->ColumnCount() != kResultColumns) return;
  ApplyRememberedWidths(ListView2, result_widths_);
  FitResultColumns();
}

}  // namespace qm
